// Playback on the shared player, no window showing the picture.
#include "TestSupport.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"

#include <QtTest>

#include <mpv/client.h>

using namespace testsupport;

namespace {

// A property of the shared player, or -1 when there is none.
template <typename T, mpv_format Format> T mpvProperty(const char *name)
{
    T value = -1;
    QXMovieEngine *engine = QXMovieEngine::existing();
    return engine && mpv_get_property(engine->handle(), name, Format, &value) >= 0 ? value : T(-1);
}
double mpvDouble(const char *name) { return mpvProperty<double, MPV_FORMAT_DOUBLE>(name); }
qint64 mpvInt(const char *name) { return mpvProperty<int64_t, MPV_FORMAT_INT64>(name); }
int mpvFlag(const char *name) { return mpvProperty<int, MPV_FORMAT_FLAG>(name); }
bool fileLoaded() { return QXMovieEngine::existing() && QXMovieEngine::existing()->isFileLoaded(); }

} // namespace

class TestMoviePlayback : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_short; // 1 s
    QString m_long;  // 2 s
    QXMovieView *m_view = nullptr;

private slots:
    void initTestCase()
    {
        useQuietEngineOutput();
        m_short = makeVideo(m_dir.path(), "short.mp4", 160, 120, 1.0);
        m_long = makeVideo(m_dir.path(), "long.mp4", 160, 120, 2.0);
        QVERIFY(!m_short.isEmpty() && !m_long.isEmpty());
    }

    void init() { m_view = new QXMovieView; }
    void cleanup()
    {
        delete m_view;
        QVERIFY(QXMovieEngine::liveHandleCount() <= 1); // one player for the whole process
    }

    // Only reaching the end while playing fires the callback, once per arming and cleared
    // before it runs: not a seek of a paused movie to its end, not the end of some other
    // (detached) movie, not a disposed callback. Play at the end starts from the start.
    void endCallback()
    {
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(m_short)), other(QXMovie::movieWithFile(m_short));
        QVERIFY(movie && other);
        int fired = 0, otherFired = 0;
        bool armedInside = true;
        const auto arm = [&] { return movie->armStopCallback([&] { ++fired, armedInside = movie->isStopCallbackArmed(); }); };
        QVERIFY(arm() && other->armStopCallback([&] { ++otherFired; }));
        other->play(); // detached: only a wish
        m_view->setMovie(movie.get());
        QVERIFY(movie->isAttached());
        VERIFY_SOON(fileLoaded(), 3000);
        movie->setCurrentTime(movie->duration());
        QTest::qWait(600);
        QVERIFY(fired == 0 && movie->isStopCallbackArmed());
        movie->setCurrentTime(QXTime::fromSeconds(0.5));
        for (int round = 1; round <= 2; ++round) {
            m_view->play();
            QCOMPARE(movie->rate(), 1.0f);
            VERIFY_SOON(fileLoaded() && mpvDouble("time-pos") < 0.9, 2000);
            QTRY_COMPARE_WITH_TIMEOUT(fired, round, 5000);
            QVERIFY(!armedInside);
            QTest::qWait(400);
            QCOMPARE(fired, round);
            QVERIFY(movie->rate() == 0.0f && !m_view->isPlaying() && !movie->isStopCallbackArmed());
            QVERIFY(qAbs(movie->currentTime().seconds() - movie->duration().seconds()) < 0.05);
            QVERIFY(arm());
        }
        movie->setCurrentTime(QXTime::fromSeconds(0.6));
        movie->disposeStopCallback();
        movie->play();
        VERIFY_SOON(!movie->isPlaying(), 3000);
        QTest::qWait(200);
        QVERIFY(fired == 2 && otherFired == 0 && other->rate() == 0.0f);
    }

    // A detached movie keeps its position and play wish and resumes there when attached.
    void detachedMovieResumesWhereItWas()
    {
        std::unique_ptr<QXMovie> a(QXMovie::movieWithFile(m_long)), b(QXMovie::movieWithFile(m_short));
        QVERIFY(a && b);
        m_view->setMovie(a.get());
        VERIFY_SOON(fileLoaded(), 3000);
        a->setCurrentTime(QXTime::fromSeconds(0.7));
        VERIFY_SOON(qAbs(mpvDouble("time-pos") - 0.7) < 0.05, 2000);

        m_view->setMovie(b.get());
        QVERIFY(!a->isAttached() && b->isAttached());
        QVERIFY2(qAbs(a->currentTime().seconds() - 0.7) < 0.05, qPrintable(QString::number(a->currentTime().seconds())));
        a->play(); // remembered for later
        QCOMPARE(a->rate(), 0.0f);
        VERIFY_SOON(fileLoaded(), 3000);
        QVERIFY(mpvDouble("time-pos") < 0.1); // b starts at its own position

        m_view->setMovie(a.get());
        VERIFY_SOON(fileLoaded(), 3000);
        const double resumed = mpvDouble("time-pos");
        QVERIFY2(resumed > 0.6 && resumed < 1.2, qPrintable(QString::number(resumed)));
        QCOMPARE(a->rate(), 1.0f);
        VERIFY_SOON(a->currentTime().seconds() > resumed + 0.2, 2000);
        a.reset(); // deleting the playing, attached movie leaves the view empty and the player idle
        QVERIFY(!m_view->movie() && !QXMovieEngine::existing()->attachedMovie() && !m_view->isPlaying());
        VERIFY_SOON(mpvDouble("time-pos") < 0, 2000);
    }

    // Kept within range, and set without waiting for the player, which gets there in order;
    // set while detached, applied when attached.
    void volumeAndAngleReachThePlayer()
    {
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(m_short));
        QVERIFY(movie);
        const struct { float set, kept; int angle, stored; } rows[] = {
            {0.5f, 0.5f, -270, 90}, {0.25f, 0.25f, 180, 180}, {3.0f, 1.0f, 450, 90}, {-1.0f, 0.0f, -90, 270}, {0.75f, 0.75f, 360, 0}};
        for (const auto &r : rows) {
            movie->setVolume(r.set);
            movie->setAngle(r.angle);
            if (!movie->isAttached())
                m_view->setMovie(movie.get());
            QVERIFY(movie->volume() == r.kept && movie->angle() == r.stored);
            QTRY_COMPARE(mpvDouble("volume"), double(r.kept) * 100.0);
            QTRY_COMPARE(mpvInt("video-rotate"), qint64(r.stored));
        }
    }

    // A file opened ahead (at launch, before its movie exists) is taken over by the movie of
    // that address attached at its start, which gets its own volume and pause; a movie elsewhere
    // in the file, a turned one or another file loads anew; one nobody took is closed.
    void fileOpenedAheadIsTakenOver()
    {
        const struct
        {
            const char *name;
            bool sameFile;
            double at;
            int angle;
            bool plays;
            bool takenOver;
        } rows[] = {
            {"same file, playing", true, 0, 0, true, true},
            {"same file, paused", true, 0, 0, false, true},
            {"same file, later", true, 1.0, 0, true, false},
            {"same file, turned", true, 0, 90, false, false},
            {"another file", false, 0, 0, true, false},
        };
        for (const auto &r : rows) {
            const QString what = QString::fromLatin1(r.name);
            QXMovieEngine *engine = QXMovieEngine::shared();
            QVERIFY(engine && !engine->hasFile());
            engine->loadAhead(QUrl::fromLocalFile(m_long));
            VERIFY_SOON(fileLoaded(), 3000);
            const qint64 entry = mpvInt("playlist/0/id");
            QVERIFY(mpvFlag("pause") == 1);

            std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(r.sameFile ? m_long : m_short));
            QVERIFY(movie);
            movie->setVolume(0.25f);
            movie->setAngle(r.angle);
            if (r.at > 0)
                movie->setCurrentTime(QXTime::fromSeconds(r.at));
            if (r.plays)
                movie->play();
            m_view->setMovie(movie.get());
            VERIFY2_SOON(fileLoaded() && mpvDouble("time-pos") >= r.at - 0.05, qPrintable(what), 3000);
            QVERIFY2((mpvInt("playlist/0/id") == entry) == r.takenOver, qPrintable(what));
            char *path = mpv_get_property_string(engine->handle(), "path");
            QVERIFY2(QString::fromUtf8(path).endsWith(r.sameFile ? "long.mp4" : "short.mp4"), qPrintable(what));
            mpv_free(path);
            VERIFY2_SOON(mpvDouble("volume") == 25.0 && mpvInt("video-rotate") == r.angle && mpvFlag("pause") == !r.plays,
                         qPrintable(what), 2000);
            if (r.plays)
                VERIFY2_SOON(movie->currentTime().seconds() > r.at + 0.3, qPrintable(what), 3000);
            else
                QVERIFY2(movie->currentTime().seconds() < 0.05, qPrintable(what));
            m_view->setMovie(nullptr);
            VERIFY_SOON(!engine->hasFile(), 2000);
        }

        // Not taken: closed once the launch has chosen, and no movie is attached by it.
        QXMovieEngine *engine = QXMovieEngine::shared();
        engine->loadAhead(QUrl::fromLocalFile(m_long));
        VERIFY_SOON(fileLoaded(), 3000);
        engine->dropLoadAhead();
        QVERIFY(!engine->hasFile() && !engine->attachedMovie());
        VERIFY_SOON(mpvFlag("idle-active") == 1, 2000);
    }

    void framesStepBothWays()
    {
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(m_long));
        QVERIFY(movie);
        movie->setCurrentTime(QXTime::fromSeconds(1.0));
        m_view->setMovie(movie.get());
        // Stepped once the opening seek is done: a step before it is taken by the seek's frame.
        VERIFY_SOON(fileLoaded() && mpvDouble("time-pos") >= 0.95 && mpvFlag("seeking") == 0, 8000);
        const double start = mpvDouble("time-pos");
        movie->stepForward();
        VERIFY_SOON(mpvDouble("time-pos") > start + 0.02, 8000);
        QCOMPARE(movie->rate(), 0.0f);
        const double forward = mpvDouble("time-pos");
        QVERIFY(forward < start + 0.1); // one frame at 25 fps, not playback
        movie->stepBackward();
        VERIFY_SOON(mpvDouble("time-pos") < forward - 0.02, 8000);
        QCOMPARE(movie->rate(), 0.0f);
    }

    // A file that vanishes after the probe fails in the player: the movie says so, once.
    void playerErrorBecomesLoadState()
    {
        const QString path = QDir(m_dir.path()).filePath("vanishing.mp4");
        QVERIFY(QFile::copy(m_short, path));
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(path));
        QVERIFY(movie && QFile::remove(path));
        QSignalSpy own(movie.get(), &QXMovie::loadStateDidChange);
        QSignalSpy any(QXMovieCenter::shared(), &QXMovieCenter::movieLoadStateDidChange);
        m_view->setMovie(movie.get());
        movie->play();
        QTRY_COMPARE_WITH_TIMEOUT(movie->loadState(), long(QXMovieLoadStateError), 3000);
        QVERIFY(own.count() == 1 && any.count() == 1);
        QCOMPARE(any.first().first().value<QXMovie *>(), movie.get());
        QCOMPARE(movie->rate(), 0.0f);
    }
};

QTEST_MAIN(TestMoviePlayback)
#include "test_movieplayback.moc"
