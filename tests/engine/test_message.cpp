// The movie view's message: the font-size rules as a plain function, and what is drawn.
#include "engine/QXMovieView.h"

#include <QPainter>
#include <QtTest>

class TestMessage : public QObject
{
    Q_OBJECT
private slots:
    void fontSize_data()
    {
        QTest::addColumn<QSizeF>("view");
        QTest::addColumn<qreal>("widthAt20");   // text measures widthAt20 × 20 px at size 20
        QTest::addColumn<int>("lines");         // and 24 px a line at size 20
        QTest::addColumn<int>("size");
        // Width rule: 400 × 17 / 200 = 34; 34 px is 2 × 40.8 high, under 600.
        QTest::newRow("short text, narrow tall view") << QSizeF(400, 600) << 200.0 << 2 << 34;
        // Height rule: by width 1000 × 17 / 100 = 170, 204 px high, too high for 60;
        // 60 × 17 / 24 = 42.5, rounded half away from zero.
        QTest::newRow("long text, wide low view") << QSizeF(1000, 60) << 100.0 << 1 << 43;
        QTest::newRow("rounds 0.5 up") << QSizeF(10, 600) << 340.0 << 1 << 1;   // 0.5
        QTest::newRow("under 1 px: nothing") << QSizeF(10, 600) << 500.0 << 1 << 0;
        QTest::newRow("measures nothing") << QSizeF(400, 600) << 0.0 << 1 << 0;
        QTest::newRow("empty view") << QSizeF(0, 0) << 200.0 << 1 << 0;
    }
    void fontSize()
    {
        QFETCH(QSizeF, view);
        QFETCH(qreal, widthAt20);
        QFETCH(int, lines);
        QFETCH(int, size);
        // A text whose size grows in proportion to the font size.
        const auto measure = [&](int fontSize) {
            return QSizeF(widthAt20 * fontSize / 20, widthAt20 > 0 ? lines * 24.0 * fontSize / 20 : 0);
        };
        const QXMessageLayout l = QXMessageFontSize(view, measure);
        QCOMPARE(l.fontSize, size);
        if (size > 0)
            QCOMPARE(l.height, lines * 24.0 * size / 20);
    }

    void drawnInTheWholeView_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasText");
        QTest::newRow("message") << "\"tune.m4a\"\nAudio Only" << true;
        QTest::newRow("empty") << "" << false;
    }
    void drawnInTheWholeView()
    {
        QFETCH(QString, text);
        QFETCH(bool, hasText);
        QXMovieView view;
        view.resize(480, 270);
        view.setMessageProvider([text] { return text; });
        const QImage image = view.grabFramebuffer();
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(237, 237, 237))
                    ink |= QRect(x, y, 1, 1);
        QCOMPARE(ink.isValid(), hasText);
        if (!hasText)
            return;
        // The text takes about 85 % of the width and is centred both ways.
        QVERIFY2(ink.width() > 480 * 0.75 && ink.width() <= 480 * 0.9, qPrintable(QString::number(ink.width())));
        QVERIFY(qAbs(ink.center().x() - 240) <= 6);
        QVERIFY2(qAbs(ink.center().y() - 135) <= 12, qPrintable(QString::number(ink.center().y())));
        // Redrawing part of the view keeps the message where it was.
        QImage part(view.size(), QImage::Format_RGB32);
        part.fill(Qt::black);
        view.render(&part, {}, QRegion(0, 0, 240, 135));
        QCOMPARE(part.copy(0, 0, 240, 135), image.copy(0, 0, 240, 135));
    }
};

QTEST_MAIN(TestMessage)
#include "test_message.moc"
