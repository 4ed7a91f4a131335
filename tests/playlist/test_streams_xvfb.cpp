// Web addresses as a user opens them, against a real server without byte ranges.
#include "controls/QXSliders.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QLabel>
#include <QProcess>
#include <QTcpServer>
#include <QSystemTrayIcon>
#include <QtTest>

class TestStreams : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QProcess server;
    QString base;
    std::unique_ptr<QXMPController> c;

    QUrl at(const QString &path) const { return QUrl(base + '/' + path); }
    QXMovie *currentMovie() const { return c->playlist().current()->openedMovie(); }
    // A picture-only movie that can start from its first bytes: its index in front, or a stream.
    QString streamable(const QString &name, double seconds, QSize size = {160, 120},
                       const QStringList &format = {"-movflags", "+faststart"})
    {
        const QString picture = QString("testsrc2=size=%1x%2:rate=25:duration=%3").arg(size.width()).arg(size.height()).arg(seconds);
        return testsupport::ffmpeg(dir.filePath(name), QStringList{"-f", "lavfi", "-i", picture, "-c:v", "libx264", "-preset",
                                                                   "ultrafast", "-pix_fmt", "yuv420p"} + format);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(!streamable("clip.mp4", 6.0).isEmpty());
        // An MP4 whose index is at its end cannot start over a connection that cannot seek.
        QVERIFY(!testsupport::makeVideo(dir.path(), "tail.mp4", 320, 240, 8.0, true).isEmpty());
        QVERIFY(!testsupport::makeFile(dir.path(), "notes.mp4", QByteArray(20000, 'x')).isEmpty());
        base = testsupport::startServer(server, {testsupport::supportFile("test_http_server.py"), dir.path()});
        QVERIFY(!base.isEmpty());
    }
    void cleanupTestCase()
    {
        c.reset();
        server.kill();
        server.waitForFinished();
    }
    void init() { testsupport::launchFreshController(c, dir.path()); }
    void cleanup() { c.reset(); }

    void failuresSayWhy_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 freePort = closed.serverPort();
        closed.close();
        QTest::newRow("refused") << QString("http://127.0.0.1:%1/x.mp4").arg(freePort) << "connection refused";
        QTest::newRow("404") << "plain/missing.mp4" << "server answered 404";
        QTest::newRow("closed at once") << "close/x.mp4" << "closed the connection";
        QTest::newRow("no movie") << "plain/notes.mp4" << "not a movie";
        QTest::newRow("index at the end") << "plain/tail.mp4" << "before anything could be played";
        QTest::newRow("silent") << "silent/x.mp4" << "no answer within 5 seconds";
        QTest::newRow("no HTTP answer") << "garbage/x.mp4" << "not a movie";
        QTest::newRow("redirect loop") << "loop/x.mp4" << "too many redirects";
        QTest::newRow("redirect to file:") << "tofile/clip.mp4" << "redirect refused";
        // Answered at once, but what comes never turns into a movie.
        QTest::newRow("endless body") << "endless/x.mp4" << "not a movie";
    }
    void failuresSayWhy()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        const QUrl url = path.startsWith("http") ? QUrl(path) : at(path);
        QElapsedTimer opening;
        opening.start();
        QVERIFY(c->openURLs({url}));
        // Listed and loading at once: the window never waits on the network.
        QVERIFY2(opening.elapsed() < 500, qPrintable(QString::number(opening.elapsed())));
        QCOMPARE(c->selectionMessage(), QString("\"%1\"\nLoading...").arg(url.toString()));
        VERIFY_SOON(c->selectionMessage().contains("Cannot open: "), 9000);
        QVERIFY2(c->selectionMessage().endsWith(reason), qPrintable(c->selectionMessage()));
        QCOMPARE(c->beepCount(), 1);
        QVERIFY(!c->ui().playPauseMenuItem->isEnabled());
        QCOMPARE(c->playlist().count(), 1);
        // On screen the failure reads at once: dark on the light ground.
        VERIFY_SOON(c->ui().playerWindow->isVisible(), 5000);
        double contrast = 0;
        QImage shown;
        VERIFY2_SOON((contrast = testsupport::textContrast(shown = testsupport::grabOnScreen(c->ui().playerView))) >= 4.5,
                     qPrintable(QString("contrast %1").arg(contrast)), 5000);
        const QString shots = qEnvironmentVariable("VISTREL_SHOTS", "/tmp/vistrel-shots");
        QDir().mkpath(shots);
        shown.save(QDir(shots).filePath(QString("failure %1.png").arg(QTest::currentDataTag())));
    }

    void continuingGoesPastFailedStreamsAndRetriesOnChoice()
    {
        const QString first = testsupport::makeVideo(dir.path(), "first.mp4", 64, 48, 0.6);
        const QString last = testsupport::makeVideo(dir.path(), "last.mp4", 64, 48, 3.0);
        testsupport::launchFreshController(c, dir.path(), {{"Do Not Forget Playlist On Quit", true},
            {"Playlist Movies", QJsonArray{QJsonObject{{"Path", first}}, QJsonObject{{"URL", at("plain/late.mp4").toString()}},
                                           QJsonObject{{"URL", at("close/y.mp4").toString()}}, QJsonObject{{"Path", last}}}}});
        QVERIFY(c->chooseMovie(QUrl::fromLocalFile(first), true, true, false));
        QTRY_COMPARE_WITH_TIMEOUT(c->playlist().current()->URL(), QUrl::fromLocalFile(last), 10000);
        VERIFY_SOON(c->ui().playerView->isPlaying(), 5000);
        QCOMPARE(c->beepCount(), 2);

        // The missing one is there now: choosing it again tries again, and it plays.
        QVERIFY(QFile::copy(dir.filePath("clip.mp4"), dir.filePath("late.mp4")));
        QVERIFY(c->chooseMovie(at("plain/late.mp4"), true, true, false));
        VERIFY_SOON(c->isCurrentMoviePlayable(), 8000);
        VERIFY_SOON(c->ui().playerView->isPlaying(), 5000);
        QCOMPARE(c->beepCount(), 2);
    }

    void noRangeStreamPlaysFromItsStartAndDraws()
    {
        // Held back at launch (which takes a tray to come back from), shown when the movie is
        // chosen; five times, as a user would.
        QProcess tray;
        tray.start("trayer", {});
        VERIFY_SOON(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        for (int round = 0; round < 5; ++round) {
            testsupport::launchFreshController(c, dir.path(), {{"Do Not Show Window On Startup", true}});
            QVERIFY(!c->ui().playerWindow->isVisible());
            QVERIFY(c->openURLs({at("plain/clip.mp4")}));
            QVERIFY(c->ui().playerWindow->isVisible());
            VERIFY_SOON(c->ui().playerView->isPlaying(), 8000);
            QVERIFY2(currentMovie()->currentTime().seconds() < 1.5,
                     qPrintable(QString::number(currentMovie()->currentTime().seconds())));
            VERIFY_SOON(c->ui().playerView->framesDrawn() > 10, 8000);
            QVERIFY(testsupport::colourfulShare(c->ui().playerView->grabFramebuffer(), 120) > 0.3);
            QTRY_COMPARE_WITH_TIMEOUT(c->controlBar()->timeField()->text(), QString("00:00:02"), 5000);
        }
        tray.kill();
        tray.waitForFinished();
    }

    void playedToItsEndPlaysAgainFromItsStart()
    {
        QVERIFY(!streamable("short.mp4", 2.0).isEmpty());
        QVERIFY(c->openURLs({at("plain/short.mp4")}));
        VERIFY_SOON(c->ui().playerView->isPlaying(), 8000);
        VERIFY_SOON(!c->ui().playerView->isPlaying(), 8000);
        QCOMPARE(c->controlBar()->timeField()->text(), QString("00:00:02"));
        const int drawn = c->ui().playerView->framesDrawn();
        QTest::mouseClick(c->controlBar()->playPauseSwitch(), Qt::LeftButton);
        VERIFY2_SOON(c->ui().playerView->isPlaying() && currentMovie()->currentTime().seconds() < 1.5
                         && c->ui().playerView->framesDrawn() > drawn + 5,
                     qPrintable(QString("playing %1 at %2 s, %3 frames drawn since the click, %4 beeps")
                                    .arg(c->ui().playerView->isPlaying()).arg(currentMovie()->currentTime().seconds())
                                    .arg(c->ui().playerView->framesDrawn() - drawn).arg(c->beepCount())), 8000);
    }

    void refusedSeekKeepsTheRealPlace()
    {
        // Slowly served and without ranges: the end is not loaded, and cannot be reached.
        QVERIFY(!streamable("long.mp4", 30.0, {320, 240}).isEmpty());
        QVERIFY(c->openURLs({at("slow/long.mp4")}));
        VERIFY_SOON(c->ui().playerView->isPlaying(), 10000);
        c->transport()->setTime(qint64(currentMovie()->duration().timeValue * 0.9), currentMovie());
        QTRY_COMPARE_WITH_TIMEOUT(c->beepCount(), 1, 4000);
        QTest::qWait(600);
        QVERIFY2(currentMovie()->currentTime().seconds() < 10,
                 qPrintable(QString::number(currentMovie()->currentTime().seconds())));
        QVERIFY(c->controlBar()->timeField()->text() < QString("00:00:10"));
    }

    void liveStreamHasNoTimeLineAndDoesNotWind()
    {
        QVERIFY(!streamable("live.ts", 2.0, {64, 48}, {"-f", "mpegts"}).isEmpty());
        QVERIFY(c->openURLs({at("live/live.ts")}));
        VERIFY_SOON(c->ui().playerView->isPlaying(), 10000);
        QVERIFY(currentMovie()->duration().isIndefinite());
        QVERIFY(c->controlBar()->timeSlider()->parentWidget()->isHidden());
        QTest::qWait(1200);   // timer ticks
        QCOMPARE(c->controlBar()->timeField()->text(), QString("00:00:00"));
        QCOMPARE(c->controlBar()->timeRemainderField()->text(), QString("00:00:00"));
        c->transport()->wind(true);
        QCOMPARE(c->beepCount(), 1);
        c->transport()->setTime(5000, currentMovie());   // ignored
        QCOMPARE(c->controlBar()->timeField()->text(), QString("00:00:00"));
    }
};

VISTREL_TEST_MAIN(TestStreams)
#include "test_streams_xvfb.moc"
