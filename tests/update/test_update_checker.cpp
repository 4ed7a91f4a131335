// The update checker: version order, status dates and failure reasons as plain functions, then
// checks against a local update server (tests/support/update_server.py) with a fixed clock,
// hostile answers included.
#include "update/QXRWUpdateChecker.h"
#include "update/QXRWUpdateParsing.h"
#include "util/QXNetwork.h"
#include "ControllerFixture.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
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
        delete checker->outcomeAlert;
        qputenv("VISTREL_UPDATE_SERVER", (origin + '/' + scenario).toUtf8());
        return QXSettings::standard();
    }
    bool alertShown() const { return checker->alertWindow && checker->alertWindow->isVisible(); }
    QString outcomeShown() const
    {
        return checker->outcomeAlert && checker->outcomeAlert->isVisible() ? checker->outcomeAlert->text() : QString();
    }
    // A check runs in the background; true once it has ended within the time given.
    bool finished(int ms = 7000) { return QTest::qWaitFor([this] { return !checker->isChecking(); }, ms); }
    static QString failed(const QString &reason) { return "The check for updates failed: " + reason + "."; }
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
    // Aborted inside its own signal, a reply complains of being ended twice.
    void init() { QTest::failOnWarning(QRegularExpression("must only be called once")); }

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

    // What the user reads of a failure: the transfer's error, else the answer's status or size.
    void failureReasons()
    {
        const struct { QNetworkReply::NetworkError error; Failure failure; } errors[] = {
            {QNetworkReply::NoError, Failure::None}, {QNetworkReply::ConnectionRefusedError, Failure::Refused},
            {QNetworkReply::HostNotFoundError, Failure::HostNotFound},
            {QNetworkReply::SslHandshakeFailedError, Failure::Insecure},
            {QNetworkReply::InsecureRedirectError, Failure::Insecure},
            {QNetworkReply::OperationCanceledError, Failure::TimedOut}, {QNetworkReply::TimeoutError, Failure::TimedOut},
            {QNetworkReply::TooManyRedirectsError, Failure::RedirectRefused},
            {QNetworkReply::RemoteHostClosedError, Failure::Unreachable},
            {QNetworkReply::ProtocolFailure, Failure::Unreachable}};
        for (const auto &e : errors)
            QCOMPARE(int(failureFromNetworkError(e.error)), int(e.failure));
        const struct { Failure failure; int status, timeoutMs; qint64 maxBytes; const char *reason; } reasons[] = {
            {Failure::None, 0, 5000, 1 << 20, ""},
            {Failure::HttpStatus, 404, 5000, 1 << 20, "the update server answered 404"},
            {Failure::TimedOut, 0, 5000, 1 << 20, "the update server did not answer within 5 seconds"},
            {Failure::TimedOut, 0, 1000, 1 << 20, "the update server did not answer within a second"},
            {Failure::TooLarge, 200, 5000, 1 << 20, "the update server's answer is larger than 1024 KB"},
            {Failure::NotAVersionList, 200, 5000, 1 << 20, "the update server's answer is not a version list"},
            {Failure::Refused, 0, 5000, 1 << 20, "the update server refused the connection"},
            {Failure::HostNotFound, 0, 5000, 1 << 20, "the update server's host was not found"},
            {Failure::Insecure, 0, 5000, 1 << 20, "no secure connection to the update server could be made"},
            {Failure::Unreachable, 0, 5000, 1 << 20, "the update server could not be reached"},
            {Failure::AddressRefused, 0, 5000, 1 << 20, "the update server's address is not accepted"},
            {Failure::RedirectRefused, 302, 5000, 1 << 20,
             "the update server sent the request on to an address that is not accepted"}};
        for (const auto &r : reasons)
            QCOMPARE(failureReason(r.failure, r.status, r.timeoutMs, r.maxBytes), QString(r.reason));
    }

    // Only with the switch on and a week after the last automatic check; a last check ahead
    // of the clock or unreadable holds nothing off, and clicking the switch forgets it.
    void automaticSchedule_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QJsonValue>("last");
        QTest::addColumn<bool>("fetches");
        QTest::addColumn<QString>("kind");
        const double t = secondsSinceReferenceDate(now);
        QTest::newRow("switch off") << false << QJsonValue(QJsonValue::Undefined) << false << "equal";
        QTest::newRow("never checked") << true << QJsonValue(QJsonValue::Undefined) << true << "equal";
        QTest::newRow("6 days") << true << QJsonValue(t - 6 * 86400) << false << "equal";
        QTest::newRow("7 days 1 s") << true << QJsonValue(t - 7 * 86400 - 1) << true << "equal";
        QTest::newRow("in the future") << true << QJsonValue(t + 86400) << true << "equal";
        QTest::newRow("text") << true << QJsonValue("soon") << true << "equal";
        QTest::newRow("switch clicked on after an hour") << false << QJsonValue(t - 3600) << true << "equal";
        QTest::newRow("failing") << true << QJsonValue(QJsonValue::Undefined) << true << "notfound";
    }
    // An automatic check that finds no update says so only in the Updates pane.
    void automaticSchedule()
    {
        QFETCH(bool, on);
        QFETCH(QJsonValue, last);
        QFETCH(bool, fetches);
        QFETCH(QString, kind);
        const QString scenario = QString("%1-%2").arg(kind).arg(++runs);
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
        QVERIFY(finished());
        QCOMPARE(requests('/' + scenario + "/vistrel/version.plist"), int(fetches));
        if (kind == "notfound") {
            QCOMPARE(checker->statusTextField->text(), failed("the update server answered 404"));
            QVERIFY(!settings.hasKey(QXKeys::UpdateLastCheckDate));
        } else {
            QCOMPARE(settings.objectForKey(QXKeys::UpdateLastCheckDate), fetches ? QJsonValue(secondsSinceReferenceDate(now)) : last);
            QCOMPARE(checker->statusTextField->text(), fetches ? "Vistrel is up to date." : "");
            QCOMPARE(checker->statusDateTextField->text(), fetches ? "Last check: July 9, 2015 - 3:07PM" : "");
        }
        QCOMPARE(outcomeShown(), QString());
    }

    // Manual checks: only a strictly newer version is an update, which opens the update alert;
    // otherwise the check ends in a message, every failure within 5.5 s in dark red with its
    // reason, the defaults kept.
    void outcomes_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("color");
        QTest::addColumn<int>("maxMs");
        const QString newer = "Vistrel 999.1 is now available!", green = "#004d00", red = "#660000";
        const QString upToDate = "Vistrel is up to date.";
        QTest::newRow("equal") << upToDate << "" << 5500;
        QTest::newRow("older") << upToDate << "" << 5500;
        QTest::newRow("newer") << newer << green << 5500;
        QTest::newRow("badaddr") << newer << green << 5500; // file: and javascript: addresses
        for (const char *hostile : {"number", "array", "long", "html", "nul", "rootarray", "malformed", "truncated",
                                    "badbinary"})
            QTest::newRow(hostile) << failed("the update server's answer is not a version list") << red << 5500;
        QTest::newRow("notfound") << failed("the update server answered 404") << red << 5500;
        for (const char *large : {"huge", "deep"})
            QTest::newRow(large) << failed("the update server's answer is larger than 1024 KB") << red << 5500;
        for (const char *slow : {"silent", "drip"})
            QTest::newRow(slow) << failed("the update server did not answer within 5 seconds") << red << 5500;
        QTest::newRow("absent") << failed("the update server refused the connection") << red << 5500;
        // Plain http to another host is refused at once, where following it would wait.
        QTest::newRow("redirect")
            << failed("the update server sent the request on to an address that is not accepted") << red << 2000;
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
        checker->checkForUpdates();
        QVERIFY(finished(maxMs));
        QVERIFY(testsupport::peakMemoryKb() - peakBefore < 16 << 10);
        QCOMPARE(checker->statusTextField->text(), status);
        QCOMPARE(settings.objectForKey(QXKeys::UpdateStatusColor).toString(), color);
        QVERIFY(!settings.hasKey(QXKeys::UpdateLastCheckDate)); // only automatic checks date themselves
        QCOMPARE(checker->productPageURL(), QUrl(QXRWUpdateChecker::updateServer() + "/vistrel"));
        QCOMPARE(alertShown(), color == "#004d00");
        const QString ownNewest = "Vistrel " + QXRWUpdateChecker::ownVersion() + " is the newest version.";
        QCOMPARE(outcomeShown(), alertShown() ? "" : color.isEmpty() ? ownNewest : status);
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
        QVERIFY(finished());
        qputenv("VISTREL_UPDATE_SERVER", (origin + "/newer").toUtf8());
        checker->checkForUpdates();
        QVERIFY(finished());
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
        QVERIFY(finished());
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
