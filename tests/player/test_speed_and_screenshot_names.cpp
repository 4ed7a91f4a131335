// The speed steps and their text, the screenshot's file name and its never-overwriting
// reservation, and the rules that enable the speed and screenshot commands.
#include "player/QXMenuValidation.h"
#include "player/QXScreenshot.h"
#include "player/QXSpeed.h"
#include "TestSupport.h"

#include <QtTest>

#include <sys/stat.h>

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

    // Eight presses either way from normal reach the ends and stay there.
    void stepsSpanAQuarterToFourTimes()
    {
        double up = 1.0, down = 1.0;
        QList<double> seen;
        for (int i = 0; i < 8; ++i) {
            seen << (up = QXFasterSpeed(up));
            seen.prepend(down = QXSlowerSpeed(down));
        }
        QCOMPARE(up, 4.0);
        QCOMPARE(down, 0.25);
        QCOMPARE(QSet<double>(seen.begin(), seen.end()).size(), 8);   // each step once, 1× left out
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
        QVERIFY(QDir().mkpath(dir.filePath("closed")));
        chmod(QFile::encodeName(dir.filePath("closed")), 0500);
        if (geteuid() != 0) {
            QVERIFY(QXReserveNewFile(dir.filePath("closed"), "m.png", &problem).isEmpty());
            QVERIFY(!problem.isEmpty());
        }
        QVERIFY(QXReserveNewFile(dir.filePath("missing"), "m.png", &problem).isEmpty());
        QVERIFY(!problem.isEmpty());
    }

    // The pictures folder of the desktop's user folders, "Vistrel" in it.
    void folderFollowsTheUserFolders()
    {
        const QString home = dir.filePath("home");
        QVERIFY(QDir().mkpath(home + "/.config"));
        QVERIFY(!testsupport::makeFile(home + "/.config", "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n").isEmpty());
        const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
        const QString folder = QXScreenshotFolder();
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldConfig);
        QCOMPARE(folder, home + "/Bilder/Vistrel");
    }

    void commandRules_data()
    {
        QTest::addColumn<bool>("current");
        QTest::addColumn<bool>("playable");
        QTest::addColumn<bool>("video");
        QTest::addColumn<bool>("speed");
        QTest::addColumn<bool>("screenshot");
        QTest::newRow("no movie") << false << false << false << false << false;
        QTest::newRow("loading") << true << false << false << false << false;
        QTest::newRow("sound only") << true << true << false << true << false;
        QTest::newRow("picture") << true << true << true << true << true;
    }
    void commandRules()
    {
        QFETCH(bool, current);
        QFETCH(bool, playable);
        QFETCH(bool, video);
        QXControlState s;
        s.count = current ? 1 : 0;
        s.hasCurrentEntry = current;
        s.isPlayable = playable;
        s.hasVideo = video;
        s.playerWindowVisible = s.movieWindowVisible = true;
        QTEST(QXValidateMenuItem(QXCommand::Speed, s), "speed");
        QTEST(QXValidateMenuItem(QXCommand::Screenshot, s), "screenshot");
    }
};

QTEST_GUILESS_MAIN(TestSpeedAndScreenshotNames)
#include "test_speed_and_screenshot_names.moc"
