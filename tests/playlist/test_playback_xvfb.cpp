// Choosing and playing through the controller: the playlist's course, positions, volume, winding.
#include "controls/QXSliders.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QJsonArray>
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
    QXMovie *currentMovie() const { return c->playlist().current()->openedMovie(); }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void init() { testsupport::launchFreshController(c, dir.path()); }

    void cleanup() { c.reset(); }

    void playsThroughToTheEndOfTheLastAndStops()
    {
        QVERIFY(c->openMovies({clip("p1.mp4", 0.6), clip("p2.mp4", 0.6), clip("p3.mp4", 0.6)}, false));
        VERIFY_SOON(c->ui().playerView->isPlaying(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(c->playlist().current()->displayName(), QString("p2.mp4"), 5000);
        QCOMPARE(testsupport::selectedRow(*c), 0);   // selection stays
        QTRY_COMPARE_WITH_TIMEOUT(c->playlist().current()->displayName(), QString("p3.mp4"), 5000);
        VERIFY_SOON(!c->ui().playerView->isPlaying(), 5000);
        VERIFY_SOON(!c->controlBar()->playPauseSwitch()->isChecked(), 2000);   // a timer tick brings the controls along
        QCOMPARE(c->playlist().current()->displayName(), QString("p3.mp4"));
        QCOMPARE(c->ui().playPauseMenuItem->text(), QString("Play"));
    }

    void choosingTheCurrentRestartsAndAVanishedFileBeeps()
    {
        const QUrl a = clip("r.mp4", 3.0), gone = clip("s2.mp4", 0.6);
        QVERIFY(c->openMovies({a, gone}, false));
        VERIFY_SOON(currentMovie()->currentTime().seconds() > 0.5, 5000);
        QVERIFY(c->chooseMovie(a, true, false, false));
        QVERIFY(currentMovie()->currentTime().seconds() < 0.2);
        QCOMPARE(c->ui().playerWindow->windowTitle(), QString("r.mp4"));
        // Vanished after it was listed: chosen directly, it beeps and the current movie stays.
        QVERIFY(QFile::remove(gone.toLocalFile()));
        QVERIFY(!c->chooseMovie(gone, true, true, false));
        QCOMPARE(c->beepCount(), 1);
        QCOMPARE(c->playlist().current()->URL(), a);
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
        QVERIFY(!c->currentMovieHasVideo());
        c->chooseNoMovie();
        testsupport::selectRow(*c, 0);
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
        QCOMPARE(c->playlist().count(), 50002);
        QVERIFY(c->chooseMovie(first, true, true, false));
        QTRY_COMPARE_WITH_TIMEOUT(c->playlist().current()->URL(), end, 20000);
        QCOMPARE(c->beepCount(), 0);
    }

    void volumeAndTimeByClicksWheelAndCommands()
    {
        // Wide enough for a slider of some length.
        QVERIFY(c->openMovies({QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), "slide.mp4", 480, 270, 20.0))}, false));
        VERIFY_SOON(c->ui().playerView->isPlaying(), 5000);
        c->pause();
        QVERIFY(QTest::qWaitForWindowExposed(c->ui().playerWindow));
        // A click on the groove seeks there.
        QXWhiteSlider *time = c->controlBar()->timeSlider();
        QTest::mouseClick(time, Qt::LeftButton, {}, QPoint(time->width() * 3 / 4, time->height() / 2));
        VERIFY2_SOON(qAbs(currentMovie()->currentTime().seconds() - 15) < 2.5,
                     qPrintable(QString::number(currentMovie()->currentTime().seconds())), 5000);
        // Sent to its very end while paused, play starts it over, also before mpv got there.
        QTest::mouseClick(time, Qt::LeftButton, {}, QPoint(time->width() - 1, time->height() / 2));
        QVERIFY(currentMovie()->currentTime().seconds() > 19);
        QTest::mouseClick(c->controlBar()->playPauseSwitch(), Qt::LeftButton);
        VERIFY2_SOON(currentMovie()->currentTime().seconds() < 5 && currentMovie()->currentTime().seconds() > 0.2,
                     qPrintable(QString::number(currentMovie()->currentTime().seconds())), 5000);
        c->pause();
        // The slider, the movie and the mute mark agree on a volume.
        QXVolumeSlider *volume = c->controlBar()->volumeSlider();
        const auto heard = [&](double v, double within = 1e-3) {
            return qAbs(volume->value() - v) < within && qAbs(currentMovie()->volume() - v) < within
                && c->ui().muteMenuItem->isChecked() == (volume->value() == 0);
        };
        // A click on the volume changes the sound and is remembered; the far left is silence.
        QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(volume->width() * 3 / 10, volume->height() / 2));
        QVERIFY2(heard(0.3, 0.1), qPrintable(QString::number(currentMovie()->volume())));
        QVERIFY(qAbs(QXSettings::standard().doubleForKey(QXKeys::Volume) - volume->value()) < 1e-6);
        QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(0, volume->height() / 2));
        QVERIFY(heard(0));
        // A wheel notch up is a tenth louder.
        QWheelEvent notch(QPointF(5, 5), volume->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(volume, &notch);
        QVERIFY(heard(0.1));
        QVERIFY(qAbs(QXSettings::standard().doubleForKey(QXKeys::Volume) - 0.1) < 0.001);

        // The Mute item silences and gives the volume back, its check mark following.
        volume->setValue(0.3);
        c->transport()->changeVolume();
        c->ui().muteMenuItem->trigger();
        QVERIFY(heard(0));
        c->ui().muteMenuItem->trigger();
        QVERIFY(heard(0.3));
        // A newly chosen movie gets the slider's volume.
        QVERIFY(c->openMovies({clip("v2.mp4", 1.0)}, false));
        QVERIFY(heard(0.3));
    }
};

VISTREL_TEST_MAIN(TestPlayback)
#include "test_playback_xvfb.moc"
