// The player in a Wayland session (headless weston, no X server): a plain launch shows the
// movie's picture and plays it; in the session's own terms the player seeks and presents full
// screen. Screenshots come from the compositor (weston-screenshooter) and go to
// $VISTREL_SHOTS (default /tmp/vistrel-shots).
#include "app/QXMPController.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace {

// The whole output as the compositor shows it.
QImage screenshot(const QString &name)
{
    QTemporaryDir dir;
    QProcess shooter;
    shooter.setWorkingDirectory(dir.path());
    shooter.start("weston-screenshooter", {});
    if (!shooter.waitForFinished(10000))
        return {};
    const QStringList made = QDir(dir.path()).entryList({"*.png"});
    if (made.isEmpty())
        return {};
    const QImage image(dir.filePath(made.first()));
    const QString folder = qEnvironmentVariable("VISTREL_SHOTS", "/tmp/vistrel-shots");
    QDir().mkpath(folder);
    image.save(QDir(folder).filePath(name + ".png"));
    return image;
}

// Share of strongly coloured pixels: the test picture has many, the desktop and the controls none.
double colourful(const QImage &image)
{
    int hits = 0, total = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4, ++total)
            hits += QColor(image.pixel(x, y)).hsvSaturation() > 150 ? 1 : 0;
    return total ? double(hits) / total : 0;
}

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString clip;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QCOMPARE(QGuiApplication::platformName(), QString("wayland"));
        clip = testsupport::makeVideo(dir.path(), "clip.mp4", 480, 360, 30.0, false);
        QVERIFY(!clip.isEmpty());
    }

    void plainLaunchShowsThePicture()
    {
        // Only WAYLAND_DISPLAY is set: the player finds the session by itself.
        QVERIFY(qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"));
        QProcess player;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.filePath("config-plain"));
        player.setProcessEnvironment(env);
        player.start(testsupport::playerBinary(), {clip});
        QVERIFY(player.waitForStarted());
        QImage first;
        QVERIFY(QTest::qWaitFor([&] { return colourful(first = screenshot("wayland-launch")) > 0.05; }, 15000));
        // It plays: the picture changes.
        QVERIFY(QTest::qWaitFor([&] { return screenshot("wayland-launch-later") != first; }, 5000));
        ::kill(pid_t(player.processId()), SIGTERM);
        QVERIFY(player.waitForFinished(10000));
        QCOMPARE(player.exitCode(), 0);
    }

    void playsSeeksAndPresents()
    {
        std::unique_ptr<QXMPController> c;
        testsupport::launchFreshController(c, dir.path());
        QVERIFY(c->openMovies({QUrl::fromLocalFile(clip)}, false));
        QXMovie *m = c->currentMovieRepresentation->openedMovie();
        QTRY_VERIFY_WITH_TIMEOUT(m->currentTime().seconds() > 0.5, 10000);
        QTRY_VERIFY(c->playerView->framesDrawn() > 5);
        QVERIFY(colourful(c->playerView->grabFramebuffer()) > 0.3);

        c->setTime(m->duration().timeValue / 2, m);
        QTRY_VERIFY(qAbs(m->currentTime().seconds() - 15) < 2);

        c->togglePresentation();
        QVERIFY(c->isPresenting);
        QTRY_VERIFY_WITH_TIMEOUT(c->presentationWindow()->isFullScreen(), 5000);
        // The picture fills the screen's height (4:3 on 16:10), the bar floats over it.
        QWidget *bar = c->playerWindow->controlBar;
        QTRY_VERIFY(bar->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(colourful(screenshot("wayland-present")) > 0.5, 10000);
        c->stopPresentation();
        QVERIFY(!c->isPresenting);
        QTRY_VERIFY(c->playerWindow->isVisible());
        // Back in the window: the picture again, the desktop around it.
        double share = 0;
        QVERIFY2(QTest::qWaitFor([&] { share = colourful(screenshot("wayland-after-present")); return share > 0.05 && share < 0.4; },
                                 10000), qPrintable(QString::number(share)));
    }
};

VISTREL_TEST_MAIN(TestWayland)
#include "test_wayland.moc"
