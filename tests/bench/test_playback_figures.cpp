// What the playback benchmark reads from outside the players: a wrong reading here would make
// its comparison with the command-line player say nothing, so each is checked on real output.
#include "../../bench/PlaybackFigures.h"

#include <QtTest>

using namespace PlaybackFigures;

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

class TestPlaybackFigures : public QObject
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
        QTest::newRow("gone") << QByteArray() << -1.0 << -1.0;
    }
    void statTicks()
    {
        QFETCH(QByteArray, stat);
        QFETCH(double, own);
        QFETCH(double, withChildren);
        QCOMPARE(PlaybackFigures::statTicks(stat, false), own);
        QCOMPARE(PlaybackFigures::statTicks(stat, true), withChildren);
    }

    void windowTree()
    {
        const QList<Window> w = parseWindowTree(QString::fromLatin1(Tree));
        QCOMPARE(w.size(), 9);
        QCOMPARE(w.at(1).name, QStringLiteral("clip.mp4"));
        QCOMPARE(w.at(1).depth, 0);
        QCOMPARE(w.at(2).depth, 1);
        QCOMPARE(w.at(2).size, QSize(1280, 720));
        QCOMPARE(w.at(3).name, QString());   // "(has no name)", at a negative offset
        QCOMPARE(w.at(5).wmClass, QStringLiteral("\"gl\" \"mpv\""));
        QCOMPARE(w.at(8).depth, 1);
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
        QTest::newRow("not on screen") << "mpv" << "missing.mp4" << false << QSize();
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

    void fittedPicture_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("its own size") << QSize(1280, 720) << QSize(1280, 720);
        QTest::newRow("bars left and right") << QSize(1480, 720) << QSize(1280, 720);
        QTest::newRow("bars above and below") << QSize(1280, 1000) << QSize(1280, 720);
        QTest::newRow("smaller") << QSize(640, 400) << QSize(640, 360);
        QTest::newRow("no window") << QSize() << QSize();
    }
    void fittedPicture()
    {
        QFETCH(QSize, window);
        QFETCH(QSize, picture);
        QCOMPARE(PlaybackFigures::fittedPicture(QSize(1280, 720), window), picture);
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
        QTest::newRow("player: none drawn") << QByteArray("vistrel-bench-dropped=0 \n") << false << qint64(0);
    }
    void framesShown()
    {
        QFETCH(QByteArray, output);
        QFETCH(bool, isMpv);
        QFETCH(qint64, frames);
        QCOMPARE(PlaybackFigures::framesShown(output, isMpv), frames);
    }

    void median_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<double>("median");
        QTest::newRow("odd, unsorted") << QList<double>{0.9, 0.7, 1.1} << 0.9;
        QTest::newRow("even") << QList<double>{1.0, 0.8, 0.6, 2.0} << 0.9;
        QTest::newRow("none") << QList<double>{} << 0.0;
    }
    void median()
    {
        QFETCH(QList<double>, values);
        QFETCH(double, median);
        QCOMPARE(PlaybackFigures::median(values), median);
    }
};

QTEST_GUILESS_MAIN(TestPlaybackFigures)
#include "test_playback_figures.moc"
