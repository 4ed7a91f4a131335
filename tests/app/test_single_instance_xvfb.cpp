// Launches hand their files to the one running player. A lock decides who serves, so racing
// launches, a stopped player and a killed one all leave exactly one player holding every file.
// These run the real vistrel binary.
#include "app/QXLaunchArguments.h"
#include "app/QXSettings.h"
#include "app/QXSingleInstance.h"
#include "util/QXPathInfo.h"
#include "TestSupport.h"

#include <QApplication>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

// The playlist the player stored at quit, as sorted paths.
static QStringList storedPlaylist()
{
    QXSettings::resetStandard();
    QStringList paths;
    for (const QJsonValue &v : QXSettings::standard().objectForKey(QXKeys::PlaylistMovies).toArray())
        paths << QXPathInfo::stringByExpandingTildeInPath(v.toObject().value(QXKeys::EntryPath).toString());
    paths.sort();
    return paths;
}

static mode_t fileType(const QString &path, uid_t *owner = nullptr, mode_t *permissions = nullptr)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    if (owner)
        *owner = st.st_uid;
    if (permissions)
        *permissions = st.st_mode & 07777;
    return st.st_mode & S_IFMT;
}

static bool isSocket(const QString &path) { return fileType(path) == S_IFSOCK; }

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
        launched.back()->setProcessChannelMode(QProcess::ForwardedChannels);
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
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        qunsetenv("XDG_CACHE_HOME");
        runtime = home.filePath("run");
        const QString longRuntime = runtime + '/' + QString(90, 'x');
        QVERIFY(QDir().mkpath(longRuntime) && QDir().mkpath(home.filePath("shared")));
        QVERIFY(::chmod(QFile::encodeName(runtime), 0700) == 0 && ::chmod(QFile::encodeName(longRuntime), 0700) == 0);
        QVERIFY(::chmod(QFile::encodeName(home.filePath("shared")), 0770) == 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        clip = testsupport::makeVideo(home.path(), "clip.mp4", 160, 120, 2.0);
        QVERIFY(!clip.isEmpty());
        for (int i = 0; i < 30; ++i) {
            movies << home.filePath(QString("movie%1.mp4").arg(i, 2, 10, QChar('0')));
            QVERIFY(QFile::copy(clip, movies.last()));
        }
        QVERIFY(QFileInfo(testsupport::playerBinary()).isExecutable());
    }

    void init()
    {
        static int n = 0;
        const QString config = home.filePath(QString("config%1").arg(++n));
        testsupport::isolateSettings(config);
        QVERIFY(QDir().mkpath(config + "/Vistrel"));
        QVERIFY(!testsupport::makeFile(config + "/Vistrel", "settings.json",
                                       R"({"Do Not Forget Playlist On Quit": true})").isEmpty());
    }

    void cleanup()
    {
        for (QProcess *p : running()) {
            ::kill(pid_t(p->processId()), SIGCONT);
            p->kill();
            p->waitForFinished();
        }
        launched.clear();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
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
        QProcess *first = nullptr;
        if (!before.isEmpty()) {
            first = launch({});
            QTRY_VERIFY_WITH_TIMEOUT(isSocket(QXSingleInstance::socketPath()), 20000);
        }
        const pid_t firstPid = first ? pid_t(first->processId()) : 0;
        if (before == "stopped") {
            ::kill(firstPid, SIGSTOP);
            QTimer::singleShot(3000, this, [firstPid] { ::kill(firstPid, SIGCONT); });
        } else if (before == "killed") {
            ::kill(firstPid, SIGKILL);
            QVERIFY(first->waitForFinished(5000));
            QVERIFY(isSocket(QXSingleInstance::socketPath()));
            first = nullptr;
        }
        const qsizetype clients = qsizetype(launched.size());
        for (int i = 0; i < launches; ++i)
            launch({movies.at(i)});

        // Every launch but the player ends, handing its file over; none becomes a second player.
        QTRY_COMPARE_WITH_TIMEOUT(running().size(), 1, 20000);
        for (qsizetype i = clients; i < qsizetype(launched.size()); ++i) {
            if (launched.at(i)->state() == QProcess::NotRunning) {
                QCOMPARE(launched.at(i)->exitStatus(), QProcess::NormalExit);
                QCOMPARE(launched.at(i)->exitCode(), 0);
            }
        }
        QProcess *player = running().first();
        if (first)
            QCOMPARE(player, first);
        ::kill(pid_t(player->processId()), SIGTERM);
        QVERIFY(player->waitForFinished(20000));
        QCOMPARE(player->exitCode(), 0);
        QCOMPARE(storedPlaylist(), movies.mid(0, launches));
    }

    // This process serves; its main thread stays blocked until the launch has ended, so only
    // the server thread can answer. The rows choose where the socket goes.
    void busyPlayerStillAnswers_data()
    {
        QTest::addColumn<QString>("runtimeDir"); // empty: unset
        QTest::addColumn<QString>("socketFolder");
        const QString cache = home.filePath(".cache/vistrel");
        QTest::newRow("runtime folder") << runtime << runtime;
        QTest::newRow("runtime folder unset") << QString() << cache;
        QTest::newRow("runtime folder open to its group") << home.filePath("shared") << cache;
        QTest::newRow("socket path too long") << runtime + '/' + QString(90, 'x') << "/tmp/vistrel-";
    }
    void busyPlayerStillAnswers()
    {
        QFETCH(QString, runtimeDir);
        QFETCH(QString, socketFolder);
        if (runtimeDir.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir));
        QString socket;
        {
            QXSingleInstance player;
            QCOMPARE(player.claim({}), QXSingleInstance::Role::Serve);
            QVERIFY(player.serve());
            socket = QXSingleInstance::socketPath();
            QVERIFY2(isSocket(socket) && socket.startsWith(socketFolder), qPrintable(socket));
            uid_t owner = 0;
            mode_t permissions = 0;
            const QString folder = QFileInfo(socket).path();
            QCOMPARE(fileType(folder, &owner, &permissions), mode_t(S_IFDIR));
            QCOMPARE(owner, getuid());
            QCOMPARE(permissions, mode_t(0700));
            QVERIFY(folder != "/tmp");

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
        if (socketFolder.startsWith("/tmp/vistrel-"))
            QVERIFY(!QFileInfo::exists(QFileInfo(socket).path()));
    }

    void helpAndVersionNeedNoDisplay()
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        p.setProcessEnvironment(env);
        p.start(testsupport::playerBinary(), {"--version"});
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput().trimmed(), QByteArray(VISTREL_VERSION));
        p.start(testsupport::playerBinary(), {"--help"});
        QVERIFY(p.waitForFinished(5000));
        QVERIFY(p.readAllStandardOutput().contains("vistrelx://"));
        p.start(testsupport::playerBinary(), {"--bogus"});
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 2);
    }
};

VISTREL_TEST_MAIN(TestSingleInstance)
#include "test_single_instance_xvfb.moc"
