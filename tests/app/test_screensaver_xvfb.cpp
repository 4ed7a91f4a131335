// Keeping the screen awake: the inhibitor against a stand-in screen-saver service and a
// stand-in desktop portal on a private session bus (answers held back, the short object path,
// only the portal, no service, no bus), and the controller taking and giving back the inhibit
// as it plays.
#include "app/QXScreenSaverInhibitor.h"
#include "engine/QXMovieView.h"
#include "ControllerFixture.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QtTest>

#include <map>

#include <clocale>
#include <unistd.h>

// What both stand-ins share: their connection, the odd calls they noted, and Inhibit answers
// kept back until answerHeld().
struct StandIn
{
    QDBusConnection bus{QString()};
    QStringList odd;
    bool holdReplies = false;
    QList<QDBusMessage> held;

    void resetStandIn() { odd.clear(), held.clear(), holdReplies = false; }
    template<typename Answer>
    void answerHeld(Answer answer)
    {
        for (const QDBusMessage &m : std::exchange(held, {}))
            bus.send(m.createReply(QVariant::fromValue(answer())));
    }
};

// Answers Inhibit and UnInhibit like a desktop's screen saver and counts the calls; an odd
// one (other arguments, a cookie it did not hand out) is noted.
class FakeScreenSaver : public QObject, public StandIn, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    int inhibits = 0, uninhibits = 0;
    QSet<uint> active; // cookies handed out and not given back
    uint lastCookie = 41;

    void reset() { inhibits = uninhibits = 0, active.clear(), resetStandIn(); }
    void answerHeld() { StandIn::answerHeld([this] { return newCookie(); }); }

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        ++inhibits;
        if (application != "Vistrel" || reason != "Playing a movie")
            odd << application + ": " + reason;
        if (!holdReplies)
            return newCookie();
        setDelayedReply(true);
        held.append(message());
        return 0;
    }
    void UnInhibit(uint cookie)
    {
        ++uninhibits;
        if (!active.remove(cookie))
            odd << QString("unknown cookie %1").arg(cookie);
    }

private:
    uint newCookie() { return *active.insert(++lastCookie); }
};

class FakePortal;

// One Inhibit request's object, closed to give the hold back.
class FakeRequest : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    FakeRequest(FakePortal *portal, const QString &path) : portal(portal), path(path) {}
    FakePortal *portal;
    const QString path;
public slots:
    void Close();
};

// Answers Inhibit like the desktop portal: each hold is a request object of its own, and
// closing it gives the hold back. Odd arguments are noted.
class FakePortal : public QObject, public StandIn, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    int inhibits = 0, closes = 0;
    std::map<QString, std::unique_ptr<FakeRequest>> open;

    void reset() { inhibits = closes = 0, open.clear(), resetStandIn(); }
    void answerHeld() { StandIn::answerHeld([this] { return newRequest(); }); }
    void closed(FakeRequest *request)
    {
        ++closes;
        bus.unregisterObject(request->path);
        // Called from the request's own slot: it goes once the call has returned.
        if (const auto it = open.find(request->path); it != open.end()) {
            it->second.release()->deleteLater();
            open.erase(it);
        }
    }

public slots:
    QDBusObjectPath Inhibit(const QString &window, uint flags, const QVariantMap &options)
    {
        ++inhibits;
        if (!window.isEmpty() || flags != 8 || options != QVariantMap{{"reason", "Playing a movie"}})
            odd << QString("Inhibit(%1, %2, %3)").arg(window).arg(flags).arg(options.keys().join(' '));
        if (!holdReplies)
            return newRequest();
        setDelayedReply(true);
        held.append(message());
        return {};
    }

private:
    QDBusObjectPath newRequest()
    {
        static int made = 0;
        const QString path = QString("/org/freedesktop/portal/desktop/request/1_1/t%1").arg(++made);
        auto request = std::make_unique<FakeRequest>(this, path);
        if (!bus.registerObject(path, request.get(), QDBusConnection::ExportAllSlots))
            odd << "cannot serve " + path;
        open.emplace(path, std::move(request));
        return QDBusObjectPath(path);
    }
};

void FakeRequest::Close()
{
    portal->closed(this);
}

class TestScreenSaver : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    FakeScreenSaver fake;
    FakePortal portal;
    const QString standard = "/org/freedesktop/ScreenSaver";
    const QString portalPath = "/org/freedesktop/portal/desktop";

    // Serves the screen saver at the given object only (none: the name is not on the bus), and
    // the portal or not.
    void serve(const QString &path, bool withPortal = false)
    {
        for (const QString &p : {standard, QString("/ScreenSaver"), portalPath})
            fake.bus.unregisterObject(p);
        fake.bus.unregisterService("org.freedesktop.ScreenSaver");
        fake.bus.unregisterService("org.freedesktop.portal.Desktop");
        fake.reset();
        portal.reset();
        QVERIFY(path.isEmpty() || (fake.bus.registerService("org.freedesktop.ScreenSaver")
                                   && fake.bus.registerObject(path, &fake, QDBusConnection::ExportAllSlots)));
        QVERIFY(!withPortal || (fake.bus.registerService("org.freedesktop.portal.Desktop")
                                && fake.bus.registerObject(portalPath, &portal, QDBusConnection::ExportAllSlots)));
    }
    // Calls so far to either service, holds out and the inhibitor's own view.
    QString state(const QXScreenSaverInhibitor *i) const
    {
        return QString("%1 %2 %3 %4").arg(fake.inhibits + portal.inhibits).arg(fake.uninhibits + portal.closes)
            .arg(fake.active.size() + portal.open.size()).arg(!i ? "gone" : i->isInhibited() ? "on" : "off");
    }

private slots:
    void initTestCase()
    {
        fake.bus = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), "fake-screensaver");
        QVERIFY2(fake.bus.isConnected() && QDBusConnection::sessionBus().isConnected(), "no private session bus");
        portal.bus = fake.bus;
    }

    // Scripts of wishes: + wants the inhibit (the player's timer repeats its wish every tick),
    // - lets go of it, h holds the services' answers, w waits for a request to be held, a answers
    // them once a request is in, s brings the service up, x deletes the inhibitor. At each '.'
    // the state comes to the next expected one and stays there; at the end every hold is back.
    void inhibitor_data()
    {
        // The screen saver's object served, none, "portal" (only the portal), or "no bus" at all.
        QTest::addColumn<QString>("served");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected"); // at each '.': inhibits, uninhibits, cookies out, state
        QTest::newRow("one call per hold") << standard << "+++.--.+.x." << "1 0 1 on|1 1 0 off|2 1 1 on|2 2 0 gone";
        QTest::newRow("released while the request is out") << standard << "h+-a." << "1 1 0 off";
        // Released and wanted again before the answer: kept, nothing sent twice.
        QTest::newRow("wanted again before the answer") << standard << "h+-+a." << "1 0 1 on";
        QTest::newRow("gone before the answer") << standard << "h+xa." << "1 1 0 gone";
        QTest::newRow("short object path") << "/ScreenSaver" << "+.-." << "1 0 1 on|1 1 0 off";
        // The service turns up: the refused hold is not retried on each tick, the next hold asks.
        QTest::newRow("no service") << "" << "+.s+.-+." << "0 0 0 off|0 0 0 off|1 0 1 on";
        QTest::newRow("no bus at all") << "no bus" << "+.-+." << "0 0 0 off|0 0 0 off";
        // Without the screen saver the portal holds it, by the same rules.
        QTest::newRow("portal: one call per hold") << "portal" << "+++.--.+.x." << "1 0 1 on|1 1 0 off|2 1 1 on|2 2 0 gone";
        // (Once the screen saver's absence is known and the request is at the portal.)
        QTest::newRow("portal: released while the request is out") << "portal" << "h+w-a." << "1 1 0 off";
        QTest::newRow("portal: wanted again before the answer") << "portal" << "h+w-+a." << "1 0 1 on";
        QTest::newRow("portal: gone before the answer") << "portal" << "h+wxa." << "1 1 0 gone";
    }
    void inhibitor()
    {
        QTest::failOnWarning(QRegularExpression(".*"));
        QFETCH(QString, served);
        QFETCH(QString, script);
        QFETCH(QString, expected);
        if (served == "portal")
            serve({}, true);
        else
            serve(served == "no bus" ? standard : served);
        const QDBusConnection dead = QDBusConnection::connectToBus("unix:path=" + home.filePath("no-such-socket"), "dead");
        auto inhibitor = std::make_unique<QXScreenSaverInhibitor>(served == "no bus" ? dead : QDBusConnection::sessionBus());
        QStringList states = expected.split('|');
        for (const QChar step : script) {
            switch (step.toLatin1()) {
            case 'h': fake.holdReplies = portal.holdReplies = true; break;
            case 'w':
            case 'a':
                VERIFY_SOON(!fake.held.isEmpty() || !portal.held.isEmpty(), 5000);
                if (step == 'w')
                    break;
                fake.answerHeld();
                portal.answerHeld();
                break;
            case 's': serve(standard); break;
            case 'x': inhibitor.reset(); break;
            case '.': {
                const QString want = states.takeFirst();
                QTRY_COMPARE(state(inhibitor.get()), want);
                QTest::qWait(150); // and nothing more arrives
                QCOMPARE(state(inhibitor.get()), want);
                break;
            }
            default: inhibitor->setInhibited(step == '+');
            }
        }
        inhibitor.reset();
        QDBusConnection::disconnectFromBus("dead");
        VERIFY_SOON(fake.active.isEmpty() && portal.open.empty(), 5000);
        QVERIFY2(fake.odd.isEmpty() && portal.odd.isEmpty(), qPrintable((fake.odd + portal.odd).join(", ")));
    }

    // The player: a playing picture holds the inhibit, pausing, the end of the movie and
    // quitting let go of it, each within a second; a sound-only movie takes nothing.
    void playerHoldsItWhilePlayingAPicture()
    {
        serve(standard);
        qputenv("HOME", QFile::encodeName(home.path()));
        const QString clip = testsupport::makeVideo(home.path(), "clip.mp4", 320, 240, 2.0, false);
        const QString sound = testsupport::makeAudio(home.path(), "tone.m4a", 2.0);
        QVERIFY(!clip.isEmpty() && !sound.isEmpty());
        std::unique_ptr<QXMPController> c;
        testsupport::launchFreshController(c, home.path());
        const auto play = [&](const QString &path) {
            return c->chooseMovie(QUrl::fromLocalFile(path), true, true, false) && QTest::qWaitFor([&] { return c->ui().playerView->isPlaying(); });
        };
        QVERIFY(play(clip));
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 1, 1000); // within a tick or two
        c->pause();
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 0, 1000);
        QTest::qWait(600); // a tick while paused takes nothing
        QCOMPARE(fake.inhibits, 1);

        // Played to its end: the movie stays on its last frame and lets go.
        c->play();
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 1, 1000);
        VERIFY_SOON(!c->ui().playerView->isPlaying(), 4000);
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 0, 1000);

        QVERIFY(play(sound));
        QTest::qWait(700); // at least one tick
        QCOMPARE(fake.inhibits, 2);

        // Back to the picture, then quit while it plays.
        QVERIFY(play(clip));
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 1, 1000);
        c->runQuitSteps();
        QTRY_COMPARE_WITH_TIMEOUT(fake.active.size(), 0, 1000);
        QTest::qWait(600); // the timer, still running, does not take it again
        QCOMPARE(fake.active.size(), 0);
        c.reset();
        QVERIFY2(fake.odd.isEmpty(), qPrintable(fake.odd.join(", ")));
    }

    // A desktop with only the portal (a sandbox, GNOME): the playing picture's hold reaches it
    // with the movie's reason, and stopping closes that very request. With both services the
    // screen saver takes it and the portal hears nothing.
    void playerHoldsItThroughThePortal()
    {
        serve({}, true);
        qputenv("HOME", QFile::encodeName(home.path()));
        const QString clip = testsupport::makeVideo(home.path(), "clip.mp4", 320, 240, 2.0, false);
        QVERIFY(!clip.isEmpty());
        std::unique_ptr<QXMPController> c;
        testsupport::launchFreshController(c, home.path());
        const auto play = [&] {
            return c->chooseMovie(QUrl::fromLocalFile(clip), true, true, false)
                && QTest::qWaitFor([&] { return c->ui().playerView->isPlaying(); });
        };
        QVERIFY(play());
        VERIFY_SOON(portal.open.size() == 1, 1000);
        QCOMPARE(fake.inhibits, 0);
        QVERIFY2(portal.odd.isEmpty(), qPrintable(portal.odd.join(", ")));
        c->pause();
        // Close is served only on the request objects the portal handed out.
        VERIFY_SOON(portal.closes == 1 && portal.open.empty(), 1000);

        serve(standard, true);
        c->play();
        VERIFY_SOON(fake.active.size() == 1, 1000);
        c->pause();
        VERIFY_SOON(fake.active.isEmpty(), 1000);
        QCOMPARE(portal.inhibits, 0);
        c.reset();
        QVERIFY2(fake.odd.isEmpty() && portal.odd.isEmpty(), qPrintable((fake.odd + portal.odd).join(", ")));
    }
};

int main(int argc, char **argv)
{
    // On a session bus of its own, made before anything can reach for the user's.
    testsupport::restartOnPrivateBus(argc, argv);
    testsupport::useQuietEngineOutput();
    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    TestScreenSaver tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "test_screensaver_xvfb.moc"
