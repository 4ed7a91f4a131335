// The sliders' drawing as a plain function, their pixels, and their answer to the mouse.
#include "controls/QXSliders.h"
#include "TestSupport.h"

#include <QtTest>

#include <cmath>

using Paint = QXSliderDrawing::Paint;

namespace {

// The fill of a kind after the ground, or an empty one.
QList<QXSliderDrawing::Fill> fillsOf(const QXSliderDrawing &d, Paint paint, qreal opacity = -1)
{
    QList<QXSliderDrawing::Fill> out;
    for (qsizetype i = 1; i < d.fills.size(); ++i)
        if (d.fills[i].paint == paint && (opacity < 0 || qFuzzyCompare(d.fills[i].opacity, opacity)))
            out << d.fills[i];
    return out;
}

QImage render(QWidget &w) { return testsupport::renderWidget(w); }

// A time slider's drawing in bounds 0,0,110×18 (frame 5,1,100×16, bar 6,2,98×14): the
// line's x and the unloaded stretch's start, -1 for none.
struct TimeRow
{
    bool blackOnWhite, enabled;
    double value, maximum, load;
    int lineX, unloadedX;
    QColor frame;
};

} // namespace

Q_DECLARE_METATYPE(TimeRow)

class TestSliders : public QObject
{
    Q_OBJECT
private slots:
    void timeLayout_data()
    {
        QTest::addColumn<TimeRow>("row");
        const QColor white(Qt::white), dark(0x55, 0x55, 0x55), grey(0x80, 0x80, 0x80);
        QTest::newRow("white half") << TimeRow{false, true, 50, 100, 100, 6 + 49, -1, white};
        QTest::newRow("load within 0.1") << TimeRow{false, true, 0, 100, 99.95, 6, -1, white};
        QTest::newRow("white unloaded") << TimeRow{false, true, 10, 100, 40, 6 + 9, 6 + 39, white};
        QTest::newRow("at maximum: on the frame") << TimeRow{true, true, 100, 100, 100, 104, -1, dark};
        QTest::newRow("black unloaded") << TimeRow{true, true, 0, 100, 50, 6, 6 + 49, dark};
        QTest::newRow("disabled black") << TimeRow{true, false, 50, 100, 10, -1, -1, grey};
        QTest::newRow("disabled white") << TimeRow{false, false, 50, 100, 10, -1, -1, white};
        QTest::newRow("maximum 0") << TimeRow{false, true, 5, 0, 0, 6, -1, white};
        QTest::newRow("maximum NaN") << TimeRow{false, true, 5, std::nan(""), 0, 6, -1, white};
        QTest::newRow("maximum inf") << TimeRow{false, true, 5, HUGE_VAL, 0, 6, -1, white};
        QTest::newRow("value past maximum") << TimeRow{false, true, 500, 100, 100, 104, -1, white};
        QTest::newRow("negative value") << TimeRow{false, true, -5, 100, -3, 6, 6, white};
        QTest::newRow("past 2^31") << TimeRow{false, true, 3e9, 6e9, 4.5e9, 6 + 49, 6 + 73, white};
    }
    void timeLayout()
    {
        QFETCH(TimeRow, row);
        const auto [blackOnWhite, enabled, value, maximum, load, lineX, unloadedX, frame] = row;
        const QXSliderDrawing d = QXSliderLayout(QXSliderKind::Time, QRect(0, 0, 110, 18), blackOnWhite, enabled, value, maximum, load);
        QCOMPARE(d.frame, QRect(5, 1, 100, 16));
        QCOMPARE(d.frameColour, frame);
        QCOMPARE(d.fills.first().rect, QRect(6, 2, 98, 14));
        QCOMPARE(d.fills.first().paint, blackOnWhite ? Paint::LightGradient : Paint::OverlayGround);
        if (lineX < 0) {
            QCOMPARE(d.fills.size(), 1);
            return;
        }
        QCOMPARE(d.fills.last().rect, QRect(lineX, 2, 1, 14));
        const QList<QXSliderDrawing::Fill> played = blackOnWhite ? fillsOf(d, Paint::DarkGradient, 1.0) : fillsOf(d, Paint::Colour).mid(0, d.fills.size() - 2);
        QCOMPARE(played.last().rect, QRect(6, 2, lineX - 6, 14));
        const QList<QXSliderDrawing::Fill> unloaded = blackOnWhite ? fillsOf(d, Paint::DarkGradient, 0.3) : d.fills.mid(1, d.fills.size() - 3);
        QCOMPARE(unloaded.isEmpty(), unloadedX < 0);
        if (unloadedX >= 0)
            QCOMPARE(unloaded.first().rect, QRect(unloadedX, 2, 104 - unloadedX, 14));
    }

    void volumeLayout()
    {
        // Frame on 5,3,74×10; the filled width of 72 px follows the value, enabled or not.
        for (bool enabled : {true, false}) {
            const QXSliderDrawing d = QXSliderLayout(QXSliderKind::Volume, QRect(0, 0, 84, 16), true, enabled, 0.5, 1.0, 0.0);
            QCOMPARE(d.frame, QRect(5, 3, 74, 10));
            QCOMPARE(d.frameColour, QColor(Qt::white));
            QCOMPARE(d.fills.size(), 3);
            QCOMPARE(d.fills[0].paint, Paint::DarkGradient);
            QCOMPARE(d.fills[1].paint, Paint::LightGradient);
            QCOMPARE(d.fills[1].rect, QRect(6, 4, 36, 8));
            QCOMPARE(d.fills[2].rect, QRect(42, 4, 1, 8));
        }
    }

    void pixels()
    {
        QXWhiteSlider s;
        s.resize(110, 18);
        s.setMaxValue(98);
        s.setValue(30);
        for (bool black : {false, true}) {
            s.setBlackOnWhite(black);
            const QImage image = render(s);
            const QRgb frame = black ? qRgb(0x55, 0x55, 0x55) : qRgb(255, 255, 255);
            // The frame's four sides, and the line, one pixel at 6 + 30 between others.
            for (const QPoint p : {QPoint(5, 9), QPoint(104, 9), QPoint(50, 1), QPoint(50, 16), QPoint(36, 9)})
                QCOMPARE(image.pixel(p), frame);
            QVERIFY(image.pixel(35, 9) != frame && image.pixel(37, 9) != frame);
        }
        s.setEnabled(false);
        const QImage disabled = render(s);
        QCOMPARE(disabled.pixel(5, 9), qRgb(0x80, 0x80, 0x80));
        QCOMPARE(disabled.pixel(36, 9), disabled.pixel(80, 9));   // no line, no played stretch
    }

    void chapterTicks()
    {
        // Bar 6,2,98×14 for 0 … 98: a mark at t stands at 6 + t, from the bar's foot to past
        // its middle; 0, the end, beyond it and NaN draw none. The line stays on top.
        const QList<double> marks{0, 20, 49, 98, 120, std::nan("")};
        for (bool black : {false, true}) {
            const QXSliderDrawing d = QXSliderLayout(QXSliderKind::Time, QRect(0, 0, 110, 18), black, true, 30, 98, 98, marks);
            QList<QRect> ticks;
            for (const QXSliderDrawing::Fill &f : d.fills)
                if (f.rect.width() == 1 && f.rect.height() < 14)
                    ticks << f.rect;
            QCOMPARE(ticks, (QList<QRect>{QRect(26, 8, 1, 8), QRect(55, 8, 1, 8)}));
            QCOMPARE(d.fills.last().rect, QRect(36, 2, 1, 14));
            const QXSliderDrawing disabled = QXSliderLayout(QXSliderKind::Time, QRect(0, 0, 110, 18), black, false, 30, 98, 98, marks);
            QCOMPARE(disabled.fills.size(), 1);
        }
        // Drawn: the tick's pixels differ from the bar's beside them, at its foot, not at its top.
        QXWhiteSlider s;
        s.resize(110, 18);
        s.setMaxValue(98);
        s.setValue(10);
        const QImage before = render(s);
        s.setMarks({49});
        const QImage image = render(s);
        QVERIFY(image.pixel(55, 14) != image.pixel(60, 14));
        QCOMPARE(image.pixel(55, 3), image.pixel(60, 3));
        QCOMPARE(before.pixel(55, 14), before.pixel(60, 14));
    }

    void pressJumpsAndDragFollows()
    {
        QXWhiteSlider s;
        s.resize(110, 18);
        s.setLoadValue(3);
        s.setMaxValue(6e9);   // past 2^31 units
        QCOMPARE(s.loadValue(), 6e9);   // a new maximum is loaded whole
        QList<double> sent;
        connect(&s, &QXWhiteSlider::triggered, &s, [&] { sent << s.value(); });
        QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(6 + 49, 9));
        QVERIFY(s.isSliderDown());
        QCOMPARE(sent, QList<double>{3e9});
        QMouseEvent move(QEvent::MouseMove, QPointF(6 + 98 + 30, 9), s.mapToGlobal(QPointF(134, 9)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(&s, &move);
        QCOMPARE(sent.last(), 6e9);   // dragged past the end: the maximum
        QMouseEvent back(QEvent::MouseMove, QPointF(-20, 9), s.mapToGlobal(QPointF(-20, 9)), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&s, &back);
        QCOMPARE(sent.last(), 0.0);
        QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(0, 9));
        QVERIFY(!s.isSliderDown());
        QCOMPARE(sent.size(), 3);
        s.setEnabled(false);
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(60, 9));
        QCOMPARE(sent.size(), 3);
    }

    void volumeInItsGroove()
    {
        QXVolumeBackgroundView view;
        auto *slider = new QXVolumeSlider;
        view.setSlider(slider);
        slider->setMaxValue(1.0);
        slider->setWheelStep(0.1);
        // The slider's frame lies on the groove.
        QCOMPARE(QXSliderEffectiveBounds(QXSliderKind::Volume, slider->geometry()), QXVolumeGrooveRect(view.size()));
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(6 + (slider->width() - 12) / 2, 8));   // the bar's middle
        QCOMPARE(slider->value(), 0.5);
        QWheelEvent up(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120 * 7), Qt::NoButton, {},
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &up);
        QCOMPARE(slider->value(), 1.0);   // clamped at the top
    }
};

QTEST_MAIN(TestSliders)
#include "test_sliders.moc"
