// Switching movies by key, under a real X server and the real OpenGL output: what the view puts
// on screen after a switch is never a picture of the movie left, and the player's output never
// waits for a frame nobody takes.
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QtTest>

namespace {

// The mpv log lines that say its output waited for a frame until it gave up on it.
int s_stalls = 0;
QtMessageHandler s_previousHandler = nullptr;

void watchEngineLog(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("mpv "))) {
        s_stalls += text.contains(QLatin1String("not being called or stuck"));
        return;
    }
    if (s_previousHandler)
        s_previousHandler(type, context, text);
    else
        fprintf(stderr, "%s\n", qPrintable(text));
}

struct Colour
{
    const char *name;
    QRgb rgb;
};
const Colour Red{"red", qRgb(255, 0, 0)}, Green{"green", qRgb(0, 255, 0)}, Blue{"blue", qRgb(0, 0, 255)},
    Yellow{"yellow", qRgb(255, 255, 0)};

// The colour in the middle of the picture: a movie's, black, or "other".
QString colourOf(const QImage &image)
{
    const QRgb p = image.isNull() ? qRgb(128, 128, 128) : image.pixel(image.rect().center());
    for (const Colour &c : {Red, Green, Blue, Yellow, Colour{"black", qRgb(0, 0, 0)}})
        if (qAbs(qRed(p) - qRed(c.rgb)) < 60 && qAbs(qGreen(p) - qGreen(c.rgb)) < 60 && qAbs(qBlue(p) - qBlue(c.rgb)) < 60)
            return QLatin1String(c.name);
    return QStringLiteral("other");
}

} // namespace

class TestSwitchingXvfb : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;
    QList<QUrl> clips;

    void press(const char *keys) { QTest::keySequence(c->ui().playerWindow->windowHandle(), QKeySequence(keys)); }
    QString shown() { return colourOf(testsupport::grabOnScreen(c->ui().playerView)); }

private slots:
    void initTestCase()
    {
        // Read when the player is made.
        qputenv("VISTREL_MPV_LOG", "v");
        s_previousHandler = qInstallMessageHandler(watchEngineLog);
        QVERIFY(dir.isValid());
        // Solid colours, named in playlist order, the last of another size: a switch to it
        // resizes the picture.
        const struct
        {
            Colour colour;
            QSize size;
        } movies[] = {{Red, {320, 240}}, {Green, {320, 240}}, {Blue, {320, 240}}, {Yellow, {240, 320}}};
        for (const auto &m : movies) {
            const QString source = QString("color=c=0x%1:size=%2x%3:rate=25:duration=20")
                                       .arg(m.colour.rgb & 0xffffff, 6, 16, QChar('0'))
                                       .arg(m.size.width())
                                       .arg(m.size.height());
            const QString path = testsupport::ffmpeg(dir.filePath(QString("%1-%2.mp4").arg(clips.size()).arg(m.colour.name)),
                                                     {"-f", "lavfi", "-i", source, "-c:v", "libx264", "-preset",
                                                      "ultrafast", "-g", "25", "-pix_fmt", "yuv420p"});
            QVERIFY(!path.isEmpty());
            clips << QUrl::fromLocalFile(path);
        }
    }
    void cleanupTestCase()
    {
        c.reset();
        qInstallMessageHandler(s_previousHandler);
    }

    void switchShowsOnlyTheNewMovie()
    {
        testsupport::launchFreshController(c, dir.path());
        VERIFY_SOON(c->ui().playerWindow->isActiveWindow(), 5000);
        QVERIFY(c->openMovies(clips, false));
        VERIFY_SOON(shown() == "red", 8000);

        // Each first of all the new movies, a return to one left half-played (it opens at its
        // place), playing and paused, to the same size and to another.
        const struct
        {
            const char *keys;
            bool playing;
            const char *from;
            const char *to;
        } steps[] = {
            {"Ctrl+Shift+Right", true, "red", "green"},    {"Ctrl+Shift+Right", false, "green", "blue"},
            {"Ctrl+Shift+Right", true, "blue", "yellow"},  {"Ctrl+Shift+Left", true, "yellow", "blue"},
            {"Ctrl+Shift+Left", false, "blue", "green"},   {"Ctrl+Shift+Left", true, "green", "red"},
            {"Ctrl+Shift+Right", false, "red", "green"},   {"Ctrl+Shift+Right", true, "green", "blue"},
            {"Ctrl+Shift+Right", false, "blue", "yellow"}, {"Ctrl+Shift+Left", false, "yellow", "blue"},
            {"Ctrl+Shift+Left", true, "blue", "green"},    {"Ctrl+Shift+Left", true, "green", "red"},
        };
        QStringList seen;
        for (const auto &step : steps) {
            const QString what = QString("%1 from %2 to %3, %4").arg(step.keys, step.from, step.to,
                                                                    step.playing ? "playing" : "paused");
            VERIFY2_SOON(shown() == step.from, qPrintable(what + ": before, shows " + shown()), 5000);
            if (c->ui().playerView->isPlaying() != step.playing)
                press("Space");
            QCOMPARE(c->ui().playerView->isPlaying(), step.playing);
            // Played for a moment (or paused a moment): the output is busy with this movie.
            QTest::qWait(150);

            // Every picture put on screen from the switch on (the key arrives through the event
            // queue), until the new movie's.
            seen.clear();
            bool switched = false;
            const QMetaObject::Connection chosen =
                connect(c.get(), &QXMPController::currentMovieChanged, this, [&] { switched = true; });
            const QMetaObject::Connection drawn = connect(c->ui().playerView, &QXMovieView::swapped, this, [&] {
                if (switched && !seen.contains(step.to))
                    seen << shown();
            });
            press(step.keys);
            VERIFY2_SOON(seen.contains(step.to), qPrintable(what + ": shown " + seen.join(' ')), 5000);
            disconnect(chosen);
            disconnect(drawn);
            QVERIFY2(!seen.contains(step.from), qPrintable(what + ": shown " + seen.join(' ')));
            QCOMPARE(c->ui().playerView->isPlaying(), step.playing);
        }
        QVERIFY2(s_stalls == 0, qPrintable(QString("the output waited %1 times for a frame to be drawn").arg(s_stalls)));
    }
};

VISTREL_TEST_MAIN(TestSwitchingXvfb)
#include "test_switching_xvfb.moc"
