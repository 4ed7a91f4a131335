// Keeping the screen awake: the inhibitor against a stand-in screen-saver service on a
// private session bus, and the controller taking and giving back the inhibit as it plays.
#include "app/QXMPController.h"
#include "app/QXScreenSaverInhibitor.h"
#include "app/QXSettings.h"
#include "engine/QXMovieView.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QtTest>

#include <clocale>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// Answers Inhibit and UnInhibit like a desktop's screen saver and records every call.
class FakeScreenSaver : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    struct Call
    {
        QString path;
        QStringList arguments;
    };
    QList<Call> inhibits;
    QList<Call> uninhibits;
    QSet<uint> active;          // cookies handed out and not given back
    bool holdReplies = false;   // keep Inhibit answers until answerHeld()
    QList<QDBusMessage> held;
    uint nextCookie = 41;

    void reset()
    {
        inhibits.clear();
        uninhibits.clear();
        active.clear();
        held.clear();
        holdReplies = false;
    }

    void answerHeld()
    {
        for (const QDBusMessage &m : std::as_const(held)) {
            const uint cookie = ++nextCookie;
            active.insert(cookie);
            QDBusConnection(connectionName).send(m.createReply(QVariant::fromValue(cookie)));
        }
        held.clear();
    }

    QString connectionName;

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        inhibits.append({message().path(), {application, reason}});
        if (holdReplies) {
            setDelayedReply(true);
            held.append(message());
            return 0;
        }
        const uint cookie = ++nextCookie;
        active.insert(cookie);
        return cookie;
    }

    void UnInhibit(uint cookie)
    {
        uninhibits.append({message().path(), {QString::number(cookie)}});
        active.remove(cookie);
    }
};

class TestScreenSaver : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    FakeScreenSaver fake;
    QDBusConnection service{QString()};

    // Serves the stand-in at the given objects only (none: the name is not on the bus).
    void serve(const QStringList &paths)
    {
        service.unregisterObject("/org/freedesktop/ScreenSaver");
        service.unregisterObject("/ScreenSaver");
        service.unregisterService("org.freedesktop.ScreenSaver");
        fake.reset();
        if (paths.isEmpty())
            return;
        QVERIFY(service.registerService("org.freedesktop.ScreenSaver"));
        for (const QString &p : paths)
            QVERIFY(service.registerObject(p, &fake, QDBusConnection::ExportAllSlots));
    }

    // Lets calls in flight arrive and their answers come back.
    static void settle(int ms = 150) { QTest::qWait(ms); }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        service = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                                                "fake-screensaver");
        QVERIFY2(service.isConnected(), "no private session bus");
        fake.connectionName = service.name();
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void init()
    {
        serve({"/org/freedesktop/ScreenSaver"});
    }

    // Whatever a case took is given back once its inhibitors are gone.
    void cleanup()
    {
        QTRY_VERIFY(fake.active.isEmpty());
    }

    void oneInhibitPerHoldAndTheSameCookieBack()
    {
        QTest::failOnWarning(QRegularExpression(".*"));
        auto *inhibitor = new QXScreenSaverInhibitor;
        for (int i = 0; i < 3; ++i)
            inhibitor->setInhibited(true);   // the timer repeats its wish every tick
        QTRY_VERIFY(inhibitor->isInhibited());
        settle();
        QCOMPARE(fake.inhibits.size(), 1);
        QCOMPARE(fake.inhibits.first().arguments, QStringList({"Vistrel", "Playing a movie"}));
        QCOMPARE(fake.active.size(), 1);
        const uint cookie = *fake.active.begin();

        inhibitor->setInhibited(false);
        inhibitor->setInhibited(false);
        QVERIFY(!inhibitor->isInhibited());
        QTRY_COMPARE(fake.uninhibits.size(), 1);
        settle();
        QCOMPARE(fake.uninhibits.size(), 1);
        QCOMPARE(fake.uninhibits.first().arguments, QStringList({QString::number(cookie)}));
        QVERIFY(fake.active.isEmpty());

        // A new hold gets a new cookie; going away gives it back.
        inhibitor->setInhibited(true);
        QTRY_VERIFY(inhibitor->isInhibited());
        QCOMPARE(fake.inhibits.size(), 2);
        delete inhibitor;
        QTRY_VERIFY(fake.active.isEmpty());
        QCOMPARE(fake.uninhibits.size(), 2);
    }

    void releasedWhileTheRequestIsOut()
    {
        QTest::failOnWarning(QRegularExpression(".*"));
        fake.holdReplies = true;
        QXScreenSaverInhibitor inhibitor;
        inhibitor.setInhibited(true);
        QTRY_COMPARE(fake.held.size(), 1);
        inhibitor.setInhibited(false);
        fake.answerHeld();
        QTRY_COMPARE(fake.uninhibits.size(), 1);
        QVERIFY(fake.active.isEmpty());
        QVERIFY(!inhibitor.isInhibited());
        QCOMPARE(fake.inhibits.size(), 1);

        // Released and wanted again before the answer: kept, nothing sent twice.
        inhibitor.setInhibited(true);
        QTRY_COMPARE(fake.held.size(), 1);
        inhibitor.setInhibited(false);
        inhibitor.setInhibited(true);
        fake.answerHeld();
        QTRY_VERIFY(inhibitor.isInhibited());
        settle();
        QCOMPARE(fake.inhibits.size(), 2);
        QCOMPARE(fake.uninhibits.size(), 1);
        QCOMPARE(fake.active.size(), 1);
    }

    void goneBeforeTheAnswer()
    {
        fake.holdReplies = true;
        auto *inhibitor = new QXScreenSaverInhibitor;
        inhibitor->setInhibited(true);
        QTRY_COMPARE(fake.held.size(), 1);
        delete inhibitor;
        fake.answerHeld();
        QTRY_COMPARE(fake.uninhibits.size(), 1);
        QVERIFY(fake.active.isEmpty());
    }

    void shortObjectPath()
    {
        serve({"/ScreenSaver"});
        QXScreenSaverInhibitor inhibitor;
        inhibitor.setInhibited(true);
        QTRY_VERIFY(inhibitor.isInhibited());
        QCOMPARE(fake.inhibits.size(), 1);
        QCOMPARE(fake.inhibits.first().path, QString("/ScreenSaver"));
        inhibitor.setInhibited(false);
        QTRY_COMPARE(fake.uninhibits.size(), 1);
        QCOMPARE(fake.uninhibits.first().path, QString("/ScreenSaver"));
        QVERIFY(fake.active.isEmpty());
    }

    void noServiceIsQuietAndNotAskedEveryTick()
    {
        QTest::failOnWarning(QRegularExpression(".*"));
        serve({});
        QXScreenSaverInhibitor inhibitor;
        inhibitor.setInhibited(true);
        settle();
        QVERIFY(!inhibitor.isInhibited());

        // The service turns up: the refused hold is not retried on each tick...
        serve({"/org/freedesktop/ScreenSaver"});
        inhibitor.setInhibited(true);
        settle();
        QCOMPARE(fake.inhibits.size(), 0);
        // ...but the next hold asks again.
        inhibitor.setInhibited(false);
        inhibitor.setInhibited(true);
        QTRY_VERIFY(inhibitor.isInhibited());
        QCOMPARE(fake.inhibits.size(), 1);
    }

    void noBusAtAll()
    {
        QTest::failOnWarning(QRegularExpression(".*"));
        const QDBusConnection dead = QDBusConnection::connectToBus(
            QString("unix:path=%1").arg(home.filePath("no-such-socket")), "dead-bus");
        QVERIFY(!dead.isConnected());
        {
            QXScreenSaverInhibitor inhibitor(dead);
            inhibitor.setInhibited(true);
            settle(50);
            QVERIFY(!inhibitor.isInhibited());
            inhibitor.setInhibited(false);
            inhibitor.setInhibited(true);
        }
        QDBusConnection::disconnectFromBus("dead-bus");
        QCOMPARE(fake.inhibits.size(), 0);
    }

    // The player: a playing picture holds the inhibit, pausing, a sound-only movie, the end of
    // the movie and quitting let go of it, each within a second.
    void playerHoldsItWhilePlayingAPicture()
    {
        qputenv("HOME", QFile::encodeName(home.path()));
        testsupport::isolateSettings(home.filePath("config"));
        QXSettings::resetStandard();
        const QString clip = testsupport::makeVideo(home.path(), "clip.mp4", 320, 240, 2.0, false);
        const QString sound = testsupport::makeAudio(home.path(), "tone.m4a", 2.0);
        QVERIFY(!clip.isEmpty() && !sound.isEmpty());

        auto c = std::make_unique<QXMPController>();
        c->applicationDidFinishLaunching();
        QVERIFY(c->hasLaunched());
        QVERIFY(c->chooseMovie(QUrl::fromLocalFile(clip), true, true, false));
        QTRY_VERIFY(c->playerView->isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 1, 1000);   // within a tick or two

        c->pause();
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 0, 1000);
        QCOMPARE(fake.inhibits.size(), 1);
        settle(600);   // a tick while paused takes nothing
        QCOMPARE(fake.inhibits.size(), 1);

        // Played to its end: the movie stays on its last frame and lets go.
        c->play();
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 1, 1000);
        QTRY_VERIFY_WITH_TIMEOUT(!c->playerView->isPlaying(), 4000);
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 0, 1000);

        // Sound alone keeps nothing awake.
        const int before = fake.inhibits.size();
        QVERIFY(c->chooseMovie(QUrl::fromLocalFile(sound), true, true, false));
        QTRY_VERIFY(c->playerView->isPlaying());
        settle(700);   // at least one tick
        QCOMPARE(fake.inhibits.size(), before);

        // Back to the picture, then quit while it plays.
        QVERIFY(c->chooseMovie(QUrl::fromLocalFile(clip), true, true, false));
        QTRY_VERIFY(c->playerView->isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 1, 1000);
        c->runQuitSteps();
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 0, 1000);
        settle(600);   // the timer, still running, does not take it again
        QCOMPARE(fake.active.size(), 0);
        c.reset();
    }
};

// A private session bus for this process, made before anything can reach for the user's.
static pid_t startPrivateBus()
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(out[1], STDOUT_FILENO);
        // Its complaints about limits it may not raise are of no interest here.
        if (const int null = open("/dev/null", O_WRONLY); null >= 0)
            dup2(null, STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile",
               "--print-address=1", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    QByteArray address;
    char ch;
    while (read(out[0], &ch, 1) == 1 && ch != '\n')
        address.append(ch);
    close(out[0]);
    if (pid < 0 || address.isEmpty())
        return -1;
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    return pid;
}

int main(int argc, char **argv)
{
    const pid_t bus = startPrivateBus();
    if (bus <= 0) {
        fprintf(stderr, "cannot start dbus-daemon for a private session bus\n");
        return 1;
    }
    int rc;
    {
        testsupport::useQuietEngineOutput();
        QApplication app(argc, argv);
        setlocale(LC_NUMERIC, "C");
        TestScreenSaver tc;
        QTEST_SET_MAIN_SOURCE_PATH
        rc = QTest::qExec(&tc, argc, argv);
    }
    kill(bus, SIGTERM);
    waitpid(bus, nullptr, 0);
    return rc;
}

#include "test_screensaver_xvfb.moc"
