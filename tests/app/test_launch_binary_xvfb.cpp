// The real vistrel binary: names that are not UTF-8 (from its command line, a folder and the
// hand-over), a signal in the middle of a long folder walk, a stream from the command line
// drawn at every launch, and the window's place kept while closing without a tray quits.
#include "engine/QXFileNames.h"
#include "ControllerFixture.h"

#include <QtTest>

#include <unistd.h>

namespace {

// Runs the player with arguments given as shell words, so that they can hold any byte
// (QProcess would pass them through the locale's text encoding).
void startWithRawArguments(QProcess &p, const QString &cwd, const QString &shellWords)
{
    p.setWorkingDirectory(cwd);
    p.start("sh", {"-c", "exec \"$0\" " + shellWords, testsupport::playerBinary()});
}

QString xdotool(const QStringList &arguments) { return testsupport::runTool("xdotool", arguments); }
QString windowNamed(const QString &prefix) { return testsupport::findWindow("^" + prefix); }
QImage grab(const QString &window) { return testsupport::grabWindow(window); }

// The strong colours of the test picture, which the window's controls lack.
double saturatedShare(const QString &window) { return testsupport::colourfulShare(grab(window), 120); }

} // namespace

class TestLaunchBinary : public QObject
{
    Q_OBJECT
    QTemporaryDir home;

    QString at(const QString &name) const { return home.filePath(name); }

    // A fresh settings folder with the playlist kept over a quit, shared with the child.
    void keepPlaylist()
    {
        testsupport::useFreshSettings(home.path());
        QXSettings::standard().setBool(true, QXKeys::DoNotForgetPlaylistOnQuit);
    }

    // The window's title shows what it can of the movie's name, and its picture moves.
    static bool playsInWindowNamed(const QString &stem)
    {
        const QString window = windowNamed(stem);
        if (window.isEmpty() || !QTest::qWaitFor([&] { return xdotool({"getwindowname", window}) == stem + QChar(QChar::ReplacementCharacter) + ".mp4"; }, 5000)
            || !QTest::qWaitFor([&] { return saturatedShare(window) > 0.2; }, 15000))
            return false;
        const QImage before = grab(window);
        return QTest::qWaitFor([&] { return grab(window) != before; }, 5000);
    }

    // 20,000 names of one file that every probe has to look at closely: a walk of many
    // seconds, made in a fraction of one.
    bool makeHugeFolder(const QString &name, int count = 20000)
    {
        QDir().mkpath(at(name));
        QByteArray noise(64 * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        const QString seed = testsupport::makeFile(home.path(), name + "-noise.mp4", noise);   // links per file are limited
        for (int i = 0; i < count; ++i)
            if (::link(QFile::encodeName(seed).constData(),
                       QFile::encodeName(at(QString("%1/n%2.mp4").arg(name).arg(i))).constData()) != 0)
                return false;
        return true;
    }

    // The walk is inside the folder: the probe holds one of its files.
    bool walking(const QProcess &player, const QString &folder) const
    {
        const QString fds = QString("/proc/%1/fd").arg(player.processId());
        for (const QFileInfo &fd : QDir(fds).entryInfoList(QDir::Files | QDir::System))
            if (fd.symLinkTarget().startsWith(at(folder + "/")))
                return true;
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        testsupport::useHome(home.path());
        QVERIFY(QFileInfo(testsupport::playerBinary()).isExecutable());
    }

    void namesThatAreNotUtf8PlayAndArePlaylisted()
    {
        keepPlaylist();
        QDir().mkpath(at("folder"));
        const QString made = testsupport::makeVideo(home.path(), "made.mp4", 320, 240, 30.0, false);
        QVERIFY(!made.isEmpty());
        QSet<QUrl> expected;
        for (const char *name : {"cmd", "folder/inside", "handed"}) {
            const QByteArray raw = QFile::encodeName(at(name)) + "\xff.mp4"; // 0xFF is no UTF-8 anywhere
            QVERIFY(::link(QFile::encodeName(made).constData(), raw.constData()) == 0);
            expected.insert(QXFileNames::fileURL(QXFileNames::decode(raw)));
        }

        // From the command line (relative to its folder) and a folder walk ...
        QProcess player;
        startWithRawArguments(player, home.path(), "\"$(printf 'cmd\\377.mp4')\" folder");
        QVERIFY(player.waitForStarted());
        QVERIFY(playsInWindowNamed("cmd"));   // first of the two by name
        // ... and through the hand-over of a second launch.
        QProcess second;
        startWithRawArguments(second, home.path(), "\"$(printf 'handed\\377.mp4')\"");
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);

        QVERIFY(playsInWindowNamed("handed"));
        QVERIFY(testsupport::quitBySignal(player));

        // Saved under their addresses (the bytes percent-encoded), and restored to the same
        // addresses and to paths that open.
        QXSettings::resetStandard();
        const QJsonArray stored = QXSettings::standard().storedPlaylist();
        QXMPController restored;
        restored.applicationDidFinishLaunching();
        QCOMPARE(restored.playlist().count(), stored.size());
        QSet<QUrl> saved;
        for (int i = 0; i < stored.size(); ++i) {
            const QJsonObject entry = stored.at(i).toObject();
            const QXMovieRepresentationRef &r = restored.playlist().entries().at(i);
            QVERIFY(!entry.contains("Path") && entry.value("URL").toString().endsWith("%FF.mp4"));
            QCOMPARE(r->URLString(), entry.value("URL").toString());
            QVERIFY(::access(QXFileNames::encode(r->path()).constData(), R_OK) == 0);
            saved.insert(r->URL());
        }
        QCOMPARE(saved, expected);
    }

    void signalEndsALongFolderWalk()
    {
        keepPlaylist();
        QVERIFY(makeHugeFolder("huge"));

        QProcess player;
        player.start(testsupport::playerBinary(), {at("huge")});
        QVERIFY(player.waitForStarted());
        // Signalled while the walk is inside the folder (the probe holds one of its files),
        // after a second launch handed over a movie, which waits behind the walk.
        VERIFY_SOON(walking(player, "huge"), 20000);
        const QString handed = testsupport::makeVideo(home.path(), "handed-during-walk.mp4", 64, 48, 1.0, false);
        QProcess second;
        second.start(testsupport::playerBinary(), {handed});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(walking(player, "huge") || QTest::qWaitFor([&] { return walking(player, "huge"); }, 2000));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(testsupport::quitBySignal(player));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString("quit after %1 ms").arg(clock.elapsed())));
        // The quit steps ran (the playlist was written); the cancelled walk added nothing, the
        // movie handed over before the quit is kept.
        QCOMPARE(testsupport::storedPlaylistPaths(), QStringList{handed});
        QVERIFY(QFileInfo::exists(QXSettings::standard().playlistFilePath()));
    }

    void escapeStopsALongFolderWalkKeepingWhatItFound()
    {
        keepPlaylist();
        QVERIFY(makeHugeFolder("slow", 60000));
        for (const char *name : {"kept/b.mp4", "kept/a.mp4"}) {
            QDir().mkpath(at("kept"));
            QVERIFY(!testsupport::makeVideo(at("kept"), QFileInfo(name).fileName(), 320, 240, 30.0, false).isEmpty());
        }
        QProcess openbox;
        QVERIFY(testsupport::startWindowManager(openbox));
        QProcess player;
        player.start(testsupport::playerBinary(), {at("kept"), at("slow")});
        QVERIFY(player.waitForStarted());

        // The window is there while the walk goes on, and after half a second says how far
        // it got: its picture changes as the count grows, nothing else moving.
        QString window;
        VERIFY_SOON(!(window = xdotool({"search", "--onlyvisible", "--name", "^Vistrel$"})).isEmpty(), 10000);
        VERIFY_SOON(walking(player, "slow"), 5000);
        QTest::qWait(800);
        const QImage first = grab(window);
        VERIFY_SOON(grab(window) != first, 3000);
        VERIFY_SOON(walking(player, "slow"), 5000);

        // Escape ends it; the movies found before it are listed, the first by name plays.
        xdotool({"windowactivate", "--sync", window});
        xdotool({"key", "Escape"});
        VERIFY_SOON(xdotool({"getwindowname", window}) == "a.mp4", 5000);
        VERIFY_SOON(saturatedShare(window) > 0.2, 15000);
        QVERIFY(testsupport::quitBySignal(player));
        QCOMPARE(testsupport::storedPlaylistPaths(), (QStringList{at("kept/a.mp4"), at("kept/b.mp4")}));
        openbox.kill();
        openbox.waitForFinished();
    }

    void streamFromTheCommandLineDrawsEveryTime()
    {
        // A server without byte ranges, as python's is; ten launches, each must draw its picture.
        const QString clip = testsupport::ffmpeg(at("web.mp4"),
            {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=20", "-c:v", "libx264", "-preset",
             "ultrafast", "-pix_fmt", "yuv420p", "-movflags", "+faststart"});
        QVERIFY(!clip.isEmpty());
        QProcess server;
        const QString url = testsupport::startServer(server, {testsupport::supportFile("test_http_server.py"), home.path()}) + "/plain/web.mp4";
        QVERIFY(url.startsWith("http"));
        for (int launch = 0; launch < 10; ++launch) {
            keepPlaylist();
            QProcess player;
            player.start(testsupport::playerBinary(), {url});
            QVERIFY(player.waitForStarted());
            const QString window = windowNamed("http://127");
            QVERIFY2(!window.isEmpty() && QTest::qWaitFor([&] { return saturatedShare(window) > 0.15; }, 10000),
                     qPrintable(QString("launch %1 drew no picture").arg(launch)));
            QVERIFY(testsupport::quitBySignal(player));
        }
        server.kill();
        server.waitForFinished();
    }

    void windowPlaceIsKeptAndClosingWithoutATrayQuits()
    {
        QProcess openbox;
        QVERIFY(testsupport::startWindowManager(openbox));
        keepPlaylist();
        const QString clip = testsupport::makeVideo(home.path(), "placed.mp4", 320, 240, 20.0, false);
        const auto placeOf = [](const QString &window) {
            const QString geometry = xdotool({"getwindowgeometry", window});
            const QString at = geometry.section("Position: ", 1).section(' ', 0, 0);
            return QPoint(at.section(',', 0, 0).toInt(), at.section(',', 1).toInt());
        };
        QProcess player;
        player.start(testsupport::playerBinary(), {clip});
        QString window = windowNamed("placed");
        QVERIFY(!window.isEmpty());
        const QPoint centred = placeOf(window);
        xdotool({"windowmove", window, "40", "90"});
        VERIFY_SOON(placeOf(window) != centred, 5000);
        const QPoint left = placeOf(window);
        QTest::qWait(1500);   // a move comes to rest before it is kept
        // Closed by the window manager with no tray to wait in: the player quits, saving as usual.
        xdotool({"windowactivate", "--sync", window});
        xdotool({"key", "--clearmodifiers", "alt+F4"});
        // It may be gone while xdotool runs, and then waiting for it reports false.
        QVERIFY(player.state() == QProcess::NotRunning || player.waitForFinished(10000));
        QCOMPARE(player.exitCode(), 0);
        QCOMPARE(testsupport::storedPlaylistPaths(), QStringList{clip});

        // The next launch opens where the window was left, title bar on screen.
        player.start(testsupport::playerBinary(), {clip});
        window = windowNamed("placed");
        QTRY_COMPARE(placeOf(window), left);
        QVERIFY(testsupport::quitBySignal(player));
        openbox.kill();
        openbox.waitForFinished();
    }
};

VISTREL_TEST_MAIN(TestLaunchBinary)
#include "test_launch_binary_xvfb.moc"
