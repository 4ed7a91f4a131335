// Writes the application icon as PNGs for the hicolor theme: <dir>/<n>x<n>/apps/vistrel.png.
#include "controls/QXImages.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            QXDrawApplicationIcon(p, size);
        }
        if (!QDir().mkpath(dir) || !image.save(dir + QStringLiteral("/vistrel.png")))
            return 1;
    }
    return 0;
}
