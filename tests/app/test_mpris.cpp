// The media player interfaces against a stand-in player, called by a second connection on a
// private bus: seek clamping, late SetPosition calls, refused writes and addresses, the
// coalescing of PropertiesChanged, and silence without a bus.
#include "app/QXMpris.h"
#include "ControllerFixture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QtTest>

namespace {

const QString Service = "org.mpris.MediaPlayer2.vistrel";
const QString Path = "/org/mpris/MediaPlayer2";
const QString Player = "org.mpris.MediaPlayer2.Player";
const QString Properties = "org.freedesktop.DBus.Properties";

// Records the commands it is given; its state is set by the test.
class StandInHost : public QXMprisHost
{
public:
    QXMprisState state;
    qint64 position = 0;
    QStringList calls;
    mutable int stateReads = 0;

    QXMprisState mprisState() const override
    {
        ++stateReads;
        return state;
    }
    qint64 positionUs() const override { return position; }
    void raise() override { calls << "raise"; }
    void quit() override { calls << "quit"; }
    void play() override { calls << "play"; }
    void pause() override { calls << "pause"; }
    void playPause() override { calls << "playPause"; }
    void stop() override { calls << "stop"; }
    void next() override { calls << "next"; }
    void previous() override { calls << "previous"; }
    void setPositionUs(qint64 us) override { calls << QString("position %1").arg(us); }
    void setVolume(double v) override { calls << QString("volume %1").arg(v); }
    void setRate(double r) override { calls << QString("rate %1").arg(r); }
    void openUrl(const QUrl &url) override { calls << "open " + url.toString(); }
};

class SignalRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QDBusMessage> received;
public slots:
    void record(const QDBusMessage &m) { received << m; }
};

} // namespace

class TestMpris : public QObject
{
    Q_OBJECT
    QDBusConnection client{QString()};
    StandInHost *host = nullptr;
    std::unique_ptr<QXMpris> mpris;

    void serve()
    {
        mpris.reset();
        auto stand = std::make_unique<StandInHost>();
        host = stand.get();
        host->state = {"Playing", true, true, true, true, true, 1.0, 1.0, "/org/vistrel/entry/7", "a.mp4",
                       QUrl("file:///m/a.mp4"), 60000000};
        host->position = 10000000;
        mpris = std::make_unique<QXMpris>(std::move(stand), QDBusConnection::sessionBus());
        QCOMPARE(mpris->serviceName(), Service);
    }
    QDBusMessage call(const QString &interface, const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage m = QDBusMessage::createMethodCall(Service, Path, interface, method);
        m.setArguments(arguments);
        return client.call(m, QDBus::BlockWithGui, 5000);
    }
    QVariant readProperty(const QString &name)
    {
        const QDBusMessage reply = call(Properties, "Get", {Player, name});
        return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).value<QDBusVariant>().variant() : QVariant();
    }

private slots:
    void initTestCase()
    {
        client = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), "client");
        QVERIFY2(client.isConnected() && QDBusConnection::sessionBus().isConnected(), "no private session bus");
    }
    void cleanupTestCase()
    {
        mpris.reset();
        QDBusConnection::disconnectFromBus("client");
    }

    void desktopFileMimeTypes()
    {
        const QByteArray file = "[Desktop Entry]\nName=Vistrel\nMimeType = video/mp4;x-scheme-handler/vistrel;audio/ogg;;\n"
                                "[Desktop Action Other]\nMimeType=text/plain;\n";
        QCOMPARE(QXDesktopFileMimeTypes(file), QStringList({"video/mp4", "audio/ogg"}));
        QCOMPARE(QXDesktopFileMimeTypes("[Desktop Action Other]\nMimeType=text/plain;\n"), QStringList());
    }

    // Calls as a client makes them, and what reaches the player.
    void callsReachThePlayerWithinItsRules_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<bool>("canSeek");
        QTest::addColumn<QStringList>("calls");
        const QVariant current = QVariant::fromValue(QDBusObjectPath("/org/vistrel/entry/7"));
        const QVariant stale = QVariant::fromValue(QDBusObjectPath("/org/vistrel/entry/6"));
        QTest::newRow("seek forward") << "Seek" << QVariantList{qlonglong(5000000)} << true << QStringList{"position 15000000"};
        QTest::newRow("seek back past the start") << "Seek" << QVariantList{qlonglong(-20000000)} << true << QStringList{"position 0"};
        QTest::newRow("seek past the end") << "Seek" << QVariantList{qlonglong(51000000)} << true << QStringList{"next"};
        QTest::newRow("seek where the movie cannot") << "Seek" << QVariantList{qlonglong(5000000)} << false << QStringList{};
        QTest::newRow("a huge offset does not wrap round") << "Seek" << QVariantList{std::numeric_limits<qlonglong>::min()} << true
                                                          << QStringList{"position 0"};
        QTest::newRow("position in the current entry") << "SetPosition" << QVariantList{current, qlonglong(30000000)} << true
                                                       << QStringList{"position 30000000"};
        QTest::newRow("position for an entry no longer current") << "SetPosition" << QVariantList{stale, qlonglong(30000000)}
                                                                 << true << QStringList{};
        QTest::newRow("position past the end") << "SetPosition" << QVariantList{current, qlonglong(60000001)} << true << QStringList{};
        QTest::newRow("an address of the web") << "OpenUri" << QVariantList{"https://127.0.0.1/x.mp4"} << true
                                               << QStringList{"open https://127.0.0.1/x.mp4"};
        QTest::newRow("another scheme") << "OpenUri" << QVariantList{"smb://host/x.mp4"} << true << QStringList{};
        QTest::newRow("not an address") << "OpenUri" << QVariantList{"::"} << true << QStringList{};
    }
    void callsReachThePlayerWithinItsRules()
    {
        QFETCH(QString, method);
        QFETCH(QVariantList, arguments);
        QFETCH(bool, canSeek);
        QFETCH(QStringList, calls);
        serve();
        host->state.canSeek = canSeek;
        const QDBusMessage reply = call(Player, method, arguments);
        // Only an address the player cannot open is answered with an error.
        const bool refusedAddress = method == "OpenUri" && calls.isEmpty();
        QCOMPARE(reply.type(), refusedAddress ? QDBusMessage::ErrorMessage : QDBusMessage::ReplyMessage);
        QCOMPARE(host->calls, calls);
    }

    void writesWithinRange_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("rate") << "Rate" << QVariant(1.5) << true << QStringList{"rate 1.5"};
        QTest::newRow("rate above the fastest") << "Rate" << QVariant(8.0) << true << QStringList{};
        QTest::newRow("rate nought pauses") << "Rate" << QVariant(0.0) << true << QStringList{"pause"};
        QTest::newRow("volume") << "Volume" << QVariant(0.25) << true << QStringList{"volume 0.25"};
        QTest::newRow("volume above full") << "Volume" << QVariant(3.0) << true << QStringList{"volume 1"};
        QTest::newRow("loop status is fixed") << "LoopStatus" << QVariant("Track") << false << QStringList{};
    }
    void writesWithinRange()
    {
        QFETCH(QString, property);
        QFETCH(QVariant, value);
        QFETCH(bool, accepted);
        QFETCH(QStringList, calls);
        serve();
        const QDBusMessage reply = call(Properties, "Set", {Player, property, QVariant::fromValue(QDBusVariant(value))});
        QCOMPARE(reply.type(), accepted ? QDBusMessage::ReplyMessage : QDBusMessage::ErrorMessage);
        QCOMPARE(host->calls, calls);
        QCOMPARE(readProperty("LoopStatus").toString(), QString("None"));
    }

    // Changes made together go out in one signal naming only them; nothing changed, nothing sent.
    void propertiesChangedCoalesced()
    {
        serve();
        SignalRecorder changes, seeks;
        QVERIFY(client.connect(QString(), Path, Properties, "PropertiesChanged", &changes, SLOT(record(QDBusMessage))));
        QVERIFY(client.connect(QString(), Path, Player, "Seeked", &seeks, SLOT(record(QDBusMessage))));
        // The match rules go to the bus without a reply: one answered call after them means the
        // bus has them, so no signal sent from here on is missed on a loaded machine.
        QVERIFY(client.interface()->isServiceRegistered(Service));

        host->state.status = "Paused";
        mpris->stateMayHaveChanged();
        host->state.volume = 0.5;
        host->state.title = "b.mp4";
        host->state.trackPath = "/org/vistrel/entry/8";
        mpris->stateMayHaveChanged();
        VERIFY_SOON(!changes.received.isEmpty(), 3000);
        mpris->stateMayHaveChanged();   // nothing new
        host->position = 42000000;
        mpris->sought();
        VERIFY_SOON(!seeks.received.isEmpty(), 3000);

        QCOMPARE(changes.received.size(), 1);
        const QList<QVariant> args = changes.received.first().arguments();
        QCOMPARE(args.value(0).toString(), Player);
        const QVariantMap changed = qdbus_cast<QVariantMap>(args.value(1));
        QCOMPARE(QStringList(changed.keys()), QStringList({"Metadata", "PlaybackStatus", "Volume"}));
        QCOMPARE(changed.value("PlaybackStatus").toString(), QString("Paused"));
        QCOMPARE(changed.value("Volume").toDouble(), 0.5);
        const QVariantMap metadata = qdbus_cast<QVariantMap>(changed.value("Metadata"));
        QCOMPARE(qdbus_cast<QDBusObjectPath>(metadata.value("mpris:trackid")).path(), QString("/org/vistrel/entry/8"));
        QCOMPARE(seeks.received.size(), 1);
        QCOMPARE(seeks.received.first().arguments().value(0).toLongLong(), 42000000LL);

        // Position is read when asked and never signalled.
        QCOMPARE(readProperty("Position").toLongLong(), 42000000LL);
        QCOMPARE(changes.received.size(), 1);
    }

    void noBusNoTrace()
    {
        mpris.reset();
        const QDBusConnection dead = QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "dead");
        auto stand = std::make_unique<StandInHost>();
        StandInHost *h = stand.get();
        QXMpris offline(std::move(stand), dead);
        offline.stateMayHaveChanged();
        offline.sought();
        QTest::qWait(50);
        QVERIFY(offline.serviceName().isEmpty());
        QVERIFY(h->calls.isEmpty());
        QCOMPARE(h->stateReads, 0);
        QDBusConnection::disconnectFromBus("dead");
    }
};

VISTREL_PRIVATE_BUS_TEST_MAIN(TestMpris)
#include "test_mpris.moc"
