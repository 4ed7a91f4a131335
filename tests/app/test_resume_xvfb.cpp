// Positions kept across launches, as the player records and uses them within one run: the movie
// left is recorded when another is chosen, the playlist is cleared or its entry deleted; a
// movie's first opening in a run starts at its kept position, later ones where the entry was;
// nothing is used or recorded with the setting off, nor for a stream.
#include "app/QXResumePositions.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"
#include "player/QXTransport.h"
#include "ControllerFixture.h"

#include <QtTest>

class TestResume : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;
    QList<QUrl> clips;

    // What the file beside the settings says of a movie (-1: nothing), once written.
    static double kept(const QUrl &url)
    {
        QString problem;
        const auto store = QXPositionStore::fromBytes(testsupport::readFile(QXResumeKeeper::standardFilePath()), &problem);
        return store ? store->position(QXPositionStore::keyOf(url.toEncoded())).value_or(-1) : -1;
    }
    double seconds() const { return c->playlist().current()->openedMovie()->currentTime().seconds(); }
    // A fresh player, paused on opening, with positions kept by an earlier launch; both movies
    // listed, the first chosen.
    void launch(const QList<std::pair<QUrl, double>> &earlier, bool resume = true)
    {
        c.reset();
        testsupport::useFreshSettings(dir.path());
        QXSettings::standard().setBool(true, QXKeys::DoNotPlayOnOpen);
        QXSettings::standard().setBool(!resume, QXKeys::DoNotResumeMovies);
        QXPositionStore store;
        for (const auto &[url, at] : earlier)
            store.record(QXPositionStore::keyOf(url.toEncoded()), at);
        QDir().mkpath(QFileInfo(QXResumeKeeper::standardFilePath()).path());
        QVERIFY(!testsupport::makeFile(QFileInfo(QXResumeKeeper::standardFilePath()).path(), "positions.json", store.toBytes()).isEmpty());
        c = std::make_unique<QXMPController>();
        c->applicationDidFinishLaunching();
        QVERIFY(c->openMovies(clips, false));
        VERIFY_SOON(c->isCurrentMoviePlayable(), 5000);
    }
    void seek(double to)
    {
        c->transport()->setTime(qint64(to * 1000), c->playlist().current()->openedMovie());
        VERIFY_SOON(qAbs(seconds() - to) < 0.1, 5000);
    }
    void choose(int row)
    {
        QVERIFY(c->chooseMovie(c->playlist().at(row)->URL(), true, false, false));
        VERIFY_SOON(c->isCurrentMoviePlayable(), 5000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        for (const char *name : {"a.mp4", "b.mp4"})
            clips << QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), name, 320, 240, 60.0, false));
    }
    void cleanupTestCase() { c.reset(); }

    // Another chosen, the playlist cleared: each movie left is on disk within the write delay.
    void recordedWhenLeft()
    {
        launch({});
        seek(30);
        choose(1);
        VERIFY_SOON(qAbs(kept(clips[0]) - 30) < 0.5, QXResumeKeeper::WriteDelayMs + 1000);
        seek(20);
        c->clearPlaylist();
        VERIFY_SOON(qAbs(kept(clips[1]) - 20) < 0.5, QXResumeKeeper::WriteDelayMs + 1000);
        // Deleting the entry that plays leaves it too; near its start it is forgotten.
        QVERIFY(c->openMovies(clips.mid(0, 1), false));
        VERIFY_SOON(c->isCurrentMoviePlayable() && qAbs(seconds() - 30) < 0.5, 5000);
        seek(5);
        c->tableViewDeleteObjectAtRow(0);
        VERIFY_SOON(kept(clips[0]) < 0, QXResumeKeeper::WriteDelayMs + 1000);
    }

    // Kept at 0:30 by an earlier launch: the first opening starts there; moved to 0:05 and
    // left, the entry comes back at 0:05 in this run, and the kept position is gone.
    void firstOpeningResumesLaterOnesKeepTheirPlace()
    {
        launch({{clips[0], 30.0}, {clips[1], 58.0}});
        QVERIFY(qAbs(seconds() - 30) < 0.5);
        seek(5);
        choose(1);
        QCOMPARE(seconds(), 0.0);   // kept in its last 5 %: from the start
        choose(0);
        QVERIFY(qAbs(seconds() - 5) < 0.5);
        c->runQuitSteps();
        QCOMPARE(kept(clips[0]), -1.0);
    }

    // A stream's length is known too late to start it where it was left: it is not kept.
    void streamsAreNotKept()
    {
        // Matroska: an MP4 from ffmpeg has its index at its end, which no stream without byte
        // ranges reaches.
        QVERIFY(!testsupport::ffmpeg(dir.filePath("s.mkv"), {"-i", clips[0].toLocalFile(), "-c", "copy"}).isEmpty());
        QProcess server;
        const QUrl stream(testsupport::startServer(server, {testsupport::supportFile("test_http_server.py"), dir.path()}) + "/plain/s.mkv");
        launch({});
        QVERIFY(c->openURLs({stream}));
        VERIFY_SOON(c->isCurrentMoviePlayable() && c->playlist().current()->URL() == stream, 10000);
        // Played past 10 s (a stream without byte ranges seeks only within what it has).
        QXMovieEngine::existing()->setSpeed(4.0);
        c->play();
        VERIFY_SOON(seconds() > 11, 10000);
        QXMovieEngine::existing()->setSpeed(1.0);
        choose(0);
        c->runQuitSteps();
        QCOMPARE(kept(stream), -1.0);
        server.kill();
        server.waitForFinished();
    }

    void notWithTheSettingOff()
    {
        launch({{clips[0], 30.0}}, false);
        QCOMPARE(seconds(), 0.0);
        seek(40);
        c->runQuitSteps();
        QCOMPARE(kept(clips[0]), 30.0);
    }
};

VISTREL_TEST_MAIN(TestResume)
#include "test_resume_xvfb.moc"
