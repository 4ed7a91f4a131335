#include "controls/QXPlaylistImages.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

// One pixmap per scale, each drawn at its own resolution in the image's point space.
template <typename Draw>
QIcon drawnIcon(QSize size, Draw draw)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(scale, scale);
            draw(p);
        }
        QPixmap pm = QPixmap::fromImage(image.copy());
        pm.setDevicePixelRatio(scale);
        icon.addPixmap(pm);
    }
    return icon;
}

// A play triangle: the current entry.
QIcon playing(const QColor &ink)
{
    return drawnIcon(QSize(QXTableMarkSize, QXTableMarkSize), [ink](QPainter &p) {
        QPainterPath path;
        path.moveTo(2.5, 1.5);
        path.lineTo(10.5, 6);
        path.lineTo(2.5, 10.5);
        path.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(path);
    });
}

// An open ring with a head: a download under way.
QIcon loading(const QColor &ink)
{
    return drawnIcon(QSize(QXTableMarkSize, QXTableMarkSize), [ink](QPainter &p) {
        p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(1.5, 1.5, 9, 9), 90 * 16, -270 * 16);
        QPainterPath head;
        head.moveTo(6, -0.2);
        head.lineTo(9.2, 3);
        head.lineTo(6, 5.6);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(head);
    });
}

// A small cloud of puffs around (cx, cy); grown by t from 0 to 1, faded out towards the end.
void drawPuff(QPainter &p, double cx, double cy, double radius, double t)
{
    const double opacity = t < 0.6 ? 1.0 : 1.0 - (t - 0.6) / 0.5;
    const double lobes[][3] = {{0, 0, 1.0}, {-0.55, -0.25, 0.7}, {0.55, -0.3, 0.75},
                               {-0.45, 0.45, 0.65}, {0.5, 0.45, 0.7}, {0, -0.6, 0.6}};
    p.setOpacity(opacity);
    for (const bool shade : {true, false}) {
        p.setPen(shade ? QPen(QColor(90, 90, 90), radius * 0.12) : Qt::NoPen);
        p.setBrush(QColor(250, 250, 250));
        for (const auto &l : lobes) {
            const double spread = 1.0 + t * 0.9;
            const double r = radius * l[2] * (0.55 + 0.45 * (1.0 - t * 0.5));
            p.drawEllipse(QPointF(cx + l[0] * radius * spread, cy + l[1] * radius * spread), r, r);
        }
    }
    p.setOpacity(1.0);
}

QIcon poof(int frame)
{
    return drawnIcon(QSize(QXPoofSize, QXPoofSize), [frame](QPainter &p) {
        const double t = double(frame - 1) / (QXPoofFrameCount - 1);
        drawPuff(p, QXPoofSize / 2.0, QXPoofSize / 2.0, 12.0, t);
    });
}

// The arrow pointer with a puff beside its tail: let go, the item disappears.
QIcon disappearingItemCursor()
{
    return drawnIcon(QSize(32, 32), [](QPainter &p) {
        const double h = QXDisappearingItemCursorHotSpot;
        QPainterPath arrow;
        arrow.moveTo(h, h);
        arrow.lineTo(h, h + 16);
        arrow.lineTo(h + 4, h + 12.5);
        arrow.lineTo(h + 6.8, h + 18.5);
        arrow.lineTo(h + 9.2, h + 17.4);
        arrow.lineTo(h + 6.5, h + 11.5);
        arrow.lineTo(h + 11.5, h + 11.5);
        arrow.closeSubpath();
        p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::black);
        p.drawPath(arrow);
        drawPuff(p, 22, 23, 5.5, 0.15);
    });
}

// Three ridges across a narrow strip: something to take hold of and pull sideways.
QIcon grip()
{
    return drawnIcon(QSize(12, 22), [](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        for (const double x : {3.0, 6.0, 9.0}) {
            p.fillRect(QRectF(x - 1, 6, 1, 10), QColor(0, 0, 0, 110));
            p.fillRect(QRectF(x, 6, 1, 10), QColor(255, 255, 255, 150));
        }
    });
}

} // namespace

QIcon QXPlaylistNamedImage(const QString &name)
{
    static QHash<QString, QIcon> singletonImages;
    const auto it = singletonImages.constFind(name);
    if (it != singletonImages.constEnd())
        return it.value();
    const QColor dark(64, 64, 64), light(255, 255, 255);
    QIcon icon;
    if (name == QLatin1String("QXTableButtonPlaying"))
        icon = playing(dark);
    else if (name == QLatin1String("QXTableButtonPlayingInverted"))
        icon = playing(light);
    else if (name == QLatin1String("QXTableButtonLoading"))
        icon = loading(dark);
    else if (name == QLatin1String("QXTableButtonLoadingInverted"))
        icon = loading(light);
    else if (name == QLatin1String("QXDisappearingItemCursor"))
        icon = disappearingItemCursor();
    else if (name == QLatin1String("QXTarvelShiftGrip"))
        icon = grip();
    else if (name.startsWith(QLatin1String("QXPoof")) && name.size() == 7 && name.at(6) >= u'1'
             && name.at(6) <= QChar(u'0' + QXPoofFrameCount))
        icon = poof(name.at(6).unicode() - u'0');
    else
        return {};
    singletonImages.insert(name, icon);
    return icon;
}
