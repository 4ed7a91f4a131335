// The speed steps and their text, the screenshot's file name and its never-overwriting
// reservation.
#include "player/QXScreenshot.h"
#include "player/QXSpeed.h"
#include "TestSupport.h"

#include <QtTest>

class TestSpeedAndScreenshotNames : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void speedSteps_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("slower");
        QTest::addColumn<double>("faster");
        QTest::newRow("normal") << 1.0 << 0.75 << 1.25;
        QTest::newRow("slowest") << 0.25 << 0.25 << 0.5;
        QTest::newRow("fastest") << 4.0 << 3.0 << 4.0;
        QTest::newRow("1.5 to 2") << 1.5 << 1.25 << 2.0;
        QTest::newRow("2 to 3") << 2.0 << 1.5 << 3.0;
        QTest::newRow("between steps") << 1.1 << 1.0 << 1.25;
        QTest::newRow("read back a hair off") << 2.0000000001 << 1.5 << 3.0;
        QTest::newRow("beyond the fastest") << 8.0 << 4.0 << 8.0;
        QTest::newRow("below the slowest") << 0.1 << 0.1 << 0.25;
    }
    void speedSteps()
    {
        QFETCH(double, speed);
        QFETCH(double, slower);
        QFETCH(double, faster);
        QCOMPARE(QXSlowerSpeed(speed), slower);
        QCOMPARE(QXFasterSpeed(speed), faster);
    }

    void speedText_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<QString>("text");
        QTest::newRow("normal says nothing") << 1.0 << "";
        QTest::newRow("double") << 2.0 << QString("2\u00D7");
        QTest::newRow("three quarters") << 0.75 << QString("0.75\u00D7");
        QTest::newRow("quarter") << 0.25 << QString("0.25\u00D7");
        QTest::newRow("one and a quarter") << 1.25 << QString("1.25\u00D7");
    }
    void speedText()
    {
        QFETCH(double, speed);
        QFETCH(QString, text);
        QCOMPARE(QXSpeedText(speed), text);
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("movie");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "movie.mp4" << 83.456 << "movie 0-01-23.456.png";
        QTest::newRow("hours") << "Film.2024.mkv" << 3723.5 << "Film.2024 1-02-03.500.png";
        QTest::newRow("start") << "a.webm" << 0.0 << "a 0-00-00.000.png";
        QTest::newRow("no extension") << "clip" << 1.0 << "clip 0-00-01.000.png";
        QTest::newRow("hidden file") << ".secret.mp4" << 1.0 << "secret 0-00-01.000.png";
        QTest::newRow("slashes and controls") << QString("a/b\\c\td\n.mp4") << 1.0 << "a_b_c_d_ 0-00-01.000.png";
        QTest::newRow("nothing left") << "..mp4" << 1.0 << "Movie 0-00-01.000.png";
        QTest::newRow("not a time") << "m.mp4" << std::nan("") << "m 0-00-00.000.png";
        QTest::newRow("non-ASCII") << QString("Caf\u00E9 \u6620\u753B.mp4") << 2.0 << QString("Caf\u00E9 \u6620\u753B 0-00-02.000.png");
    }
    void fileNames()
    {
        QFETCH(QString, movie);
        QFETCH(double, seconds);
        QFETCH(QString, name);
        QCOMPARE(QXScreenshotFileName(movie, seconds), name);
    }

    // A name of any length fits a file system's 255 bytes with room for " (999)", and is cut
    // whole characters at a time.
    void longNamesFit()
    {
        for (const QString &unit : {QString("a"), QString("\u00E9"), QString("\U0001F600")}) {
            const QString name = QXScreenshotFileName(unit.repeated(400) + ".mp4", 1.0);
            QVERIFY2(name.toUtf8().size() + 6 <= 255, qPrintable(name));
            QVERIFY(name.endsWith(" 0-00-01.000.png"));
            QVERIFY(!name.contains(QChar::ReplacementCharacter));
            QCOMPARE(QString::fromUtf8(name.toUtf8()), name);
        }
    }

    // Each reservation makes a new empty file beside those already there, never one of them.
    void reservationNeverOverwrites()
    {
        const QString folder = dir.filePath("shots");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!testsupport::makeFile(folder, "m 0-00-01.000.png", "kept").isEmpty());
        QString problem;
        QStringList made;
        for (int i = 0; i < 3; ++i)
            made << QFileInfo(QXReserveNewFile(folder, "m 0-00-01.000.png", &problem)).fileName();
        QCOMPARE(made, QStringList({"m 0-00-01.000 (2).png", "m 0-00-01.000 (3).png", "m 0-00-01.000 (4).png"}));
        QCOMPARE(testsupport::readFile(folder + "/m 0-00-01.000.png"), QByteArray("kept"));
        // A folder that takes no files says why.
        QVERIFY(QXReserveNewFile(dir.filePath("missing"), "m.png", &problem).isEmpty());
        QVERIFY2(problem.contains("No such file"), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestSpeedAndScreenshotNames)
#include "test_speed_and_screenshot_names.moc"
