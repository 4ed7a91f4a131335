// Without OpenGL (Qt's offscreen platform makes no context): the player says so once, draws
// its pictures in software, plays, and quits through its quit steps on SIGTERM.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "ControllerFixture.h"

#include <QGuiApplication>
#include <QProcess>
#include <QtTest>

#include <csignal>

class TestOffscreen : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString clip;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QCOMPARE(QGuiApplication::platformName(), QString("offscreen"));
        clip = testsupport::makeVideo(dir.path(), "clip.mp4", 320, 240, 20.0, false);
        QVERIFY(!clip.isEmpty());
    }

    void playsAndDrawsInSoftware()
    {
        std::unique_ptr<QXMPController> c;
        testsupport::launchFreshController(c, dir.path());
        QVERIFY(c->openMovies({QUrl::fromLocalFile(clip)}, false));
        QXMovie *m = c->currentMovieRepresentation->openedMovie();
        QTRY_VERIFY_WITH_TIMEOUT(m->currentTime().seconds() > 1.0, 10000);
        QVERIFY(!c->playerView->drawsInNativeWindow());
        const QImage picture = c->playerView->grabFramebuffer();
        int coloured = 0;
        for (int y = 0; y < picture.height(); y += 4)
            for (int x = 0; x < picture.width(); x += 4)
                coloured += QColor(picture.pixel(x, y)).hsvSaturation() > 150;
        QVERIFY2(coloured > picture.width() * picture.height() / 16 / 3, qPrintable(QString::number(coloured)));
    }

    void quitsThroughItsQuitSteps()
    {
        QProcess player;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString config = dir.filePath("config-binary");
        env.insert("XDG_CONFIG_HOME", config);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        player.setProcessEnvironment(env);
        QDir().mkpath(config + "/Vistrel");
        QVERIFY(!testsupport::makeFile(config + "/Vistrel", "settings.json",
                                       "{\"Do Not Forget Playlist On Quit\": true}").isEmpty());
        player.start(testsupport::playerBinary(), {clip});
        QVERIFY(player.waitForStarted());
        QTest::qWait(2500);
        QCOMPARE(player.state(), QProcess::Running);
        ::kill(pid_t(player.processId()), SIGTERM);
        QVERIFY(player.waitForFinished(10000));
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(player.readAllStandardError()).count("no OpenGL here"), 1);
        QFile stored(config + "/Vistrel/playlist.json");
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QVERIFY(stored.readAll().contains("clip.mp4"));
    }
};

VISTREL_TEST_MAIN(TestOffscreen)
#include "test_offscreen.moc"
