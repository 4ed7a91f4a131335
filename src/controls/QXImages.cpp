#include "controls/QXImages.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kInk(232, 232, 232);

// Drawn into an image that is copied once the painter is done: the copy carries no paint
// engine, which an image keeps for as long as it lives once painted on.
template <typename Draw>
QPixmap drawn(Draw draw)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    return QPixmap::fromImage(image.copy());
}

QPixmap rotateArrow(bool clockwise)
{
    return drawn([&](QPainter &p) {
        p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
        // Three quarters of a circle, open at the top, with the arrow head at its end.
        const QRectF r(6, 6, 20, 20);
        p.drawArc(r, 120 * 16, clockwise ? -300 * 16 : 300 * 16);
        QPainterPath head;
        if (clockwise) {
            head.moveTo(25, 4); head.lineTo(26, 13); head.lineTo(17, 11);
        } else {
            head.moveTo(7, 4); head.lineTo(6, 13); head.lineTo(15, 11);
        }
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPath(head);
    });
}

QPixmap list(bool visible)
{
    return drawn([&](QPainter &p) {
        p.setPen(QPen(kInk, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(4, 6, 24, 20), 2, 2);
        p.setBrush(kInk);
        if (visible)
            p.drawRect(QRectF(4, 6, 9, 20));   // the pane, filled in
        else
            p.drawLine(QPointF(13, 6), QPointF(13, 26));
    });
}

QPixmap present()
{
    return drawn([&](QPainter &p) {
        p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        // Four corners pointing outward: full screen.
        const QPointF corners[4][3] = {{{5, 12}, {5, 5}, {12, 5}}, {{20, 5}, {27, 5}, {27, 12}},
                                       {{27, 20}, {27, 27}, {20, 27}}, {{12, 27}, {5, 27}, {5, 20}}};
        for (const auto &c : corners)
            p.drawPolyline(c, 3);
    });
}

QPixmap lock()
{
    return drawn([&](QPainter &p) {
        p.setPen(QPen(kInk, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(10, 4, 12, 14), 0, 180 * 16);
        p.drawLine(QPointF(10, 11), QPointF(10, 15));
        p.drawLine(QPointF(22, 11), QPointF(22, 15));
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(7, 15, 18, 13), 2, 2);
    });
}

QPixmap globe()
{
    return drawn([&](QPainter &p) {
        QRadialGradient g(QPointF(12, 11), 18);
        g.setColorAt(0, QColor(140, 200, 255));
        g.setColorAt(1, QColor(20, 80, 170));
        p.setBrush(g);
        p.setPen(QPen(QColor(10, 50, 120), 1.5));
        p.drawEllipse(QRectF(2, 2, 28, 28));
        p.setPen(QPen(QColor(230, 245, 255, 200), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(10, 2.5, 12, 27));
        p.drawLine(QPointF(3, 16), QPointF(29, 16));
    });
}

// A frame of film: a movie file where the icon theme has no picture for one.
QPixmap movieFile()
{
    return drawn([&](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 70, 78));
        p.drawRoundedRect(QRectF(5, 2, 22, 28), 2, 2);
        p.setBrush(QColor(150, 190, 230));
        p.drawRect(QRectF(10, 7, 12, 18));
        p.setBrush(kInk);
        for (int y = 4; y < 28; y += 5) {
            p.drawRect(QRectF(6.5, y, 2, 2.5));
            p.drawRect(QRectF(23.5, y, 2, 2.5));
        }
    });
}

// An arrow into a tray: a download under way.
QPixmap downloading()
{
    return drawn([&](QPainter &p) {
        p.setPen(QPen(QColor(60, 150, 240), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(16, 4), QPointF(16, 20));
        p.drawPolyline(QList<QPointF>{{9, 13}, {16, 20}, {23, 13}});
        p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QList<QPointF>{{5, 21}, {5, 27}, {27, 27}, {27, 21}});
    });
}

// Three chevrons pointing right: the folded bar's menu.
QPixmap chevron()
{
    return drawn([&](QPainter &p) {
        p.setPen(QPen(QColor(235, 235, 235), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QList<QPointF>{{9, 9}, {16, 16}, {9, 23}});
        p.drawPolyline(QList<QPointF>{{17, 9}, {24, 16}, {17, 23}});
    });
}

// The preferences sections' images sit on a light toolbar: dark ink with a blue accent.
const QColor kSectionInk(70, 70, 76);
const QColor kSectionAccent(52, 120, 210);

QPixmap sectionGeneral()
{
    QImage pm(32, 32, QImage::Format_ARGB32_Premultiplied);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A gear: eight teeth round a ring.
    p.translate(16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kSectionInk);
    for (int i = 0; i < 8; ++i) {
        p.drawRoundedRect(QRectF(-3, -15, 6, 8), 1.5, 1.5);
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 10.5, 10.5);
    p.setBrush(kSectionAccent);
    p.drawEllipse(QPointF(0, 0), 4.5, 4.5);
    p.end();
    return QPixmap::fromImage(pm);
}

QPixmap sectionControls()
{
    QImage pm(32, 32, QImage::Format_ARGB32_Premultiplied);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Three sliders with their knobs at different places.
    const qreal knobs[3] = {10, 21, 14};
    for (int i = 0; i < 3; ++i) {
        const qreal y = 8 + i * 8;
        p.setPen(QPen(kSectionInk, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, y), QPointF(28, y));
        p.setPen(QPen(kSectionInk, 1.5));
        p.setBrush(kSectionAccent);
        p.drawEllipse(QPointF(knobs[i], y), 3.5, 3.5);
    }
    p.end();
    return QPixmap::fromImage(pm);
}

QPixmap sectionHistory()
{
    QImage pm(32, 32, QImage::Format_ARGB32_Premultiplied);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A list with a play mark at its first row.
    p.setPen(QPen(kSectionInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(12, 7 + i * 6), QPointF(28, 7 + i * 6));
    QPainterPath play;
    play.moveTo(3, 3.5);
    play.lineTo(9, 7);
    play.lineTo(3, 10.5);
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kSectionAccent);
    p.drawPath(play);
    p.end();
    return QPixmap::fromImage(pm);
}

QPixmap sectionUpdates()
{
    QImage pm(32, 32, QImage::Format_ARGB32_Premultiplied);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A downward arrow in a circle.
    p.setPen(QPen(kSectionInk, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(QPen(kSectionAccent, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(16, 9), QPointF(16, 22));
    const QPointF head[3] = {{10.5, 17}, {16, 22.5}, {21.5, 17}};
    p.drawPolyline(head, 3);
    p.end();
    return QPixmap::fromImage(pm);
}

} // namespace

QIcon QXNamedImage(const QString &name)
{
    // Made on first use and kept, so every caller shares one image per name.
    static QHash<QString, QIcon> singletonImages;
    const auto it = singletonImages.constFind(name);
    if (it != singletonImages.constEnd())
        return it.value();
    QPixmap pm;
    if (name == QLatin1String("QXRotateClockwise"))
        pm = rotateArrow(true);
    else if (name == QLatin1String("QXRotateCounterclockwise"))
        pm = rotateArrow(false);
    else if (name == QLatin1String("QXListVisible"))
        pm = list(true);
    else if (name == QLatin1String("QXListHidden"))
        pm = list(false);
    else if (name == QLatin1String("QXPresent"))
        pm = present();
    else if (name == QLatin1String("QXLock"))
        pm = lock();
    else if (name == QLatin1String("QXMiniGlobe"))
        pm = globe();
    else if (name == QLatin1String("QXDownloading"))
        pm = downloading();
    else if (name == QLatin1String("QXTPGeneral"))
        pm = sectionGeneral();
    else if (name == QLatin1String("QXTPControls"))
        pm = sectionControls();
    else if (name == QLatin1String("QXTPHistory"))
        pm = sectionHistory();
    else if (name == QLatin1String("QXTPUpdates"))
        pm = sectionUpdates();
    else if (name == QLatin1String("QXTPChevron"))
        pm = chevron();
    else if (name == QLatin1String("QXMovieFile") && !QIcon::hasThemeIcon(QStringLiteral("video-x-generic")))
        pm = movieFile();
    else if (name != QLatin1String("QXMovieFile"))
        return {};
    // The theme's picture is read from its files as sizes are asked for, and kept.
    const QIcon icon = pm.isNull() ? QIcon::fromTheme(QStringLiteral("video-x-generic")) : QIcon(pm);
    singletonImages.insert(name, icon);
    return icon;
}
