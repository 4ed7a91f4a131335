// Without OpenGL (Qt's offscreen platform makes no context): the player says so once, draws
// its pictures in software, plays, and quits through its quit steps on SIGTERM.
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "ControllerFixture.h"

#include <QGuiApplication>
#include <QtTest>

class TestOffscreen : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString clip;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QString("offscreen"));
        clip = testsupport::makeVideo(dir.path(), "clip.mp4", 320, 240, 20.0, false);
        QVERIFY(!clip.isEmpty());
    }

    void playsAndDrawsInSoftware()
    {
        std::unique_ptr<QXMPController> c;
        testsupport::launchFreshController(c, dir.path());
        QVERIFY(c->openMovies({QUrl::fromLocalFile(clip)}, false));
        VERIFY_SOON(c->playlist().current()->openedMovie()->currentTime().seconds() > 1.0, 10000);
        QVERIFY(!c->ui().playerView->drawsInNativeWindow());
        const double share = testsupport::colourfulShare(c->ui().playerView->grabFramebuffer());
        QVERIFY2(share > 1.0 / 3, qPrintable(QString::number(share)));
    }

    void quitsThroughItsQuitSteps()
    {
        const QString config = dir.filePath("config-binary");
        QVERIFY(testsupport::writeSettingsFile(config, "{\"Do Not Forget Playlist On Quit\": true}"));
        testsupport::isolateSettings(config); // for the child
        QProcess player;
        player.start(testsupport::playerBinary(), {clip});
        QVERIFY(player.waitForStarted());
        QTest::qWait(2500);
        QCOMPARE(player.state(), QProcess::Running);
        QVERIFY(testsupport::quitBySignal(player));
        QCOMPARE(QString::fromUtf8(player.readAllStandardError()).count("no OpenGL here"), 1);
        QVERIFY(testsupport::readFile(config + "/Vistrel/playlist.json").contains("clip.mp4"));
    }
};

VISTREL_TEST_MAIN(TestOffscreen)
#include "test_offscreen.moc"
