// The real vistrel binary at launch: settings that cannot be read keep the stored playlist,
// several files and addresses play the first of them, files that cannot open say why, a
// window kept hidden stays reachable, Escape gives the window its plain title back, the
// secure own scheme opens, and a machine without sound says so once.
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QtTest>

#include <sys/stat.h>

namespace {

QString xdotool(const QStringList &arguments) { return testsupport::runTool("xdotool", arguments); }
QString windowTitle(const QString &window) { return xdotool({"getwindowname", window}); }
// The visible window of that exact title, or empty (no waiting).
QString visibleWindow(const QString &title)
{
    return xdotool({"search", "--onlyvisible", "--name", "^" + QRegularExpression::escape(title) + "$"}).section('\n', 0, 0);
}

} // namespace

class TestOpeningBinary : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    QProcess server;
    QString origin;   // the test server's address
    QString at(const QString &name) const { return home.filePath(name); }

    // A launch of the player on this test's settings, its stderr kept apart.
    static void start(QProcess &player, const QStringList &arguments)
    {
        player.setProcessChannelMode(QProcess::SeparateChannels);
        player.start(testsupport::playerBinary(), arguments);
        QVERIFY(player.waitForStarted());
    }
    // A second launch, which hands its arguments to the running player and ends.
    static bool handOver(const QStringList &arguments)
    {
        QProcess second;
        second.start(testsupport::playerBinary(), arguments);
        return second.waitForFinished(10000) && second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0;
    }
    // The first launch serves later ones once its hand-over socket is there.
    bool serving() const
    {
        for (const QFileInfo &f : QDir(at("run")).entryInfoList(QDir::System | QDir::Files)) {
            struct stat st;
            if (f.fileName().startsWith("vistrel-") && ::lstat(QFile::encodeName(f.filePath()), &st) == 0 && S_ISSOCK(st.st_mode))
                return true;
        }
        return false;
    }
    // The window plays what its title names: the title stays and the test picture shows.
    static bool shows(const QString &window, const QString &title)
    {
        return QTest::qWaitFor([&] { return windowTitle(window) == title; }, 15000)
            && QTest::qWaitFor([&] { return testsupport::colourfulShare(testsupport::grabWindow(window), 120) > 0.15; }, 15000)
            && windowTitle(window) == title;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        QVERIFY(QDir().mkpath(at("run")) && ::chmod(QFile::encodeName(at("run")), 0700) == 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(at("run")));
        const QString clip = testsupport::ffmpeg(at("1.mp4"),
            {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=20", "-c:v", "libx264", "-preset",
             "ultrafast", "-pix_fmt", "yuv420p", "-movflags", "+faststart"});
        QVERIFY(!clip.isEmpty());
        for (const char *copy : {"2.mp4", "3.mp4", "local.mp4"})
            QVERIFY(QFile::copy(clip, at(copy)));
        origin = testsupport::startServer(server, {testsupport::supportFile("test_http_server.py"), home.path()});
        QVERIFY(origin.startsWith("http"));
    }
    void cleanupTestCase()
    {
        server.kill();
        server.waitForFinished();
    }
    void init() { testsupport::useFreshSettings(home.path()); }

    // Settings set aside at launch take the stored playlist with them: neither the launch nor
    // the quit (which reads the flag as false) removes it, and stderr says where it went.
    void unreadableSettingsKeepThePlaylist_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("truncated") << QByteArray("{\"Do Not Forget Playlist On Quit\": tr");
        QTest::newRow("no object") << QByteArray("[true]");
    }
    void unreadableSettingsKeepThePlaylist()
    {
        QFETCH(QByteArray, settings);
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY(testsupport::writeSettingsFile(config, settings));
        const QString folder = config + "/Vistrel";
        const QByteArray stored = "[\n    {\"Path\":\"~/local.mp4\"},\n    {\"URL\":\"http://h/a.mp4\"}\n]\n";
        QVERIFY(!testsupport::makeFile(folder, "playlist.json", stored).isEmpty());

        QProcess player;
        start(player, {});
        QVERIFY(!testsupport::findWindow("^Vistrel$").isEmpty());
        QVERIFY(testsupport::quitBySignal(player));
        const QString err = player.readAllStandardError();

        const QStringList kept = QDir(folder).entryList({"playlist.json.kept-*"});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(testsupport::readFile(folder + "/" + kept.first()), stored);
        QVERIFY2(err.contains(folder + "/" + kept.first()), qPrintable(err));
        QCOMPARE(QDir(folder).entryList({"settings.json.corrupt-*"}).size(), 1);
    }

    // What one launch or hand-over names is opened together, and the first of it in the
    // playlist (sorted by address) is the one shown and played.
    void firstOfWhatIsHandedOverPlays_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("handedOver");
        QTest::addColumn<QString>("title");
        const QString u = origin + "/plain/%1.mp4";
        QTest::newRow("two addresses") << QStringList{u.arg(1), u.arg(2)} << false << u.arg(1);
        QTest::newRow("three addresses") << QStringList{u.arg(2), u.arg(1), u.arg(3)} << false << u.arg(1);
        QTest::newRow("file among addresses") << QStringList{u.arg(2), at("local.mp4"), u.arg(1)} << false << "local.mp4";
        QTest::newRow("handed over") << QStringList{u.arg(1), u.arg(2)} << true << u.arg(1);
    }
    void firstOfWhatIsHandedOverPlays()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, handedOver);
        QFETCH(QString, title);
        QProcess player;
        start(player, handedOver ? QStringList() : arguments);
        if (handedOver) {
            VERIFY_SOON(serving(), 10000);
            QVERIFY(handOver(arguments));
        }
        const QString window = testsupport::findWindow("^" + QRegularExpression::escape(title.left(12)));
        QVERIFY(!window.isEmpty());
        QVERIFY2(shows(window, title), qPrintable(windowTitle(window)));
        QVERIFY(testsupport::quitBySignal(player));
    }

    // A file that cannot open, named alone: the reason in the picture and on stderr, a beep.
    void fileThatCannotOpenSaysWhy_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "such.mp4" << QByteArray() << "no such file";
        QTest::newRow("empty") << "empty.mp4" << QByteArray() << "not a movie";
        QTest::newRow("text") << "notes.mp4" << QByteArray("just some words\n") << "not a movie";
    }
    void fileThatCannotOpenSaysWhy()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString path = QTest::currentDataTag() == QLatin1String("missing") ? at("no/" + name)
                                                                                 : testsupport::makeFile(home.path(), name, bytes);
        QProcess player;
        start(player, {path});
        QVERIFY(!testsupport::findWindow("^Vistrel$").isEmpty());
        QVERIFY(testsupport::quitBySignal(player));
        const QString err = player.readAllStandardError();
        QVERIFY2(err.contains(QString("Vistrel: cannot open %1: %2\n").arg(path, reason)), qPrintable(err));

        // The same hand-over in the player's own window.
        auto c = std::make_unique<QXMPController>();
        c->applicationOpenFiles({path});
        c->applicationDidFinishLaunching();
        VERIFY_SOON(c->ui().playerWindow->isVisible(), 5000);
        QCOMPARE(c->selectionMessage(), QString("\"%1\"\nCannot open: %2").arg(name, reason));
        // Drawn as a failure, in the ink that reads.
        QVERIFY(c->selectionMessageIsFailure());
        QCOMPARE(c->beepCount(), 1);
        // A movie chosen afterwards takes the message's place.
        QVERIFY(c->chooseMovie(QUrl::fromLocalFile(at("local.mp4")), true, false, false));
        QVERIFY(!c->selectionMessage().contains("Cannot open"));
    }

    // "Do Not Show Window On Startup" without a tray would hide the player for good: the window
    // shows. With a tray it waits there, and a launch with nothing to open brings it.
    void windowHiddenAtStartupStaysReachable()
    {
        QXSettings::standard().setBool(true, QXKeys::DoNotShowWindowOnStartup);
        QVERIFY(QXSettings::standard().flush());
        QProcess player;
        start(player, {});
        QVERIFY(!testsupport::findWindow("^Vistrel$").isEmpty());
        QVERIFY(testsupport::quitBySignal(player));

        QProcess tray;
        tray.start("trayer", {});
        VERIFY_SOON(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        start(player, {});
        VERIFY_SOON(serving(), 10000);
        QTest::qWait(500);   // time for a window that would wrongly show
        QVERIFY(visibleWindow("Vistrel").isEmpty());
        QVERIFY(handOver({}));
        VERIFY_SOON(!visibleWindow("Vistrel").isEmpty(), 10000);
        QVERIFY(testsupport::quitBySignal(player));
        tray.kill();
        tray.waitForFinished();
    }

    // Escape pauses, then closes the movie: the title goes back to the plain one.
    void escapeClosesTheMovieAndItsTitle()
    {
        QProcess openbox;
        QVERIFY(testsupport::startWindowManager(openbox));
        QProcess player;
        start(player, {at("local.mp4")});
        const QString window = testsupport::findWindow("^local.mp4$");
        QVERIFY(!window.isEmpty());
        xdotool({"windowactivate", "--sync", window});
        xdotool({"key", "Escape"});
        QTest::qWait(300);
        xdotool({"key", "Escape"});
        VERIFY2_SOON(windowTitle(window) == "Vistrel", qPrintable(windowTitle(window)), 5000);
        QVERIFY(testsupport::quitBySignal(player));
        openbox.kill();
        openbox.waitForFinished();
    }

    // vistrelxs: on the command line stands for https: (the plain server cannot answer it, but
    // the address is listed and chosen).
    void secureOwnSchemeOpens()
    {
        QProcess player;
        const QString address = origin.mid(4) + "/plain/1.mp4";   // "://127.0.0.1:port/..."
        start(player, {"vistrelxs" + address});
        const QString window = testsupport::findWindow("^https");
        QVERIFY(!window.isEmpty());
        QCOMPARE(windowTitle(window), "https" + address);
        QVERIFY(testsupport::quitBySignal(player));
    }

    // Without a sound device (as on this machine) movies with sound play silently: one line says
    // so, for the first movie and not again, and the sound libraries' own lines stay away.
    void withoutSoundOneLine()
    {
        const QString tone = testsupport::makeVideo(home.path(), "tone.mp4", 320, 240, 20.0, true);
        const QString other = testsupport::makeVideo(home.path(), "other.mp4", 320, 240, 20.0, true);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("VISTREL_AO");
        QProcess player;
        player.setProcessEnvironment(env);
        start(player, {tone});
        QVERIFY(shows(testsupport::findWindow("^tone.mp4$"), "tone.mp4"));
        QVERIFY(handOver({other}));
        QVERIFY(shows(testsupport::findWindow("^other.mp4$"), "other.mp4"));
        QVERIFY(testsupport::quitBySignal(player));
        const QString err = player.readAllStandardError();
        QCOMPARE(err.count("no sound device"), 1);
        QVERIFY2(!err.contains("ALSA") && !err.contains("pw."), qPrintable(err));
    }
};

VISTREL_TEST_MAIN(TestOpeningBinary)
#include "test_opening_binary_xvfb.moc"
