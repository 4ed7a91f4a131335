// Fitting into a box, tinting and darkening, checked pixel by pixel.
#include "util/QXImage.h"

#include <QtTest>

using namespace QXImage;

// The first and last rows (or columns) that hold any opaque pixel.
static QPair<int, int> opaqueSpan(const QImage &image, bool rows)
{
    int first = -1, last = -1;
    for (int i = 0; i < (rows ? image.height() : image.width()); ++i)
        for (int j = 0; j < (rows ? image.width() : image.height()); ++j)
            if ((rows ? image.pixelColor(j, i) : image.pixelColor(i, j)).alpha() > 0) {
                first = first < 0 ? i : first;
                last = i;
            }
    return {first, last};
}

class TestImage : public QObject
{
    Q_OBJECT
private slots:
    // Scaled down to fit and centred in a transparent image of the box's size, unblended to
    // its edges; a small image is not enlarged, so its red and blue halves stay split at one
    // pixel.
    void fitIntoABox()
    {
        const struct { QSize source, box; int top, bottom, left, right; } cases[] = {
            {{32, 8}, {16, 16}, 6, 9, 0, 15}, {{8, 32}, {16, 16}, 0, 15, 6, 9}, {{64, 64}, {16, 16}, 0, 15, 0, 15},
            {{40, 12}, {20, 10}, 2, 7, 0, 19}, {{8, 8}, {16, 16}, 4, 11, 4, 11}};
        for (const auto &c : cases) {
            const bool split = c.source.width() < c.box.width();
            QImage source(c.source, QImage::Format_ARGB32);
            source.fill(Qt::red);
            if (split)
                QPainter(&source).fillRect(c.source.width() / 2, 0, c.source.width(), c.source.height(), Qt::blue);
            const QImage fitted = imageWithMaxSize(source, c.box);
            const QByteArray row = QByteArray::number(c.source.width()) + 'x' + QByteArray::number(c.source.height());
            QVERIFY2(fitted.size() == c.box, row);
            QVERIFY2(opaqueSpan(fitted, true) == qMakePair(c.top, c.bottom) && opaqueSpan(fitted, false) == qMakePair(c.left, c.right), row);
            const int y = c.box.height() / 2, middle = c.box.width() / 2;
            QVERIFY2(fitted.pixelColor(c.left, y) == QColor(Qt::red) && fitted.pixelColor(middle - 1, y) == QColor(Qt::red), row);
            QVERIFY2(fitted.pixelColor(middle, y) == QColor(split ? Qt::blue : Qt::red) && fitted.pixelColor(c.right, y) == fitted.pixelColor(middle, y), row);
        }
        QVERIFY(imageWithMaxSize(QImage(), QSize(16, 16)).isNull());
        QVERIFY(imageWithMaxSize(QImage(4, 4, QImage::Format_ARGB32), QSize(0, 16)).isNull());
    }

    void darkenCoversOnlyOpaquePixels()
    {
        QImage half(4, 2, QImage::Format_ARGB32);
        half.fill(Qt::transparent);
        half.setPixelColor(0, 0, Qt::white);
        half.setPixelColor(1, 0, QColor(255, 255, 255, 128));
        const QColor shade(0, 0, 0, 51); // black at 0.2
        const QImage dark = darkenedImageWithColor(half, shade);
        QCOMPARE(dark.size(), half.size());
        const QColor opaque = dark.pixelColor(0, 0);
        QVERIFY2(opaque.alpha() == 255 && qAbs(opaque.red() - 204) <= 1, qPrintable(QColor(opaque).name(QColor::HexArgb)));
        QVERIFY(dark.pixelColor(1, 0).alpha() == 128 && dark.pixelColor(1, 0).red() < 250); // alpha kept
        QCOMPARE(dark.pixelColor(3, 1).alpha(), 0);
        QVERIFY(darkenedImageWithColor(QImage(), Qt::black).isNull());
        // Source-over tints everywhere, the transparent part included.
        const QImage tinted = tintedImageWithColor(half, shade, QPainter::CompositionMode_SourceOver);
        QVERIFY(tinted.pixelColor(3, 1).alpha() == 51 && tinted.pixelColor(0, 0).alpha() == 255);
    }
};

QTEST_MAIN(TestImage)
#include "test_image.moc"
