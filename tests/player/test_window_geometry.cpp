// Window-size arithmetic with the numbers a person can check by hand.
#include "player/QXWindowGeometry.h"

#include <QtTest>

using namespace QXGeometry;

class TestWindowGeometry : public QObject
{
    Q_OBJECT
private slots:
    void naturalAndViewSizes()
    {
        // Sides swap for odd quarter turns.
        const struct { int angle; float m; QSizeF size; } turns[] = {{0, 0.5f, {320, 240}}, {90, 0.5f, {240, 320}}, {180, 0.5f, {320, 240}}, {270, 1.0f, {480, 640}}};
        for (const auto &t : turns)
            QVERIFY2(naturalSizeForMagnification({640, 480}, t.angle, t.m) == t.size, qPrintable(QString::number(t.angle)));
        QCOMPARE(viewSizeForMovieSize({100, 50}, false, 0), QSizeF(150, 75)); // up to the minimum width
        QCOMPARE(viewSizeForMovieSize({100, 0}, false, 0), QSizeF(480, 260));
        QCOMPARE(viewSizeForMovieSize({0, 0}, true, 16), QSizeF(480, 260)); // nothing added
        QCOMPARE(viewSizeForMovieSize({640, 360}, true, 16), QSizeF(640, 376));
        QCOMPARE(magnificationTag(1.37f), 13);
    }

    void resizingAroundThePlayerArea()
    {
        // A 640×480 movie at 2.0 in a window whose player area is 480×260: the window grows by
        // the difference, down and to the right; the top edge stays.
        const QRectF frame(100, 300, 700, 320); // bottom-left origin: top edge at 620
        const QSizeF area(480, 260);
        QCOMPARE(frameForPlayerAreaSize(frame, area, naturalSizeForMagnification({640, 480}, 0, 2.0f)), QRectF(100, 300 - 700, 700 + 800, 320 + 700));
        // The same with the playlist pane hidden (201 points narrower): the area is the same.
        QCOMPARE(frameForPlayerAreaSize(QRectF(100, 300, 499, 320), area, {1280, 960}).width(), 499.0 + 800);
        QCOMPARE(frameForPlayerAreaSize(frame, area, {480, 360}).y(), 200.0); // 100 taller: bottom 100 lower
        QCOMPARE(minimumFrameSize(700, 480), QSizeF(370, 102));
    }

    // Bottom-left coordinates: the top edge is y + height. A frame too large for the area keeps
    // its top-left corner in it, so the title bar stays reachable.
    void keptOnScreenAndAtLeast()
    {
        const QRectF screen(0, 0, 1280, 776);
        const std::pair<QRectF, QRectF> moves[] = {
            {{100, 100, 400, 300}, {100, 100, 400, 300}}, {{1000, 100, 400, 300}, {880, 100, 400, 300}},
            {{100, -50, 400, 300}, {100, 0, 400, 300}}, {{100, 600, 400, 300}, {100, 476, 400, 300}},
            {{-50, -50, 1400, 900}, {0, -124, 1400, 900}}};
        for (const auto &[frame, kept] : moves)
            QCOMPARE(keptOnScreen(frame, screen), kept);
        QVERIFY(fitsInside({1280, 776}, screen) && !fitsInside({1281, 10}, screen));
        QCOMPARE(proportionallyAtLeast({100, 50}, 150, 102), QSizeF(204, 102));
        QCOMPARE(proportionallyAtLeast({300, 200}, 150, 102), QSizeF(300, 200));
    }

    void leastPlayerAreaStaysWithinTheScreen()
    {
        // least 150 × 40 (the bar's folded width; the window's least height less its chrome) in
        // the room a 1280 × 800 screen leaves the player area.
        const QSizeF least(150, 40), room(1130, 650);
        const struct { QSizeF proportions; QSizeF area; } cases[] = {
            {{}, {150, 40}},                  // unlocked or no picture
            {{640, 360}, {150, 85}},          // 150 × 84.4, whole pixels up
            {{100, 80}, {150, 120}},
            {{200, 3000}, {150, 40}},         // kept, 150 × 2250: taller than the room
            {{4000, 100}, {150, 40}},         // kept, 1600 × 40: wider than the room
            {{200, 800}, {150, 600}},
            {{150, 650}, {150, 650}},         // just fits
            {{150, 651}, {150, 40}},
        };
        for (const auto &t : cases)
            QVERIFY2(leastPlayerArea(least, t.proportions, room) == t.area,
                     qPrintable(QString("%1x%2").arg(t.proportions.width()).arg(t.proportions.height())));
        // The proportions are kept (and hinted to the window manager) only where they fit.
        QCOMPARE(proportionalLeastArea(least, {200, 800}, room), QSizeF(150, 600));
        QVERIFY(proportionalLeastArea(least, {200, 3000}, room).isEmpty());
        // A screen with less room than least: the room.
        QCOMPARE(leastPlayerArea(least, {}, {100, 30}), QSizeF(100, 30));
        QCOMPARE(leastPlayerArea(least, {640, 360}, {0, -5}), QSizeF(1, 1));
    }

    void zoomAndLockedResize()
    {
        float m = 0;
        QCOMPARE(zoomFrame({0, 0, 1280, 778}, {500, 400}, {480, 270}, {640, 360}, true, true, &m), QRectF(54, 0, 1172, 778));
        QCOMPARE(m, 1.8f);
        QCOMPARE(zoomFrame({0, 0, 1280, 1000}, {500, 400}, {480, 270}, {640, 360}, true, true, &m), QRectF(0, 81, 1280, 839));
        QCOMPARE(m, 1.96875f);
        // A 1280×800 screen with a 24-point panel: usable 1280×776 from y = 0.
        QCOMPARE(zoomFrame({0, 0, 1280, 776}, {660, 342}, {640, 360 - 82}, {320, 240}, true, true, &m).height(), 776.0);
        // Unlocked: the whole screen at the width-filling magnification; without a picture the
        // magnification is left alone.
        const QRectF screen(0, 24, 1280, 776);
        QCOMPARE(zoomFrame(screen, {500, 400}, {480, 270}, {640, 360}, true, false, &m), screen);
        QCOMPARE(m, 1.96875f);
        m = -1;
        QCOMPARE(zoomFrame(screen, {500, 400}, {480, 270}, {640, 360}, false, true, &m), screen);
        QCOMPARE(m, -1.0f);
        // Window 660×342 around a 640×240 view of a 320×120 movie: 700 wide shows it at 2.125.
        QCOMPARE(lockedHeightForWidth(700, {660, 342}, {640, 240}, {320, 120}, true, 999, &m), std::round(120 * 2.125) + 342 - 240);
        QCOMPARE(m, 2.125f);
        QCOMPARE(lockedHeightForWidth(700, {660, 342}, {640, 240}, {320, 120}, false, 999, &m), 999.0);
    }

    void scaleStepsAndPresentation()
    {
        const std::pair<float, float> up[] = {{1.0f, 1.5f}, {1.2f, 1.5f}}, down[] = {{1.0f, 0.5f}, {1.5f, 1.0f}, {0.5f, 0.5f}, {1.2f, 0.5f}};
        for (const auto &[from, to] : up)
            QCOMPARE(increasedScale(from), to);
        for (const auto &[from, to] : down)
            QCOMPARE(decreasedScale(from), to);
        QCOMPARE(presentationFrame({1440, 900}, {640, 360}, false), QRectF(0, 45, 1440, 810));
        QCOMPARE(presentationFrame({1440, 900}, {640, 360}, true), QRectF(-80, 0, 1600, 900));
        QCOMPARE(presentationFrame({1280, 800}, {320, 240}, false), QRectF(107, 0, 1067, 800));
        QCOMPARE(presentationFrame({1280, 800}, {0, 0}, false), QRectF(0, 0, 1280, 800));
    }

    void oneConversionBothWays()
    {
        // A 1280×800 primary screen: a window whose top-left is (10, 20) in Qt terms has its
        // bottom edge at 800 − 20 − 300 in the bottom-left system.
        const QRectF qt(10, 20, 400, 300);
        QCOMPARE(frameFromQt(qt, 800), QRectF(10, 480, 400, 300));
        QCOMPARE(frameToQt(frameFromQt(qt, 800), 800), qt);
    }
};

QTEST_GUILESS_MAIN(TestWindowGeometry)
#include "test_window_geometry.moc"
