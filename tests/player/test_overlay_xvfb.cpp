// The control bar: folding by width, fades and what keeps it up. Screenshots go to $VISTREL_SHOTS.
#include "controls/QXButtons.h"
#include "controls/QXSliders.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"
#include "player/QXWindowSizer.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QtTest>

#include <mpv/client.h>

using QXOverlay::Parts;

namespace {

qint64 mpvCount(const char *name)
{
    int64_t v = 0;
    QXMovieEngine *e = QXMovieEngine::existing();
    return e && mpv_get_property(e->handle(), name, MPV_FORMAT_INT64, &v) >= 0 ? v : 0;
}

} // namespace

class TestOverlay : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;
    QUrl clip;

    void shoot(const QString &name)
    {
        QTest::qWait(300);
        const QString folder = qEnvironmentVariable("VISTREL_SHOTS", "/tmp/vistrel-shots");
        QDir().mkpath(folder);
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(folder).filePath(name + ".png")));
    }
    QXPlayerOverlay *overlay() const { return c->overlay(); }
    // A fresh player holding the given settings, the clip open in its shown window.
    void launchWithClip(const QJsonObject &settings = {})
    {
        testsupport::launchFreshController(c, dir.path(), settings);
        QVERIFY(c->openMovies({clip}, false));
        QVERIFY(QTest::qWaitForWindowExposed(c->ui().playerWindow));
    }
    void launchFloating(int interval)
    {
        launchWithClip({{"Overlay Controls In Window Mode", true}, {"Control Interval", interval}});
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        clip = QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), "clip.mp4", 480, 270, 30.0, false));
    }
    void cleanupTestCase() { c.reset(); }

    void foldingFollowsTheWidth()
    {
        // Parts: buttons, remaining time, time hidden. The same parts at once from either end
        // and step by step, narrowing and then widening again.
        const struct { int width; Parts parts; } rows[] = {
            {400, {false, false, false}}, {354, {false, false, false}}, {353, {true, false, false}},
            {300, {true, false, false}},  {254, {true, false, false}},  {230, {true, true, false}},
            {202, {true, true, false}},   {150, {true, true, true}},
        };
        const int n = int(std::size(rows));
        Parts stepped;
        for (int i = 0; i < 2 * n - 1; ++i) {
            const auto &r = rows[i < n ? i : 2 * n - 2 - i];
            for (const Parts &from : {Parts{}, Parts{true, true, true}})
                QCOMPARE(QXOverlay::partsForWidth(from, r.width), r.parts);
            stepped = QXOverlay::partsForWidth(stepped, r.width);
            QVERIFY2(stepped == r.parts, qPrintable(QString::number(r.width)));
        }
    }

    void theBarShowsItsPartsAndChevron()
    {
        launchWithClip();
        // A click on the picture outside presentation changes nothing.
        VERIFY_SOON(c->ui().playerView->isPlaying(), 5000);
        const QRect frame = c->ui().playerWindow->geometry();
        QTest::mouseClick(c->ui().playerView, Qt::LeftButton, {}, QPoint(30, 30));
        QTest::qWait(300);
        QVERIFY(!c->presentation()->isPresenting() && c->ui().playerView->isPlaying());
        QCOMPARE(c->ui().playerWindow->geometry(), frame);
        QCOMPARE(c->beepCount(), 0);
        shoot("overlay-static");
        // What each part shows when folded is the bar's own (test_control_bar).
        const struct { int width; Parts parts; } rows[] = {
            {480, {}}, {300, {true, false, false}}, {230, {true, true, false}}, {150, {true, true, true}}, {480, {}}};
        for (const auto &r : rows) {
            c->windowSizer()->resizePlayerWindowForSize(QSizeF(r.width, r.width * 9.0 / 16));
            VERIFY_SOON(c->ui().playerContainerView->width() == r.width, 5000);
            VERIFY_SOON(c->controlBar()->parts() == r.parts, 5000);
            QCOMPARE(c->controlBar()->presentationSwitch()->isVisible(), !r.parts.buttonsHidden);
            if (r.width == 300)
                shoot("overlay-static-300");
            if (r.width == 150) {
                shoot("overlay-static-150");
                // Folded, the rotate button's press opens the chevron's menu at its (16, 9).
                QTest::mousePress(c->controlBar()->rotateButton(), Qt::LeftButton, {}, QPoint(3, 3));
                QMenu *menu = nullptr;
                QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
                QCOMPARE(menu->pos(), c->controlBar()->rotateButton()->mapToGlobal(QPoint(16, 9)));
                QCOMPARE(menu->actions().size(), 3);
                QVERIFY(menu->actions().at(1)->isChecked());   // the lock is on
                shoot("overlay-chevron");
                menu->close();
                // The image turns back to the rotation when unfolding, by the setting at that time.
                QXSettings::standard().setBool(true, QXKeys::RotateCounterclockwise);
            }
        }
        const auto *rotate = qobject_cast<QXContextButton *>(c->controlBar()->rotateButton());
        QVERIFY(rotate && rotate->imageName() == "QXRotateCounterclockwise");
        QXSettings::standard().setBool(false, QXKeys::RotateCounterclockwise);
    }

    void fadesAndTheVanishTimer()
    {
        // The opacities a fade passes through.
        QCOMPARE(QXOverlay::fadeSteps(0.0f, true).size(), 10);
        QCOMPARE(QXOverlay::fadeSteps(0.0f, true).first(), 0.1f);
        QCOMPARE(QXOverlay::fadeSteps(0.95f, true), QList<float>{1.0f});
        QCOMPARE(QXOverlay::fadeSteps(1.0f, false).size(), 10);
        QCOMPARE(QXOverlay::fadeSteps(0.05f, false), QList<float>{0.0f});

        // The bar vanishes after "Control Interval" seconds (its reading is the settings' test).
        testsupport::launchFreshController(c, dir.path(), {{"Overlay Controls In Window Mode", true},
                                                           {"Control Interval", 1}});
        // An empty player shows no floating bar.
        overlay()->showOverlayByFadingIn(false);
        QVERIFY(!overlay()->isShown());
        QVERIFY(c->openMovies({clip}, false));
        QVERIFY(QTest::qWaitForWindowExposed(c->ui().playerWindow));
        QCursor::setPos(c->ui().playerView->mapToGlobal(QPoint(40, 40)));
        overlay()->showOverlayByFadingIn(true);
        QTRY_COMPARE(overlay()->alpha(), 1.0f);
        QVERIFY(overlay()->isShown());
        shoot("overlay-floating");
        VERIFY_SOON(!overlay()->isShown(), 3000);
        shoot("overlay-vanished");

        // Kept up by the pointer over it and by a held slider.
        overlay()->showOverlayByFadingIn(false);
        QCursor::setPos(overlay()->playerOverlayFrame().center());
        QTest::qWait(1600);
        QVERIFY(overlay()->isShown());
        QCursor::setPos(c->ui().playerView->mapToGlobal(QPoint(40, 40)));
        c->controlBar()->volumeSlider()->setSliderDown(true);
        QTest::qWait(1600);
        QVERIFY(overlay()->isShown());
        c->controlBar()->volumeSlider()->setSliderDown(false);
        VERIFY_SOON(!overlay()->isShown(), 3000);

        // A static bar never goes.
        QXSettings::standard().setBool(false, QXKeys::OverlayControlsInWindowMode);
        overlay()->setStaticOverlay(true, false);
        QTest::qWait(1600);
        QVERIFY(overlay()->isShown());
    }

    void fadingCostsThePictureNoFrames()
    {
        launchFloating(5);
        VERIFY_SOON(c->ui().playerView->isPlaying(), 5000);
        QTest::qWait(500);
        const auto drops = [] { return mpvCount("frame-drop-count") + mpvCount("vo-drop-frame-count"); };
        // Still and fading in turns, so a busy moment of the machine weighs on both alike.
        qint64 still = 0, fading = 0;
        for (int cycle = 0; cycle < 20; ++cycle) {
            qint64 at = drops();
            QTest::qWait(400);
            still += drops() - at;
            at = drops();
            overlay()->showOverlayByFadingIn(true);
            QTest::qWait(200);
            overlay()->vanishOverlayByFadingOut(true, false);
            QTest::qWait(200);
            fading += drops() - at;
        }
        // A fade that held the event loop would cost about ten frames a cycle; a loaded
        // machine loses one or two a cycle to drawing the fade.
        QVERIFY2(fading <= still * 3 / 2 + 60, qPrintable(QString("%1 dropped while fading, %2 without").arg(fading).arg(still)));
    }

    // An item that clicks a button of the floating bar's own window is greyed out, as its menu
    // opens, while the window the bar belongs to is hidden.
    void itemsClickingTheFloatingBarFollowItsWindow()
    {
        launchFloating(1000);
        VERIFY_SOON(c->isCurrentMoviePlayable(), 5000);
        overlay()->showOverlayByFadingIn(false);
        if (!overlay()->overlayWindow())
            QSKIP("the bar is no window of its own here");
        auto *menu = qobject_cast<QMenu *>(c->ui().playPauseMenuItem->parent());
        QVERIFY(menu);
        emit menu->aboutToShow();
        QVERIFY(c->ui().playPauseMenuItem->isEnabled());
        c->ui().playerWindow->hide();
        emit menu->aboutToShow();
        QVERIFY(!c->ui().playPauseMenuItem->isEnabled());
        QVERIFY(c->controlBar()->playPauseSwitch()->isEnabled());   // the button itself keeps its rule
        c->ui().playerWindow->show();
        emit menu->aboutToShow();
        QVERIFY(c->ui().playPauseMenuItem->isEnabled());
    }
};

VISTREL_TEST_MAIN(TestOverlay)
#include "test_overlay_xvfb.moc"
