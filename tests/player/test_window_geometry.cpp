// Window-size arithmetic with the numbers a person can check by hand.
#include "player/QXWindowGeometry.h"

#include <QtTest>

using namespace QXGeometry;

class TestWindowGeometry : public QObject
{
    Q_OBJECT
private slots:
    void constants()
    {
        QCOMPARE(defaultSize, QSizeF(480, 260));
        QCOMPARE(minimumSize, QSizeF(150, 102));
        QCOMPARE(magnificationTag(0.5f), 5);
        QCOMPARE(magnificationTag(1.0f), 10);
        QCOMPARE(magnificationTag(2.0f), 20);
        QCOMPARE(magnificationTag(1.37f), 13);
    }

    void naturalAndViewSizes()
    {
        QCOMPARE(naturalSizeForMagnification({640, 480}, 0, 0.5f), QSizeF(320, 240));
        QCOMPARE(naturalSizeForMagnification({640, 480}, 90, 0.5f), QSizeF(240, 320));
        QCOMPARE(naturalSizeForMagnification({640, 480}, 180, 0.5f), QSizeF(320, 240));
        QCOMPARE(naturalSizeForMagnification({640, 480}, 270, 1.0f), QSizeF(480, 640));
        QCOMPARE(viewSizeForMovieSize({100, 50}, false, 0), QSizeF(150, 75));
        QCOMPARE(viewSizeForMovieSize({100, 0}, false, 0), QSizeF(480, 260));
        QCOMPARE(viewSizeForMovieSize({0, 0}, true, 16), QSizeF(480, 260));   // nothing added
        QCOMPARE(viewSizeForMovieSize({640, 360}, true, 16), QSizeF(640, 376));
    }

    void resizingAroundThePlayerArea()
    {
        // A 640×480 movie at 2.0 in a window whose player area is 480×260: the window grows by
        // the difference, down and to the right; the top edge stays.
        const QRectF frame(100, 300, 700, 320);   // bottom-left origin: top edge at 620
        const QSizeF area(480, 260);
        const QRectF grown = frameForPlayerAreaSize(frame, area, naturalSizeForMagnification({640, 480}, 0, 2.0f));
        QCOMPARE(grown, QRectF(100, 300 - 700, 700 + 800, 320 + 700));
        QCOMPARE(grown.y() + grown.height(), frame.y() + frame.height());
        // The same with the playlist pane hidden (201 points narrower): the area is the same.
        const QRectF narrow = frameForPlayerAreaSize(QRectF(100, 300, 499, 320), area, {1280, 960});
        QCOMPARE(narrow.width(), 499.0 + 800);
        QCOMPARE(frameForPlayerAreaSize(frame, area, {480, 360}).y(), 200.0);   // 100 taller: bottom 100 lower
        QCOMPARE(minimumFrameSize(700, 480), QSizeF(370, 102));
    }

    void zoomWithTheLock()
    {
        float m = 0;
        QCOMPARE(zoomFrame({0, 0, 1280, 778}, {500, 400}, {480, 270}, {640, 360}, true, true, &m),
                 QRectF(54, 0, 1172, 778));
        QCOMPARE(m, 1.8f);
        QCOMPARE(zoomFrame({0, 0, 1280, 1000}, {500, 400}, {480, 270}, {640, 360}, true, true, &m),
                 QRectF(0, 81, 1280, 839));
        QCOMPARE(m, 1.96875f);
        // A 1280×800 screen with a 24-point panel: usable 1280×776 from y = 0.
        QCOMPARE(zoomFrame({0, 0, 1280, 776}, {660, 342}, {640, 360 - 82}, {320, 240}, true, true, &m).height(), 776.0);
    }

    void zoomWithoutTheLockOrPicture()
    {
        float m = -1;
        const QRectF screen(0, 24, 1280, 776);
        QCOMPARE(zoomFrame(screen, {500, 400}, {480, 270}, {640, 360}, true, false, &m), screen);
        QCOMPARE(m, 1.96875f);   // the width-filling magnification
        m = -1;
        QCOMPARE(zoomFrame(screen, {500, 400}, {480, 270}, {640, 360}, false, true, &m), screen);
        QCOMPARE(m, -1.0f);      // untouched without a picture
    }

    void lockedResizeFollowsTheWidth()
    {
        float m = 0;
        // Window 660×342 around a 640×240 view of a 320×120 movie: 700 wide shows it at 2.125.
        const double h = lockedHeightForWidth(700, {660, 342}, {640, 240}, {320, 120}, true, 999, &m);
        QCOMPARE(m, 2.125f);
        QCOMPARE(h, std::round(120 * 2.125) + 342 - 240);
        QCOMPARE(lockedHeightForWidth(700, {660, 342}, {640, 240}, {320, 120}, false, 999, &m), 999.0);
    }

    void scaleSteps()
    {
        QCOMPARE(increasedScale(1.0f), 1.5f);
        QCOMPARE(increasedScale(1.2f), 1.5f);
        QCOMPARE(decreasedScale(1.0f), 0.5f);
        QCOMPARE(decreasedScale(1.5f), 1.0f);
        QCOMPARE(decreasedScale(0.5f), 0.5f);
        QCOMPARE(decreasedScale(1.2f), 0.5f);
    }

    void presentationFrames()
    {
        QCOMPARE(presentationFrame({1440, 900}, {640, 360}, false), QRectF(0, 45, 1440, 810));
        QCOMPARE(presentationFrame({1440, 900}, {640, 360}, true), QRectF(-80, 0, 1600, 900));
        QCOMPARE(presentationFrame({1280, 1024}, {640, 480}, false), QRectF(0, 32, 1280, 960));
        QCOMPARE(presentationFrame({1280, 800}, {320, 240}, false), QRectF(107, 0, 1067, 800));
        QCOMPARE(presentationFrame({1280, 800}, {0, 0}, false), QRectF(0, 0, 1280, 800));
    }

    void oneConversionBothWays()
    {
        // A 1280×800 primary screen: a window whose top-left is (10, 20) in Qt terms has its
        // bottom edge at 800 − 20 − 300 in the bottom-left system.
        const QRectF qt(10, 20, 400, 300);
        const QRectF f = frameFromQt(qt, 800);
        QCOMPARE(f, QRectF(10, 480, 400, 300));
        QCOMPARE(frameToQt(f, 800), qt);
    }
};

QTEST_GUILESS_MAIN(TestWindowGeometry)
#include "test_window_geometry.moc"
