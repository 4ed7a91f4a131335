// Choosing and playing: continuing through the playlist, skipping what does not open,
// restarting, per-movie positions, the selection message, a slow stream, volume and winding.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "player/QXTimeFormat.h"
#include "ControllerFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QSlider>
#include <QTableView>
#include <QTcpServer>
#include <QtTest>

class TestPlayback : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;

    QUrl clip(const QString &name, double seconds = 1.0)
    {
        return QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), name, 64, 48, seconds, true));
    }
    QXMovie *currentMovie() const { return c->currentMovieRepresentation->openedMovie(); }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void init() { c = testsupport::launchFreshController(dir.path()); }

    void cleanup() { c.reset(); }

    void timeFieldFormat()
    {
        QCOMPARE(QXFormatTime(3725), QString("01:02:05"));
        QCOMPARE(QXFormatTime(59), QString("00:00:59"));
        QCOMPARE(QXFormatTime(360000), QString("100:00:00"));
        c->updateTimeField(30, 90);
        QCOMPARE(c->timeField->text(), QString("00:00:30"));
        QCOMPARE(c->timeRemainderField->text(), QString("00:01:00"));
    }

    void playsThroughToTheEndOfTheLastAndStops()
    {
        QVERIFY(c->openMovies({clip("p1.mp4", 0.6), clip("p2.mp4", 0.6), clip("p3.mp4", 0.6)}, false));
        QTRY_VERIFY(c->playerView->isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(c->currentMovieRepresentation->displayName(), QString("p2.mp4"), 5000);
        QCOMPARE(c->playerHistoryList->selectionModel()->selectedRows().first().row(), 0);   // selection stays
        QTRY_COMPARE_WITH_TIMEOUT(c->currentMovieRepresentation->displayName(), QString("p3.mp4"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!c->playerView->isPlaying(), 5000);
        QTest::qWait(700);   // a timer tick brings the controls along
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("p3.mp4"));
        QVERIFY(!c->playPauseSwitch->isChecked());
        QCOMPARE(c->playPauseMenuItem->text(), QString("Play [Space]"));
        QVERIFY(c->isStopCallbackInstalled);   // armed again at the last entry
    }

    void continuingSkipsWhatDoesNotOpen()
    {
        const QUrl a = clip("s1.mp4", 0.6), gone = clip("s2.mp4", 0.6), b = clip("s3.mp4", 0.6);
        QVERIFY(c->openMovies({a, gone, b}, false));
        // The middle file vanishes after it was listed.
        QVERIFY(QFile::remove(gone.toLocalFile()));
        QCOMPARE(c->movieRepresentations.size(), 3);
        QCOMPARE(c->movieRepresentations.at(1)->URL(), gone);
        QTRY_COMPARE_WITH_TIMEOUT(c->currentMovieRepresentation->URL(), b, 6000);
        QTRY_VERIFY(c->playerView->isPlaying());
        QCOMPARE(c->beepCount(), 0);
        // Chosen directly, the missing one beeps and the current movie stays.
        QVERIFY(!c->chooseMovie(gone, true, true, false));
        QCOMPARE(c->beepCount(), 1);
        QCOMPARE(c->currentMovieRepresentation->URL(), b);
    }

    void choosingTheCurrentAgainRestarts()
    {
        QVERIFY(c->openMovies({clip("r.mp4", 3.0)}, false));
        QTRY_VERIFY(currentMovie()->currentTime().seconds() > 0.5);
        QVERIFY(c->chooseMovie(c->currentMovieRepresentation->URL(), true, false, false));
        QVERIFY(currentMovie()->currentTime().seconds() < 0.2);
        QCOMPARE(c->playerWindow->windowTitle(), QString("r.mp4"));
    }

    void eachEntryResumesWhereItWasLeft()
    {
        QList<QUrl> others;
        for (int i = 0; i < 10; ++i)
            others << clip(QString("o%1.mp4").arg(i), 0.5);
        const QUrl first = clip("first.mp4", 4.0);
        QVERIFY(c->openMovies({first}, false));
        QXMovie *m = currentMovie();
        m->setCurrentTime(QXTime::fromSeconds(2.5));
        c->pause();
        QTRY_VERIFY(qAbs(m->currentTime().seconds() - 2.5) < 0.1);
        for (const QUrl &o : others)
            QVERIFY(c->chooseMovie(o, false, false, false));
        QVERIFY(c->chooseMovie(first, true, false, false));
        QCOMPARE(currentMovie(), m);   // the entry kept its movie
        QTRY_VERIFY2(qAbs(m->currentTime().seconds() - 2.5) < 0.15,
                     qPrintable(QString::number(m->currentTime().seconds())));
    }

    void selectionMessages()
    {
        const QString sound = testsupport::makeAudio(dir.path(), "tune.m4a", 1.0);
        QVERIFY(c->openMovies({QUrl::fromLocalFile(sound)}, false));
        QCOMPARE(c->selectionMessage(), QString("\"tune.m4a\"\nAudio Only"));
        QVERIFY(!c->currentMovieHasVideo);
        c->chooseNoMovie();
        c->playerHistoryList->selectionModel()->select(c->playerHistoryList->model()->index(0, 0),
                                                       QItemSelectionModel::ClearAndSelect);
        QCOMPARE(c->selectionMessage(), QString("\"tune.m4a\"\nDouble-click to open"));
        QXSettings::standard().setBool(true, QXKeys::HidePlaylist);
        QVERIFY(c->selectionMessage().isEmpty());
    }

    void slowStreamShowsLoadingThenPlays()
    {
        // A server in another process: the probe blocks this thread while it reads.
        const QString file = testsupport::ffmpeg(dir.filePath("stream.mp4"),
            {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=3", "-c:v", "libx264",
             "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-movflags", "+faststart"});
        QVERIFY(!file.isEmpty());
        const QString script = QFINDTESTDATA("../support/slow_http_server.py");
        QVERIFY(!script.isEmpty());
        QProcess server;
        server.start("python3", {script, file});
        QVERIFY(server.waitForReadyRead(5000));
        const int port = server.readLine().trimmed().toInt();
        QVERIFY(port > 0);
        const QUrl url(QString("http://127.0.0.1:%1/stream.mp4").arg(port));
        QVERIFY(c->openURLs({url}));
        QCOMPARE(c->selectionMessage(), QString("\"%1\"\nLoading...").arg(url.toString()));
        QVERIFY(!c->currentMovieIsPlayable);
        QTRY_VERIFY_WITH_TIMEOUT(c->currentMovieIsPlayable, 15000);
        QTRY_VERIFY(c->playerView->isPlaying());
        server.kill();
        server.waitForFinished();
    }

    void liveStreamHasNoTimeLine()
    {
        const QString file = testsupport::ffmpeg(dir.filePath("live.ts"),
            {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=2", "-c:v", "libx264",
             "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-f", "mpegts"});
        QVERIFY(!file.isEmpty());
        QProcess server;
        server.start("python3", {QFINDTESTDATA("../support/slow_http_server.py"), file, "--live"});
        QVERIFY(server.waitForReadyRead(5000));
        const int port = server.readLine().trimmed().toInt();
        QVERIFY(c->openURLs({QUrl(QString("http://127.0.0.1:%1/live.ts").arg(port))}));
        QXMovie *m = currentMovie();
        QVERIFY(m);
        QVERIFY(m->duration().isIndefinite());
        QTRY_VERIFY_WITH_TIMEOUT(c->currentMovieIsPlayable, 15000);
        QTRY_VERIFY(c->playerView->isPlaying());
        QVERIFY(c->playerWindow->timeSliderHolder->isHidden());
        QTest::qWait(1200);   // timer ticks
        QCOMPARE(c->timeField->text(), QString("00:00:00"));
        QCOMPARE(c->timeRemainderField->text(), QString("00:00:00"));
        c->setTime(5000, m);   // seeking is ignored
        QCOMPARE(c->timeField->text(), QString("00:00:00"));
        c->chooseNoMovie();
        server.kill();
        server.waitForFinished();
    }

    void volumeMuteAndSteps()
    {
        QVERIFY(c->openMovies({clip("v.mp4", 2.0)}, false));
        c->volumeSlider->setValue(600);
        c->changeVolume();
        QCOMPARE(QXSettings::standard().doubleForKey(QXKeys::Volume), 0.6);
        QVERIFY(!c->muteMenuItem->isChecked());
        c->mute();
        QCOMPARE(c->volumeSlider->value(), 0);
        QCOMPARE(currentMovie()->volume(), 0.0f);
        QVERIFY(c->muteMenuItem->isChecked());
        QCOMPARE(QXSettings::standard().doubleForKey(QXKeys::Volume), 0.6);
        c->mute();
        QCOMPARE(c->volumeSlider->value(), 600);
        QVERIFY(qAbs(currentMovie()->volume() - 0.6f) < 0.001f);
        QVERIFY(!c->muteMenuItem->isChecked());
        // Dragging to 0 marks mute although the mute command was not used.
        c->volumeSlider->setValue(0);
        c->changeVolume();
        QVERIFY(c->muteMenuItem->isChecked());
        QVERIFY(!c->isMuted);
        // Steps clamp at both ends.
        c->volumeSlider->setValue(950);
        c->increaseVolume();
        QCOMPARE(c->volumeSlider->value(), 1000);
        c->volumeSlider->setValue(50);
        c->decreaseVolume();
        QCOMPARE(c->volumeSlider->value(), 0);
        // A newly chosen movie gets the slider's volume.
        c->volumeSlider->setValue(300);
        c->changeVolume();
        QVERIFY(c->openMovies({clip("v2.mp4", 1.0)}, false));
        QVERIFY(qAbs(currentMovie()->volume() - 0.3f) < 0.001f);
    }

    void winding()
    {
        c->wind(true);
        QCOMPARE(c->beepCount(), 1);   // no movie
        QVERIFY(c->openMovies({clip("w.mp4", 30.0)}, false));
        c->pause();
        QXSettings::standard().setInteger(-5, QXKeys::StepInterval);
        currentMovie()->setCurrentTime(QXTime::fromSeconds(3));
        c->wind(true);
        QTRY_VERIFY(qAbs(currentMovie()->currentTime().seconds() - 13) < 0.1);
        c->wind(false);
        c->wind(false);
        QTRY_VERIFY(currentMovie()->currentTime().seconds() < 0.05);   // not below 0
        QXSettings::standard().setInteger(1, QXKeys::StepInterval);
        c->wind(true);
        QTRY_VERIFY(qAbs(currentMovie()->currentTime().seconds() - 1) < 0.1);
        // Forward past the end lands one unit before it.
        currentMovie()->setCurrentTime(QXTime::fromSeconds(29.5));
        c->wind(true);
        QTRY_VERIFY(currentMovie()->currentTime().timeValue >= currentMovie()->duration().timeValue - 60);
        QVERIFY(currentMovie()->currentTime().timeValue < currentMovie()->duration().timeValue);
    }
};

VISTREL_TEST_MAIN(TestPlayback)
#include "test_playback_xvfb.moc"
