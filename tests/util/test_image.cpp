// Fitting into a box, tinting and darkening, checked pixel by pixel.
#include "util/QXImage.h"

#include <QtTest>

using namespace QXImage;

namespace {

QImage solid(int w, int h, const QColor &color)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// The rows (or columns) that hold any opaque pixel, as [first, last].
QPair<int, int> opaqueSpan(const QImage &image, bool rows)
{
    int first = -1, last = -1;
    const int n = rows ? image.height() : image.width();
    const int m = rows ? image.width() : image.height();
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < m; ++j)
            if ((rows ? image.pixelColor(j, i) : image.pixelColor(i, j)).alpha() > 0) {
                if (first < 0)
                    first = i;
                last = i;
                break;
            }
    return {first, last};
}

} // namespace

class TestImage : public QObject
{
    Q_OBJECT
private slots:
    void fitWideImage()
    {
        // 32×8 into 16×16: 16×4, centred, rows 6 to 9 (6 from either edge).
        const QImage fitted = imageWithMaxSize(solid(32, 8, Qt::red), QSize(16, 16));
        QCOMPARE(fitted.size(), QSize(16, 16));
        QCOMPARE(opaqueSpan(fitted, true), qMakePair(6, 9));
        QCOMPARE(opaqueSpan(fitted, false), qMakePair(0, 15));
        for (int x = 0; x < 16; ++x)
            QCOMPARE(fitted.pixelColor(x, 7).rgba(), QColor(Qt::red).rgba());
    }

    void fitTallAndSquareImages()
    {
        const QImage tall = imageWithMaxSize(solid(8, 32, Qt::red), QSize(16, 16));
        QCOMPARE(opaqueSpan(tall, false), qMakePair(6, 9));
        QCOMPARE(opaqueSpan(tall, true), qMakePair(0, 15));
        // Equal ratios fill the box.
        const QImage square = imageWithMaxSize(solid(64, 64, Qt::red), QSize(16, 16));
        QCOMPARE(opaqueSpan(square, true), qMakePair(0, 15));
        QCOMPARE(opaqueSpan(square, false), qMakePair(0, 15));
        // A non-square box.
        const QImage inBox = imageWithMaxSize(solid(40, 12, Qt::red), QSize(20, 10));
        QCOMPARE(inBox.size(), QSize(20, 10));
        QCOMPARE(opaqueSpan(inBox, true), qMakePair(2, 7));
        QCOMPARE(opaqueSpan(inBox, false), qMakePair(0, 19));
    }

    void smallImageIsNotEnlarged()
    {
        // Left half red, right half blue: an unscaled copy keeps the split at one pixel.
        QImage small = solid(8, 8, Qt::red);
        for (int y = 0; y < 8; ++y)
            for (int x = 4; x < 8; ++x)
                small.setPixelColor(x, y, Qt::blue);
        const QImage fitted = imageWithMaxSize(small, QSize(16, 16));
        QCOMPARE(opaqueSpan(fitted, true), qMakePair(4, 11));
        QCOMPARE(opaqueSpan(fitted, false), qMakePair(4, 11));
        QCOMPARE(fitted.pixelColor(7, 4).rgba(), QColor(Qt::red).rgba());
        QCOMPARE(fitted.pixelColor(8, 11).rgba(), QColor(Qt::blue).rgba());
    }

    void nullInputs()
    {
        QVERIFY(imageWithMaxSize(QImage(), QSize(16, 16)).isNull());
        QVERIFY(imageWithMaxSize(solid(4, 4, Qt::red), QSize(0, 16)).isNull());
        QVERIFY(darkenedImageWithColor(QImage(), Qt::black).isNull());
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
        QCOMPARE(opaque.alpha(), 255);
        QVERIFY2(qAbs(opaque.red() - 204) <= 1, qPrintable(QString::number(opaque.red())));
        QCOMPARE(dark.pixelColor(1, 0).alpha(), 128); // alpha kept
        QVERIFY(dark.pixelColor(1, 0).red() < 250);
        QCOMPARE(dark.pixelColor(3, 1).alpha(), 0);

        // Source-over tints everywhere, the transparent part included.
        const QImage tinted =
            tintedImageWithColor(half, shade, QPainter::CompositionMode_SourceOver);
        QCOMPARE(tinted.pixelColor(3, 1).alpha(), 51);
        QCOMPARE(tinted.pixelColor(0, 0).alpha(), 255);
    }
};

QTEST_MAIN(TestImage)
#include "test_image.moc"
