// Keys, menus and the picture's mouse commands, by real events to the real windows.
#include "controls/QXSliders.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXWindowSizer.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTcpServer>
#include <QtTest>

class TestKeyboard : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;
    QTcpServer silent;   // takes connections and never answers: a stream that stays loading
    QList<QUrl> clips;
    QUrl audio;

    QWidget *keyWindow() const { return c->presentation()->isPresenting() ? c->presentation()->window() : c->ui().playerWindow; }
    // A key as the window system delivers it: to the window, shortcuts first. "Key*" is a
    // repeat of a held key; '_' stands for a space in a key's name.
    void press(QString name)
    {
        name.replace('_', ' ');
        QWindow *window = keyWindow()->windowHandle();
        // QTest types only keys that have a character; the media keys are sent as they come.
        if (name.endsWith('*') || name.contains("Media")) {
            const bool held = name.endsWith('*');
            const QKeySequence k(held ? name.chopped(1) : name);
            QKeyEvent press(QEvent::KeyPress, k[0].key(), k[0].keyboardModifiers(), QString(), held);
            QCoreApplication::sendEvent(window, &press);
        } else {
            QTest::keySequence(window, QKeySequence(name));
        }
    }
    int current() const
    {
        return c->playlist().currentRow();
    }
    double seconds() const { return c->playlist().current()->openedMovie()->currentTime().seconds(); }
    // A fresh player in a named state, its key window active.
    void setUp(const QString &state, const QJsonObject &settings = {})
    {
        testsupport::launchFreshController(c, dir.path(), settings);
        VERIFY_SOON(c->ui().playerWindow->isActiveWindow(), 5000);
        if (state == "empty")
            return;
        if (state == "unplayable") {
            QVERIFY(c->openURLs({QUrl(QString("http://127.0.0.1:%1/x.mp4").arg(silent.serverPort()))}));
            return;
        }
        QVERIFY(c->openMovies(state == "audio" ? QList<QUrl>{audio} : state == "one" ? clips.mid(0, 1) : clips, false));
        VERIFY_SOON(c->isCurrentMoviePlayable(), 5000);
        if (state == "one") {
            press("Escape");
            press("Escape");   // paused, then unloaded
            press("Down");
        }
        if (state == "presenting") {
            c->presentation()->togglePresentation();
            VERIFY_SOON(c->presentation()->window()->isActiveWindow(), 5000);
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        silent.pauseAccepting();
        for (const char *name : {"a.mp4", "b.mp4", "c.mp4"})
            clips << QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), name, 320, 240, 20.0, false));
        audio = QUrl::fromLocalFile(testsupport::makeAudio(dir.path(), "tone.m4a", 20.0));
    }
    void cleanupTestCase() { c.reset(); }

    void keyTable_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QJsonObject>("settings");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QList<int>>("expected");   // beeps, playing, count, selected, current, presenting
        const QJsonObject none, hidden{{"Hide Playlist", true}}, paused{{"Do Not Play On Open", true}};
        const auto row = [](const char *name, const QString &state, const QJsonObject &settings, const QString &keys,
                            QList<int> expected) {
            QTest::newRow(name) << state << settings << keys.split(' ') << expected;
        };
        row("empty: every key beeps but the arrows up and down", "empty", none,
            "Space Escape Return Backspace Delete Left Right Up Down", {7, 0, 0, -1, -1, 0});
        row("space pauses and plays", "three", none, "Space Space", {0, 1, 3, 0, 0, 0});
        row("a held space acts once", "three", none, "Space Space* Space*", {0, 0, 3, 0, 0, 0});
        row("space on a movie that cannot play yet", "unplayable", none, "Space", {1, 0, 1, 0, 0, 0});
        row("shift+space plays and pauses too", "three", none, "Shift+Space", {0, 0, 3, 0, 0, 0});
        row("down and up move the selection, within the list", "three", none, "Down Down Down Up", {0, 1, 3, 1, 0, 0});
        row("held down repeats", "three", none, "Down Down*", {0, 1, 3, 2, 0, 0});
        row("up with the playlist hidden", "three", hidden, "Up", {1, 1, 3, 0, 0, 0});
        row("return plays the selected row", "three", none, "Down Return", {0, 1, 3, 1, 1, 0});
        row("keypad enter, not playing on open", "three", paused, "Down Down Num+Enter", {0, 0, 3, 2, 2, 0});
        row("a held return acts once", "three", none, "Down Return Down Return*", {0, 1, 3, 2, 1, 0});
        row("backspace on the first row leaves no selection", "three", none, "Backspace", {0, 0, 2, -1, -1, 0});
        row("backspace selects the row above", "three", none, "Down Down Backspace", {0, 1, 2, 1, 0, 0});
        row("delete selects the row that moved up", "three", none, "Down Delete", {0, 1, 2, 1, 0, 0});
        row("delete on the last row leaves no selection", "three", none, "Down Down Delete", {0, 1, 2, -1, 0, 0});
        row("a held delete removes one", "three", none, "Delete Delete* Delete*", {0, 0, 2, 0, -1, 0});
        row("escape leaves presentation", "presenting", none, "Escape", {0, 1, 3, 0, 0, 0});
        row("escape pauses, then unloads", "three", none, "Escape Escape", {0, 0, 3, -1, -1, 0});
        row("then beeps", "three", none, "Escape Escape Escape", {1, 0, 3, -1, -1, 0});
        row("a held escape acts once", "three", none, "Escape Escape* Escape*", {0, 0, 3, 0, 0, 0});
        row("space while presenting", "presenting", none, "Space", {0, 0, 3, 0, 0, 1});
        row("up while presenting", "presenting", none, "Up", {1, 1, 3, 0, 0, 1});
        row("media keys on an empty player beep", "empty", none,
            "Media_Play Media_Pause Toggle_Media_Play/Pause Media_Stop Media_Next Media_Previous", {6, 0, 0, -1, -1, 0});
        row("media play toggles as keyboards' one play key must", "three", none, "Media_Play", {0, 0, 3, 0, 0, 0});
        row("media pause pauses, media play plays again", "three", none, "Media_Pause Media_Pause Media_Play", {0, 1, 3, 0, 0, 0});
        row("the toggle key", "three", none, "Toggle_Media_Play/Pause", {0, 0, 3, 0, 0, 0});
        row("media stop", "three", none, "Media_Stop", {0, 0, 3, 0, 0, 0});
        row("media next and previous walk, playing on", "three", none, "Media_Next Media_Next Media_Previous", {0, 1, 3, 0, 1, 0});
        row("media next with one movie beeps", "audio", none, "Media_Next Media_Previous", {2, 1, 1, 0, 0, 0});
        row("media keys on a movie that cannot play yet", "unplayable", none, "Media_Play Media_Pause Media_Stop", {3, 0, 1, 0, 0, 0});
    }
    void keyTable()
    {
        QFETCH(QString, state);
        QFETCH(QJsonObject, settings);
        QFETCH(QStringList, keys);
        QFETCH(QList<int>, expected);
        setUp(state, settings);
        if (state != "empty" && state != "unplayable")
            QTRY_COMPARE(c->ui().playerView->isPlaying(), !settings.contains("Do Not Play On Open"));
        for (const QString &k : keys)
            press(k);
        QTRY_COMPARE(c->ui().playerView->isPlaying(), bool(expected[1]));
        QCOMPARE(c->beepCount(), expected[0]);
        QCOMPARE(int(c->playlist().count()), expected[2]);
        QCOMPARE(testsupport::selectedRow(*c), expected[3]);
        QCOMPARE(current(), expected[4]);
        QCOMPARE(c->presentation()->isPresenting(), bool(expected[5]));
        QCOMPARE(c->controlBar()->playPauseSwitch()->isChecked(), bool(expected[1]));
    }

    // Then another window's keys stay its own.
    void arrowsStepFramesAndCtrlArrowsWindInThePlayerOnly()
    {
        setUp("three", {{"Do Not Play On Open", true}});
        press("Ctrl+Right");   // the menu's wind of ten seconds, not the table's step
        VERIFY_SOON(seconds() > 9.9, 5000);
        QTest::qWait(300);
        const double wound = seconds();
        for (const QString &k : {"Right", "Right*", "Right*"})
            press(k);
        VERIFY_SOON(qAbs(seconds() - wound - 0.12) < 0.01, 5000);   // three frames of 1/25 s
        press("Left");
        VERIFY_SOON(qAbs(seconds() - wound - 0.08) < 0.01, 5000);
        press("Ctrl+Left");
        VERIFY_SOON(seconds() < wound - 9.0, 5000);
        QTest::qWait(300);
        const double settled = seconds();
        QLineEdit field;
        field.show();
        field.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&field));
        QTest::keyClick(field.windowHandle(), Qt::Key_Space);
        QTest::keyClick(field.windowHandle(), Qt::Key_Left);
        QCOMPARE(field.text(), QString(" "));
        QCOMPARE(field.cursorPosition(), 0);
        QTest::qWait(300);
        QCOMPARE(seconds(), settled);
        QVERIFY(!c->ui().playerView->isPlaying());
        QCOMPARE(c->beepCount(), 0);
    }

    void commandsFollowTheState_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("enabled");
        QTest::newRow("empty") << "empty" << QStringList{"overlay"};
        QTest::newRow("one entry, none chosen") << "one" << QStringList{"clear", "movies", "overlay", "delete"};
        QTest::newRow("cannot play yet") << "unplayable"
            << QStringList{"clear", "movies", "overlay", "windItem", "delete"};
        QTest::newRow("audio only") << "audio"
            << QStringList{"clear", "play", "movies", "overlay", "windItem", "delete"};
        QTest::newRow("video") << "three" << QStringList{"clear", "walk", "play", "rotate", "lock",
            "present", "movies", "sort", "modes", "overlay", "windItem", "scale", "sortItem", "delete"};
        QTest::newRow("presenting") << "presenting" << QStringList{"clear", "walk", "play", "rotate",
            "present", "movies", "sort", "modes", "windItem", "sortItem"};
    }
    void commandsFollowTheState()
    {
        QFETCH(QString, state);
        QFETCH(QStringList, enabled);
        setUp(state);
        const auto item = [this](const char *name) { return c->ui().playerWindow->menuBar()->findChild<QAction *>(name); };
        const QMenu *modes = c->ui().playerWindow->menuBar()->findChild<QMenu *>("presentationModeMenu");
        const QList<QPair<QString, QList<QObject *>>> controls = {
            {"clear", {c->ui().playlistClearButton, c->ui().clearPlaylistMenuItem}},
            {"walk", {c->ui().playlistBackwardButton, c->ui().playlistForwardButton, c->ui().backwardPlaylistMenuItem, c->ui().forwardPlaylistMenuItem}},
            {"play", {c->controlBar()->playPauseSwitch(), c->ui().playPauseMenuItem}},
            {"rotate", {c->controlBar()->rotateButton(), c->ui().rotateMenuItem}},
            {"lock", {c->controlBar()->aspectRatioLockSwitch(), c->ui().aspectRatioLockMenuItem}},
            {"present", {c->controlBar()->presentationSwitch(), c->ui().presentationMenuItem}},
            {"movies", {c->ui().playlistMenuItem}},
            {"sort", {c->ui().playlistSortMenuItem}},
            {"modes", {modes->menuAction()}},
            {"overlay", {item("overlayMenuItem")}},
            {"windItem", {item("windBackwardItem"), item("windForwardItem")}},
            {"scale", {item("halfSizeItem"), item("increaseSizeItem"), item("fitToScreenItem")}},
            {"sortItem", {item("shuffleItem")}},
            {"delete", {item("deleteItem")}}};
        for (const auto &[name, objects] : controls)
            for (QObject *o : objects)
                QVERIFY2(o->property("enabled").toBool() == enabled.contains(name), qPrintable(name));
        const int n = int(c->playlist().count());
        QCOMPARE(c->ui().playlistClearButton->toolTip(), n > 0 ? "Clear Playlist" : "");
        QCOMPARE(c->ui().playlistForwardButton->toolTip(), n > 1 ? "Next Movie" : "");
        QCOMPARE(c->ui().playlistBackwardButton->toolTip(), n > 1 ? "Previous Movie" : "");
        QCOMPARE(c->ui().presentationMenuItem->isChecked(), c->presentation()->isPresenting());
        QVERIFY(c->ui().aspectRatioLockMenuItem->isChecked());
        QCOMPARE(c->ui().playPauseMenuItem->text(), c->ui().playerView->isPlaying() ? "Pause" : "Play");

        // Each disabled command's shortcut beeps once and changes nothing.
        int beeps = c->beepCount();
        for (QAction *a : c->ui().playerWindow->findChildren<QAction *>()) {
            if (a->isEnabled() || a->shortcut().isEmpty())
                continue;
            const bool playing = c->ui().playerView->isPlaying();
            press(a->shortcut().toString());
            QVERIFY2(c->beepCount() == ++beeps, qPrintable(a->objectName()));
            QCOMPARE(c->ui().playerView->isPlaying(), playing);
            QCOMPARE(int(c->playlist().count()), n);
        }
    }

    void boundItemsClickTheirButtonOnce()
    {
        setUp("three");
        press("Ctrl+2");   // wide enough for every button of the bar
        VERIFY_SOON(!c->controlBar()->parts().buttonsHidden, 5000);
        const QList<QPair<QAction *, QAbstractButton *>> bound = {
            {c->ui().playPauseMenuItem, c->controlBar()->playPauseSwitch()}, {c->ui().forwardPlaylistMenuItem, c->ui().playlistForwardButton},
            {c->ui().backwardPlaylistMenuItem, c->ui().playlistBackwardButton}, {c->ui().rotateMenuItem, c->controlBar()->rotateButton()},
            {c->ui().aspectRatioLockMenuItem, c->controlBar()->aspectRatioLockSwitch()}, {c->ui().presentationMenuItem, c->controlBar()->presentationSwitch()},
            {c->ui().presentationMenuItem, c->controlBar()->presentationSwitch()}, {c->ui().playlistVisibilityMenuItem, c->controlBar()->playlistVisibilitySwitch()},
            {c->ui().playlistVisibilityMenuItem, c->controlBar()->playlistVisibilitySwitch()}, {c->ui().clearPlaylistMenuItem, c->ui().playlistClearButton}};
        for (const auto &[item, button] : bound) {
            QSignalSpy clicks(button, &QAbstractButton::clicked);
            item->trigger();
            QVERIFY2(clicks.count() == 1, qPrintable(item->objectName()));
        }
        QVERIFY(!c->presentation()->isPresenting() && c->playlist().entries().isEmpty() && !c->ui().aspectRatioLockMenuItem->isChecked());
        QCOMPARE(c->beepCount(), 0);
    }

    void checkMarksComeFromTheCommands()
    {
        setUp("presenting");
        // Refused while presenting: the playlist switch keeps its state, the item its title.
        press("F9");
        QCOMPARE(c->beepCount(), 1);
        QVERIFY(c->controlBar()->playlistVisibilitySwitch()->isChecked());
        QCOMPARE(c->ui().playlistVisibilityMenuItem->text(), QString("Hide Playlist"));
        press("Escape");
        // Folded, Ctrl+R rotates at once instead of opening the chevron's menu.
        c->windowSizer()->resizePlayerWindowForSize(QSizeF(150, 113));
        VERIFY_SOON(c->controlBar()->parts().buttonsHidden, 5000);
        press("Ctrl+R");
        QCOMPARE(c->playlist().current()->openedMovie()->angle(), 90);
        QVERIFY(!QApplication::activePopupWidget());
        // The presentation-mode menu marks the mode in force as it opens.
        QXSettings::standard().setInteger(1, QXKeys::PresentationMode);
        QMenu *modes = c->ui().playerWindow->menuBar()->findChild<QMenu *>("presentationModeMenu");
        emit modes->aboutToShow();
        QVERIFY(!modes->actions().at(0)->isChecked() && modes->actions().at(1)->isChecked());
    }

    void pictureMouseCommands()
    {
        setUp("three", {{"Volume", 0.5}});
        const double volume = c->controlBar()->volumeSlider()->value();
        QWheelEvent notch(QPointF(10, 10), c->ui().playerView->mapToGlobal(QPointF(10, 10)), {}, {0, 120}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(c->ui().playerView, &notch);
        QVERIFY(qAbs(c->controlBar()->volumeSlider()->value() - (volume + 0.1)) < 1e-6);
        QTest::mouseClick(c->ui().playerView, Qt::RightButton);
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        QCOMPARE(menu->objectName(), QString("pictureMenu"));
        QVERIFY(menu->actions().contains(c->ui().playPauseMenuItem) && menu->actions().contains(c->ui().playlistMenu->menuAction()));
        menu->close();
    }
};

VISTREL_TEST_MAIN(TestKeyboard)
#include "test_keyboard_xvfb.moc"
