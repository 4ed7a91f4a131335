// The real player on a private session bus, seen and driven by playerctl as a desktop's media
// widget would: status, play-pause, the playlist walk, seeking, metadata and volume; changes
// made by keys and the mouse reach a following playerctl as they happen; Quit over the bus saves
// the playlist. A second player, whose name is taken, is still found.
#include "ControllerFixture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

namespace {

QString xdotool(const QStringList &arguments) { return testsupport::runTool("xdotool", arguments); }
QString playerctl(const QStringList &arguments) { return testsupport::runTool("playerctl", QStringList{"-p", "vistrel"} + arguments); }
// A call to the player's object, its reply as dbus-send prints it.
QString send(const QStringList &call)
{
    return testsupport::runTool("dbus-send", QStringList{"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.vistrel",
                                                         "/org/mpris/MediaPlayer2"} + call);
}

// A following run (playerctl --follow, dbus-monitor): what it has printed so far.
class Follower
{
public:
    explicit Follower(const QString &program, const QStringList &arguments) { m_process.start(program, arguments); }
    explicit Follower(const QStringList &playerctlArguments)
        : Follower("playerctl", QStringList{"-p", "vistrel", "--follow"} + playerctlArguments) {}
    ~Follower()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    QStringList lines()
    {
        m_lines += QString::fromUtf8(m_process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return m_lines;
    }
    QString last() { return lines().isEmpty() ? QString() : m_lines.constLast(); }
    // dbus-monitor's lines of the Seeked signals: the position each carried.
    QStringList seeks()
    {
        QStringList positions;
        const QStringList all = lines();
        for (int i = 0; i + 1 < all.size(); ++i)
            if (all[i].contains("member=Seeked"))
                positions << all[i + 1].trimmed();
        return positions;
    }

private:
    QProcess m_process;
    QStringList m_lines;
};

} // namespace

class TestMprisBinary : public QObject
{
    Q_OBJECT
    testsupport::ManagedHome desk;
    QTemporaryDir &home = desk.home;
    QStringList clips;

private slots:
    void initTestCase()
    {
        QVERIFY(desk.start());
        for (const char *name : {"m1.mp4", "m2.mp4", "m3.mp4"})
            clips << testsupport::makeVideo(home.path(), name, 320, 240, 40.0, false);
    }

    void drivenThroughTheBus()
    {
        testsupport::useFreshSettings(home.path());
        QXSettings::standard().setBool(true, QXKeys::DoNotForgetPlaylistOnQuit);
        QXSettings::standard().setBool(true, QXKeys::HidePlaylist);
        QVERIFY(QXSettings::standard().flush());

        QProcess player;
        player.start(testsupport::playerBinary(), clips);
        const QString window = testsupport::findWindow("^m1.mp4$");
        QVERIFY(!window.isEmpty());
        xdotool({"windowactivate", "--sync", window});
        VERIFY_SOON(playerctl({"status"}) == "Playing", 10000);
        Follower status({"status"});
        Follower title({"metadata", "--format", "{{xesam:title}}"});
        VERIFY_SOON(status.last() == "Playing" && title.last() == "m1.mp4", 5000);

        // Paused from the bus: the picture stops.
        playerctl({"play-pause"});
        VERIFY_SOON(status.last() == "Paused", 3000);
        QCOMPARE(playerctl({"status"}), QString("Paused"));
        VERIFY_SOON(testsupport::pictureIsStill(window), 5000);

        // Keys pressed in the window reach the follower at once.
        xdotool({"key", "space"});
        VERIFY_SOON(status.last() == "Playing", 3000);
        xdotool({"key", "XF86AudioPlay"});
        VERIFY_SOON(status.last() == "Paused", 3000);
        xdotool({"key", "XF86AudioNext"});
        VERIFY_SOON(title.last() == "m2.mp4", 3000);
        VERIFY_SOON(xdotool({"getwindowname", window}) == "m2.mp4", 3000);

        // The playlist's walk from the bus.
        playerctl({"next"});
        VERIFY_SOON(title.last() == "m3.mp4", 3000);
        playerctl({"previous"});
        VERIFY_SOON(title.last() == "m2.mp4", 3000);
        QCOMPARE(playerctl({"metadata", "xesam:title"}), QString("m2.mp4"));
        QCOMPARE(playerctl({"metadata", "xesam:url"}), QUrl::fromLocalFile(clips[1]).toString());
        QVERIFY(qAbs(playerctl({"metadata", "mpris:length"}).toLongLong() - 40000000) < 200000);

        // A seek by position, read back; each seek, from the bus or by key, and no playing on,
        // is told.
        Follower seeked("dbus-monitor", {"--session", "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked'"});
        // It is a monitor, seeing every signal from here on, once the bus has taken its name.
        VERIFY_SOON(seeked.lines().join('\n').contains("member=NameLost"), 5000);
        playerctl({"position", "30"});
        VERIFY_SOON(qAbs(playerctl({"position"}).toDouble() - 30.0) < 0.5, 3000);
        VERIFY_SOON(seeked.seeks() == QStringList{"int64 30000000"}, 3000);
        xdotool({"key", "ctrl+Left"});
        VERIFY_SOON(seeked.seeks().size() == 2, 3000);
        QVERIFY(seeked.seeks().constLast().startsWith("int64 2"));

        // The mouse on the play button.
        const QImage before = testsupport::grabWindow(window);
        xdotool({"mousemove", "--window", window, "32", QString::number(before.height() - 19), "click", "1"});
        VERIFY_SOON(status.last() == "Playing", 3000);
        // Stopped by key: back at the start until played again.
        xdotool({"key", "XF86AudioStop"});
        VERIFY_SOON(status.last() == "Stopped", 3000);
        QVERIFY(playerctl({"position"}).toDouble() < 0.5);
        playerctl({"play"});
        VERIFY_SOON(status.last() == "Playing", 3000);
        QTest::qWait(1000);
        QCOMPARE(seeked.seeks().size(), 3);   // the stop's return to the start; none while playing

        // Half volume moves the slider, whose value the player reads back and keeps.
        playerctl({"volume", "0.5"});
        VERIFY_SOON(playerctl({"volume"}).toDouble() == 0.5, 3000);
        QTest::qWait(300);

        // The speed as Rate, and Raise bringing back a minimized window.
        send({"org.freedesktop.DBus.Properties.Set", "string:org.mpris.MediaPlayer2.Player", "string:Rate", "variant:double:2"});
        VERIFY_SOON(send({"org.freedesktop.DBus.Properties.Get", "string:org.mpris.MediaPlayer2.Player", "string:Rate"})
                        .contains("double 2"), 3000);
        xdotool({"windowminimize", "--sync", window});
        send({"org.mpris.MediaPlayer2.Raise"});
        VERIFY_SOON(xdotool({"getactivewindow"}) == window, 3000);

        // Quit over the bus: the player's own way out, playlist saved.
        send({"org.mpris.MediaPlayer2.Quit"});
        QVERIFY(player.state() == QProcess::NotRunning || player.waitForFinished(10000));
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.exitCode(), 0);
        QCOMPARE(testsupport::storedPlaylistPaths(), clips);
        QCOMPARE(QXSettings::standard().doubleForKey(QXKeys::Volume), 0.5);
    }

    void secondPlayerTakesAnInstanceName()
    {
        testsupport::useFreshSettings(home.path());
        QDBusConnection other = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), "other-player");
        QVERIFY(other.isConnected());
        QVERIFY(other.registerService("org.mpris.MediaPlayer2.vistrel"));

        QProcess player;
        player.start(testsupport::playerBinary(), clips.mid(0, 1));
        QVERIFY(!testsupport::findWindow("^m1.mp4$").isEmpty());
        const QString instance = QString("vistrel.instance%1").arg(player.processId());
        VERIFY_SOON(testsupport::runTool("playerctl", {"-l"}).split('\n').contains(instance), 5000);
        VERIFY_SOON(testsupport::runTool("playerctl", {"-p", instance, "status"}) == "Playing", 5000);
        QVERIFY(testsupport::quitBySignal(player));
        QDBusConnection::disconnectFromBus("other-player");
    }
};

VISTREL_PRIVATE_BUS_TEST_MAIN(TestMprisBinary)
#include "test_mpris_binary_xvfb.moc"
