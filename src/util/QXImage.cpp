#include "util/QXImage.h"

namespace QXImage {

QImage tintedImageWithColor(const QImage &image, const QColor &color,
                            QPainter::CompositionMode operation)
{
    if (image.isNull())
        return {};
    QImage result(image.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // Explicit rectangles: the source's pixel ratio must not shrink it.
        painter.drawImage(QRectF(result.rect()), image, QRectF(image.rect()));
        painter.setCompositionMode(operation);
        painter.fillRect(result.rect(), color);
    }
    result.setDevicePixelRatio(image.devicePixelRatio());
    return result;
}

QImage darkenedImageWithColor(const QImage &image, const QColor &color)
{
    return tintedImageWithColor(image, color, QPainter::CompositionMode_SourceAtop);
}

QImage imageWithMaxSize(const QImage &image, const QSize &box)
{
    if (image.isNull() || box.isEmpty())
        return {};
    const double width = image.width();
    const double height = image.height();
    const double widthRatio = width / box.width();
    const double heightRatio = height / box.height();
    double drawnWidth = width;
    double drawnHeight = height;
    if (widthRatio > 1.0 || heightRatio > 1.0) {
        if (widthRatio > heightRatio) {
            drawnWidth = box.width();
            drawnHeight = height / widthRatio;
        } else {
            drawnWidth = width / heightRatio;
            drawnHeight = box.height();
        }
    }
    // Centred, so the offset from the top equals the offset from the bottom.
    const QRectF target((box.width() - drawnWidth) / 2.0, (box.height() - drawnHeight) / 2.0,
                        drawnWidth, drawnHeight);
    QImage result(box, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(target, image, QRectF(image.rect()));
    painter.end();
    return result;
}

} // namespace QXImage
