// What the benchmarks read from outside the players: a wrong reading (a thread name with ") ",
// a channel swapped, an off-by-one at the tolerance or a row's end, a median of unsorted times)
// would make their comparison with the command-line player say nothing without anything failing.
#include "../../bench/OnScreenPixels.h"
#include "../../bench/PlaybackFigures.h"

#include <QtTest>

using namespace PlaybackFigures;
using onscreen::Rgb;

// `xwininfo -root -tree` while the player (its picture in a child window, its floating bar a
// window of its own) and mpv both show, trimmed.
static const char *const Tree = R"(
xwininfo: Window id: 0x3a6 (the root window) (has no name)

  Root window id: 0x3a6 (the root window) (has no name)
  Parent window id: 0x0 (none)
     6 children:
     0x20000c "Vistrel": ("vistrel" "Vistrel")  1280x41+320+869  +320+869
     0x20000f "clip.mp4": ("vistrel" "Vistrel")  1280x740+320+170  +320+170
        2 children:
        0x200012 "Vistrel": ("vistrel" "Vistrel")  1280x720+0+20  +320+190
        0x200013 (has no name): ()  1x1+-1+-1  +319+189
     0x400001 (has no name): ()  10x10+-20+-20  +-20+-20
     0x600002 "clip.mp4 - mpv": ("gl" "mpv")  1280x720+320+180  +320+180
     0x200004 "Qt Selection Owner for vistrel": ()  3x3+0+0  +0+0
     0x20000e "other.mp4": ("vistrel" "Vistrel")  640x400+0+0  +0+0
        1 child:
        0x200020 "Vistrel": ("vistrel" "Vistrel")  640x360+0+20  +0+20
)";

class TestBenchFigures : public QObject
{
    Q_OBJECT
private slots:
    void statTicks_data()
    {
        QTest::addColumn<QByteArray>("stat");
        QTest::addColumn<double>("own");
        QTest::addColumn<double>("withChildren");
        // Fields 14-17: utime stime cutime cstime.
        QTest::newRow("plain") << QByteArray("4242 (vistrel) S 1 4242 4242 0 -1 4194560 9 0 0 0 250 31 7 2 20 0 9 0\n")
                               << 281.0 << 290.0;
        // A thread's name may hold spaces and parentheses: the fields count from the last ')'.
        QTest::newRow("name with ') '") << QByteArray("77 (mpv/mpv core) (x) R 1 77 77 0 -1 0 0 0 0 0 1000 20 0 0 20 0")
                                        << 1020.0 << 1020.0;
        QTest::newRow("cut short") << QByteArray("77 (mpv) R 1 77 77 0 -1 0 0 0 0 0 1000") << -1.0 << -1.0;
    }
    void statTicks()
    {
        QFETCH(QByteArray, stat);
        QFETCH(double, own);
        QFETCH(double, withChildren);
        QCOMPARE(PlaybackFigures::statTicks(stat, false), own);
        QCOMPARE(PlaybackFigures::statTicks(stat, true), withChildren);
    }

    void pictureWindow_data()
    {
        QTest::addColumn<QString>("wmClass");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("inChild");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("mpv's own window") << "mpv" << "clip.mp4" << false << QSize(1280, 720);
        // Not the floating bar's window (no title of the clip), nor the window around the
        // picture with its menu bar, nor another player's picture.
        QTest::newRow("the player's child window") << "vistrel" << "clip.mp4" << true << QSize(1280, 720);
        QTest::newRow("another clip") << "vistrel" << "other.mp4" << true << QSize(640, 360);
    }
    void pictureWindow()
    {
        QFETCH(QString, wmClass);
        QFETCH(QString, title);
        QFETCH(bool, inChild);
        QFETCH(QSize, picture);
        QCOMPARE(PlaybackFigures::pictureWindow(parseWindowTree(QString::fromLatin1(Tree)), wmClass, title, inChild),
                 picture);
    }

    void framesShown_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<bool>("isMpv");
        QTest::addColumn<qint64>("frames");
        // mpv's status line as written to a file: rewritten in place, the last one counts.
        const QByteArray status("\r\x1b[Kvistrel-bench-played=14 vistrel-bench-dropped=1 vistrel-bench-decoder-dropped=0 \r"
                                "\r\x1b[Kvistrel-bench-played=299 vistrel-bench-dropped=41 vistrel-bench-decoder-dropped=3 \r\n"
                                "Exiting... (End of file)\n");
        QTest::newRow("mpv: played less dropped") << status << true << qint64(255);
        QTest::newRow("mpv: no status yet") << QByteArray("VO: [gpu] 1280x720 yuv420p\n") << true << qint64(0);
        QTest::newRow("player: the last count")
            << QByteArray("vistrel-bench-frames=9\nvistrel-bench-frames=10\nvistrel-bench-dropped=2 \n") << false << qint64(10);
    }
    void framesShown()
    {
        QFETCH(QByteArray, output);
        QFETCH(bool, isMpv);
        QFETCH(qint64, frames);
        QCOMPARE(PlaybackFigures::framesShown(output, isMpv), frames);
    }


    void near_data()
    {
        QTest::addColumn<uint>("pixel");
        QTest::addColumn<bool>("expected");
        // Against {200, 40, 40} with a tolerance of 10.
        QTest::newRow("exact") << 0xC82828u << true;
        QTest::newRow("each channel at the edge") << 0xD2321Eu << true;
        QTest::newRow("red one past") << 0xD32828u << false;
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

QTEST_GUILESS_MAIN(TestBenchFigures)
#include "test_bench_figures.moc"
