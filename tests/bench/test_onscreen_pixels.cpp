// The on-screen benchmark's judgement of polled pixels and of gathered times: a wrong channel,
// an off-by-one at the tolerance or at a row's end, or a median of the unsorted times would
// make its figures wrong without anything failing.
#include "../../bench/OnScreenPixels.h"

#include <QtTest>

using onscreen::Rgb;

class TestOnScreenPixels : public QObject
{
    Q_OBJECT

private slots:
    void near_data()
    {
        QTest::addColumn<uint>("pixel");
        QTest::addColumn<bool>("expected");
        // Against {200, 40, 40} with a tolerance of 10.
        QTest::newRow("exact") << 0xC82828u << true;
        QTest::newRow("each channel at the edge") << 0xD2321Eu << true;
        QTest::newRow("red one past") << 0xD32828u << false;
        QTest::newRow("green one under") << 0xC81D28u << false;
        QTest::newRow("blue one past") << 0xC82833u << false;
        QTest::newRow("red and blue swapped") << 0x2828C8u << false;
        QTest::newRow("alpha byte ignored") << 0xFFC82828u << true;
    }
    void near()
    {
        QFETCH(uint, pixel);
        QFETCH(bool, expected);
        QCOMPARE(onscreen::near(pixel, Rgb{200, 40, 40}, 10), expected);
    }

    void longestRun_data()
    {
        QTest::addColumn<QString>("row");   // 'x' the colour, '.' anything else
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("none") << "...." << 0;
        QTest::newRow("broken by one pixel") << "xxx.xxxx." << 4;
        QTest::newRow("longest at the end") << "xx..xxxxx" << 5;
        QTest::newRow("whole row") << "xxxxxx" << 6;
    }
    void longestRun()
    {
        QFETCH(QString, row);
        QFETCH(int, expected);
        std::vector<uint32_t> pixels;
        for (QChar c : row)
            pixels.push_back(c == 'x' ? 0x28C83Cu : 0x202020u);
        QCOMPARE(onscreen::longestRun(pixels.data(), int(pixels.size()), Rgb{40, 200, 60}, 24), expected);
    }

    void summarize_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<double>("median");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("over");
        QTest::newRow("none") << QList<double>{} << 0.0 << 0.0 << 0;
        QTest::newRow("odd, unsorted") << QList<double>{300, 50, 120} << 120.0 << 300.0 << 2;
        QTest::newRow("even: the middle two") << QList<double>{40, 90, 60, 10} << 50.0 << 90.0 << 0;
        QTest::newRow("at the limit is not over") << QList<double>{100, 100, 100.5} << 100.0 << 100.5 << 1;
    }
    void summarize()
    {
        QFETCH(QList<double>, values);
        QFETCH(double, median);
        QFETCH(double, max);
        QFETCH(int, over);
        const onscreen::Summary s = onscreen::summarize(std::vector<double>(values.begin(), values.end()), 100);
        QCOMPARE(s.count, int(values.size()));
        QCOMPARE(s.median, median);
        QCOMPARE(s.max, max);
        QCOMPARE(s.over, over);
    }
};

QTEST_APPLESS_MAIN(TestOnScreenPixels)
#include "test_onscreen_pixels.moc"
