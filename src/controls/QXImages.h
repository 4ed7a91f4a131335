#pragma once
// The player's named images, each made once and shared by every caller: drawn in code, so
// they need no files and stay sharp at any device pixel ratio.
//
// Glyphs (button images) have a natural size in device-independent pixels and come in two
// inks: white with a dark 1 px emboss below for dark grounds, dark grey (#555555) with a
// light 1 px emboss for light grounds. Their shapes sit on whole pixels, so at scale 1 and 2
// every straight edge is crisp.
//   24×24, the control bar: "QXPlay", "QXPause" (its on state), "QXRotateClockwise",
//     "QXRotateCounterclockwise", "QXTPChevron", "QXUnlock", "QXLock" (on), "QXPresent",
//     "QXPresentExit" (on).
//   16×16, the playlist pane's bar: "QXPrevious", "QXNext", "QXClear", "QXListHidden",
//     "QXListVisible" (on).
//   22×18, the wind buttons' faces: "QXWindBackward", "QXWindForward".
// Pictures stretch to the rectangle they are drawn in: "darkplasticfooter", "QXLightGradient",
// "QXDarkBlueGradient", "QXTableHeader", "darkplasticbackground" and "QXVolumeBackground" (a
// groove between a quiet and a loud speaker; the groove is QXVolumeGrooveRect of the size).
// Coloured images: "QXMiniGlobe" (a web address), "QXMovieFile" (the icon theme's generic
// movie file where it has one), and the preferences sections' "QXTPGeneral", "QXTPControls",
// "QXTPHistory", "QXTPUpdates".
#include <QIcon>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

// The ground an image is drawn on, which chooses a glyph's ink.
enum class QXGround { Dark, Light };

// The named image as an icon, drawn anew for each size and pixel ratio asked for (a glyph
// fitted into the size, a picture stretched to it); the same icon for every call with the
// same name and ground. A null icon for an unknown name.
QIcon QXNamedImage(const QString &name, QXGround ground = QXGround::Dark);

// Every glyph's name, in the order above.
QStringList QXGlyphNames();
// A glyph's natural size; empty for a name that is not a glyph.
QSize QXGlyphSize(const QString &name);
// A glyph at its natural size drawn at the scale (device pixels per unit), its device pixel
// ratio set to the scale; kept and shared. Null for a name that is not a glyph.
QImage QXGlyphImage(const QString &name, qreal scale, QXGround ground = QXGround::Dark);

// Draws a picture stretched over the rectangle at the opacity; false for a name that is not
// a picture. The ground chooses the volume background's speaker ink.
bool QXDrawPicture(QPainter &painter, const QString &name, const QRectF &rect, qreal opacity = 1.0,
                   QXGround ground = QXGround::Dark);
// Where "QXVolumeBackground" drawn over (0, 0, size) has its groove.
QRect QXVolumeGrooveRect(const QSize &size);

// The application's icon drawn in a size × size square, and as an icon at every size it
// ships in (16, 32, 48, 64, 128, 256).
void QXDrawApplicationIcon(QPainter &painter, int size);
QIcon QXApplicationIcon();
