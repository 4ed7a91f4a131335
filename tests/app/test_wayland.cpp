// The player in a Wayland session (headless weston, no X server): a plain launch shows the
// movie's picture and plays it; in the session's own terms the player presents full screen.
// Screenshots come from the compositor (weston-screenshooter) and go to
// $VISTREL_SHOTS (default /tmp/vistrel-shots).
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QGuiApplication>
#include <QtTest>

// The whole output as the compositor shows it, kept under $VISTREL_SHOTS too.
static QImage screenshot(const QString &name)
{
    QTemporaryDir dir;
    QProcess shooter;
    shooter.setWorkingDirectory(dir.path());
    shooter.start("weston-screenshooter", {});
    const QStringList made = shooter.waitForFinished(10000) ? QDir(dir.path()).entryList({"*.png"}) : QStringList();
    const QImage image = made.isEmpty() ? QImage() : QImage(dir.filePath(made.first()));
    const QString folder = qEnvironmentVariable("VISTREL_SHOTS", "/tmp/vistrel-shots");
    if (!image.isNull() && QDir().mkpath(folder))
        image.save(QDir(folder).filePath(name + ".png"));
    return image;
}

class TestWayland : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString clip;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QString("wayland"));
        clip = testsupport::makeVideo(dir.path(), "clip.mp4", 480, 360, 30.0, false);
        QVERIFY(!clip.isEmpty());
    }

    void plainLaunchShowsThePicture()
    {
        // Only WAYLAND_DISPLAY is set: the player finds the session by itself.
        QVERIFY(qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"));
        testsupport::isolateSettings(dir.filePath("config-plain"));
        QProcess player;
        player.start(testsupport::playerBinary(), {clip});
        QVERIFY(player.waitForStarted());
        QImage first;
        QVERIFY(QTest::qWaitFor([&] { return testsupport::colourfulShare(first = screenshot("wayland-launch")) > 0.05; }, 15000));
        // It plays: the picture changes.
        QVERIFY(QTest::qWaitFor([&] { return screenshot("wayland-launch-later") != first; }, 5000));
        QVERIFY(testsupport::quitBySignal(player));
    }

    void playsAndPresents()
    {
        std::unique_ptr<QXMPController> c;
        testsupport::launchFreshController(c, dir.path());
        QVERIFY(c->openMovies({QUrl::fromLocalFile(clip)}, false));
        QXMovie *m = c->playlist().current()->openedMovie();
        VERIFY_SOON(m->currentTime().seconds() > 0.5, 10000);
        VERIFY_SOON(c->ui().playerView->framesDrawn() > 5, 5000);
        QVERIFY(testsupport::colourfulShare(c->ui().playerView->grabFramebuffer()) > 0.3);

        c->presentation()->togglePresentation();
        QVERIFY(c->presentation()->isPresenting());
        VERIFY_SOON(c->presentation()->window()->isFullScreen(), 5000);
        // The picture fills the screen's height (4:3 on 16:10), the bar floats over it.
        VERIFY_SOON(c->controlBar()->isVisible(), 5000);
        VERIFY_SOON(testsupport::colourfulShare(screenshot("wayland-present")) > 0.5, 10000);
        c->presentation()->stopPresentation();
        VERIFY_SOON(!c->presentation()->isPresenting() && c->ui().playerWindow->isVisible(), 5000);
        // Back in the window: the picture again, the desktop around it.
        double share = 0;
        QVERIFY2(QTest::qWaitFor([&] { share = testsupport::colourfulShare(screenshot("wayland-after-present")); return share > 0.05 && share < 0.4; },
                                 10000), qPrintable(QString::number(share)));
    }
};

VISTREL_TEST_MAIN(TestWayland)
#include "test_wayland.moc"
