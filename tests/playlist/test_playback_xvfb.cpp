// Choosing and playing: continuing through the playlist, skipping what does not open,
// restarting, per-movie positions, the selection message, a slow stream, volume and winding.
#include "app/QXMPController.h"
#include "controls/QXSliders.h"
#include "playlist/QXMovieTableView.h"
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
#include <QJsonArray>
#include <QTableView>
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

    void init() { testsupport::launchFreshController(c, dir.path()); }

    void cleanup() { c.reset(); }

    void timeFieldFormat()
    {
        QCOMPARE(QXFormatTime(3725), QString("01:02:05"));
        QCOMPARE(QXFormatTime(360000), QString("100:00:00"));
        c->updateTimeField(30, 90);
        QCOMPARE(c->timeField->text(), QString("00:00:30"));
        QCOMPARE(c->timeRemainderField->text(), QString("00:01:00"));
    }

    void playsThroughToTheEndOfTheLastAndStops()
    {
        QVERIFY(c->openMovies({clip("p1.mp4", 0.6), clip("p2.mp4", 0.6), clip("p3.mp4", 0.6)}, false));
        VERIFY_SOON(c->playerView->isPlaying(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(c->currentMovieRepresentation->displayName(), QString("p2.mp4"), 5000);
        QCOMPARE(c->playerHistoryList->selectionModel()->selectedRows().first().row(), 0);   // selection stays
        QTRY_COMPARE_WITH_TIMEOUT(c->currentMovieRepresentation->displayName(), QString("p3.mp4"), 5000);
        VERIFY_SOON(!c->playerView->isPlaying(), 5000);
        QTest::qWait(700);   // a timer tick brings the controls along
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("p3.mp4"));
        QVERIFY(!c->playPauseSwitch->isChecked());
        QCOMPARE(c->playPauseMenuItem->text(), QString("Play"));
        QVERIFY(c->isStopCallbackInstalled);   // armed again at the last entry
    }

    void choosingTheCurrentRestartsAndAVanishedFileBeeps()
    {
        const QUrl a = clip("r.mp4", 3.0), gone = clip("s2.mp4", 0.6);
        QVERIFY(c->openMovies({a, gone}, false));
        VERIFY_SOON(currentMovie()->currentTime().seconds() > 0.5, 5000);
        QVERIFY(c->chooseMovie(a, true, false, false));
        QVERIFY(currentMovie()->currentTime().seconds() < 0.2);
        QCOMPARE(c->playerWindow->windowTitle(), QString("r.mp4"));
        // Vanished after it was listed: chosen directly, it beeps and the current movie stays.
        QVERIFY(QFile::remove(gone.toLocalFile()));
        QVERIFY(!c->chooseMovie(gone, true, true, false));
        QCOMPARE(c->beepCount(), 1);
        QCOMPARE(c->currentMovieRepresentation->URL(), a);
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
        VERIFY_SOON(qAbs(m->currentTime().seconds() - 2.5) < 0.1, 5000);
        for (const QUrl &o : others)
            QVERIFY(c->chooseMovie(o, false, false, false));
        QVERIFY(c->chooseMovie(first, true, false, false));
        QCOMPARE(currentMovie(), m);   // the entry kept its movie
        VERIFY2_SOON(qAbs(m->currentTime().seconds() - 2.5) < 0.15,
                     qPrintable(QString::number(m->currentTime().seconds())), 5000);
    }

    void selectionMessages()
    {
        const QString sound = testsupport::makeAudio(dir.path(), "tune.m4a", 1.0);
        QVERIFY(c->openMovies({QUrl::fromLocalFile(sound)}, false));
        QCOMPARE(c->selectionMessage(), QString("\"tune.m4a\"\nAudio Only"));
        QVERIFY(!c->currentMovieHasVideo);
        c->chooseNoMovie();
        c->playerHistoryList->selectionModel()->select(c->playerHistoryList->model()->index(0, 0),
                                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(c->selectionMessage(), QString("\"tune.m4a\"\nDouble-click to open"));
        QXSettings::standard().setBool(true, QXKeys::HidePlaylist);
        QVERIFY(c->selectionMessage().isEmpty());
    }

    void continuingPastThousandsThatDoNotOpen()
    {
        // A restored playlist whose files are gone, one after another, without a call per
        // entry on the stack.
        const QUrl first = clip("start.mp4", 0.5), end = clip("end.mp4", 1.0);
        QJsonArray stored{QJsonObject{{"Path", first.toLocalFile()}}};
        for (int i = 0; i < 50000; ++i)
            stored.append(QJsonObject{{"Path", dir.filePath(QString("gone%1.mp4").arg(i))}});
        stored.append(QJsonObject{{"Path", end.toLocalFile()}});
        testsupport::launchFreshController(c, dir.path(), {{"Do Not Forget Playlist On Quit", true},
                                                            {"Playlist Movies", stored}});
        QCOMPARE(c->movieRepresentations.size(), 50002);
        QVERIFY(c->chooseMovie(first, true, true, false));
        QTRY_COMPARE_WITH_TIMEOUT(c->currentMovieRepresentation->URL(), end, 20000);
        QCOMPARE(c->beepCount(), 0);
    }

    void volumeAndTimeByClicksWheelAndCommands()
    {
        // Wide enough for a slider of some length.
        QVERIFY(c->openMovies({QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), "slide.mp4", 480, 270, 20.0))}, false));
        VERIFY_SOON(c->playerView->isPlaying(), 5000);
        c->pause();
        QVERIFY(QTest::qWaitForWindowExposed(c->playerWindow));
        // A click on the groove seeks there.
        QXWhiteSlider *time = c->timeSlider;
        QTest::mouseClick(time, Qt::LeftButton, {}, QPoint(time->width() * 3 / 4, time->height() / 2));
        VERIFY2_SOON(qAbs(currentMovie()->currentTime().seconds() - 15) < 2.5,
                     qPrintable(QString::number(currentMovie()->currentTime().seconds())), 5000);
        // Sent to its very end while paused, play starts it over, also before mpv got there.
        QTest::mouseClick(time, Qt::LeftButton, {}, QPoint(time->width() - 1, time->height() / 2));
        QVERIFY(currentMovie()->currentTime().seconds() > 19);
        QTest::mouseClick(c->playPauseSwitch, Qt::LeftButton);
        VERIFY2_SOON(currentMovie()->currentTime().seconds() < 5 && currentMovie()->currentTime().seconds() > 0.2,
                     qPrintable(QString::number(currentMovie()->currentTime().seconds())), 5000);
        c->pause();
        // A click on the volume changes the sound and is remembered; the far left is silence.
        QXVolumeSlider *volume = c->volumeSlider;
        QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(volume->width() * 3 / 10, volume->height() / 2));
        QVERIFY2(qAbs(currentMovie()->volume() - 0.3f) < 0.1f, qPrintable(QString::number(currentMovie()->volume())));
        QVERIFY(qAbs(QXSettings::standard().doubleForKey(QXKeys::Volume) - currentMovie()->volume()) < 1e-6);
        QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(0, volume->height() / 2));
        QCOMPARE(currentMovie()->volume(), 0.0f);
        QVERIFY(c->muteMenuItem->isChecked());
        // A wheel notch up is a tenth louder.
        QWheelEvent notch(QPointF(5, 5), volume->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(volume, &notch);
        QVERIFY(qAbs(currentMovie()->volume() - 0.1f) < 0.001f);
        QVERIFY(!c->muteMenuItem->isChecked());
        QVERIFY(qAbs(QXSettings::standard().doubleForKey(QXKeys::Volume) - 0.1) < 0.001);

        // Mute and back, steps, and a newly chosen movie.
        c->volumeSlider->setValue(0.6);
        c->changeVolume();
        QCOMPARE(QXSettings::standard().doubleForKey(QXKeys::Volume), 0.6);
        QVERIFY(!c->muteMenuItem->isChecked());
        c->mute();
        QCOMPARE(c->volumeSlider->value(), 0.0);
        QCOMPARE(currentMovie()->volume(), 0.0f);
        QVERIFY(c->muteMenuItem->isChecked());
        QCOMPARE(QXSettings::standard().doubleForKey(QXKeys::Volume), 0.6);
        c->mute();
        QVERIFY(qAbs(c->volumeSlider->value() - 0.6) < 1e-6);
        QVERIFY(qAbs(currentMovie()->volume() - 0.6f) < 0.001f);
        QVERIFY(!c->muteMenuItem->isChecked());
        // Steps clamp at both ends.
        c->volumeSlider->setValue(0.95);
        c->increaseVolume();
        QCOMPARE(c->volumeSlider->value(), 1.0);
        c->volumeSlider->setValue(0.05);
        c->decreaseVolume();
        QCOMPARE(c->volumeSlider->value(), 0.0);
        // A newly chosen movie gets the slider's volume.
        c->volumeSlider->setValue(0.3);
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
        VERIFY_SOON(qAbs(currentMovie()->currentTime().seconds() - 13) < 0.1, 5000);
        c->wind(false);
        c->wind(false);
        VERIFY_SOON(currentMovie()->currentTime().seconds() < 0.05, 5000);   // not below 0
        QXSettings::standard().setInteger(1, QXKeys::StepInterval);
        c->wind(true);
        VERIFY_SOON(qAbs(currentMovie()->currentTime().seconds() - 1) < 0.1, 5000);
        // Forward past the end lands one unit before it.
        currentMovie()->setCurrentTime(QXTime::fromSeconds(29.5));
        c->wind(true);
        VERIFY_SOON(currentMovie()->currentTime().timeValue >= currentMovie()->duration().timeValue - 60, 5000);
        QVERIFY(currentMovie()->currentTime().timeValue < currentMovie()->duration().timeValue);
    }
};

VISTREL_TEST_MAIN(TestPlayback)
#include "test_playback_xvfb.moc"
