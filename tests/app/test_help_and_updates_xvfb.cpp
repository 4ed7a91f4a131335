// The Help menu clicked in a player launched here: the donation and home pages with no browser
// on the machine show their address and copy it; Check for Updates... ends in a message either
// way. Then the real player checking for updates at launch under a window manager: against a
// server that never answers, the window comes up and takes keys while the check waits, and a
// quit then ends at once; a failing check at launch is quiet and leaves its reason in the settings.
#include "app/QXWebLink.h"
#include "player/QXPlayerWindow.h"
#include "update/QXRWUpdateChecker.h"
#include "util/QXNetwork.h"
#include "ControllerFixture.h"

#include <QClipboard>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
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

class TestHelpAndUpdates : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    QProcess openbox, server;
    QString origin;
    std::unique_ptr<QXMPController> c;

    // Opens the Help menu and clicks the item, as the pointer does.
    bool clickHelpItem(const char *name)
    {
        QAction *item = c->ui().playerWindow->findChild<QAction *>(name);
        QMenu *help = nullptr;
        for (QMenu *menu : c->ui().playerWindow->findChildren<QMenu *>())
            if (item && menu->actions().contains(item))
                help = menu;
        if (!help)
            return false;
        QMenuBar *bar = c->ui().playerWindow->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(help->menuAction()).center());
        if (!QTest::qWaitFor([help] { return help->isVisible(); }, 3000))
            return false;
        QTest::mouseClick(help, Qt::LeftButton, {}, help->actionGeometry(item).center());
        return !help->isVisible();
    }
    // The message of that name once shown, within the check's own time limit.
    QMessageBox *shown(const char *name)
    {
        QMessageBox *box = nullptr;
        return QTest::qWaitFor([&] { return (box = c->ui().playerWindow->findChild<QMessageBox *>(name)) && box->isVisible(); }, 7000)
            ? box : nullptr;
    }

    // Requests of the never-answering kind whose connection the player still holds open.
    int held() const
    {
        bool ok = false;
        const int n = QXNetwork::dataFromNSURLConnection(QUrl(origin + "/held")).toInt(&ok);
        return ok ? n : -1;
    }
    // The real player, checking at launch on a fresh settings folder, started on the scenario
    // under the window manager; the one launched here steps aside (a window manager would
    // move its windows under the test's clicks).
    void launch(QProcess &player, const QString &scenario)
    {
        c.reset();
        QCoreApplication::processEvents(); // its window gone before the search for the new one
        if (openbox.state() == QProcess::NotRunning)
            QVERIFY(testsupport::startWindowManager(openbox));
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
        // Addresses on this machine, should a browser turn up after all.
        qputenv("VISTREL_PAYMENT_SERVER", "http://127.0.0.1:1");
        qputenv("VISTREL_HOME_SERVER", "http://127.0.0.1:1");
        origin = testsupport::startServer(server, {testsupport::supportFile("update_server.py"), QXRWUpdateChecker::ownVersion()});
        QVERIFY(!origin.isEmpty());
        testsupport::launchFreshController(c, home.path());
        QVERIFY(QTest::qWaitForWindowExposed(c->ui().playerWindow));
    }
    void cleanupTestCase()
    {
        c.reset();
        for (QProcess *p : {&openbox, &server}) {
            p->kill();
            p->waitForFinished();
        }
    }
    // Aborted inside its own signal, a reply complains of being ended twice.
    void init() { QTest::failOnWarning(QRegularExpression("must only be called once")); }

    void pagesWithoutBrowser_data()
    {
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<QString>("address");
        QTest::newRow("donate") << QByteArray("donateItem") << QXWebLink::donationURLString();
        QTest::newRow("home") << QByteArray("homeItem") << QXWebLink::homePageURL().toString();
    }
    void pagesWithoutBrowser()
    {
        QFETCH(QByteArray, item);
        QFETCH(QString, address);
        QGuiApplication::clipboard()->setText("before");
        QVERIFY(clickHelpItem(item));
        QPointer<QMessageBox> box = shown("NoBrowser");
        QVERIFY(box);
        QCOMPARE(box->informativeText(), address);
        QAbstractButton *copy = nullptr;
        for (QAbstractButton *button : box->buttons())
            if (button->text() == "Copy Address")
                copy = button;
        QVERIFY(copy);
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), address);
        VERIFY_SOON(!box, 3000);
    }

    void checkForUpdatesReports_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("message");
        QTest::newRow("same version") << "equal" << "Vistrel " + QXRWUpdateChecker::ownVersion() + " is the newest version.";
        QTest::newRow("not found") << "notfound" << "The check for updates failed: the update server answered 404.";
    }
    void checkForUpdatesReports()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, message);
        qputenv("VISTREL_UPDATE_SERVER", (origin + '/' + scenario).toUtf8());
        QVERIFY(clickHelpItem("checkForUpdatesItem"));
        QPointer<QMessageBox> box = shown("UpdateOutcome");
        QVERIFY(box);
        QCOMPARE(box->text(), message);
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        VERIFY_SOON(!box, 3000);
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

VISTREL_TEST_MAIN(TestHelpAndUpdates)
#include "test_help_and_updates_xvfb.moc"
