#include "player/QXWindowGeometry.h"

#include <algorithm>
#include <cmath>

namespace QXGeometry {

QSizeF naturalSizeForMagnification(const QSizeF &natural, int angle, float magnification)
{
    QSizeF s(natural.width() * magnification, natural.height() * magnification);
    if ((angle / 90) % 2 != 0)
        s.transpose();
    return s;
}

QSizeF viewSizeForMovieSize(const QSizeF &movieSize, bool controllerVisible, double controllerBarHeight)
{
    QSizeF s = movieSize;
    if (minimumSize.width() > s.width()) {
        if (s.height() < 1.0)
            return defaultSize;
        s = QSizeF(minimumSize.width(), minimumSize.width() / s.width() * s.height());
    }
    if (controllerVisible)
        s.setHeight(s.height() + controllerBarHeight);
    return s;
}

QRectF frameForPlayerAreaSize(const QRectF &frame, const QSizeF &area, const QSizeF &newArea)
{
    const double dh = newArea.height() - area.height();
    const double dw = newArea.width() - area.width();
    return QRectF(frame.x(), frame.y() - dh, frame.width() + dw, frame.height() + dh);
}

QSizeF minimumFrameSize(double windowWidth, double playerAreaWidth)
{
    return QSizeF(minimumSize.width() + windowWidth - playerAreaWidth, minimumSize.height());
}

QRectF zoomFrame(const QRectF &S, const QSizeF &W, const QSizeF &v, const QSizeF &n, bool hasVideo,
                 bool locked, float *magnification)
{
    QRectF result = S;
    if (!hasVideo || n.width() <= 0 || n.height() <= 0)
        return result;
    double m = (S.width() - W.width() + v.width()) / n.width();
    if (locked) {
        const double h = std::round(m * n.height()) + W.height() - v.height();
        if (h > S.height()) {
            m = (v.height() + S.height() - W.height()) / n.height();
            const double width = std::round(m * n.width()) + W.width() - v.width();
            result = QRectF(S.x() + std::round((S.width() - width) * 0.5), S.y(), width, S.height());
        } else {
            result = QRectF(S.x(), S.y() + std::round((S.height() - h) * 0.5), S.width(), h);
        }
    }
    if (magnification)
        *magnification = float(m);
    return result;
}

double lockedHeightForWidth(double proposedWidth, const QSizeF &W, const QSizeF &v, const QSizeF &n,
                            bool locked, double proposedHeight, float *magnification)
{
    if (n.width() <= 0)
        return proposedHeight;
    const float m = float((proposedWidth - W.width() + v.width()) / n.width());
    if (magnification)
        *magnification = m;
    if (!locked)
        return proposedHeight;
    return std::round(n.height() * m) + W.height() - v.height();
}

bool fitsInside(const QSizeF &frame, const QRectF &S)
{
    return frame.width() <= S.width() && frame.height() <= S.height();
}

QRectF keptOnScreen(const QRectF &f, const QRectF &S)
{
    // Bottom-left coordinates: the top edge is y + height.
    double x = f.x(), y = f.y();
    if (x + f.width() > S.x() + S.width())
        x = S.x() + S.width() - f.width();
    if (x < S.x())
        x = S.x();
    if (y < S.y())
        y = S.y();
    if (y + f.height() > S.y() + S.height())
        y = S.y() + S.height() - f.height();
    return QRectF(x, y, f.width(), f.height());
}

QSizeF proportionallyAtLeast(const QSizeF &s, double minWidth, double minHeight)
{
    if (s.width() <= 0 || s.height() <= 0)
        return s;
    const double scale = std::max({1.0, minWidth / s.width(), minHeight / s.height()});
    // Whole pixels, without a rounding crumb adding one.
    const auto up = [](double v) { return std::ceil(v - 1e-6); };
    return scale > 1.0 ? QSizeF(up(s.width() * scale), up(s.height() * scale)) : s;
}

QSizeF proportionalLeastArea(const QSizeF &least, const QSizeF &proportions, const QSizeF &room)
{
    if (proportions.isEmpty())
        return {};
    // From a size within 1 × 1, so only ever scaled up.
    const QSizeF unit = proportions.scaled(1, 1, Qt::KeepAspectRatio);
    const QSizeF kept = proportionallyAtLeast(unit, least.width(), least.height());
    return fitsInside(kept, QRectF(QPointF(0, 0), room)) ? kept : QSizeF();
}

QSizeF leastPlayerArea(const QSizeF &least, const QSizeF &proportions, const QSizeF &room)
{
    const QSizeF kept = proportionalLeastArea(least, proportions, room);
    return kept.isEmpty() ? least.boundedTo(room.expandedTo(QSizeF(1, 1))) : kept;
}

float increasedScale(float m)
{
    return float(int(2.0f * m) + 1) * 0.5f;
}

float decreasedScale(float m)
{
    const float d = float(int(2.0f * m) - 1) * 0.5f;
    return d < 0.5f ? 0.5f : d;
}

int magnificationTag(float m)
{
    return int(10.0f * m);
}

QRectF frameFromQt(const QRectF &r, double primaryHeight)
{
    return QRectF(r.x(), primaryHeight - r.y() - r.height(), r.width(), r.height());
}

QRectF frameToQt(const QRectF &f, double primaryHeight)
{
    return QRectF(f.x(), primaryHeight - f.y() - f.height(), f.width(), f.height());
}

} // namespace QXGeometry

namespace QXGeometry {

QRectF presentationFrame(const QSizeF &S, const QSizeF &area, bool fill)
{
    if (area.height() <= 0 || area.width() <= 0 || S.height() <= 0)
        return QRectF(QPointF(0, 0), S);
    const float a = float(area.width()) / float(area.height());
    bool wide = S.width() / S.height() > a;
    if (fill)
        wide = !wide;
    if (wide) {
        const double w = a * S.height();
        return QRectF(std::round((S.width() - w) * 0.5), 0, std::round(float(w)), S.height());
    }
    const double h = S.width() / a;
    return QRectF(0, std::round((S.height() - h) * 0.5), S.width(), std::round(float(h)));
}

} // namespace QXGeometry
