// The real player under a window manager, driven by xdotool alone as a user would drive it:
// three movies from the command line; walk, pause, step, play, delete, full screen and back,
// volume and playlist pane by key, quit; the settings and the playlist files show the result.
#include "ControllerFixture.h"

#include <QScreen>
#include <QtTest>

namespace {

QString xdotool(const QStringList &arguments) { return testsupport::runTool("xdotool", arguments); }

} // namespace

class TestKeyboardBinary : public QObject
{
    Q_OBJECT
    testsupport::ManagedHome desk;
    QTemporaryDir &home = desk.home;

private slots:
    void initTestCase() { QVERIFY(desk.start()); }

    void drivenByKeysAndMouse()
    {
        testsupport::useFreshSettings(home.path());
        QXSettings::standard().setBool(true, QXKeys::DoNotForgetPlaylistOnQuit);
        QXSettings::standard().setFloat(0.5, QXKeys::Volume);
        QVERIFY(QXSettings::standard().flush());
        QStringList clips;
        for (const char *name : {"e1.mp4", "e2.mp4", "e3.mp4"})
            clips << testsupport::makeVideo(home.path(), name, 320, 240, 30.0, false);

        QProcess player;
        player.start(testsupport::playerBinary(), clips);
        const QString window = testsupport::findWindow("^e1.mp4$");
        QVERIFY(!window.isEmpty());
        xdotool({"windowactivate", "--sync", window});
        VERIFY_SOON(!testsupport::pictureIsStill(window), 10000);   // playing

        // Walk to the next movie, playing on.
        xdotool({"key", "ctrl+shift+Right"});
        QTRY_COMPARE(xdotool({"getwindowname", window}), QString("e2.mp4"));
        VERIFY_SOON(!testsupport::pictureIsStill(window), 5000);
        // Pause; one frame on and it stays; play again.
        xdotool({"key", "space"});
        VERIFY_SOON(testsupport::pictureIsStill(window), 5000);
        const QImage paused = testsupport::grabPicture(window);
        xdotool({"key", "Right"});
        VERIFY_SOON(testsupport::grabPicture(window) != paused, 5000);
        QVERIFY(testsupport::pictureIsStill(window));
        xdotool({"key", "space"});
        VERIFY_SOON(!testsupport::pictureIsStill(window), 5000);

        // The last entry selected by arrow and deleted; the one playing stays.
        xdotool({"key", "Down", "Down", "Down", "Delete"});
        QTest::qWait(300);
        QCOMPARE(xdotool({"getwindowname", window}), QString("e2.mp4"));

        // A double click on the picture presents it on the whole screen; Escape comes back.
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QString geometry = QString("Geometry: %1x%2").arg(screen.width()).arg(screen.height());
        xdotool({"mousemove", "--window", window, "360", "120", "click", "--repeat", "2", "--delay", "80", "1"});
        VERIFY_SOON(xdotool({"getactivewindow", "getwindowgeometry"}).contains(geometry), 5000);
        VERIFY_SOON(!testsupport::pictureIsStill(xdotool({"getactivewindow"})), 5000);   // playing on in presentation
        xdotool({"key", "Escape"});
        QTRY_COMPARE(xdotool({"getactivewindow"}), window);
        QVERIFY(!xdotool({"getwindowgeometry", window}).contains(geometry));

        // Softer and the playlist pane away. The preferences close by their own keys, and the
        // application's keys work from there: quit.
        xdotool({"key", "ctrl+Down", "F9", "ctrl+comma"});
        const auto preferencesActive = [] {
            return xdotool({"search", "--onlyvisible", "--name", "^Preferences$"}).section('\n', 0, 0)
                   == xdotool({"getactivewindow"});
        };
        VERIFY_SOON(preferencesActive(), 5000);
        xdotool({"key", "ctrl+w"});
        QTRY_COMPARE(xdotool({"getactivewindow"}), window);
        xdotool({"key", "ctrl+comma"});
        VERIFY_SOON(preferencesActive(), 5000);
        xdotool({"key", "ctrl+q"});
        // It may be gone while xdotool runs, and then waiting for it reports false.
        QVERIFY(player.state() == QProcess::NotRunning || player.waitForFinished(10000));
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.exitCode(), 0);

        QCOMPARE(testsupport::storedPlaylistPaths(), clips.mid(0, 2));
        QCOMPARE(QXSettings::standard().doubleForKey(QXKeys::Volume), 0.4);
        QVERIFY(QXSettings::standard().boolForKey(QXKeys::HidePlaylist));
    }
};

VISTREL_TEST_MAIN(TestKeyboardBinary)
#include "test_keyboard_binary_xvfb.moc"
