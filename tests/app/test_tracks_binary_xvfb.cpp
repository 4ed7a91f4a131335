// The real player under a window manager, driven by xdotool: a subtitle file named by a second
// launch joins the movie that plays (not the playlist), is drawn in the picture and grows with
// it in full screen, where the subtitle key acts too.
#include "ControllerFixture.h"

#include <QtTest>

namespace {

QString xdotool(const QStringList &arguments) { return testsupport::runTool("xdotool", arguments); }

// Near-white pixels of a window's picture: the subtitles on the movie's dark blue (the light
// playlist pane is hidden by the settings).
int whitePixels(const QString &window)
{
    const QImage shot = testsupport::grabWindow(window);
    // Below the menu bar and above the control bar.
    const QRect picture(0, 40, shot.width(), shot.height() - 100);
    return testsupport::countPixels(shot, [](QRgb p) { return qRed(p) > 225 && qGreen(p) > 225 && qBlue(p) > 225; },
                                    picture);
}

} // namespace

class TestTracksBinary : public QObject
{
    Q_OBJECT
    testsupport::ManagedHome desk;
    QTemporaryDir &home = desk.home;

private slots:
    void initTestCase() { QVERIFY(desk.start()); }

    void subtitleHandedOverByALaunch()
    {
        testsupport::useFreshSettings(home.path());
        QXSettings::standard().setBool(true, QXKeys::DoNotForgetPlaylistOnQuit);
        QXSettings::standard().setBool(true, QXKeys::HidePlaylist);
        QVERIFY(QXSettings::standard().flush());
        const QString movie = testsupport::ffmpeg(home.filePath("night.mkv"),
            {"-f", "lavfi", "-i", "color=c=0x203060:size=480x270:rate=25:duration=30", "-c:v", "libx264", "-preset", "ultrafast"});
        QVERIFY(!movie.isEmpty());
        const QString subtitle = testsupport::makeFile(home.path(), "other name.srt",
                                                       "1\n00:00:00,000 --> 00:00:30,000\n{\\an5}{\\fs90}MMMM\n");

        QProcess player;
        player.start(testsupport::playerBinary(), {movie});
        const QString window = testsupport::findWindow("^night.mkv$");
        QVERIFY(!window.isEmpty());
        xdotool({"windowactivate", "--sync", window});
        QTest::qWait(1000);
        QVERIFY(whitePixels(window) < 20);   // nothing of the name's own beside it

        QProcess second;
        second.start(testsupport::playerBinary(), {subtitle});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 0);
        VERIFY_SOON(whitePixels(window) > 100, 8000);
        const int inWindow = whitePixels(window);

        // Full screen: the text scales with the picture; J (round to none) acts there as well.
        xdotool({"key", "F11"});
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QString geometry = QString("Geometry: %1x%2").arg(screen.width()).arg(screen.height());
        VERIFY_SOON(xdotool({"getactivewindow", "getwindowgeometry"}).contains(geometry), 5000);
        const QString full = xdotool({"getactivewindow"});
        VERIFY2_SOON(whitePixels(full) > inWindow * 2, qPrintable(QString("%1 / %2").arg(whitePixels(full)).arg(inWindow)), 5000);
        xdotool({"key", "j"});
        VERIFY_SOON(whitePixels(full) < 20, 5000);
        xdotool({"key", "Escape"});
        VERIFY_SOON(xdotool({"getactivewindow"}) == window, 5000);
        xdotool({"key", "ctrl+q"});
        QVERIFY(player.state() == QProcess::NotRunning || player.waitForFinished(10000));
        QCOMPARE(player.exitCode(), 0);
        // The subtitle never became an entry.
        QCOMPARE(testsupport::storedPlaylistPaths(), QStringList{movie});
    }
};

VISTREL_TEST_MAIN(TestTracksBinary)
#include "test_tracks_binary_xvfb.moc"
