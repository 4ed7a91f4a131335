#pragma once
// The time and volume sliders: thin framed bars without a knob, drawn by the player. A press
// jumps to the point and a drag follows, reporting every move through `triggered`; values are
// doubles from 0 to the maximum, so long movies keep their full time count.
#include "controls/QXImages.h"

#include <QColor>
#include <QList>
#include <QRect>
#include <QWidget>

// What a slider draws, computed without a window.
struct QXSliderDrawing
{
    enum class Paint { Colour, OverlayGround, LightGradient, DarkGradient };
    struct Fill
    {
        QRect rect;
        Paint paint = Paint::Colour;
        QColor colour;          // for Colour
        qreal opacity = 1.0;    // for the gradients
        bool operator==(const Fill &) const = default;
    };
    QColor frameColour;
    QRect frame;                // its four edges are one pixel lines
    QList<Fill> fills;          // in painting order, after the frame
    bool operator==(const QXSliderDrawing &) const = default;
};

enum class QXSliderKind { Time, Volume };

// The inset of the bounds the frame is drawn on: 5 px at the sides; 1 px (time) or 3 px
// (volume) at top and bottom.
QRect QXSliderEffectiveBounds(QXSliderKind kind, const QRect &bounds);
// The whole drawing. The volume slider is always in the white scheme, fully loaded and draws
// the same enabled or not. A maximum that is 0 or not finite draws no played or unloaded
// stretch and puts the line at the left; value and load are clamped to 0 … maximum. Marks (the
// time slider's chapter starts) are small ticks at the foot of the bar, under the line; those at
// 0 or outside the bar are not drawn.
QXSliderDrawing QXSliderLayout(QXSliderKind kind, const QRect &bounds, bool blackOnWhite, bool enabled,
                               double value, double maximum, double loadValue, const QList<double> &marks = {});
// The value a press at x (in the slider's coordinates) stands for: the inverse of the played
// width, clamped to 0 … maximum.
double QXSliderValueAt(QXSliderKind kind, const QRect &bounds, double maximum, int x);

class QXWhiteSlider : public QWidget
{
    Q_OBJECT
public:
    explicit QXWhiteSlider(QWidget *parent = nullptr);

    bool isBlackOnWhite() const { return m_blackOnWhite; }
    void setBlackOnWhite(bool blackOnWhite);
    // The floating bar's ground under the white scheme's bar, where it is not the usual 40 %
    // black (an opaque bar where no compositor blends windows).
    void setOverlayGround(const QColor &colour);
    double value() const { return m_value; }
    void setValue(double value);
    double maxValue() const { return m_max; }
    // The movie counts as loaded until told otherwise: the load value becomes the maximum.
    void setMaxValue(double maximum);
    double loadValue() const { return m_kind == QXSliderKind::Volume ? m_max : m_load; }
    void setLoadValue(double loadValue);
    // Held by the mouse (or set so by a caller standing in for it).
    bool isSliderDown() const { return m_down; }
    void setSliderDown(bool down) { m_down = down; }
    // Values marked by ticks (chapter starts).
    QList<double> marks() const { return m_marks; }
    void setMarks(const QList<double> &marks);
    // What one wheel notch adds; 0 leaves the wheel to the parent.
    void setWheelStep(double step) { m_wheelStep = step; }

    QXSliderDrawing drawing() const;
    QSize sizeHint() const override { return {120, 18}; }

signals:
    // The user moved the slider; value() is the new place.
    void triggered();

protected:
    QXWhiteSlider(QXSliderKind kind, QWidget *parent);
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Changes what is drawn, repainting only when the drawing differs.
    template <typename Change>
    void changeDrawing(Change change);
    void moveTo(double value);

    QXSliderKind m_kind;
    bool m_blackOnWhite = false;
    double m_value = 0;
    double m_max = 0;
    double m_load = 0;
    QList<double> m_marks;
    bool m_down = false;
    QColor m_overlayGround;
    double m_wheelStep = 0;
    int m_wheelRemainder = 0;
};

class QXVolumeSlider : public QXWhiteSlider
{
    Q_OBJECT
public:
    explicit QXVolumeSlider(QWidget *parent = nullptr);
    QSize sizeHint() const override { return {84, 16}; }
};

// The groove with its speakers behind the volume slider; it places its slider over the groove.
class QXVolumeBackgroundView : public QWidget
{
    Q_OBJECT
public:
    explicit QXVolumeBackgroundView(QWidget *parent = nullptr);
    void setSlider(QXVolumeSlider *slider);
    // The speakers' ink follows the bar's ground.
    void setGround(QXGround ground);
    QSize sizeHint() const override { return {64, 22}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QXVolumeSlider *m_slider = nullptr;
    QXGround m_ground = QXGround::Dark;
};

// Paints a slider drawing; shared by the sliders and their tests.
class QPainter;
void QXPaintSliderDrawing(QPainter &painter, const QXSliderDrawing &drawing);
