// The real player under a window manager, driven by xdotool: the speed keys (2× plays 10 s of
// movie in about 5 s), the screenshot key (a PNG of the movie's own size and colour in the
// desktop's pictures folder, never over another, a folder that cannot be made said and
// survived), positions kept across launches (resumed, started over near the end, not with the
// setting off), and playback with hardware decoding on and off.
#include "app/QXResumePositions.h"
#include "ControllerFixture.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

QString xdotool(const QStringList &arguments) { return testsupport::runTool("xdotool", arguments); }

// Share of the picture's pixels of one strong colour.
double share(const QImage &image, QRgb colour)
{
    const int hits = testsupport::countPixels(image, [colour](QRgb p) {
        return qAbs(qRed(p) - qRed(colour)) < 60 && qAbs(qGreen(p) - qGreen(colour)) < 60 && qAbs(qBlue(p) - qBlue(colour)) < 60;
    });
    return image.isNull() ? 0 : double(hits) / (image.width() * image.height());
}

constexpr QRgb Blue = qRgb(0, 0, 255), Green = qRgb(0, 128, 0), Red = qRgb(255, 0, 0);

} // namespace

class TestWatchingBinary : public QObject
{
    Q_OBJECT
    testsupport::ManagedHome desk;
    QTemporaryDir &home = desk.home;
    QProcess player;
    QString window;

    // Launches the player on the settings of this process, with the file; its window is active.
    bool launch(const QStringList &files, const QString &title, const QStringList &environment = {})
    {
        QXSettings::standard().flush();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &e : environment)
            env.insert(e.section('=', 0, 0), e.section('=', 1));
        player.setProcessEnvironment(env);
        player.start(testsupport::playerBinary(), files);
        window = testsupport::findWindow("^" + title + "$");
        if (window.isEmpty())
            return false;
        xdotool({"windowactivate", "--sync", window});
        return true;
    }
    // Ctrl+Q, as a user quits; the settings as the player left them are read afresh.
    bool quit()
    {
        xdotool({"key", "ctrl+q"});
        const bool ended = player.state() == QProcess::NotRunning || player.waitForFinished(10000);
        QXSettings::resetStandard();
        return ended && player.exitStatus() == QProcess::NormalExit && player.exitCode() == 0;
    }
    // The positions the player keeps, as it wrote them.
    static std::optional<QXPositionStore> positions()
    {
        QString problem;
        const QByteArray bytes = testsupport::readFile(QXResumeKeeper::standardFilePath());
        return bytes.isEmpty() ? std::nullopt : QXPositionStore::fromBytes(bytes, &problem);
    }
    void setSetting(bool value, const QString &key)
    {
        QXSettings::resetStandard();
        QXSettings::standard().setBool(value, key);
        QVERIFY(QXSettings::standard().flush());
    }

private slots:
    void initTestCase() { QVERIFY(desk.start()); }
    void cleanup()
    {
        if (player.state() != QProcess::NotRunning) {
            player.kill();
            player.waitForFinished();
        }
    }

    // Paused at its start, three presses of "]" make 2×; played, 10 s of movie end in about
    // 5 s (at 1× they would take 10).
    void speedKeys()
    {
        testsupport::useFreshSettings(home.path());
        QXSettings::standard().setBool(true, QXKeys::DoNotPlayOnOpen);
        const QString clip = testsupport::makeVideo(home.path(), "ten.mp4", 320, 240, 10.0, false);
        QVERIFY(launch({clip}, "ten.mp4"));
        VERIFY_SOON(testsupport::colourfulShare(testsupport::grabPicture(window)) > 0.2, 10000);
        xdotool({"key", "bracketright", "bracketright", "bracketright"});
        QTest::qWait(300);
        QVERIFY(testsupport::pictureIsStill(window));
        xdotool({"key", "space"});
        QElapsedTimer played;
        played.start();
        VERIFY_SOON(!testsupport::pictureIsStill(window), 3000);
        VERIFY_SOON(testsupport::pictureIsStill(window), 12000);
        const double seconds = played.elapsed() / 1000.0;
        QVERIFY2(seconds > 3.5 && seconds < 7.5, qPrintable(QString::number(seconds)));
        QVERIFY(quit());
    }

    // A solid red movie of 352×288: "s" saves a PNG of that size, red all over, into the
    // pictures folder the user's folders name; again and again, each in a file of its own. A
    // pictures folder that cannot be made is said on the picture and the next save works.
    void screenshotKey()
    {
        testsupport::useFreshSettings(home.path());
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY(QDir().mkpath(config));
        const auto usePictures = [&](const QString &folder) {
            return !testsupport::makeFile(config, "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/" + folder.toUtf8() + "\"\n").isEmpty();
        };
        QVERIFY(usePictures("Shots"));
        const QString clip = testsupport::ffmpeg(home.filePath("red.mp4"),
            {"-f", "lavfi", "-i", "color=c=red:s=352x288:r=25:d=20", "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
        QVERIFY(!clip.isEmpty());
        QVERIFY(launch({clip}, "red.mp4"));
        VERIFY_SOON(share(testsupport::grabPicture(window), Red) > 0.5, 10000);
        const QDir shots(home.filePath("Shots/Vistrel"));
        const auto saved = [&shots] {
            QList<QImage> images;
            for (const QString &name : shots.entryList({"red *.png"}, QDir::Files, QDir::Name))
                images << QImage(shots.filePath(name));
            return images;
        };
        xdotool({"key", "s"});
        VERIFY_SOON(saved().size() == 1 && !saved().first().isNull(), 5000);
        const QImage shot = saved().first();
        QCOMPARE(shot.size(), QSize(352, 288));
        QCOMPARE(share(shot, Red), 1.0);

        xdotool({"key", "s", "s"});
        VERIFY_SOON(saved().size() == 3 && !saved().at(1).isNull() && !saved().at(2).isNull(), 5000);

        // Where a file stands in the folder's way.
        QVERIFY(!testsupport::makeFile(home.path(), "Blocked", "a file").isEmpty());
        QVERIFY(usePictures("Blocked/Pictures"));
        xdotool({"key", "s"});
        QTest::qWait(500);
        QCOMPARE(saved().size(), 3);
        QVERIFY(usePictures("Shots"));
        xdotool({"key", "s"});
        VERIFY_SOON(saved().size() == 4 && !saved().at(3).isNull(), 5000);
        QCOMPARE(player.state(), QProcess::Running);
        QVERIFY(quit());
    }

    // A movie blue for 25 s, then green to its end at 60 s, paused on opening; Ctrl+Right winds
    // 29 s. Left at 0:29 it opens there in the next launch (and a quit without playing keeps
    // that); wound on into the last 5 % it starts over next time; with the setting off too.
    void positionsAcrossLaunches()
    {
        testsupport::useFreshSettings(home.path());
        QXSettings::standard().setBool(true, QXKeys::DoNotPlayOnOpen);
        QXSettings::standard().setInteger(29, QXKeys::StepInterval);
        const QString clip = testsupport::ffmpeg(home.filePath("long.mp4"),
            {"-f", "lavfi", "-i", "color=c=blue:s=320x240:r=25:d=60", "-vf", "drawbox=color=green:t=fill:enable='gte(t,25)'",
             "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
        QVERIFY(!clip.isEmpty());
        const auto startsBlue = [&] {
            return launch({clip}, "long.mp4") && QTest::qWaitFor([&] { return share(testsupport::grabPicture(window), Blue) > 0.5; }, 10000);
        };
        const auto startsGreen = [&] {
            return launch({clip}, "long.mp4") && QTest::qWaitFor([&] { return share(testsupport::grabPicture(window), Green) > 0.5; }, 10000);
        };
        const auto keptAt = [&clip] {
            const std::optional<QXPositionStore> kept = positions();
            return kept && kept->count() == 1 ? kept->position(QXPositionStore::keyOf(QUrl::fromLocalFile(clip).toEncoded())).value_or(-1) : -1.0;
        };

        QVERIFY(startsBlue());
        xdotool({"key", "ctrl+Right"});
        VERIFY_SOON(share(testsupport::grabPicture(window), Green) > 0.5, 5000);
        QVERIFY(quit());
        QVERIFY2(qAbs(keptAt() - 29.0) <= 1.0, qPrintable(QString::number(keptAt())));

        QVERIFY(startsGreen());
        QVERIFY(quit());
        QVERIFY2(qAbs(keptAt() - 29.0) <= 1.0, qPrintable(QString::number(keptAt())));

        QVERIFY(startsGreen());
        xdotool({"key", "ctrl+Right"});   // to 0:58, within the last 3 s
        QTest::qWait(500);
        QVERIFY(quit());
        QCOMPARE(positions()->count(), 0);
        QVERIFY(startsBlue());
        xdotool({"key", "ctrl+Right"});
        VERIFY_SOON(share(testsupport::grabPicture(window), Green) > 0.5, 5000);
        QVERIFY(quit());
        QVERIFY(qAbs(keptAt() - 29.0) <= 1.0);

        setSetting(true, QXKeys::DoNotResumeMovies);
        QVERIFY(startsBlue());
        QVERIFY(quit());
    }

    // With hardware decoding on, the test picture plays and is drawn: where the engine is made
    // to try its safe choices (VISTREL_HWDEC) it falls back to software; on a machine without a
    // GPU's device it goes to software at once, without a word from any vendor's library. Off,
    // it never tries, whatever VISTREL_HWDEC says.
    void hardwareDecodingOnAndOff_data()
    {
        QTest::addColumn<bool>("off");
        QTest::addColumn<QString>("forced");
        QTest::addColumn<bool>("tries");
        const bool gpu = !QDir("/dev/dri").entryList({"renderD*"}, QDir::System).isEmpty() || QFileInfo::exists("/dev/nvidiactl");
        QTest::newRow("on") << false << "" << gpu;
        QTest::newRow("on, made to try") << false << "auto-safe" << true;
        QTest::newRow("off") << true << "auto-safe" << false;
    }
    void hardwareDecodingOnAndOff()
    {
        QFETCH(bool, off);
        QFETCH(QString, forced);
        QFETCH(bool, tries);
        testsupport::useFreshSettings(home.path());
        QXSettings::standard().setBool(off, QXKeys::DoNotUseHardwareDecoding);
        const QString clip = testsupport::makeVideo(home.path(), "hw.mp4", 320, 240, 10.0, false);
        QVERIFY(launch({clip}, "hw.mp4", {"VISTREL_MPV_LOG=v", "VISTREL_HWDEC=" + forced}));
        VERIFY_SOON(testsupport::colourfulShare(testsupport::grabPicture(window)) > 0.2, 10000);
        VERIFY_SOON(!testsupport::pictureIsStill(window), 5000);
        QVERIFY(quit());
        const QByteArray log = player.readAllStandardError();
        QCOMPARE(log.contains("Looking at hwdec"), tries);
        if (!tries)
            QVERIFY2(!log.contains("VDPAU") && !log.contains("libcuda"), log.constData());
    }
};

VISTREL_TEST_MAIN(TestWatchingBinary)
#include "test_watching_binary_xvfb.moc"
