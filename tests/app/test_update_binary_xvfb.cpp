// The real player checking for updates at launch under a window manager: against a server
// that never answers, the window comes up and takes keys while the check waits, and a quit
// then ends at once; a failing check at launch is quiet and leaves its reason in the settings.
#include "update/QXRWUpdateChecker.h"
#include "util/QXNetwork.h"
#include "ControllerFixture.h"

#include <QtTest>

namespace {
QString xdotool(const QStringList &arguments) { return testsupport::runTool("xdotool", arguments); }
// The player's window as shown (Qt keeps an unmapped one of the same name).
QString shownWindow(const QString &title)
{
    QString found;
    static_cast<void>(QTest::qWaitFor([&] { return !(found = xdotool({"search", "--onlyvisible", "--name", title})).isEmpty(); }, 15000));
    return found.section('\n', 0, 0);
}
}

class TestUpdateBinary : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    QProcess openbox, server;
    QString origin;

    // Requests of the never-answering kind whose connection the player still holds open.
    int held() const
    {
        bool ok = false;
        const int n = QXNetwork::dataFromNSURLConnection(QUrl(origin + "/held")).toInt(&ok);
        return ok ? n : -1;
    }
    // A fresh settings folder checking at launch, and the player started on the scenario.
    void launch(QProcess &player, const QString &scenario)
    {
        testsupport::useFreshSettings(home.path());
        QXSettings::standard().setBool(true, QXKeys::UpdateCheckAtStartup);
        QVERIFY(QXSettings::standard().flush());
        qputenv("VISTREL_UPDATE_SERVER", (origin + '/' + scenario).toUtf8());
        player.start(testsupport::playerBinary(), {});
        QVERIFY(player.waitForStarted());
    }
    static void quit(QProcess &player, const QString &window)
    {
        xdotool({"windowactivate", "--sync", window});
        xdotool({"key", "ctrl+q"});
        QVERIFY(player.state() == QProcess::NotRunning || player.waitForFinished(4000));
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.exitCode(), 0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        testsupport::useHome(home.path());
        QVERIFY(testsupport::startWindowManager(openbox));
        origin = testsupport::startServer(server, {testsupport::supportFile("update_server.py"), QXRWUpdateChecker::ownVersion()});
        QVERIFY(!origin.isEmpty());
    }
    void cleanupTestCase()
    {
        for (QProcess *p : {&openbox, &server}) {
            p->kill();
            p->waitForFinished();
        }
    }

    void windowAnswersWhileTheCheckWaits()
    {
        QProcess player;
        launch(player, "hold");
        const QString window = shownWindow("^Vistrel$");
        QVERIFY(!window.isEmpty());
        VERIFY_SOON(held() == 1, 3000);
        xdotool({"windowactivate", "--sync", window});
        xdotool({"key", "ctrl+comma"});
        VERIFY_SOON(!xdotool({"search", "--onlyvisible", "--name", "^Preferences$"}).isEmpty(), 3000);
        QCOMPARE(held(), 1); // the check still under way
        quit(player, window);
        QVERIFY2(!player.readAllStandardError().contains("QThread"), "threads left running at quit");
        VERIFY_SOON(held() == 0, 3000);
    }

    void failedCheckAtLaunchIsQuiet()
    {
        QProcess player;
        launch(player, "notfound");
        const QString window = shownWindow("^Vistrel$");
        QVERIFY(!window.isEmpty());
        const auto stored = [] {
            QXSettings::resetStandard();
            return QXSettings::standard().objectForKey(QXKeys::UpdateStatus).toString();
        };
        VERIFY_SOON(stored() == "The check for updates failed: the update server answered 404.", 7000);
        QCOMPARE(xdotool({"search", "--onlyvisible", "--name", "^Software Update$"}), QString());
        quit(player, window);
        const QByteArray errors = player.readAllStandardError();
        QVERIFY2(!errors.contains("must only be called once"), errors.constData());
    }
};

VISTREL_TEST_MAIN(TestUpdateBinary)
#include "test_update_binary_xvfb.moc"
