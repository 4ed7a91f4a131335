// The movie view under a real X server: mpv's pictures reach the widget (also after the view
// moves to another window, as for presentation mode) and the message replaces them when
// there is no picture.
#include "TestSupport.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"

#include <QImage>
#include <QVBoxLayout>
#include <QtTest>

using namespace testsupport;

namespace {

// Shares of clearly coloured, near-white and near-black pixels, and the distinct colours
// (coarsely quantised).
struct PictureStats
{
    double saturated = 0, white = 0, black = 0;
    int colours = 0;
};

PictureStats statsOf(const QImage &image)
{
    PictureStats s;
    QSet<int> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            colours.insert((c.red() / 32) << 6 | (c.green() / 32) << 3 | (c.blue() / 32));
            const int hi = qMax(c.red(), qMax(c.green(), c.blue())), lo = qMin(c.red(), qMin(c.green(), c.blue()));
            s.saturated += hi - lo > 80, s.white += lo > 200, s.black += hi < 30;
        }
    const double total = qMax(1, image.width() * image.height());
    return {s.saturated / total, s.white / total, s.black / total, int(colours.size())};
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
        const PictureStats shown = statsOf(view->grabFramebuffer());
        QVERIFY2(shown.colours > 20 && shown.saturated > 0.3,
                 qPrintable(QString("colours %1 saturated %2").arg(shown.colours).arg(shown.saturated)));

        // Moving to another top-level window makes a new GL context; pictures go on.
        const std::unique_ptr<QWidget> second = windowAround(view, {400, 300});
        second->show();
        QVERIFY(QTest::qWaitForWindowExposed(second.get()));
        const quint64 before = view->framesDrawn();
        VERIFY_SOON(view->framesDrawn() >= before + 5, 8000);
        QVERIFY(movie->isPlaying());
        const PictureStats moved = statsOf(view->grabFramebuffer());
        QVERIFY2(moved.saturated > 0.3, qPrintable(QString::number(moved.saturated)));
        QCOMPARE(QXMovieEngine::liveHandleCount(), 1);

        // Without a movie: the light grey ground and the message a shade darker.
        view->setMovie(nullptr);
        QVERIFY(!movie->isAttached());
        const QImage message = view->grabFramebuffer();
        const auto share = [](const QImage &image, int grey) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += qAbs(qRed(image.pixel(x, y)) - grey) <= 1 && qRed(image.pixel(x, y)) == qBlue(image.pixel(x, y));
            return double(n) / (image.width() * image.height());
        };
        QVERIFY2(share(message, 237) > 0.5 && share(message, 227) > 0.01,
                 qPrintable(QString("ground %1 text %2").arg(share(message, 237)).arg(share(message, 227))));

        // A movie without a picture shows the message as well, and still plays.
        const QString tone = makeAudio(m_dir.path(), "tone.wav", 3.0);
        std::unique_ptr<QXMovie> sound(QXMovie::movieWithFile(tone));
        QVERIFY(sound);
        view->setMovie(sound.get());
        sound->play();
        VERIFY_SOON(sound->currentTime().seconds() > 0.2, 3000);
        const QImage audioOnly = view->grabFramebuffer();
        QVERIFY(share(audioOnly, 237) > 0.5 && share(audioOnly, 227) > 0.01);

        // And back to the first movie: its pictures again.
        view->setMovie(movie.get());
        const quint64 again = view->framesDrawn();
        VERIFY_SOON(view->framesDrawn() >= again + 3, 8000);
        delete view;   // frees the render context while its GL context is alive
        QCOMPARE(QXMovieEngine::liveHandleCount(), 1);
    }
};

QTEST_MAIN(TestMovieViewXvfb)
#include "test_movieview_xvfb.moc"
