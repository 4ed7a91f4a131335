// The update checker: version order and status dates as plain functions, then checks against
// a local update server (tests/support/update_server.py) with a fixed clock, hostile answers
// included.
#include "update/QXRWUpdateChecker.h"
#include "update/QXRWUpdateParsing.h"
#include "util/QXNetwork.h"
#include "ControllerFixture.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QtTest>

using namespace QXUpdate;

// Status dates take month names and AM/PM from the system locale: English here.
static const bool englishDates = [] { return qputenv("LC_ALL", "en_US.UTF-8"); }();

class TestUpdateChecker : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QProcess server;
    QString origin;
    testsupport::UrlCatcher browser{{"http", "https", "file"}};
    QXRWUpdateChecker *checker = QXRWUpdateChecker::updateChecker();
    const QDateTime now{QDate(2015, 7, 9), QTime(15, 7)};
    int runs = 0;
    QWidget updatesPane;

    int requests(const QString &path)
    {
        return QString::fromUtf8(QXNetwork::dataFromNSURLConnection(QUrl(origin + "/log"))).split('\n').count(path);
    }
    // A fresh store and checker on the given answer of the server; the scenario's path.
    QXSettings &fresh(const QString &scenario)
    {
        testsupport::useFreshSettings(dir.path());
        checker->productPageAddress = checker->releaseNotesAddress = QUrl();
        if (checker->alertWindow)
            checker->alertWindow->close();
        qputenv("VISTREL_UPDATE_SERVER", (origin + '/' + scenario).toUtf8());
        return QXSettings::standard();
    }
    bool alertShown() const { return checker->alertWindow && checker->alertWindow->isVisible(); }
    QString notes() const { return checker->alertWindowReleaseNotesWebView->toPlainText(); }

private slots:
    void initTestCase()
    {
        origin = testsupport::startServer(server, {testsupport::supportFile("update_server.py"), QXRWUpdateChecker::ownVersion()});
        QVERIFY(!origin.isEmpty());
        checker->setClock([this] { return now; });
        checker->installUpdatesPane(&updatesPane, new QVBoxLayout(&updatesPane));
        updatesPane.show();
    }
    void cleanupTestCase() { server.kill(); server.waitForFinished(); }

    void plainFunctions()
    {
        const struct { const char *a, *b; int order; } versions[] = { // 2: either is no version
            {"1.0", "1.0.0", 0}, {"1.9", "1.10", -1}, {"1.0b2", "1.0b10", -1}, {"1.0b10", "1.0rc1", -1},
            {"1.0rc1", "1.0", -1}, {"1.0a9", "1.0b1", -1}, {"007.1", "7.1", 0},
            {"99999999999999999999.1", "99999999999999999999.0", 1}, {"1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.11", "1", 1},
            {"1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.111", "1", 2}, {"", "1", 2}, {"1.", "1", 2}, {"1..2", "1", 2},
            {"1.0b", "1", 2}, {"1.0beta1", "1", 2}, {"v1", "1", 2}, {"1.0 ", "1", 2}, {"<b>1</b>", "1", 2}};
        for (const auto &v : versions) {
            QCOMPARE(compareVersions(v.a, v.b).value_or(2), v.order);
            QCOMPARE(compareVersions(v.b, v.a).value_or(2), v.order == 2 ? 2 : -v.order);
        }
        const QString check = "Last check: %B %1d, %Y - %1I:%M%p";
        const struct { QTime time; QString format, shown; } dates[] = {
            {QTime(15, 7), check, "Last check: July 9, 2015 - 3:07PM"},
            {QTime(0, 5), check, "Last check: July 9, 2015 - 12:05AM"},
            {QTime(12, 0), check, "Last check: July 9, 2015 - 12:00PM"},
            {QTime(9, 3), "%d %I %H %% %Q %", "09 09 09 % %Q %"}};
        for (const auto &d : dates)
            QCOMPARE(formatDate(d.format, QDateTime(QDate(2015, 7, 9), d.time), QLocale(QLocale::English)), d.shown);
    }

    // Only with the switch on and a week after the last automatic check; a last check ahead
    // of the clock or unreadable holds nothing off, and clicking the switch forgets it.
    void automaticSchedule_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QJsonValue>("last");
        QTest::addColumn<bool>("fetches");
        const double t = secondsSinceReferenceDate(now);
        QTest::newRow("switch off") << false << QJsonValue(QJsonValue::Undefined) << false;
        QTest::newRow("never checked") << true << QJsonValue(QJsonValue::Undefined) << true;
        QTest::newRow("6 days") << true << QJsonValue(t - 6 * 86400) << false;
        QTest::newRow("7 days 1 s") << true << QJsonValue(t - 7 * 86400 - 1) << true;
        QTest::newRow("in the future") << true << QJsonValue(t + 86400) << true;
        QTest::newRow("text") << true << QJsonValue("soon") << true;
        QTest::newRow("switch clicked on after an hour") << false << QJsonValue(t - 3600) << true;
    }
    void automaticSchedule()
    {
        QFETCH(bool, on);
        QFETCH(QJsonValue, last);
        QFETCH(bool, fetches);
        const QString scenario = QString("equal-%1").arg(++runs);
        QXSettings &settings = fresh(scenario);
        settings.setBool(on, QXKeys::UpdateCheckAtStartup);
        if (!last.isUndefined())
            settings.setObject(last, QXKeys::UpdateLastCheckDate);
        checker->awakeFromNib();
        if (QByteArray(QTest::currentDataTag()).startsWith("switch clicked")) {
            QTest::mouseClick(checker->autoUpdateCheckingSwitch, Qt::LeftButton, {}, QPoint(8, 8));
            QCOMPARE(settings.objectForKey(QXKeys::UpdateCheckAtStartup), QJsonValue(true));
            QCOMPARE(settings.objectForKey(QXKeys::UpdateLastCheckDate), QJsonValue(0.0));
        }
        checker->checkForUpdatesWithAutomaticRequest(true);
        QCOMPARE(requests('/' + scenario + "/vistrel/version.plist"), int(fetches));
        QCOMPARE(settings.objectForKey(QXKeys::UpdateLastCheckDate), fetches ? QJsonValue(secondsSinceReferenceDate(now)) : last);
        QCOMPARE(checker->statusTextField->text(), fetches ? "Vistrel is up to date." : "");
        QCOMPARE(checker->statusDateTextField->text(), fetches ? "Last check: July 9, 2015 - 3:07PM" : "");
    }

    // Manual checks: only a strictly newer version is an update; every failure ends within
    // 5.5 s in a dark red "Connection failed." with no alert, the defaults kept.
    void outcomes_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("color");
        QTest::addColumn<int>("maxMs");
        const QString newer = "Vistrel 999.1 is now available!", green = "#004d00";
        QTest::newRow("equal") << "Vistrel is up to date." << "" << 5500;
        QTest::newRow("older") << "Vistrel is up to date." << "" << 5500;
        QTest::newRow("newer") << newer << green << 5500;
        QTest::newRow("badaddr") << newer << green << 5500; // file: and javascript: addresses
        for (const char *hostile : {"number", "array", "long", "html", "nul", "rootarray", "notfound", "malformed",
                                    "truncated", "deep", "badbinary", "huge", "silent", "drip", "absent"})
            QTest::newRow(hostile) << "Connection failed." << "#660000" << 5500;
        // Plain http to another host is refused at once, where following it would wait.
        QTest::newRow("redirect") << "Connection failed." << "#660000" << 2000;
    }
    void outcomes()
    {
        QFETCH(QString, status);
        QFETCH(QString, color);
        QFETCH(int, maxMs);
        const QString scenario = QTest::currentDataTag();
        QXSettings &settings = fresh(scenario);
        if (scenario == "absent")
            qputenv("VISTREL_UPDATE_SERVER", "http://127.0.0.1:1");
        QVERIFY(testsupport::resetPeakMemory());
        const qint64 peakBefore = testsupport::peakMemoryKb();
        QElapsedTimer clock;
        clock.start();
        checker->checkForUpdates();
        QVERIFY2(clock.elapsed() < maxMs, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(testsupport::peakMemoryKb() - peakBefore < 16 << 10);
        QCOMPARE(checker->statusTextField->text(), status);
        QCOMPARE(settings.objectForKey(QXKeys::UpdateStatusColor).toString(), color);
        QVERIFY(!settings.hasKey(QXKeys::UpdateLastCheckDate)); // only automatic checks date themselves
        QCOMPARE(checker->productPageURL(), QUrl(QXRWUpdateChecker::updateServer() + "/vistrel"));
        QCOMPARE(alertShown(), color == "#004d00");
        if (!alertShown())
            return;
        QCOMPARE(checker->alertWindowMessageTextField->text(), status);
        VERIFY_SOON(notes().contains("Notes of " + scenario), 5000);
        browser.opened.clear();
        QTest::mouseClick(checker->alertWindowDownloadButton, Qt::LeftButton);
        QCOMPARE(browser.opened, QList<QUrl>{checker->productPageURL()});
        QTest::mouseClick(checker->alertWindowCancelButton, Qt::LeftButton);
        QVERIFY(!alertShown());
    }

    // A list without addresses keeps those named before; a status of another version is not shown.
    void addressesAndStatusKept()
    {
        QXSettings &settings = fresh("page");
        checker->checkForUpdates();
        qputenv("VISTREL_UPDATE_SERVER", (origin + "/newer").toUtf8());
        checker->checkForUpdates();
        QCOMPARE(checker->productPageURL(), QUrl(origin + "/page/product"));
        QCOMPARE(checker->releaseNotesURL(), QUrl(origin + "/page/notes.html"));
        VERIFY_SOON(notes().contains("Notes of page"), 5000);
        settings.setObject("0.0.0", QXKeys::UpdateStatusVersion);
        QCOMPARE(checker->status() + checker->statusDate(), "");
        QCOMPARE(checker->statusColor(), QGuiApplication::palette().color(QPalette::WindowText));
    }

    // Release notes show their text and load nothing they name; only web links leave.
    void hostileReleaseNotes()
    {
        fresh("hostile");
        checker->checkForUpdates();
        QTextBrowser *view = checker->alertWindowReleaseNotesWebView;
        VERIFY_SOON(notes().contains("Hostile notes"), 5000);
        for (const char *resource : {"file:///etc/passwd", "/dev/zero"}) {
            const QVariant loaded = view->document()->resource(QTextDocument::ImageResource, QUrl(resource));
            QVERIFY(loaded.value<QImage>().isNull() && loaded.toByteArray().isEmpty());
        }
        browser.opened.clear();
        for (const char *link : {"local", "web"}) {
            const QTextCursor found = view->document()->find(link);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(found).center() - QPoint(6, 0));
        }
        QCOMPARE(browser.opened, QList<QUrl>{QUrl("https://example.org/x")});
    }

    // An older alert's fetch that ends later does not overwrite a newer alert's notes.
    void newerAlertAbortsOlderFetch()
    {
        fresh("late");
        checker->releaseNotesAddress = QUrl(origin + "/late/vistrel/log.html"); // answers after 1 s
        checker->showAlert();
        checker->releaseNotesAddress = QUrl(origin + "/newer/vistrel/log.html");
        checker->showAlert();
        VERIFY_SOON(notes().contains("Notes of newer"), 5000);
        QTest::qWait(1500);
        QVERIFY(notes().contains("Notes of newer"));
    }
};

VISTREL_TEST_MAIN(TestUpdateChecker)
#include "test_update_checker.moc"
