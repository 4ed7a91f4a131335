// Speed by its keys in the real windows: the steps and their ends, the speed beside the time
// only while it is not 1× (and not when the bar has no room for the time), kept for the next
// movie, acting in full screen and never from another window's text field; the hardware
// decoding check box reaching the engine.
#include "app/QXPreferences.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "player/QXSpeed.h"
#include "player/QXWindowSizer.h"
#include "ControllerFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

class TestSpeed : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;
    QList<QUrl> clips;

    QWidget *keyWindow() const { return c->isPresenting() ? c->presentation()->window() : c->ui().playerWindow; }
    void press(const QString &keys)
    {
        for (const QString &k : keys.split(' '))
            QTest::keySequence(keyWindow()->windowHandle(), QKeySequence(k));
    }
    QLabel *field() const { return c->controlBar()->speedField(); }
    // What the bar shows beside the time ("" when nothing), the engine's speed, the beeps.
    QString shown() const { return field()->isVisible() ? field()->text() : QString(); }
    // A fresh player, its window active; the one engine of the process at 1× as a new process
    // finds it.
    void launch()
    {
        testsupport::launchFreshController(c, dir.path());
        if (QXMovieEngine *engine = QXMovieEngine::existing())
            engine->setSpeed(1.0);
        VERIFY_SOON(c->ui().playerWindow->isActiveWindow(), 5000);
    }

    // The window narrowed until the bar has no room for the time, then at actual size again;
    // what the bar said beside the time while narrow.
    void foldAndUnfold(QString *whileFolded)
    {
        c->windowSizer()->resizePlayerWindowForSize(QSizeF(150, 84));
        VERIFY_SOON(c->controlBar()->parts().timeHidden, 5000);
        *whileFolded = shown();
        press("Ctrl+1");
        VERIFY_SOON(!c->controlBar()->parts().timeHidden, 5000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        // The engine's own choice, not this machine's lack of a GPU.
        qputenv("VISTREL_HWDEC", "auto-safe");
        for (const char *name : {"a.mp4", "b.mp4"})
            clips << QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), name, 640, 360, 20.0, false));
    }
    void cleanupTestCase() { c.reset(); }

    void keys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("beeps");
        QTest::newRow("faster thrice") << "] ] ]" << 2.0 << 0;
        QTest::newRow("to the top and past it") << "] ] ] ] ] ]" << 4.0 << 1;
        QTest::newRow("slower to the bottom and past it") << "[ [ [ [" << 0.25 << 1;
        QTest::newRow("normal again") << "] ] =" << 1.0 << 0;
        QTest::newRow("normal at normal") << "=" << 1.0 << 1;
        QTest::newRow("shift+s is no screenshot, = with ctrl is size") << "[ Ctrl+=" << 0.75 << 0;
    }
    void keys()
    {
        QFETCH(QString, keys);
        QFETCH(double, speed);
        QFETCH(int, beeps);
        launch();
        // Without a movie every speed key and the screenshot key beep.
        press("[ ] = s");
        QCOMPARE(c->beepCount(), 4);
        QVERIFY(c->openMovies(clips.mid(0, 1), false));
        VERIFY_SOON(c->isCurrentMoviePlayable(), 5000);
        press(keys);
        QCOMPARE(c->beepCount() - 4, beeps);
        QCOMPARE(QXMovieEngine::existing()->speed(), speed);
        QCOMPARE(c->speedControl()->speed(), speed);
        QCOMPARE(shown(), QXSpeedText(speed));
    }

    // The speed stays for the next movie, and the bar says so; it acts in full screen; a text
    // field of another window keeps its keys.
    void keptAndShownWhereTheKeysAre()
    {
        launch();
        QVERIFY(c->openMovies(clips, false));
        VERIFY_SOON(c->isCurrentMoviePlayable(), 5000);
        // At 1× nothing is said, also once the bar has laid out its parts anew.
        QString folded;
        foldAndUnfold(&folded);
        QCOMPARE(shown(), QString());
        press("] ] ]");
        QCOMPARE(shown(), QString("2\u00D7"));
        press("Ctrl+Shift+Right");
        VERIFY_SOON(c->playlist().currentRow() == 1 && c->isCurrentMoviePlayable(), 5000);
        QCOMPARE(QXMovieEngine::existing()->speed(), 2.0);
        QCOMPARE(shown(), QString("2\u00D7"));

        // A window too narrow for the time hides the speed with it.
        foldAndUnfold(&folded);
        QCOMPARE(folded, QString());
        QCOMPARE(shown(), QString("2\u00D7"));

        c->presentation()->togglePresentation();
        VERIFY_SOON(c->presentation()->window()->isActiveWindow(), 5000);
        press("[");
        QCOMPARE(QXMovieEngine::existing()->speed(), 1.5);
        c->presentation()->togglePresentation();
        VERIFY_SOON(c->ui().playerWindow->isActiveWindow(), 5000);

        QLineEdit text;
        text.show();
        text.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&text));
        QTest::keyClicks(&text, "[]=s");
        QCOMPARE(text.text(), QString("[]=s"));
        QCOMPARE(QXMovieEngine::existing()->speed(), 1.5);
        QCOMPARE(c->beepCount(), 0);
    }

    // On by default; the check box turns the engine's choice off and on again, the movie
    // playing on in software.
    void hardwareDecodingFollowsThePreference()
    {
        testsupport::launchFreshController(c, dir.path());
        QVERIFY(c->openMovies(clips.mid(0, 1), false));
        VERIFY_SOON(c->isCurrentMoviePlayable(), 5000);
        QXMovieEngine *engine = QXMovieEngine::existing();
        QCOMPARE(engine->hardwareDecoding(), QString("auto-safe"));
        auto *preferences = c->findChild<QXPreferences *>();
        preferences->showPreferences();
        QVERIFY(QTest::qWaitForWindowExposed(preferences->preferencesWindow));
        QCheckBox *box = preferences->hardwareDecodingSwitch;
        QVERIFY(box->isChecked() && preferences->resumeSwitch->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QCOMPARE(engine->hardwareDecoding(), QString("no"));
        QVERIFY(QXSettings::standard().boolForKey(QXKeys::DoNotUseHardwareDecoding));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QCOMPARE(engine->hardwareDecoding(), QString("auto-safe"));
        // No decoder of this machine's (none) is in use, and the picture plays on.
        VERIFY_SOON(engine->hardwareDecoderInUse() == "no", 5000);
        const double before = c->playlist().current()->openedMovie()->currentTime().seconds();
        VERIFY2_SOON(c->playlist().current()->openedMovie()->currentTime().seconds() > before + 0.5,
                     qPrintable(QString("at %1 s from %2 s, playing %3, drawn %4")
                                    .arg(c->playlist().current()->openedMovie()->currentTime().seconds()).arg(before)
                                    .arg(c->ui().playerView->isPlaying()).arg(c->ui().playerView->framesDrawn())),
                     5000);
        preferences->preferencesWindow->close();
        // Off at the next launch too.
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        testsupport::relaunchController(c);
        QCOMPARE(QXMovieEngine::existing()->hardwareDecoding(), QString("no"));
    }
};

VISTREL_TEST_MAIN(TestSpeed)
#include "test_speed_xvfb.moc"
