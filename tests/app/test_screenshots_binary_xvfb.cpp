// The pictures software centres show of the player, taken of the real binary under openbox (and
// a compositor, for the see-through control bar): a movie playing beside a playlist of several,
// and the floating controls over a movie. Each lands in <build>/screenshots; with
// VISTREL_UPDATE_SCREENSHOTS=1 it replaces the committed one under resources/screenshots.
#include "TestSupport.h"

#include <QtTest>

namespace {

QString xdotool(const QStringList &arguments) { return testsupport::runTool("xdotool", arguments); }

// The window with the window manager's frame around it, as on screen.
QImage grabFramed(const QString &window)
{
    QHash<QString, int> geometry;   // the client's place on the screen
    for (const QString &line : testsupport::runTool("xwininfo", {"-id", window}).split('\n'))
        geometry.insert(line.section(':', 0, 0).trimmed(), line.section(':', 1).trimmed().toInt());
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QStringList extents = testsupport::runTool("xprop", {"-id", window, "_NET_FRAME_EXTENTS"})
                                    .section('=', 1).split(',');
    const auto extent = [&](int i) { return extents.size() == 4 ? extents.at(i).trimmed().toInt() : 0; };
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, geometry.value("Absolute upper-left X") - extent(0), geometry.value("Absolute upper-left Y") - extent(2),
                     geometry.value("Width") + extent(0) + extent(1), geometry.value("Height") + extent(2) + extent(3))
        .toImage();
}

double meanLightness(const QImage &image)
{
    qint64 sum = 0, n = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2, ++n)
            sum += QColor(image.pixel(x, y)).lightness();
    return n ? double(sum) / n : 0;
}

} // namespace

class TestScreenshots : public QObject
{
    Q_OBJECT
    testsupport::ManagedHome desk;
    QTemporaryDir &home = desk.home;
    QProcess compositor;
    QString shots;

    // A movie of the given lavfi source and length.
    QString movie(const QString &name, const QString &source, int seconds = 6)
    {
        return testsupport::ffmpeg(home.filePath(name), {"-f", "lavfi", "-i", source + QString(",trim=duration=%1").arg(seconds), "-c:v", "libx264",
                                                         "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    }

    // Starts the player on the files with the given settings and answers its window once the
    // first movie's picture moves there.
    QString launch(QProcess &player, const QByteArray &settings, const QStringList &files, const QString &title)
    {
        const QString config = home.filePath(QString("config-%1").arg(title));
        if (!testsupport::writeSettingsFile(config, settings))
            return {};
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config);
        player.setProcessEnvironment(env);
        player.start(testsupport::playerBinary(), files);
        const QString window = testsupport::findWindow("^" + title);
        if (window.isEmpty())
            return {};
        // Playing: the picture changes.
        QImage first;
        const bool moves = QTest::qWaitFor([&] {
            const QImage now = testsupport::grabWindow(window);
            if (testsupport::colourfulShare(now, 100) < 0.1)
                return false;
            if (first.isNull())
                first = now;
            return now != first;
        }, 15000);
        if (!moves)
            save(grabFramed(window), title + "-not-playing.png");
        return moves ? window : QString();
    }

    // Into the build folder, to be looked at whether or not the checks pass.
    void save(const QImage &shot, const QString &name)
    {
        const QString path = QDir(shots).filePath(name);
        QVERIFY(shot.save(path));
        // 256 colours, dithered: a third of the size, and alike to the eye at a software centre's scale.
        QVERIFY(testsupport::runTool("convert", {path, "-strip", "-dither", "FloydSteinberg", "-colors", "256", "PNG8:" + path}).isEmpty());
    }
    void publish(const QString &name)
    {
        const QString path = QDir(shots).filePath(name);
        if (qEnvironmentVariable("VISTREL_UPDATE_SCREENSHOTS") == "1") {
            const QString committed = testsupport::supportFile("../../resources/screenshots/" + name);
            QFile::remove(committed);
            QVERIFY(QFile::copy(path, committed));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(desk.start());
        shots = QDir(QFileInfo(testsupport::playerBinary()).path()).filePath("screenshots");
        QVERIFY(QDir().mkpath(shots));
        compositor.start("picom", {"--backend", "xrender", "--no-fading-openclose"});
        QVERIFY(compositor.waitForStarted());
    }

    void cleanupTestCase()
    {
        compositor.terminate();
        compositor.waitForFinished();
    }

    void playlistBesideAMovie()
    {
        const QStringList files{
            // In name order, the first plays.
            movie("Deep Zoom.mp4", "mandelbrot=size=960x540:rate=25:start_scale=1.5:end_scale=0.3"),
            // The rest are only listed.
            movie("Fractal Rules.mp4", "cellauto=size=320x180:rule=18:rate=25,format=yuv420p", 2),
            movie("Life in Blue.mp4", "life=size=320x180:mold=10:rate=25:ratio=0.1:life_color=#3080ff:death_color=#202030", 2),
            movie("Radial Glow.mp4", "gradients=size=320x180:rate=25:speed=0.02:nb_colors=5:type=radial", 2),
            movie("Test Pattern.mp4", "testsrc2=size=320x180:rate=25", 2)};
        for (const QString &f : files)
            QVERIFY(!f.isEmpty());
        QProcess player;
        const QString window = launch(player, R"({"Hide File Extensions": true})", files, "Deep Zoom");
        QVERIFY2(!window.isEmpty(), "no picture");
        QTest::qWait(1500);   // into the zoom
        const QImage shot = grabFramed(window);
        QVERIFY(testsupport::quitBySignal(player));
        save(shot, "playlist.png");

        // The whole window: wide enough for the playlist and the picture, the picture in colour,
        // the playlist's light list beside it.
        QVERIFY2(shot.width() >= 1100 && shot.height() >= 560, qPrintable(QString("%1x%2").arg(shot.width()).arg(shot.height())));
        const QImage list = shot.copy(10, 60, 180, 200);
        QVERIFY2(meanLightness(list) > 150 && testsupport::colourfulShare(list, 100) < 0.05, "no playlist");
        QVERIFY(testsupport::colourfulShare(shot.copy(shot.width() / 2, 100, shot.width() / 2 - 20, 300), 100) > 0.2);
        publish("playlist.png");
    }

    void controlsOverAMovie()
    {
        const QString file = movie("Sunset.mp4", "gradients=size=1024x576:rate=25:speed=0.0005:nb_colors=4:c0=0x0b1d51:c1=0x8c1c84:c2=0xff8c42:c3=0xffd166:x0=0:y0=0:x1=2000:y1=1100");
        QVERIFY(!file.isEmpty());
        QProcess player;
        const QString window = launch(player, R"({"Hide Playlist": true, "Overlay Controls In Window Mode": true, "Hide File Extensions": true})",
                                      {file}, "Sunset");
        QVERIFY2(!window.isEmpty(), "no picture");
        QTest::qWait(1500);   // a moment in, for the time shown
        // The pointer moves over the picture: the floating bar fades in over its bottom.
        xdotool({"mousemove", "--window", window, "300", "200"});
        xdotool({"mousemove", "--window", window, "320", "210"});
        QImage shot;
        const auto barShows = [&] {
            shot = grabFramed(window);
            save(shot, "controls.png");
            // The see-through bar darkens the picture's bottom against what is above it.
            const int w = shot.width() / 2, x = shot.width() / 4, bottom = shot.height() - 45;
            return meanLightness(shot.copy(x, bottom, w, 30)) < meanLightness(shot.copy(x, bottom - 60, w, 30)) - 25;
        };
        VERIFY2_SOON(barShows(), "no control bar", 5000);
        QTest::qWait(400);   // fully faded in
        xdotool({"mousemove", "--window", window, "330", "215"});
        shot = grabFramed(window);
        QVERIFY(testsupport::quitBySignal(player));
        save(shot, "controls.png");

        QVERIFY2(shot.width() >= 1000 && shot.height() >= 560, qPrintable(QString("%1x%2").arg(shot.width()).arg(shot.height())));
        QVERIFY(testsupport::colourfulShare(shot.copy(0, 60, shot.width(), shot.height() / 2), 100) > 0.3);
        publish("controls.png");
    }
};

QTEST_MAIN(TestScreenshots)
#include "test_screenshots_binary_xvfb.moc"
