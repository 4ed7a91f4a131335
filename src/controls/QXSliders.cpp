#include "controls/QXSliders.h"

#include "controls/QXImages.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace {

const QColor kLoadProgress(128, 128, 128, 102);   // white 0.5, alpha 0.4
const QColor kProgress(128, 128, 128, 153);       // white 0.5, alpha 0.6
const QColor kOverlayGround(0, 0, 0, 102);        // the floating bar's 40 % black
const QColor kDarkGray(0x55, 0x55, 0x55);
const QColor kGray(0x80, 0x80, 0x80);
const QColor kTick(255, 255, 255, 170);

bool usableMaximum(double maximum)
{
    return std::isfinite(maximum) && maximum > 0;
}

double clamped(double v, double maximum)
{
    if (!(v > 0))   // also NaN
        return 0;
    return v > maximum ? maximum : v;
}

// floor(part × width / maximum) for 0 ≤ part ≤ maximum, never past the width.
int widthFor(double part, double maximum, int width)
{
    if (!usableMaximum(maximum))
        return 0;
    const double w = std::floor(clamped(part, maximum) * width / maximum);
    return int(qBound(0.0, w, double(width)));
}

} // namespace

QRect QXSliderEffectiveBounds(QXSliderKind kind, const QRect &b)
{
    const int dy = kind == QXSliderKind::Volume ? 3 : 1;
    return QRect(b.x() + 5, b.y() + dy, b.width() - 10, b.height() - 2 * dy);
}

QXSliderDrawing QXSliderLayout(QXSliderKind kind, const QRect &bounds, bool blackOnWhite, bool enabled,
                               double value, double maximum, double loadValue, const QList<double> &marks)
{
    using Fill = QXSliderDrawing::Fill;
    using Paint = QXSliderDrawing::Paint;
    const bool volume = kind == QXSliderKind::Volume;
    if (volume) {
        blackOnWhite = false;
        loadValue = maximum;
    }
    QXSliderDrawing d;
    d.frame = QXSliderEffectiveBounds(kind, bounds);
    d.frameColour = !blackOnWhite ? QColor(Qt::white) : enabled ? kDarkGray : kGray;
    const QRect bar = d.frame.adjusted(1, 1, -1, -1);
    if (bar.isEmpty())
        return d;
    const int x = bar.x(), y = bar.y(), w = bar.width(), h = bar.height();
    const int played = widthFor(value, maximum, w);
    if (volume) {
        d.fills = {Fill{bar, Paint::DarkGradient, {}, 1.0}, Fill{QRect(x, y, played, h), Paint::LightGradient, {}, 1.0},
                   Fill{QRect(x + played, y, 1, h), Paint::Colour, Qt::white, 1.0}};
        return d;
    }
    d.fills.append(blackOnWhite ? Fill{bar, Paint::LightGradient, {}, 1.0} : Fill{bar, Paint::OverlayGround, kOverlayGround, 1.0});
    if (!enabled)
        return d;
    // Nothing unloaded unless the maximum is usable and the load falls short by more than 0.1.
    if (usableMaximum(maximum) && maximum - clamped(loadValue, maximum) > 0.1) {
        const int loaded = widthFor(loadValue, maximum, w);
        const QRect rest(x + loaded, y, w - loaded, h);
        d.fills.append(blackOnWhite ? Fill{rest, Paint::DarkGradient, {}, 0.3} : Fill{rest, Paint::Colour, kLoadProgress, 1.0});
    }
    const QRect playedRect(x, y, played, h);
    d.fills.append(blackOnWhite ? Fill{playedRect, Paint::DarkGradient, {}, 1.0} : Fill{playedRect, Paint::Colour, kProgress, 1.0});
    // Ticks rise from the foot of the bar to just past its middle, in the frame's colour.
    const int tickHeight = qMax(2, h / 2 + 1);
    for (const double mark : marks) {
        if (!usableMaximum(maximum) || !(mark > 0) || mark >= maximum)
            continue;
        const int at = widthFor(mark, maximum, w);
        if (at > 0 && at < w)
            d.fills.append(Fill{QRect(x + at, y + h - tickHeight, 1, tickHeight), Paint::Colour,
                                blackOnWhite ? kDarkGray : kTick, 1.0});
    }
    d.fills.append(Fill{QRect(x + played, y, 1, h), Paint::Colour, blackOnWhite ? kDarkGray : QColor(Qt::white), 1.0});
    return d;
}

double QXSliderValueAt(QXSliderKind kind, const QRect &bounds, double maximum, int x)
{
    if (!usableMaximum(maximum))
        return 0;
    const QRect bar = QXSliderEffectiveBounds(kind, bounds).adjusted(1, 1, -1, -1);
    if (bar.width() <= 0)
        return 0;
    return clamped(double(x - bar.x()) * maximum / bar.width(), maximum);
}

void QXPaintSliderDrawing(QPainter &p, const QXSliderDrawing &d)
{
    const QRect f = d.frame;
    if (f.width() <= 0 || f.height() <= 0)
        return;
    for (const QRect &edge : {QRect(f.x(), f.y(), 1, f.height()), QRect(f.right(), f.y(), 1, f.height()),
                              QRect(f.x(), f.y(), f.width(), 1), QRect(f.x(), f.bottom(), f.width(), 1)})
        p.fillRect(edge, d.frameColour);
    for (const QXSliderDrawing::Fill &fill : d.fills) {
        if (fill.rect.isEmpty())
            continue;
        switch (fill.paint) {
        case QXSliderDrawing::Paint::Colour:
            p.fillRect(fill.rect, fill.colour);
            break;
        case QXSliderDrawing::Paint::OverlayGround:
            // A plain fill that replaces the pixels, as the floating bar's own ground.
            p.save();
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(fill.rect, fill.colour);
            p.restore();
            break;
        case QXSliderDrawing::Paint::LightGradient:
            QXDrawPicture(p, QStringLiteral("QXLightGradient"), fill.rect, fill.opacity);
            break;
        case QXSliderDrawing::Paint::DarkGradient:
            QXDrawPicture(p, QStringLiteral("darkplasticfooter"), fill.rect, fill.opacity);
            break;
        }
    }
}

QXWhiteSlider::QXWhiteSlider(QWidget *parent) : QXWhiteSlider(QXSliderKind::Time, parent) {}

QXWhiteSlider::QXWhiteSlider(QXSliderKind kind, QWidget *parent) : QWidget(parent), m_kind(kind)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

template <typename Change>
void QXWhiteSlider::changeDrawing(Change change)
{
    const QXSliderDrawing before = drawing();
    change();
    // Any change repaints the whole bar, but only a change that shows.
    if (drawing() != before)
        update();
}

void QXWhiteSlider::setBlackOnWhite(bool blackOnWhite)
{
    m_blackOnWhite = blackOnWhite;
    update();
}

void QXWhiteSlider::setOverlayGround(const QColor &colour)
{
    m_overlayGround = colour;
    update();
}

void QXWhiteSlider::setValue(double value)
{
    changeDrawing([&] { m_value = value; });
}

void QXWhiteSlider::setMaxValue(double maximum)
{
    changeDrawing([&] {
        m_load = maximum;
        m_max = maximum;
    });
}

void QXWhiteSlider::setMarks(const QList<double> &marks)
{
    changeDrawing([&] { m_marks = marks; });
}

void QXWhiteSlider::setLoadValue(double loadValue)
{
    // Shown by the next value change or repaint.
    m_load = loadValue;
}

QXSliderDrawing QXWhiteSlider::drawing() const
{
    return QXSliderLayout(m_kind, rect(), m_blackOnWhite, isEnabled(), m_value, m_max, m_load, m_marks);
}

void QXWhiteSlider::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QXSliderDrawing d = drawing();
    if (m_overlayGround.isValid())
        for (QXSliderDrawing::Fill &fill : d.fills)
            if (fill.paint == QXSliderDrawing::Paint::OverlayGround)
                fill.colour = m_overlayGround;
    QXPaintSliderDrawing(p, d);
}

void QXWhiteSlider::moveTo(double value)
{
    if (value == m_value)
        return;
    setValue(value);
    emit triggered();
}

void QXWhiteSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_down = true;
    const double v = QXSliderValueAt(m_kind, rect(), m_max, event->position().toPoint().x());
    // The press itself is an action even where the value stays.
    setValue(v);
    emit triggered();
}

void QXWhiteSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (m_down && (event->buttons() & Qt::LeftButton))
        moveTo(QXSliderValueAt(m_kind, rect(), m_max, event->position().toPoint().x()));
}

void QXWhiteSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_down = false;
}

void QXWhiteSlider::wheelEvent(QWheelEvent *event)
{
    if (!(m_wheelStep > 0) || !isEnabled()) {
        event->ignore();
        return;
    }
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    if (notches != 0)
        moveTo(clamped(m_value + notches * m_wheelStep, usableMaximum(m_max) ? m_max : 0));
    event->accept();
}

void QXWhiteSlider::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        m_down = false;
        update();
    }
    QWidget::changeEvent(event);
}

QXVolumeSlider::QXVolumeSlider(QWidget *parent) : QXWhiteSlider(QXSliderKind::Volume, parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QXVolumeBackgroundView::QXVolumeBackgroundView(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
}

void QXVolumeBackgroundView::setSlider(QXVolumeSlider *slider)
{
    m_slider = slider;
    slider->setParent(this);
    resizeEvent(nullptr);
}

void QXVolumeBackgroundView::setGround(QXGround ground)
{
    m_ground = ground;
    update();
}

void QXVolumeBackgroundView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QXDrawPicture(p, QStringLiteral("QXVolumeBackground"), rect(), 1.0, m_ground);
}

void QXVolumeBackgroundView::resizeEvent(QResizeEvent *)
{
    // The slider's frame lies on the groove.
    if (m_slider)
        m_slider->setGeometry(QXVolumeGrooveRect(size()).adjusted(-5, -3, 5, 3));
}
