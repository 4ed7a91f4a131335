// The controller's launch, quit, close, re-activation and user-switch rules, on the
// offscreen platform with the real engine and a private settings folder per case.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QJsonArray>
#include <QLabel>
#include <QProcess>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QtTest>

class TestController : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    QString clip;
    std::unique_ptr<QXMPController> c;

    QString settingsPath() const { return QXSettings::standardFilePath(); }

    void writeSettings(const QByteArray &json)
    {
        QDir().mkpath(QFileInfo(settingsPath()).path());
        QFile f(settingsPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(json);
    }

    QJsonObject readSettings() const
    {
        QFile f(settingsPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }

    // The stored playlist on disk, beside the settings, as compact JSON.
    QByteArray storedOnDisk() const
    {
        QFile f(QFileInfo(settingsPath()).path() + "/playlist.json");
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).toJson(QJsonDocument::Compact) : "absent";
    }

    // A fresh process as far as the store and the controller go.
    void launch()
    {
        c.reset();
        QXSettings::resetStandard();
        c = std::make_unique<QXMPController>();
        c->applicationDidFinishLaunching();
        QVERIFY(c->hasLaunched());
    }

    void quit()
    {
        c->runQuitSteps();
        c.reset();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        clip = testsupport::makeVideo(home.path(), "clip.mp4", 320, 240, 2.0);
        QVERIFY(!clip.isEmpty());
    }

    void init()
    {
        // Each case starts from its own empty settings folder.
        static int n = 0;
        testsupport::isolateSettings(home.filePath(QString("config%1").arg(++n)));
        QXSettings::resetStandard();
    }

    void cleanup() { c.reset(); }

    void freshStoreLaunch()
    {
        launch();
        QVERIFY(c->playerWindow->isVisible());
        QCOMPARE(c->playerWindow->windowTitle(), QString("Vistrel"));
        QVERIFY(QXSettings::standard().boolForKey(QXKeys::PlayerHasBeenCentered));
        QVERIFY(c->isAspectRatioLocked());
        QVERIFY(c->timeWindForwardButton->isHidden() && c->timeWindBackwardButton->isHidden());
        QCOMPARE(c->volumeSlider->value(), 1000);
        QVERIFY(c->movieRepresentations.isEmpty());
        QVERIFY(!c->currentMovieRepresentation);
        QCOMPARE(c->playerAreaSize(), QSizeF(480, 260));
        QCOMPARE(c->timeField->text(), QString("00:00:00"));
        QCOMPARE(c->playerHistoryNameField->text(), QString("Playlist"));
        // The window is centred on its screen the first time.
        const QRect avail = c->playerWindow->screen()->availableGeometry();
        QVERIFY(qAbs(c->playerWindow->geometry().center().x() - avail.center().x()) <= 2);
        // A fresh store forgets the playlist at quit.
        c->movieRepresentations.append(QXMovieRepresentation::movieRepresentationWithPath(clip));
        quit();
        QCOMPARE(storedOnDisk(), "absent");
    }

    // An older settings file holding the playlist: its entries move to the playlist file and
    // leave the settings file at launch; what quit saves comes back in order at the next launch.
    // A volume set a moment before quitting is written too.
    void olderStoredPlaylistAtLaunchAndQuit_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("restored");
        QTest::addColumn<QByteArray>("storedAtLaunch");
        QTest::addColumn<QByteArray>("storedAtQuit");
        const QByteArray older = "{\"Do Not Forget Playlist On Quit\": true, \"Volume\": 0.25, \"Playlist Movies\": [42, \"x\", null, {}, {\"URL\": \"no address\"}, {\"URL\": 7}, {\"Path\": \"~/clip.mp4\", \"URL\": \"http://ignored/\"}, {\"Path\": \"~/missing.mp4\"}, {\"URL\": \"http://h/ok.mp4\"}]}";
        // "Path" wins over "URL"; a missing file still makes an entry.
        QTest::newRow("kept") << older << QStringList{"~/clip.mp4", "~/missing.mp4", "http://h/ok.mp4"}
                              << QByteArray("[42,\"x\",null,{},{\"URL\":\"no address\"},{\"URL\":7},{\"Path\":\"~/clip.mp4\",\"URL\":\"http://ignored/\"},{\"Path\":\"~/missing.mp4\"},{\"URL\":\"http://h/ok.mp4\"}]")
                              << QByteArray("[{\"Path\":\"~/clip.mp4\"},{\"Path\":\"~/missing.mp4\"},{\"URL\":\"http://h/ok.mp4\"}]");
        QTest::newRow("forgotten") << QByteArray(older).replace("true", "false") << QStringList() << QByteArray("absent") << QByteArray("absent");
        QTest::newRow("wrong shape") << QByteArray("{\"Do Not Forget Playlist On Quit\": true, \"Volume\": 0.25, \"Playlist Movies\": \"a string\", \"Hide Playlist\": \"YES\"}")
                                     << QStringList() << QByteArray("[]") << QByteArray("[]");
    }
    void olderStoredPlaylistAtLaunchAndQuit()
    {
        QFETCH(QByteArray, settings);
        writeSettings(settings);
        launch();
        const auto keys = [this] {
            QStringList keys;
            for (auto &r : c->movieRepresentations)
                keys << r->locationKey();
            return keys;
        };
        QTEST(keys(), "restored");
        QTEST(storedOnDisk(), "storedAtLaunch");
        QVERIFY(!readSettings().contains(QXKeys::PlaylistMovies));
        QCOMPARE(c->playerWindow->playlistPane->isHidden(), settings.contains("YES")); // "YES" reads as true
        QCOMPARE(c->volumeSlider->value(), 250);
        QTest::keyClick(c->volumeSlider, Qt::Key_Up);
        QTest::keyClick(c->volumeSlider, Qt::Key_Up);
        const double volume = c->volumeSlider->value() / 1000.0;
        QVERIFY(volume > 0.25 && readSettings().value(QXKeys::Volume).toDouble() != volume); // not yet written
        quit();
        QCOMPARE(readSettings().value(QXKeys::Volume).toDouble(), volume);
        QTEST(storedOnDisk(), "storedAtQuit");
        launch(); // listed, nothing chosen and nothing playing
        QTEST(keys(), "restored");
        QCOMPARE(c->playerHistoryList->model()->rowCount(), keys().size());
        QVERIFY(!c->currentMovieRepresentation && !c->playerView->isPlaying());
    }

    void corruptStoreIsMovedAsideAndStartsFresh()
    {
        const QByteArray garbage = "{\"Volume\": 0.5, \"Do Not";   // cut off mid-write
        writeSettings(garbage);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*settings.*"));
        launch();
        QCOMPARE(c->volumeSlider->value(), 1000);
        const QString aside = QXSettings::standard().movedAsidePath();
        QVERIFY(!aside.isEmpty());
        QFile f(aside);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), garbage);
    }

    void forgetRotationDropsTheTableAtLaunchAndQuit()
    {
        writeSettings("{\"Forget Rotation\": true, \"Rotated Movies\": {\"~/a.mp4\": 90}}");
        launch();
        QVERIFY(!QXSettings::standard().hasKey(QXKeys::RotatedMovies));
        QXSettings::standard().setObject(QJsonObject({{"~/b.mp4", 180}}), QXKeys::RotatedMovies);
        quit();
        QVERIFY(!readSettings().contains(QXKeys::RotatedMovies));

        writeSettings("{\"Rotated Movies\": {\"~/a.mp4\": 90}}");
        launch();
        quit();
        QCOMPARE(readSettings().value(QXKeys::RotatedMovies).toObject().value("~/a.mp4").toInt(), 90);
    }

    void handedOverFilesOpenAfterLaunch()
    {
        c = std::make_unique<QXMPController>();
        c->applicationOpenFiles({clip});
        c->applicationDidFinishLaunching();
        // The window waits for the result of opening.
        QVERIFY(!c->playerWindow->isVisible());
        QTRY_VERIFY(c->currentMovieRepresentation);
        QCOMPARE(c->currentMovieRepresentation->path(), clip);
        QVERIFY(c->playerWindow->isVisible());
        QTRY_VERIFY(c->playerView->isPlaying());
        QCOMPARE(c->playerWindow->windowTitle(), QString("clip.mp4"));
    }

    void handedOverNonMovieBeepsAndShowsTheWindow()
    {
        const QString text = testsupport::makeFile(home.path(), "notes.txt", "hello");
        c = std::make_unique<QXMPController>();
        c->applicationOpenFiles({text, home.filePath("does-not-exist.mp4")});
        c->applicationDidFinishLaunching();
        QVERIFY(!c->playerWindow->isVisible());
        QTRY_VERIFY(c->playerWindow->isVisible());
        QCOMPARE(c->beepCount(), 1);
        QVERIFY(c->movieRepresentations.isEmpty());
        QVERIFY(!c->openWindowAfterDelay);
    }

    void hiddenAtStartupAndReopen()
    {
        writeSettings("{\"Do Not Show Window On Startup\": true}");
        launch();
        QVERIFY(!c->playerWindow->isVisible());
        QVERIFY(!c->applicationShouldHandleReopen(false));
        QVERIFY(!c->playerWindow->isVisible());
        QVERIFY(c->chooseMovie(QUrl::fromLocalFile(clip), true, false, false));
        QVERIFY(c->playerWindow->isVisible());
        c->playerWindow->hide();
        QVERIFY(c->applicationShouldHandleReopen(false));
        QVERIFY(c->playerWindow->isVisible());
        c->isPresenting = true;
        QVERIFY(!c->applicationShouldHandleReopen(true));
        c->isPresenting = false;
    }

    void closingTheWindow()
    {
        // A desktop with a tray: the closed window waits there (without one, closing quits:
        // the launch test shows that with the real binary).
        QProcess tray;
        tray.start("trayer", {});
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        launch();
        QVERIFY(c->chooseMovie(QUrl::fromLocalFile(clip), true, true, false));
        QTRY_VERIFY(c->playerView->isPlaying());
        QVERIFY(c->playerWindow->close());
        QVERIFY(!c->playerWindow->isVisible());
        QVERIFY(!c->playerView->isPlaying());            // paused by default
        QVERIFY(c->currentMovieRepresentation);           // the playlist stays
        const auto trayIcons = c->findChildren<QSystemTrayIcon *>();
        QVERIFY(trayIcons.size() == 1 && trayIcons.first()->isVisible());
        c->showPlayerWindow();                            // the same window comes back
        QVERIFY(c->playerWindow->isVisible() && !trayIcons.first()->isVisible());

        QXSettings::standard().setBool(true, QXKeys::DoNotPauseOnClose);
        c->play();
        QTRY_VERIFY(c->playerView->isPlaying());
        QVERIFY(c->playerWindow->close());
        QVERIFY(c->playerView->isPlaying());

        QXSettings::standard().setBool(true, QXKeys::ForgetPlaylistOnClose);
        c->showPlayerWindow();
        QVERIFY(c->playerWindow->close());
        QVERIFY(c->movieRepresentations.isEmpty());
        QVERIFY(!c->currentMovieRepresentation);
        QCOMPARE(c->playerWindow->windowTitle(), QString("Vistrel"));
        // With an empty playlist, closing neither clears nor pauses: nothing to check but no beep.
        c->showPlayerWindow();
        QVERIFY(c->playerWindow->close());
        QCOMPARE(c->beepCount(), 0);
        tray.kill();
        tray.waitForFinished();
    }

    void userSwitching()
    {
        launch();
        QVERIFY(c->chooseMovie(QUrl::fromLocalFile(clip), true, false, false));
        c->userSessionDidResign();
        c->userSessionDidBecomeActive();
        QVERIFY(!c->playerView->isPlaying());   // paused before: nothing starts

        c->play();
        QTRY_VERIFY(c->playerView->isPlaying());
        c->userSessionDidResign();
        QVERIFY(!c->playerView->isPlaying());
        c->userSessionDidBecomeActive();
        QTRY_VERIFY(c->playerView->isPlaying());

        QXSettings::standard().setBool(true, QXKeys::DoNotPauseOnUserSwitch);
        c->userSessionDidResign();
        QVERIFY(c->playerView->isPlaying());
    }

    void ownSchemeCommand()
    {
        // Whatever cannot make an address beeps and shows the window, as any address that
        // cannot open does.
        writeSettings("{\"Do Not Show Window On Startup\": true}");
        launch();
        const QStringList malformed{"vistrel", "vistrelx:", "vistrelx://", "vistrelx://a b",
                                    "vistrelx://" + QString(100000, 'a') + "/m.mp4"};
        for (const QString &text : malformed) {
            c->playerWindow->hide();
            c->handleURLCommand(text);
            QVERIFY2(c->playerWindow->isVisible(), qPrintable(text.left(20)));
        }
        QCOMPARE(c->beepCount(), malformed.size());
        QVERIFY(c->movieRepresentations.isEmpty());
    }
};

VISTREL_TEST_MAIN(TestController)
#include "test_controller_xvfb.moc"
