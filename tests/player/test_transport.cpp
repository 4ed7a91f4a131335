// Time and volume on their own: a real control bar and real movies (probed, not playing),
// a stand-in for the player.
#include "app/QXScreenSaverInhibitor.h"
#include "app/QXSettings.h"
#include "controls/QXSliders.h"
#include "engine/QXMovie.h"
#include "player/QXControlBar.h"
#include "player/QXTransport.h"
#include "TestSupport.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

class Player : public QXTransportHost
{
public:
    QXMovie *movie = nullptr;
    bool playing = false;
    int beeps = 0;
    QXMovie *currentMovie() const override { return movie; }
    bool isPlaying() const override { return playing; }
    bool currentMovieHasPicture() const override { return movie; }
    void beep() override { ++beeps; }
};

} // namespace

class TestTransport : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMovie> movie;   // 30 s
    Player player;
    std::unique_ptr<QXControlBar> bar;
    std::unique_ptr<QXTransport> transport;

    double seconds() const { return movie->currentTime().seconds(); }

private slots:
    void initTestCase()
    {
        testsupport::useQuietEngineOutput();
        movie.reset(QXMovie::movieWithFile(testsupport::makeVideo(dir.path(), "m.mp4", 160, 120, 30.0)));
        QVERIFY(movie && qAbs(movie->duration().seconds() - 30) < 0.1);
    }
    void init()
    {
        static int n = 0;
        testsupport::isolateSettings(dir.filePath(QString("config%1").arg(++n)));
        QXSettings::resetStandard();
        player = Player();
        bar = std::make_unique<QXControlBar>();
        // Kept off the session bus.
        auto *inhibitor = new QXScreenSaverInhibitor(QDBusConnection(QStringLiteral("none")));
        transport = std::make_unique<QXTransport>(&player, bar.get(), QXSettings::standard(), inhibitor);
    }
    void cleanup()
    {
        transport.reset();
        bar.reset();
    }

    // Each command from a slider position: where the slider, the movie and the stored volume
    // end, and whether the Mute item shows silence.
    void volumeCommands()
    {
        const struct { const char *name; double slider; QList<void (QXTransport::*)()> commands; double shown, stored; bool muted; } rows[] = {
            {"a step up", 0.5, {&QXTransport::increaseVolume}, 0.6, 0.6, false},
            {"a step up stops at full", 0.95, {&QXTransport::increaseVolume}, 1.0, 1.0, false},
            {"a step down stops at silence", 0.05, {&QXTransport::decreaseVolume}, 0.0, 0.0, true},
            {"the slider's volume is remembered", 0.6, {&QXTransport::changeVolume}, 0.6, 0.6, false},
            {"mute keeps the remembered volume", 0.6, {&QXTransport::changeVolume, &QXTransport::mute}, 0.0, 0.6, true},
            {"and back to it", 0.6, {&QXTransport::changeVolume, &QXTransport::mute, &QXTransport::mute}, 0.6, 0.6, false}};
        for (const auto &r : rows) {
            init();
            player.movie = movie.get();
            QSignalSpy muteShown(transport.get(), &QXTransport::muteShown);
            bar->volumeSlider()->setValue(r.slider);
            for (const auto command : r.commands)
                (transport.get()->*command)();
            QVERIFY2(qAbs(bar->volume() - r.shown) < 1e-6, r.name);
            QVERIFY2(qAbs(movie->volume() - r.shown) < 1e-6, r.name);
            // Stored at float precision: the file reads 0.6, not 0.6000000238.
            QVERIFY2(QXSettings::standard().doubleForKey(QXKeys::Volume) == r.stored, r.name);
            QVERIFY2(muteShown.count() == r.commands.size() && muteShown.last().at(0).toBool() == r.muted, r.name);
            QCOMPARE(transport->isMuted(), r.commands.count(&QXTransport::mute) % 2 == 1);
        }
    }

    // The step comes from the settings (10 s when unusable); forward stops a unit before the
    // end, backward at the start; without a movie the command beeps.
    void winding()
    {
        transport->wind(true);
        QCOMPARE(player.beeps, 1);
        player.movie = movie.get();
        const struct { const char *name; qint64 step; double from; bool forward; double to; } rows[] = {
            {"forward by the step", 4, 3.0, true, 7.0},
            {"backward by the step", 4, 7.5, false, 3.5},
            {"an unusable step is ten seconds", -5, 3.0, true, 13.0},
            {"not below the start", 10, 3.0, false, 0.0},
            {"not past the end: a unit before it", 10, 29.5, true, -1}};
        for (const auto &r : rows) {
            QXSettings::standard().setInteger(r.step, QXKeys::StepInterval);
            movie->setCurrentTime(QXTime::fromSeconds(r.from));
            transport->wind(r.forward);
            const double to = r.to < 0 ? movie->duration().seconds() - 0.001 : r.to;
            QVERIFY2(qAbs(seconds() - to) < 1e-9, qPrintable(QString("%1: %2").arg(r.name).arg(seconds())));
        }
        QCOMPARE(player.beeps, 1);
        // The bar follows the new time.
        QCOMPARE(bar->timeField()->text(), QString("00:00:29"));
    }

    // The bar shows the movie's time; a slide seeks, the picture is told to show it.
    void timeLineAndSliding()
    {
        QSignalSpy timeSet(transport.get(), &QXTransport::timeSet);
        transport->timeSlide(5000);   // no movie: nothing moves
        QCOMPARE(timeSet.count(), 0);
        player.movie = movie.get();
        movie->setCurrentTime(QXTime::fromSeconds(12.5));
        QVERIFY(transport->updateTimeDisplayForMovie(movie.get(), true));
        QCOMPARE(bar->timeField()->text(), QString("00:00:12"));
        QCOMPARE(bar->timeRemainderField()->text(), QString("00:00:18"));
        QCOMPARE(bar->timeSlider()->value(), 12500.0);
        QCOMPARE(bar->timeSlider()->maxValue(), double(movie->duration().timeValue));
        // The slider's value rounds to the nearest unit.
        transport->timeSlide(20000.6);
        QCOMPARE(movie->currentTime().timeValue, qint64(20001));
        QCOMPARE(bar->timeField()->text(), QString("00:00:20"));
        QCOMPARE(timeSet.count(), 1);
    }

    // The tick tells when the movie stopped while the bar still shows it playing, and only then.
    void tickNoticesTheStop()
    {
        QSignalSpy stopped(transport.get(), &QXTransport::playbackStopped);
        player.movie = movie.get();
        const struct { bool playing, shown; int told; } rows[] = {{true, true, 0}, {false, false, 0}, {false, true, 1}};
        for (const auto &r : rows) {
            stopped.clear();
            player.playing = r.playing;
            bar->setPlaying(r.shown);
            transport->updateTimeDisplay();
            QCOMPARE(stopped.count(), r.told);
        }
    }
};

QTEST_MAIN(TestTransport)
#include "test_transport.moc"
