// The preferences window driven by clicks and typing: what each control stores, the couplings
// of the close and quit settings, interval fields, presentation modes from the pop-up and the
// menu, the overlay setting while presenting, fitting the window to a section; then help and
// the web pages.
#include "app/QXPreferences.h"
#include "controls/QXButtons.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStackedWidget>
#include <QToolBar>
#include <QtTest>

class TestPreferences : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;
    QXPreferences *p = nullptr;

    void launch(const QJsonObject &stored = {})
    {
        testsupport::launchFreshController(c, dir.path(), stored);
        p = c->findChild<QXPreferences *>();
        QVERIFY(p);
    }
    void open(const QJsonObject &stored = {})
    {
        launch(stored);
        menuItem("preferencesItem")->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(p->preferencesWindow));
    }
    void showSection(const QString &id)
    {
        QAction *item = p->preferencesToolbar->findChild<QAction *>(id);
        QTest::mouseClick(p->preferencesToolbar->widgetForAction(item), Qt::LeftButton);
        QCOMPARE(p->preferencesTabView->currentWidget()->objectName(), id);
    }
    template<class T> T *control(const QString &name)
    {
        T *w = p->preferencesWindow->findChild<T *>(name);
        showSection(w->parentWidget()->objectName());
        return w;
    }
    void click(const QString &name)
    {
        auto *b = control<QAbstractButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    QString state(const QString &name)
    {
        auto *b = p->preferencesWindow->findChild<QAbstractButton *>(name);
        return QString(b->isChecked() ? "on" : "off") + (b->isEnabled() ? "" : ",disabled");
    }
    static QJsonObject stored()
    {
        QXSettings::standard().flush();
        return testsupport::readJsonObject(QXSettings::standardFilePath());
    }
    QAction *menuItem(const QString &name, int tag = -1)
    {
        if (tag < 0)
            return c->ui().playerWindow->findChild<QAction *>(name);
        return c->ui().playerWindow->findChild<QMenu *>(name)->actions().at(tag);
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }
    void cleanup() { c.reset(); }

    void plainArithmetic()
    {
        const struct { const char *typed; qint64 value; } intervals[] = {
            {"0", 1}, {"", 1}, {"abc", 1}, {"-5", 1}, {" 42", 42}, {"12abc", 12}, {"86401", 86400},
            {"99999999999999999999999999", 86400}};
        for (const auto &row : intervals)
            QCOMPARE(QXIntervalFromText(row.typed), row.value);
        const struct { double height, lowest, change; } fits[] = {
            {300, 280, 0}, {300, 279.1, 0}, {300, 280.9, 0}, {300, 279, 1}, {300, 250, 30}, {300, 290, -10}};
        for (const auto &row : fits)
            QCOMPARE(QXPreferencesHeightChange(row.height, row.lowest), row.change);
    }

    // One click on each control of a fresh store stores its key and nothing else; forget on
    // close comes late, as it turns forget at quit and pause on close back on.
    void senses()
    {
        open();
        const std::pair<const char *, QString> controls[] = {
            {"overlaySwitch", QXKeys::OverlayControlsInWindowMode}, {"showFileExtensionsSwitch", QXKeys::HideFileExtensions},
            {"forgetOnOpenSwitch", QXKeys::ForgetPlaylistOnOpen}, {"forgetOnQuitSwitch", QXKeys::DoNotForgetPlaylistOnQuit},
            {"rememberRotatationSwitch", QXKeys::ForgetRotation}, {"resumeSwitch", QXKeys::DoNotResumeMovies},
            {"hardwareDecodingSwitch", QXKeys::DoNotUseHardwareDecoding}, {"playOnOpenSwitch", QXKeys::DoNotPlayOnOpen},
            {"playOnPresentSwitch", QXKeys::DoNotPlayOnPresent}, {"pauseOnWindowSwitch", QXKeys::PauseOnWindow},
            {"pauseOnCloseSwitch", QXKeys::DoNotPauseOnClose}, {"pauseOnUserSwitchSwitch", QXKeys::DoNotPauseOnUserSwitch},
            {"showOnStartupSwitch", QXKeys::DoNotShowWindowOnStartup}, {"rotateCounterclockwiseButton", QXKeys::RotateCounterclockwise},
            {"forgetOnCloseSwitch", QXKeys::ForgetPlaylistOnClose}, {"quitOnCloseSwitch", QXKeys::QuitOnClose}};
        QJsonObject expected{{QXKeys::PlayerHasBeenCentered, true}};
        for (const auto &[name, key] : controls) {
            click(name);
            expected.insert(key, true);
            if (key == QXKeys::ForgetPlaylistOnClose)
                expected[QXKeys::DoNotForgetPlaylistOnQuit] = expected[QXKeys::DoNotPauseOnClose] = false;
            QCOMPARE(stored(), expected);
        }
        click("rotateClockwiseButton");
        QCOMPARE(stored().value(QXKeys::RotateCounterclockwise), QJsonValue(false));
    }

    // Forgetting the playlist on close and quitting on close keep pause-on-close on and
    // disabled, forget-on-close keeps forget-at-quit so too, at load and as they are clicked.
    // After: pause on close, forget at quit, "Do Not Pause On Close", "Do Not Forget Playlist On Quit".
    void couplings()
    {
        const QString quit = "quitOnCloseSwitch", forget = "forgetOnCloseSwitch", pause = "pauseOnCloseSwitch";
        const struct { QJsonObject before; QStringList clicks; QString after; } rows[] = {
            {{}, {quit, forget, forget}, "on,disabled on false false"},
            {{}, {quit, forget, forget, quit}, "on on false false"},
            {{}, {pause, quit}, "on,disabled on false absent"},
            {{}, {pause, quit, quit}, "on on false absent"},
            {{{QXKeys::ForgetPlaylistOnClose, true}, {QXKeys::DoNotForgetPlaylistOnQuit, true}, {QXKeys::DoNotPauseOnClose, true}},
             {}, "on,disabled on,disabled false false"},
            {{{QXKeys::QuitOnClose, true}, {QXKeys::DoNotPauseOnClose, true}, {QXKeys::DoNotForgetPlaylistOnQuit, true}},
             {}, "on,disabled off false true"}};
        const auto value = [](const QString &key) {
            const QJsonValue v = stored().value(key);
            return QString(v.isUndefined() ? "absent" : v.toBool() ? "true" : "false");
        };
        for (const auto &row : rows) {
            open(row.before);
            for (const QString &name : row.clicks)
                click(name);
            QCOMPARE(QStringList({state(pause), state("forgetOnQuitSwitch"), value(QXKeys::DoNotPauseOnClose),
                                  value(QXKeys::DoNotForgetPlaylistOnQuit)}).join(' '), row.after);
        }
    }

    // Each edit is stored at once, while the field keeps the focus (other texts: plainArithmetic).
    void intervals()
    {
        open();
        for (const auto &[name, key, initial] : {std::tuple("controlIntervalField", QXKeys::ControlInterval, "5"),
                                                 {"stepIntervalField", QXKeys::StepInterval, "10"}}) {
            auto *field = control<QLineEdit>(name);
            QCOMPARE(field->text(), initial);
            for (const auto &[typed, shown] : {std::pair("", "1"), {"999999999999", "86400"}, {"30", "30"}}) {
                QTest::mouseClick(field, Qt::LeftButton);
                QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(field, typed);
                if (!*typed)
                    QTest::keyClick(field, Qt::Key_Backspace);
                QVERIFY(field->hasFocus());
                QCOMPARE(field->text(), shown);
                QCOMPARE(stored().value(key).toInteger(), QByteArray(shown).toLongLong());
            }
        }
    }

    // A stored mode outside the pop-up leaves it as loaded; a mode chosen from the menu before
    // the window ever opened is stored and shown once it opens.
    void presentationModes()
    {
        for (int mode : {7, -1}) {
            open({{QXKeys::PresentationMode, mode}});
            QCOMPARE(p->presentationModeSelector->currentIndex(), 0);
            QCOMPARE(stored().value(QXKeys::PresentationMode), QJsonValue(mode));
        }
        launch();
        menuItem("presentationModeMenu", 1)->trigger();
        QCOMPARE(stored().value(QXKeys::PresentationMode), QJsonValue(1));
        QVERIFY(!p->isLoaded());
        menuItem("preferencesItem")->trigger();
        auto *selector = control<QComboBox>("presentationModeSelector");
        QCOMPARE(selector->currentIndex(), 1);
        QTest::keyClick(selector, Qt::Key_Up);
        QCOMPARE(stored().value(QXKeys::PresentationMode), QJsonValue(0));
        menuItem("presentationModeMenu", 1)->trigger();
        QCOMPARE(selector->currentIndex(), 1);
    }

    // While presenting the check box stores its value and the menu item changes nothing.
    void overlayWhilePresenting()
    {
        const QString clip = testsupport::makeVideo(dir.path(), "clip.mp4", 320, 240, 5.0, false);
        open();
        QVERIFY(c->openMovies({QUrl::fromLocalFile(clip)}, false));
        VERIFY_SOON(c->currentMovieHasVideo(), 10000);
        QTest::mouseClick(c->controlBar()->presentationSwitch(), Qt::LeftButton);
        QVERIFY(c->presentation()->isPresenting());
        QAction *item = menuItem("overlayMenuItem");
        click("overlaySwitch");
        QCOMPARE(stored().value(QXKeys::OverlayControlsInWindowMode), QJsonValue(true));
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(!item->isChecked());
        QCOMPARE(stored().value(QXKeys::OverlayControlsInWindowMode), QJsonValue(true));
        c->presentation()->stopPresentation();
        for (bool floating : {false, true}) {
            item->trigger();
            QCOMPARE(stored().value(QXKeys::OverlayControlsInWindowMode), QJsonValue(floating));
            QCOMPARE(item->isChecked(), floating);
            QCOMPARE(p->overlaySwitch->isChecked(), floating);
        }
    }

    // Each section leaves 20 px under its lowest control, moving only the bottom edge.
    void sectionsFitTheWindowAndFoldedRotation()
    {
        open();
        const int top = p->preferencesWindow->geometry().top();
        QSet<int> heights;
        const QStringList sections = QXPreferences::toolbarDefaultItemIdentifiers() << "General";
        for (const QString &id : sections) {
            showSection(id);
            const QWidget *w = p->preferencesWindow, *section = p->preferencesTabView->currentWidget();
            int lowest = 0;
            for (QWidget *child : section->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                lowest = qMax(lowest, child->mapTo(w, QPoint(0, child->height())).y());
            QCOMPARE(w->geometry().top(), top);
            QCOMPARE(w->height() - lowest, 20);
            heights.insert(w->height());
            const QRect before = w->geometry();
            p->updatePreferencesWindowFrame();
            QCOMPARE(w->geometry(), before);
        }
        QVERIFY(heights.size() >= 3);

        // Counter-clockwise chosen while the bar is folded: stored at once, shown on the
        // button once the bar unfolds.
        const int wide = c->ui().playerWindow->width();
        c->ui().playerWindow->resize(260, c->ui().playerWindow->height());
        VERIFY_SOON(c->controlBar()->parts().buttonsHidden, 5000);
        click("rotateCounterclockwiseButton");
        QCOMPARE(state("rotateClockwiseButton"), "off");
        QCOMPARE(stored().value(QXKeys::RotateCounterclockwise), QJsonValue(true));
        QCOMPARE(qobject_cast<QXContextButton *>(c->controlBar()->rotateButton())->imageName(), QString("QXTPChevron"));
        c->ui().playerWindow->resize(wide, c->ui().playerWindow->height());
        VERIFY_SOON(!c->controlBar()->parts().buttonsHidden, 5000);
        QCOMPARE(qobject_cast<QXContextButton *>(c->controlBar()->rotateButton())->imageName(), QString("QXRotateCounterclockwise"));
    }

    // Help, then the addresses handed to the browser, built in or from the environment (only
    // https, or http to this machine).
    void helpAndWebPages()
    {
        launch();
        QStringList shown;
        QTimer::singleShot(0, this, [&shown] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            shown << box->text() << box->informativeText() << box->buttons().first()->text();
            QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        });
        menuItem("helpItem")->trigger();
        QCOMPARE(shown, QStringList({"Sorry. No help yet.",
                                     "This beta version does not include documentation. The final Vistrel 1.0 will.", "OK"}));

        const QString pay = "/xclick/business=%1&item_name=Vistrel&no_shipping=1&tax=0&currency_code=USD";
        const struct { const char *item; QStringList environment; QString address; } pages[] = {
            {"donateItem", {}, VISTREL_DEFAULT_PAYMENT_SERVER + pay.arg(QString(VISTREL_DEFAULT_PAYMENT_ACCOUNT).replace("@", "%40"))},
            {"donateItem", {"VISTREL_PAYMENT_SERVER", "https://pay.test/", "VISTREL_PAYMENT_ACCOUNT", "me@example.org"},
             "https://pay.test" + pay.arg("me%40example.org")},
            {"homeItem", {"VISTREL_HOME_SERVER", "http://127.0.0.1:8080/"}, "http://127.0.0.1:8080/vistrel/"},
            {"homeItem", {"VISTREL_HOME_SERVER", "http://example.org"}, VISTREL_DEFAULT_HOME_SERVER "/vistrel/"}};
        testsupport::UrlCatcher browser;
        for (const auto &page : pages) {
            for (int i = 0; i + 1 < page.environment.size(); i += 2)
                qputenv(page.environment[i].toUtf8(), page.environment[i + 1].toUtf8());
            browser.opened.clear();
            menuItem(page.item)->trigger();
            for (int i = 0; i + 1 < page.environment.size(); i += 2)
                qunsetenv(page.environment[i].toUtf8());
            QCOMPARE(browser.opened.size(), 1);
            QCOMPARE(browser.opened.first().toString(QUrl::FullyEncoded), page.address);
        }
    }
};

VISTREL_TEST_MAIN(TestPreferences)
#include "test_preferences.moc"
