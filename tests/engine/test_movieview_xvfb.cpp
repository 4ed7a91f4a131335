// The movie view under a real X server: mpv's pictures reach the widget, or the message shows.
#include "TestSupport.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"

#include <QImage>
#include <QVBoxLayout>
#include <QtTest>

using namespace testsupport;

namespace {

// Distinct colours, coarsely quantised: the test picture has many.
int coloursOf(const QImage &image)
{
    QSet<int> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            colours.insert((qRed(p) / 32) << 6 | (qGreen(p) / 32) << 3 | (qBlue(p) / 32));
        }
    return int(colours.size());
}

// A window of the given size filled by view (taken from any window it was in).
std::unique_ptr<QWidget> windowAround(QXMovieView *view, const QSize &size)
{
    auto window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    window->resize(size);
    return window;
}

} // namespace

class TestMovieViewXvfb : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { useQuietEngineOutput(); } // the real OpenGL path, no sound

    void picturesThenMessage()
    {
        // No sound: a movie whose only stream is the picture must survive being attached
        // before any render context exists.
        const QString clip = makeVideo(m_dir.path(), "picture.mp4", 320, 240, 8.0, false);
        QVERIFY(!clip.isEmpty());
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(clip));
        QVERIFY(movie);

        auto *view = new QXMovieView;
        view->setMessageProvider([] { return QStringLiteral("\"picture\"\nAudio Only"); });
        const std::unique_ptr<QWidget> window = windowAround(view, {320, 240});
        view->setMovie(movie.get());
        movie->play();
        QTest::qWait(300);   // the file opens while the view is still hidden
        QVERIFY(movie->isPlaying());

        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        VERIFY_SOON(view->framesDrawn() >= 5, 8000);
        const QImage shown = view->grabFramebuffer();
        QVERIFY2(coloursOf(shown) > 20 && colourfulShare(shown, 120) > 0.3,
                 qPrintable(QString("colours %1 saturated %2").arg(coloursOf(shown)).arg(colourfulShare(shown, 120))));

        // Moving to another top-level window makes a new GL context; pictures go on.
        const std::unique_ptr<QWidget> second = windowAround(view, {400, 300});
        second->show();
        QVERIFY(QTest::qWaitForWindowExposed(second.get()));
        const quint64 before = view->framesDrawn();
        VERIFY_SOON(view->framesDrawn() >= before + 5, 8000);
        QVERIFY(movie->isPlaying());
        const double moved = colourfulShare(view->grabFramebuffer(), 120);
        QVERIFY2(moved > 0.3, qPrintable(QString::number(moved)));
        QCOMPARE(QXMovieEngine::liveHandleCount(), 1);

        // Without a movie: the light grey ground and the message a shade darker.
        view->setMovie(nullptr);
        QVERIFY(!movie->isAttached());
        const QImage message = view->grabFramebuffer();
        const auto share = [](const QImage &image, int grey) {
            const auto isGrey = [grey](QRgb p) { return qAbs(qRed(p) - grey) <= 1 && qRed(p) == qBlue(p); };
            return double(countPixels(image, isGrey)) / (image.width() * image.height());
        };
        const int ground = QXMessageGround().red(), ink = QXMessageInk(false).red();
        QVERIFY2(share(message, ground) > 0.5 && share(message, ink) > 0.01,
                 qPrintable(QString("ground %1 text %2").arg(share(message, ground)).arg(share(message, ink))));

        // A movie without a picture shows the message as well, and still plays.
        const QString tone = makeAudio(m_dir.path(), "tone.wav", 3.0);
        std::unique_ptr<QXMovie> sound(QXMovie::movieWithFile(tone));
        QVERIFY(sound);
        view->setMovie(sound.get());
        sound->play();
        VERIFY_SOON(sound->currentTime().seconds() > 0.2, 3000);
        const QImage audioOnly = view->grabFramebuffer();
        QVERIFY(share(audioOnly, ground) > 0.5 && share(audioOnly, ink) > 0.01);

        // And back to the first movie: its pictures again.
        view->setMovie(movie.get());
        const quint64 again = view->framesDrawn();
        VERIFY_SOON(view->framesDrawn() >= again + 3, 8000);
        delete view;   // frees the render context while its GL context is alive
        QCOMPARE(QXMovieEngine::liveHandleCount(), 1);
    }

    void messageDrawnOnThePictureForAWhile()
    {
        // A still black picture: anything light on it is the message.
        const QString black = ffmpeg(m_dir.filePath("black.mp4"),
                                     {"-f", "lavfi", "-i", "color=black:size=480x270:rate=25:duration=6", "-pix_fmt", "yuv420p"});
        QVERIFY(!black.isEmpty());
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(black));
        QVERIFY(movie);
        auto *view = new QXMovieView;
        const std::unique_ptr<QWidget> window = windowAround(view, {480, 270});
        view->setMovie(movie.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        movie->play();
        VERIFY_SOON(view->framesDrawn() >= 3, 8000);
        movie->stop();
        const auto lightPixels = [&] {
            return countPixels(grabOnScreen(view), [](QRgb p) { return qGray(p) > 128; });
        };
        QCOMPARE(lightPixels(), 0);

        // Paused; a file name that looks like mpv's property syntax is not expanded.
        movie->showMessage(QStringLiteral("Saved ${filename} to Pictures"), 1200);
        VERIFY_SOON(lightPixels() > 150, 3000);
        VERIFY_SOON(lightPixels() == 0, 4000);

        // Detached, it has no picture to go on: nothing is kept for later.
        view->setMovie(nullptr);
        movie->showMessage(QStringLiteral("Too late"), 3000);
        view->setMovie(movie.get());
        VERIFY_SOON(view->framesDrawn() >= 2, 8000);
        QTest::qWait(300);
        QCOMPARE(lightPixels(), 0);
        delete view;
    }
};

QTEST_MAIN(TestMovieViewXvfb)
#include "test_movieview_xvfb.moc"
