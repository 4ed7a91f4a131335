// Launches hand their files to the one running player. A lock decides who serves, so racing
// launches, a stopped player and a killed one all leave one player holding every file.
// These run the real vistrel binary.
#include "app/QXLaunchArguments.h"
#include "app/QXSingleInstance.h"
#include "ControllerFixture.h"

#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

static struct stat info(const QString &path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

class TestSingleInstance : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    QString clip, runtime;
    QStringList movies;
    std::vector<std::unique_ptr<QProcess>> launched;

    QProcess *launch(const QStringList &args)
    {
        launched.push_back(std::make_unique<QProcess>());
        launched.back()->start(testsupport::playerBinary(), args);
        return launched.back().get();
    }
    QList<QProcess *> running() const
    {
        QList<QProcess *> r;
        for (const auto &p : launched)
            if (p->state() != QProcess::NotRunning)
                r << p.get();
        return r;
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(home.path()));
        qunsetenv("XDG_CACHE_HOME");
        runtime = home.filePath("run");
        for (const auto &[dir, mode] : {std::pair(runtime + '/' + QString(90, 'x'), 0700), {runtime, 0700},
                                        {home.filePath("shared"), 0770}})
            QVERIFY(QDir().mkpath(dir) && ::chmod(QFile::encodeName(dir), mode_t(mode)) == 0);
        clip = testsupport::makeVideo(home.path(), "clip.mp4", 160, 120, 2.0);
        for (int i = 0; i < 30; ++i) {
            movies << home.filePath(QString("movie%1.mp4").arg(i, 2, 10, QChar('0')));
            QVERIFY(QFile::copy(clip, movies.last()));
        }
    }
    void init()
    {
        testsupport::useFreshSettings(home.path());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        QVERIFY(QXSettings::standard().setBool(true, QXKeys::DoNotForgetPlaylistOnQuit));
    }
    void cleanup()
    {
        for (QProcess *p : running()) {
            p->kill();
            p->waitForFinished();
        }
        launched.clear();
    }

    void launchesAtOnceLeaveOnePlayer_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("launches");
        QTest::newRow("no player") << "" << 30;
        QTest::newRow("player running") << "running" << 30;
        QTest::newRow("player stopped for 3 s") << "stopped" << 5;
        QTest::newRow("player killed, its socket and lock left") << "killed" << 5;
    }
    void launchesAtOnceLeaveOnePlayer()
    {
        QFETCH(QString, before);
        QFETCH(int, launches);
        QProcess *first = before.isEmpty() ? nullptr : launch({});
        if (first)
            VERIFY_SOON(S_ISSOCK(info(QXSingleInstance::socketPath()).st_mode), 20000);
        if (before == "stopped") {
            const pid_t pid = pid_t(first->processId());
            ::kill(pid, SIGSTOP);
            QTimer::singleShot(3000, this, [pid] { ::kill(pid, SIGCONT); });
        } else if (before == "killed") {
            first->kill();
            QVERIFY(first->waitForFinished(5000));
            QVERIFY(S_ISSOCK(info(QXSingleInstance::socketPath()).st_mode));
            first = nullptr;
        }
        const size_t clients = launched.size();
        for (int i = 0; i < launches; ++i)
            launch({movies.at(i)});

        // Every launch but the player ends, having handed its file over.
        QTRY_COMPARE_WITH_TIMEOUT(running().size(), 1, 20000);
        for (size_t i = clients; i < launched.size(); ++i)
            if (launched[i]->state() == QProcess::NotRunning)
                QVERIFY(launched[i]->exitStatus() == QProcess::NormalExit && launched[i]->exitCode() == 0);
        QProcess *player = running().first();
        QVERIFY(!first || player == first);
        QVERIFY(testsupport::quitBySignal(*player));
        QStringList stored = testsupport::storedPlaylistPaths();
        stored.sort(); // in the order the launches got through
        QCOMPARE(stored, movies.mid(0, launches));
    }

    // This process serves, its main thread blocked until the launch has ended: only the server
    // thread can answer. The rows choose where the socket goes.
    void busyPlayerStillAnswers_data()
    {
        QTest::addColumn<QByteArray>("runtimeDir"); // empty: unset
        QTest::addColumn<QString>("socketFolder");
        const QString cache = home.filePath(".cache/vistrel");
        QTest::newRow("runtime folder") << QFile::encodeName(runtime) << runtime;
        QTest::newRow("runtime folder unset") << QByteArray() << cache;
        QTest::newRow("runtime folder open to its group") << QFile::encodeName(home.filePath("shared")) << cache;
        QTest::newRow("socket path too long") << QFile::encodeName(runtime + '/' + QString(90, 'x')) << "/tmp/vistrel-";
    }
    void busyPlayerStillAnswers()
    {
        QFETCH(QByteArray, runtimeDir);
        QFETCH(QString, socketFolder);
        runtimeDir.isEmpty() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", runtimeDir);
        QString socket;
        {
            QXSingleInstance player;
            QCOMPARE(player.claim({}), QXSingleInstance::Role::Serve);
            QVERIFY(player.serve());
            socket = QXSingleInstance::socketPath();
            QVERIFY2(S_ISSOCK(info(socket).st_mode) && socket.startsWith(socketFolder), qPrintable(socket));
            const struct stat folder = info(QFileInfo(socket).path());
            QVERIFY(S_ISDIR(folder.st_mode) && folder.st_uid == getuid() && (folder.st_mode & 07777) == 0700);

            QSignalSpy received(&player, &QXSingleInstance::messageReceived);
            QProcess second;
            second.setWorkingDirectory(home.path());
            second.start(testsupport::playerBinary(), {"clip.mp4"}); // relative to its own folder
            QVERIFY(second.waitForFinished(20000));
            QCOMPARE(second.exitCode(), 0);
            QTRY_COMPARE(received.size(), 1);
            QCOMPARE(QXLaunchArguments::fromMessage(received.at(0).at(0).toByteArray()).files, QStringList{clip});
        }
        // The player that quits takes its socket along, and the folder when it made one.
        QVERIFY(!QFileInfo::exists(socket));
        QVERIFY(!socketFolder.startsWith("/tmp/vistrel-") || !QFileInfo::exists(QFileInfo(socket).path()));
    }

    void helpAndVersionNeedNoDisplay()
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        for (const auto &[arg, code, output] : {std::tuple("--version", 0, VISTREL_VERSION),
                                                {"--help", 0, "vistrelx://"}, {"--bogus", 2, "unknown option --bogus"}}) {
            p.start(testsupport::playerBinary(), {arg});
            QVERIFY(p.waitForFinished(5000));
            QCOMPARE(p.exitCode(), code);
            QVERIFY(p.readAll().contains(output));
        }
    }
};

VISTREL_TEST_MAIN(TestSingleInstance)
#include "test_single_instance_xvfb.moc"
