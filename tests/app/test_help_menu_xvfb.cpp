// The Help menu clicked in a launched player: the donation and home pages with no browser on
// the machine show their address and copy it; Check for Updates... ends in a message either way.
#include "app/QXWebLink.h"
#include "player/QXPlayerWindow.h"
#include "update/QXRWUpdateChecker.h"
#include "ControllerFixture.h"

#include <QClipboard>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestHelpMenu : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    QProcess server;
    QString origin;
    std::unique_ptr<QXMPController> c;

    // Opens the Help menu and clicks the item, as the pointer does.
    bool clickHelpItem(const char *name)
    {
        QAction *item = c->playerWindow->findChild<QAction *>(name);
        QMenu *help = nullptr;
        for (QMenu *menu : c->playerWindow->findChildren<QMenu *>())
            if (item && menu->actions().contains(item))
                help = menu;
        if (!help)
            return false;
        QMenuBar *bar = c->playerWindow->menuBar();
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
        return QTest::qWaitFor([&] { return (box = c->playerWindow->findChild<QMessageBox *>(name)) && box->isVisible(); }, 7000)
            ? box : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        // Addresses on this machine, should a browser turn up after all.
        qputenv("VISTREL_PAYMENT_SERVER", "http://127.0.0.1:1");
        qputenv("VISTREL_HOME_SERVER", "http://127.0.0.1:1");
        origin = testsupport::startServer(server, {testsupport::supportFile("update_server.py"), QXRWUpdateChecker::ownVersion()});
        QVERIFY(!origin.isEmpty());
        testsupport::launchFreshController(c, home.path());
        QVERIFY(QTest::qWaitForWindowExposed(c->playerWindow));
    }
    void cleanupTestCase()
    {
        c.reset();
        server.kill();
        server.waitForFinished();
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
};

VISTREL_TEST_MAIN(TestHelpMenu)
#include "test_help_menu_xvfb.moc"
