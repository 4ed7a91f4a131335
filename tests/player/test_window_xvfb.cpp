// The player window under a real X server: magnification, quarter turns and presentation.
// Screenshots go to $VISTREL_SHOTS (default /tmp/vistrel-shots) for a person to look at.
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowSizer.h"
#include "ControllerFixture.h"

#include <QMenuBar>
#include <QScreen>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

class TestWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString clip;
    std::unique_ptr<QXMPController> c;

    void shoot(QWidget *w, const QString &name)
    {
        QString folder = qEnvironmentVariable("VISTREL_SHOTS", "/tmp/vistrel-shots");
        QDir().mkpath(folder);
        QTest::qWait(300);
        // From the X server: the picture is a native window that QWidget::grab does not see.
        QVERIFY(w->screen()->grabWindow(w->winId()).save(QDir(folder).filePath(name + ".png")));
    }

    // Share of the view's pixels that are not near black: the test picture fills it.
    static double lit(const QImage &image)
    {
        return double(testsupport::countPixels(image, [](QRgb p) { return qGray(p) > 40; })) / (image.width() * image.height());
    }

    void launch() { testsupport::relaunchController(c); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        qputenv("HOME", QFile::encodeName(dir.path()));
        clip = testsupport::makeVideo(dir.path(), "clip.mp4", 320, 240, 30.0, false);
        QVERIFY(!clip.isEmpty());
        testsupport::isolateSettings(dir.filePath("config"));
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1280, 800));
    }

    void cleanupTestCase() { c.reset(); }

    void sizesFollowTheMagnification()
    {
        launch();
        QCOMPARE(c->windowSizer()->playerAreaSize(), QSizeF(480, 260));
        QVERIFY(c->openMovies({QUrl::fromLocalFile(clip)}, false));
        QCOMPARE(c->windowSizer()->playerAreaSize(), QSizeF(320, 240));
        VERIFY_SOON(c->ui().playerView->framesDrawn() > 5, 5000);
        shoot(c->ui().playerWindow, "window-1x");
        // The menu's Double Size: the window grows and the picture fills it.
        QAction *doubleSize = c->ui().playerWindow->menuBar()->findChild<QAction *>("doubleSizeItem");
        QVERIFY(doubleSize);
        doubleSize->trigger();
        QCOMPARE(c->windowSizer()->magnification(), 2.0f);
        QCOMPARE(c->windowSizer()->playerAreaSize(), QSizeF(640, 480));
        QVERIFY(doubleSize->isChecked());
        shoot(c->ui().playerWindow, "window-2x");
        QVERIFY(lit(c->ui().playerView->grabFramebuffer()) > 0.8);
        c->windowSizer()->setScale(10);
    }

    void quarterTurnsAreRemembered()
    {
        QCOMPARE(c->windowSizer()->playerAreaSize(), QSizeF(320, 240));
        c->rotateByAngle(90);
        QXMovie *m = c->playlist().current()->openedMovie();
        QCOMPARE(m->angle(), 90);
        // Turned, and no narrower than the controls need.
        const QSizeF turned = c->windowSizer()->playerAreaSize();
        QVERIFY(turned.width() >= 240 && qAbs(turned.width() / turned.height() - 0.75) < 0.01);
        shoot(c->ui().playerWindow, "window-turned");
        QCOMPARE(QXSettings::standard().objectForKey(QXKeys::RotatedMovies).toObject().value("~/clip.mp4").toInt(), 90);
        c->rotateByAngle(90);
        c->rotateByAngle(90);
        QCOMPARE(m->angle(), 270);
        c->rotateByAngle(90);
        QCOMPARE(m->angle(), 0);
        // The last removal leaves an empty table stored.
        QVERIFY(QXSettings::standard().hasKey(QXKeys::RotatedMovies));
        QVERIFY(QXSettings::standard().objectForKey(QXKeys::RotatedMovies).toObject().isEmpty());
        c->rotateByAngle(-90);
        QCOMPARE(m->angle(), 270);

        // The angle comes back at the next launch, unless rotation is forgotten.
        launch();
        QVERIFY(c->openMovies({QUrl::fromLocalFile(clip)}, false));
        QCOMPARE(c->playlist().current()->openedMovie()->angle(), 270);
        QCOMPARE(c->windowSizer()->playerAreaSize(), turned);
        QXSettings::standard().setBool(true, QXKeys::ForgetRotation);
        c->runQuitSteps();
        launch();
        QVERIFY(c->openMovies({QUrl::fromLocalFile(clip)}, false));
        QCOMPARE(c->playlist().current()->openedMovie()->angle(), 0);
        c->rotateByAngle(90);   // turns, but nothing is stored
        QVERIFY(!QXSettings::standard().hasKey(QXKeys::RotatedMovies));
        QXSettings::standard().setBool(false, QXKeys::ForgetRotation);
    }

    void presentationFitsFillsAndReturns()
    {
        launch();
        const QString sound = testsupport::makeAudio(dir.path(), "tune.m4a", 2.0);
        QVERIFY(c->openMovies({QUrl::fromLocalFile(sound)}, false));
        c->presentation()->togglePresentation();
        QCOMPARE(c->beepCount(), 1);   // no picture, no presentation
        QVERIFY(!c->presentation()->isPresenting() && !c->ui().presentationMenuItem->isChecked());

        QVERIFY(c->openMovies({QUrl::fromLocalFile(clip)}, false));
        c->windowSizer()->setScale(20);
        VERIFY_SOON(c->ui().playerView->isPlaying(), 5000);
        const QSize areaBefore = c->ui().playerContainerView->size();
        c->pause();
        c->presentation()->togglePresentation();
        QVERIFY(c->presentation()->isPresenting());
        QVERIFY(!c->ui().playerWindow->isVisible());
        VERIFY_SOON(c->ui().playerView->isPlaying(), 5000);   // presenting starts a paused movie
        QWidget *w = c->presentation()->window();
        QTRY_COMPARE(w->geometry(), QRect(0, 0, 1280, 800));
        QCOMPARE(c->ui().playerView->geometry(), QRect(107, 0, 1067, 800));   // 4:3 fitted, bars at the sides
        VERIFY_SOON(c->ui().playerView->framesDrawn() > 5, 5000);
        // The control bar floats over the picture, fades after "Control Interval" seconds and
        // comes back with the mouse.
        QWidget *bar = c->controlBar();
        QCOMPARE(bar->window()->windowHandle()->transientParent(), w->windowHandle());
        QVERIFY(bar->isVisible());
        // Across the whole bottom of the screen.
        QTRY_COMPARE(QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size()), QRect(0, 800 - 41, 1280, 41));
        shoot(w, "present-fit");
        QXSettings::standard().setInteger(1, QXKeys::ControlInterval);
        c->overlay()->showOverlayByFadingIn(false);
        VERIFY_SOON(!bar->isVisible(), 4000);
        QTest::mouseMove(c->ui().playerView, QPoint(300, 300));
        VERIFY_SOON(bar->isVisible(), 5000);
        // A move during the fade-out brings the bar back whole, and the old fade does not end it.
        VERIFY_SOON(bar->window()->windowOpacity() < 0.9, 4000);
        QTest::mouseMove(c->ui().playerView, QPoint(320, 300));
        QTest::qWait(600);
        QVERIFY(bar->isVisible() && bar->window()->windowOpacity() == 1.0);
        c->windowSizer()->setScale(10);
        QCOMPARE(c->beepCount(), 2);   // scale commands beep while presenting

        QXSettings::standard().setInteger(1, QXKeys::PresentationMode);
        c->presentation()->updatePresentationWindow();
        QCOMPARE(c->ui().playerView->geometry(), QRect(0, -80, 1280, 960));   // fill crops top and bottom
        shoot(w, "present-fill");

        const double before = c->playlist().current()->openedMovie()->currentTime().seconds();
        c->presentation()->stopPresentation();
        QVERIFY(!c->presentation()->isPresenting());
        QVERIFY(c->ui().playerWindow->isVisible());
        QCOMPARE(c->ui().playerView->parentWidget(), c->ui().playerContainerView);
        QCOMPARE(c->controlBar()->parentWidget(), c->ui().playerWindow->playerArea);
        QTRY_COMPARE(c->ui().playerView->size(), areaBefore);
        QVERIFY(c->ui().playerView->isPlaying());   // "Pause On Window" is off
        VERIFY_SOON(c->playlist().current()->openedMovie()->currentTime().seconds() > before, 5000);
        const quint64 frames = c->ui().playerView->framesDrawn();
        VERIFY_SOON(c->ui().playerView->framesDrawn() > frames + 5, 5000);   // still drawing in the window
        shoot(c->ui().playerWindow, "window-after-present");

        QXSettings::standard().setBool(true, QXKeys::PauseOnWindow);
        c->presentation()->togglePresentation();
        c->presentation()->togglePresentation();
        QVERIFY(!c->ui().playerView->isPlaying());
    }

    void narrowMenuBarShowsALightChevron()
    {
        // The button that holds the menus a narrow window has no room for reads on the dark bar.
        launch();
        c->windowSizer()->showPlayerWindow();
        QVERIFY(QTest::qWaitForWindowExposed(c->ui().playerWindow));
        if (c->ui().playerWindow->playlistPane->isVisible())
            c->togglePlaylistVisibility();
        c->ui().playerWindow->resize(c->ui().playerWindow->minimumWidth(), c->ui().playerWindow->height());
        auto *more = c->ui().playerWindow->menuBar()->findChild<QToolButton *>("qt_menubar_ext_button");
        QVERIFY(more);
        VERIFY_SOON(more->isVisible(), 3000);
        shoot(c->ui().playerWindow, "window-narrow-menu");
        const QImage button = testsupport::grabOnScreen(more);
        const int light = testsupport::countPixels(button, [](QRgb p) { return qGray(p) > 200; });
        const int dark = testsupport::countPixels(button, [](QRgb p) { return qGray(p) < 80; });
        QVERIFY2(light >= 12 && dark > button.width() * button.height() / 2,
                 qPrintable(QString("%1 light, %2 dark").arg(light).arg(dark)));
        c->togglePlaylistVisibility();
    }

    void clearedWindowSaysNothingIsSelected()
    {
        // A window grown for a large movie keeps its size once the playlist is cleared, and the
        // picture says there is nothing to show rather than staying blank.
        QXSettings::standard().setBool(false, QXKeys::HidePlaylist);
        launch();
        const QString large = testsupport::makeVideo(dir.path(), "large.mp4", 1920, 1080, 1.0, false);
        QVERIFY(c->openMovies({QUrl::fromLocalFile(large)}, false));
        VERIFY_SOON(c->ui().playerView->framesDrawn() > 0, 5000);
        const QSize grown = c->ui().playerWindow->size();
        QVERIFY(grown.width() > 1000);
        QTest::mouseClick(c->ui().playlistClearButton, Qt::LeftButton);
        QVERIFY(c->playlist().entries().isEmpty());
        QCOMPARE(c->ui().playerWindow->size(), grown);
        shoot(c->ui().playerWindow, "window-cleared");
        const QImage shown = testsupport::grabOnScreen(c->ui().playerView);
        const QRgb ground = QXMessageGround().rgb();
        const int ink = testsupport::countPixels(shown, [ground](QRgb p) { return (p | 0xff000000) != ground; });
        QVERIFY2(ink > shown.width() * shown.height() / 100, qPrintable(QString::number(ink)));
    }
};

VISTREL_TEST_MAIN(TestWindow)
#include "test_window_xvfb.moc"
