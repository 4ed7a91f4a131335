#pragma once
// Image helpers: tint, darken and fit into a box. Sizes are in pixels; results carry a
// device pixel ratio of 1 except the tint, which keeps its source's.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QSize>

namespace QXImage {

// The image drawn over transparency, then the colour filled over the whole of it with the
// given composition mode.
QImage tintedImageWithColor(const QImage &image, const QColor &color,
                            QPainter::CompositionMode operation);
// The tint with SourceAtop: the colour covers only the image's opaque pixels.
QImage darkenedImageWithColor(const QImage &image, const QColor &color);
// A new image of exactly the box size with the image centred in it, scaled down to fit
// (never enlarged). Null for a null image or an empty box.
QImage imageWithMaxSize(const QImage &image, const QSize &box);

} // namespace QXImage
