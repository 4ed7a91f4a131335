#include "controls/QXImages.h"
#include "controls/QXPlaylistImages.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace {

// ---- Glyphs ------------------------------------------------------------------------------
// Each is drawn as one opaque shape in its own units; rendering inks it and adds the emboss.
// Knock-outs clear what was filled.

void polygon(QPainter &p, std::initializer_list<QPointF> points)
{
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
}

void knockOut(QPainter &p, const QRectF &r)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillRect(r, Qt::black);
    p.restore();
}

void mirrored(QPainter &p, qreal width)
{
    p.translate(width, 0);
    p.scale(-1, 1);
}

void play(QPainter &p) { polygon(p, {{8, 4}, {8, 20}, {20, 12}}); }

void pause(QPainter &p)
{
    p.drawRect(QRectF(7, 4, 4, 16));
    p.drawRect(QRectF(13, 4, 4, 16));
}

// Three quarters of a ring from three o'clock round the bottom to the top, where the head
// points the way it turns.
void rotate(QPainter &p, bool clockwise)
{
    if (!clockwise)
        mirrored(p, 24);
    QPainterPath arc;
    const QRectF ring(5, 6, 14, 14);
    arc.arcMoveTo(ring, 0);
    arc.arcTo(ring, 0, -260);
    p.strokePath(arc, QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    polygon(p, {{10.5, 2.5}, {16.5, 6}, {10.5, 9.5}});
}

void chevron(QPainter &p)
{
    const QPen pen(Qt::black, 2.5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    QPainterPath twice;
    for (qreal x : {6.5, 12.5}) {
        twice.moveTo(x, 7);
        twice.lineTo(x + 5, 12);
        twice.lineTo(x, 17);
    }
    p.strokePath(twice, pen);
}

// A padlock; open, the shackle is lifted out of the body on the left.
void padlock(QPainter &p, bool open)
{
    p.drawRoundedRect(QRectF(6, 11, 12, 10), 1.5, 1.5);
    knockOut(p, QRectF(11, 14, 2, 4));
    const qreal lift = open ? 2 : 0;
    QPainterPath shackle;
    shackle.moveTo(8, open ? 8 : 11);
    shackle.lineTo(8, 8 - lift);
    shackle.arcTo(QRectF(8, 4 - lift, 8, 8), 180, -180);
    shackle.lineTo(16, 11);
    p.strokePath(shackle, QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
}

// Four corners: pointing out to enter presentation, in to leave it.
void corners(QPainter &p, bool inward)
{
    for (int turn = 0; turn < 4; ++turn) {
        p.save();
        if (turn & 1)
            mirrored(p, 24);
        if (turn & 2) {
            p.translate(0, 24);
            p.scale(1, -1);
        }
        if (inward) {
            p.drawRect(QRectF(4, 9, 7, 2));
            p.drawRect(QRectF(9, 4, 2, 5));
        } else {
            p.drawRect(QRectF(4, 4, 7, 2));
            p.drawRect(QRectF(4, 6, 2, 5));
        }
        p.restore();
    }
}

void skip(QPainter &p, bool forward)
{
    if (!forward)
        mirrored(p, 16);
    polygon(p, {{3, 3}, {3, 13}, {10, 8}});
    p.drawRect(QRectF(11, 3, 2, 10));
}

void clear(QPainter &p)
{
    p.drawEllipse(QRectF(2, 2, 12, 12));
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(QPen(Qt::black, 1.75, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
    p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
    p.restore();
}

// A window with a side pane: filled when the playlist shows, an outline when it is hidden.
void list(QPainter &p, bool visible)
{
    p.drawRect(QRectF(1, 2, 14, 12));
    knockOut(p, QRectF(2, 3, 12, 10));
    p.drawRect(visible ? QRectF(2, 3, 5, 10) : QRectF(6, 3, 1, 10));
}

void wind(QPainter &p, bool forward)
{
    if (!forward)
        mirrored(p, 22);
    polygon(p, {{5, 4}, {5, 14}, {11, 9}});
    polygon(p, {{11, 4}, {11, 14}, {17, 9}});
}

struct Glyph
{
    const char *name;
    int width, height;
    void (*draw)(QPainter &);
};

const Glyph kGlyphs[] = {
    {"QXPlay", 24, 24, play},
    {"QXPause", 24, 24, pause},
    {"QXRotateClockwise", 24, 24, [](QPainter &p) { rotate(p, true); }},
    {"QXRotateCounterclockwise", 24, 24, [](QPainter &p) { rotate(p, false); }},
    {"QXTPChevron", 24, 24, chevron},
    {"QXLock", 24, 24, [](QPainter &p) { padlock(p, false); }},
    {"QXUnlock", 24, 24, [](QPainter &p) { padlock(p, true); }},
    {"QXPresent", 24, 24, [](QPainter &p) { corners(p, false); }},
    {"QXPresentExit", 24, 24, [](QPainter &p) { corners(p, true); }},
    {"QXNext", 16, 16, [](QPainter &p) { skip(p, true); }},
    {"QXPrevious", 16, 16, [](QPainter &p) { skip(p, false); }},
    {"QXClear", 16, 16, clear},
    {"QXListVisible", 16, 16, [](QPainter &p) { list(p, true); }},
    {"QXListHidden", 16, 16, [](QPainter &p) { list(p, false); }},
    {"QXWindForward", 22, 18, [](QPainter &p) { wind(p, true); }},
    {"QXWindBackward", 22, 18, [](QPainter &p) { wind(p, false); }},
};

const Glyph *glyphNamed(const QString &name)
{
    for (const Glyph &g : kGlyphs)
        if (name == QLatin1String(g.name))
            return &g;
    return nullptr;
}

// The shape's coverage inked, over the same coverage moved one unit down in the emboss
// colour. Composed pixel by pixel into an image no painter has touched.
QImage renderGlyph(const Glyph &g, qreal scale, QXGround ground)
{
    const QSize pixels(qCeil(g.width * scale), qCeil(g.height * scale));
    QImage shape(pixels, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter p(&shape);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        g.draw(p);
    }
    const bool light = ground == QXGround::Light;
    const int ink = light ? 0x55 : 0xff;
    const int emboss = light ? 0xff : 0x00;
    const int embossAlpha = light ? 230 : 150;
    const int offset = qMax(1, qRound(scale));
    QImage out(pixels, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(shape.constScanLine(y));
        const QRgb *above = y >= offset ? reinterpret_cast<const QRgb *>(shape.constScanLine(y - offset)) : nullptr;
        QRgb *target = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const int a = qAlpha(row[x]);
            const int e = above ? qAlpha(above[x]) * embossAlpha / 255 * (255 - a) / 255 : 0;
            const int value = (ink * a + emboss * e) / 255;
            target[x] = qRgba(value, value, value, a + e);
        }
    }
    out.setDevicePixelRatio(scale);
    return out;
}

QString groundKey(QXGround ground)
{
    return ground == QXGround::Light ? QStringLiteral("light") : QStringLiteral("dark");
}

// ---- Pictures ----------------------------------------------------------------------------

struct Stop
{
    qreal at;
    QRgb colour;
};

void verticalGradient(QPainter &p, const QRectF &r, std::initializer_list<Stop> stops)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    for (const Stop &s : stops)
        g.setColorAt(s.at, QColor::fromRgb(s.colour));
    p.fillRect(r, g);
}

// A speaker, its front at (x, cy); the loud one sends two waves.
void speaker(QPainter &p, qreal x, qreal cy, bool loud, const QColor &colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(x, cy - 2, 3, 4));
    polygon(p, {{x + 3, cy - 2}, {x + 7, cy - 5}, {x + 7, cy + 5}, {x + 3, cy + 2}});
    if (!loud)
        return;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.2, Qt::SolidLine, Qt::FlatCap));
    for (qreal r : {2.5, 5.0})
        p.drawArc(QRectF(x + 7 - r, cy - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
}

void volumeBackground(QPainter &p, const QRectF &r, QXGround ground)
{
    const QRectF groove = QRectF(QXVolumeGrooveRect(r.size().toSize())).translated(r.topLeft());
    // A groove pressed into the bar: darker inside, shaded at the top, lit along the bottom.
    p.fillRect(groove, QColor(0, 0, 0, 70));
    p.fillRect(QRectF(groove.x(), groove.y(), groove.width(), 1), QColor(0, 0, 0, 90));
    p.fillRect(QRectF(groove.x(), groove.bottom() - 1, groove.width(), 1), QColor(255, 255, 255, 60));
    // The speakers in the glyphs' ink, over their emboss.
    const bool light = ground == QXGround::Light;
    const qreal cy = groove.y() + qFloor(groove.height() / 2);
    const struct { QColor colour; qreal dy; } passes[] = {
        {light ? QColor(255, 255, 255, 230) : QColor(0, 0, 0, 150), 1},
        {light ? QColor(0x55, 0x55, 0x55) : QColor(Qt::white), 0}};
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (const auto &pass : passes) {
        speaker(p, r.x() + 1, cy + pass.dy, false, pass.colour);
        speaker(p, r.right() - 12, cy + pass.dy, true, pass.colour);
    }
    p.restore();
}

bool drawPicture(QPainter &p, const QString &name, const QRectF &r, QXGround ground)
{
    if (name == QLatin1String("darkplasticfooter"))
        verticalGradient(p, r, {{0, 0xff5c5c5c}, {0.5, 0xff464646}, {0.5, 0xff3b3b3b}, {1, 0xff2c2c2c}});
    else if (name == QLatin1String("QXLightGradient"))
        verticalGradient(p, r, {{0, 0xfffcfcfc}, {0.5, 0xffeeeeee}, {0.5, 0xffe3e3e3}, {1, 0xffd2d2d2}});
    else if (name == QLatin1String("QXDarkBlueGradient"))
        verticalGradient(p, r, {{0, 0xff52739f}, {0.5, 0xff385a86}, {0.5, 0xff2d4d7a}, {1, 0xff1f3a61}});
    else if (name == QLatin1String("darkplasticbackground"))
        verticalGradient(p, r, {{0, 0xff333333}, {1, 0xff242424}});
    else if (name == QLatin1String("QXTableHeader")) {
        verticalGradient(p, r, {{0, 0xffffffff}, {0.5, 0xfff3f3f3}, {0.5, 0xffebebeb}, {1, 0xffe1e1e1}});
        p.fillRect(QRectF(r.x(), r.bottom() - 1, r.width(), 1), QColor(0xa8, 0xa8, 0xa8));
    } else if (name == QLatin1String("QXVolumeBackground"))
        volumeBackground(p, r, ground);
    else
        return false;
    return true;
}

bool isPicture(const QString &name)
{
    static const QStringList names = {"darkplasticfooter", "QXLightGradient", "QXDarkBlueGradient",
                                      "darkplasticbackground", "QXTableHeader", "QXVolumeBackground"};
    return names.contains(name);
}

// Icons that draw their glyph or picture for each size asked: no scaled pixmaps.
class DrawnEngine : public QIconEngine
{
public:
    DrawnEngine(const QString &name, QXGround ground) : m_name(name), m_ground(ground) {}

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const QSize natural = QXGlyphSize(m_name);
        return natural.isEmpty() ? size : natural.scaled(size.boundedTo(natural), Qt::KeepAspectRatio);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal) override
    {
        if (size.isEmpty())
            return {};
        QImage image;
        const QSize natural = QXGlyphSize(m_name);
        if (!natural.isEmpty()) {
            const qreal scale = qMin(qreal(size.width()) / natural.width(), qreal(size.height()) / natural.height());
            image = QXGlyphImage(m_name, scale, m_ground);
        } else {
            image = QImage(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            drawPicture(p, m_name, QRectF(QPointF(0, 0), size), m_ground);
        }
        QPixmap pm = QPixmap::fromImage(image);
        pm.setDevicePixelRatio(1.0);
        if (mode != QIcon::Disabled)
            return pm;
        QPixmap half(pm.size());
        half.fill(Qt::transparent);
        {
            QPainter p(&half);
            p.setOpacity(0.5);
            p.drawPixmap(0, 0, pm);
        }
        return half;
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QSize size = actualSize(rect.size(), mode, state);
        QPixmap pm = scaledPixmap(size * scale, mode, state, scale);
        pm.setDevicePixelRatio(scale);
        painter->drawPixmap(QRectF(rect.x() + (rect.width() - size.width()) / 2.0,
                                   rect.y() + (rect.height() - size.height()) / 2.0, size.width(), size.height()),
                            pm, QRectF(pm.rect()));
    }
    QIconEngine *clone() const override { return new DrawnEngine(m_name, m_ground); }
    QString key() const override { return QStringLiteral("QXDrawnEngine"); }

private:
    QString m_name;
    QXGround m_ground;
};

// ---- Coloured images ---------------------------------------------------------------------

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

QStringList QXGlyphNames()
{
    QStringList names;
    for (const Glyph &g : kGlyphs)
        names << QLatin1String(g.name);
    return names;
}

QSize QXGlyphSize(const QString &name)
{
    const Glyph *g = glyphNamed(name);
    return g ? QSize(g->width, g->height) : QSize();
}

QImage QXGlyphImage(const QString &name, qreal scale, QXGround ground)
{
    const Glyph *g = glyphNamed(name);
    if (!g || !(scale > 0) || scale > 64)
        return {};
    static QHash<QString, QImage> singletonGlyphImages;
    const QString key = name + QLatin1Char('/') + groundKey(ground) + QLatin1Char('/') + QString::number(scale);
    auto it = singletonGlyphImages.constFind(key);
    if (it == singletonGlyphImages.constEnd())
        it = singletonGlyphImages.insert(key, renderGlyph(*g, scale, ground));
    return it.value();
}

bool QXDrawPicture(QPainter &painter, const QString &name, const QRectF &rect, qreal opacity, QXGround ground)
{
    if (!isPicture(name))
        return false;
    if (rect.isEmpty())
        return true;
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    drawPicture(painter, name, rect, ground);
    painter.restore();
    return true;
}

QRect QXVolumeGrooveRect(const QSize &size)
{
    // A speaker 12 px wide and a pixel of room at each end; the groove 10 px high, centred.
    return QRect(13, (size.height() - 10) / 2, qMax(0, size.width() - 26), 10);
}

void QXDrawApplicationIcon(QPainter &p, int size)
{
    // In units of a 256 px square; resources/icons/vistrel.svg is the same drawing.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    QLinearGradient body(0, 16, 0, 240);
    body.setColorAt(0, QColor(0x4a, 0x4a, 0x4a));
    body.setColorAt(1, QColor(0x1e, 0x1e, 0x1e));
    p.setPen(QPen(QColor(0x11, 0x11, 0x11), 6));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(19, 19, 218, 218), 46, 46);
    p.setPen(QPen(QColor(255, 255, 255, 64), 4));
    p.drawLine(QPointF(60, 26), QPointF(196, 26));
    QLinearGradient disc(0, 48, 0, 208);
    disc.setColorAt(0, QColor(0x4d, 0x8b, 0xe6));
    disc.setColorAt(1, QColor(0x1f, 0x4d, 0x99));
    p.setPen(QPen(QColor(0xe8, 0xe8, 0xe8), 10));
    p.setBrush(disc);
    p.drawEllipse(QPointF(128, 128), 80, 80);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    polygon(p, {{106, 84}, {106, 172}, {182, 128}});
    p.restore();
}

QIcon QXApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            QXDrawApplicationIcon(p, size);
        }
        icon.addPixmap(QPixmap::fromImage(image.copy()));
    }
    return icon;
}

QIcon QXNamedImage(const QString &name, QXGround ground)
{
    // Made on first use and kept, so every caller shares one image per name and ground.
    static QHash<QString, QIcon> singletonImages;
    const QString key = name + QLatin1Char('/') + groundKey(ground);
    const auto it = singletonImages.constFind(key);
    if (it != singletonImages.constEnd())
        return it.value();
    QIcon icon;
    if (glyphNamed(name) || isPicture(name)) {
        icon = QIcon(new DrawnEngine(name, ground));
    } else {
        QPixmap pm;
        if (name == QLatin1String("QXMiniGlobe"))
            pm = globe();
        else if (name == QLatin1String("QXTPGeneral"))
            pm = sectionGeneral();
        else if (name == QLatin1String("QXTPControls"))
            pm = sectionControls();
        else if (name == QLatin1String("QXTPHistory"))
            pm = sectionHistory();
        else if (name == QLatin1String("QXTPUpdates"))
            pm = sectionUpdates();
        else if (name == QLatin1String("QXMovieFile") && !QIcon::hasThemeIcon(QStringLiteral("video-x-generic")))
            pm = movieFile();
        else if (name != QLatin1String("QXMovieFile"))
            return QXPlaylistNamedImage(name);
        // The theme's picture is read from its files as sizes are asked for, and kept.
        icon = pm.isNull() ? QIcon::fromTheme(QStringLiteral("video-x-generic")) : QIcon(pm);
    }
    singletonImages.insert(key, icon);
    return icon;
}
