// A second launch hands its files to the running player and exits; a signal quits through
// the same steps as the Quit command. These run the real vistrel binary.
#include "app/QXLaunchArguments.h"
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "app/QXSingleInstance.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "TestSupport.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

#include <csignal>

class TestSingleInstance : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    QString clip;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
        clip = testsupport::makeVideo(home.path(), "clip.mp4", 160, 120, 3.0);
        QVERIFY(!clip.isEmpty());
        QVERIFY(QFileInfo(testsupport::playerBinary()).isExecutable());
    }

    void init()
    {
        static int n = 0;
        testsupport::isolateSettings(home.filePath(QString("config%1").arg(++n)));
        QXSettings::resetStandard();
    }

    void secondLaunchHandsOverItsFile()
    {
        QXMPController c;
        QXSingleInstance instance;
        QVERIFY(instance.listen());
        QObject::connect(&instance, &QXSingleInstance::messageReceived, &c, [&c](const QByteArray &m) {
            c.applicationOpenFiles(QXLaunchArguments::fromMessage(m).files);
        });
        c.applicationDidFinishLaunching();
        QVERIFY(c.movieRepresentations.isEmpty());

        QProcess second;
        second.setWorkingDirectory(home.path());
        second.start(testsupport::playerBinary(), {"clip.mp4"});   // relative to its own folder
        // This process answers the hand-over from its event loop, so wait without blocking it.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        QTRY_VERIFY(c.currentMovieRepresentation);
        QCOMPARE(c.currentMovieRepresentation->path(), clip);
        QCOMPARE(c.movieRepresentations.size(), 1);
        QTRY_VERIFY(c.playerView->isPlaying());
        // Only the one player window exists in this process; the second launch made none.
        int windows = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            windows += qobject_cast<QXPlayerWindow *>(w) ? 1 : 0;
        QCOMPARE(windows, 1);
    }

    void nobodyListening()
    {
        QElapsedTimer t;
        t.start();
        QVERIFY(!QXSingleInstance::handOver("file\t/x\n", 1000));
        QVERIFY(t.elapsed() < 3000);
        // A socket file left behind by a player that died is taken over.
        QLocalServer stale;
        stale.setSocketOptions(QLocalServer::UserAccessOption);
        QVERIFY(stale.listen(QXSingleInstance::serverName()));
        stale.close();   // on close Qt removes the file; leave a dead one in its place
        QFile dead(QXSingleInstance::serverName());
        QVERIFY(dead.open(QIODevice::WriteOnly));
        dead.close();
        QXSingleInstance instance;
        QVERIFY(instance.listen());
        QLocalSocket client;
        client.connectToServer(QXSingleInstance::serverName());
        QVERIFY(client.waitForConnected(1000));
    }

    void signalQuitsThroughTheQuitSteps()
    {
        QXSettings::standard().setBool(true, QXKeys::DoNotForgetPlaylistOnQuit);
        QProcess player;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        player.setProcessEnvironment(env);
        player.start(testsupport::playerBinary(), {clip});
        QVERIFY(player.waitForStarted());
        // Wait until it listens, i.e. has launched.
        QTRY_VERIFY_WITH_TIMEOUT(QXSingleInstance::handOver(QByteArray(), 500), 10000);
        QTest::qWait(500);
        ::kill(pid_t(player.processId()), SIGTERM);
        QVERIFY(player.waitForFinished(10000));
        QCOMPARE(player.exitCode(), 0);
        QXSettings::resetStandard();
        const QJsonArray stored = QXSettings::standard().objectForKey(QXKeys::PlaylistMovies).toArray();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.at(0).toObject().value("Path").toString(), QString("~/clip.mp4"));
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
