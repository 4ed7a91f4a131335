// The update checker: version order and status dates as plain functions, then checks against
// a local update server with a fixed clock, hostile answers included.
#include "app/QXSettings.h"
#include "update/QXRWUpdateChecker.h"
#include "update/QXRWUpdateParsing.h"
#include "util/QXNetwork.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QtTest>

using namespace QXUpdate;

// Catches the addresses the checker hands to the browser.
class Browser : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestUpdateChecker : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QProcess server;
    QString origin;
    Browser browser;
    QXRWUpdateChecker *checker = QXRWUpdateChecker::updateChecker();
    const QDateTime now{QDate(2015, 7, 9), QTime(15, 7)};
    int settingsCount = 0;

    QStringList requests()
    {
        return QString::fromUtf8(QXNetwork::dataFromNSURLConnection(QUrl(origin + "/log"))).split('\n');
    }
    void useServer(const QString &scenario) { qputenv("VISTREL_UPDATE_SERVER", (origin + '/' + scenario).toUtf8()); }
    bool alertShown() const { return checker->alertWindow && checker->alertWindow->isVisible(); }
    QXSettings &freshSettings()
    {
        testsupport::isolateSettings(dir.filePath(QString("config%1").arg(++settingsCount)));
        QXSettings::resetStandard();
        checker->productPageAddress = checker->releaseNotesAddress = QUrl();
        if (checker->alertWindow)
            checker->alertWindow->close();
        return QXSettings::standard();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        server.start("python3", {QFINDTESTDATA("../support/update_server.py"), QXRWUpdateChecker::ownVersion()});
        QVERIFY(server.waitForReadyRead(10000));
        origin = "http://127.0.0.1:" + server.readLine().trimmed();
        checker->setClock([this] { return now; });
        for (const char *scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, &browser, "open");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void cleanupTestCase()
    {
        for (const char *scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
        server.kill();
        server.waitForFinished();
    }

    void versionOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order"); // 2: either is no version
        const struct { const char *a, *b; int order; } rows[] = {
            {"1.0", "1.0.0", 0}, {"1.9", "1.10", -1}, {"1.0b2", "1.0b10", -1}, {"1.0b10", "1.0rc1", -1},
            {"1.0rc1", "1.0", -1}, {"1.0a9", "1.0b1", -1}, {"1.0.1", "1.0", 1}, {"007.1", "7.1", 0},
            {"99999999999999999999.1", "99999999999999999999.0", 1}, {"99999999999999999999.1", "1", 1},
            {"1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.11", "1", 1}, {"1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.111", "1", 2},
            {"", "1", 2}, {"1.", "1", 2}, {".1", "1", 2}, {"1..2", "1", 2}, {"1.0b", "1", 2},
            {"1.0beta1", "1", 2}, {"v1", "1", 2}, {"1.0 ", "1", 2}, {"-1", "1", 2}, {"<b>1</b>", "1", 2}};
        for (const auto &r : rows)
            QTest::addRow("%s vs %s", r.a, r.b) << QString(r.a) << QString(r.b) << r.order;
    }
    void versionOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        const std::optional<int> ab = compareVersions(a, b), ba = compareVersions(b, a);
        QCOMPARE(ab.value_or(2), order);
        QCOMPARE(ba.value_or(2), order == 2 ? 2 : -order);
    }

    void dateFormat_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        const QString check = "Last check: %B %1d, %Y - %1I:%M%p";
        QTest::newRow("afternoon") << QTime(15, 7) << check << "Last check: July 9, 2015 - 3:07PM";
        QTest::newRow("after midnight") << QTime(0, 5) << check << "Last check: July 9, 2015 - 12:05AM";
        QTest::newRow("noon") << QTime(12, 0) << check << "Last check: July 9, 2015 - 12:00PM";
        QTest::newRow("padded") << QTime(9, 3) << "%d %I %H %% %Q %" << "09 09 09 % %Q %";
    }
    void dateFormat()
    {
        QFETCH(QTime, time);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        QCOMPARE(formatDate(format, QDateTime(QDate(2015, 7, 9), time), QLocale(QLocale::English, QLocale::UnitedStates)),
                 shown);
    }

    // Automatic checks: only with the switch on and a week after the last one; a last check
    // ahead of the clock or unreadable holds nothing off.
    void automaticSchedule_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QJsonValue>("last");
        QTest::addColumn<bool>("fetches");
        const double t = secondsSinceReferenceDate(now);
        QTest::newRow("switch off") << false << QJsonValue() << false;
        QTest::newRow("never checked") << true << QJsonValue() << true;
        QTest::newRow("6 days") << true << QJsonValue(t - 6 * 86400) << false;
        QTest::newRow("7 days 1 s") << true << QJsonValue(t - 7 * 86400 - 1) << true;
        QTest::newRow("in the future") << true << QJsonValue(t + 86400) << true;
        QTest::newRow("text") << true << QJsonValue("soon") << true;
    }
    void automaticSchedule()
    {
        QFETCH(bool, on);
        QFETCH(QJsonValue, last);
        QFETCH(bool, fetches);
        QXSettings &settings = freshSettings();
        settings.setBool(on, QXKeys::UpdateCheckAtStartup);
        if (!last.isUndefined())
            settings.setObject(last, QXKeys::UpdateLastCheckDate);
        const QString scenario = QString("equal-%1").arg(settingsCount);
        useServer(scenario);
        checker->checkForUpdatesWithAutomaticRequest(true);
        QCOMPARE(requests().count("/" + scenario + "/vistrel/version.plist"), int(fetches));
        QCOMPARE(settings.objectForKey(QXKeys::UpdateLastCheckDate),
                 fetches ? QJsonValue(secondsSinceReferenceDate(now)) : last);
        QCOMPARE(checker->status(), fetches ? "Vistrel is up to date." : "");
    }

    // The switch in the Updates pane stores its state and forgets the last check.
    void togglingForcesTheNextCheck()
    {
        QXSettings &settings = freshSettings();
        settings.setObject(secondsSinceReferenceDate(now) - 3600, QXKeys::UpdateLastCheckDate);
        QWidget page;
        auto *layout = new QVBoxLayout(&page);
        checker->installUpdatesPane(&page, layout);
        page.show();
        QVERIFY(!checker->autoUpdateCheckingSwitch->isChecked());
        for (bool expected : {true, false, true}) {
            QTest::mouseClick(checker->autoUpdateCheckingSwitch, Qt::LeftButton, {}, QPoint(8, 8));
            QCOMPARE(settings.objectForKey(QXKeys::UpdateCheckAtStartup), QJsonValue(expected));
            QCOMPARE(settings.objectForKey(QXKeys::UpdateLastCheckDate), QJsonValue(0.0));
        }
        useServer("equal-toggled");
        checker->checkForUpdatesWithAutomaticRequest(true);
        QCOMPARE(requests().count("/equal-toggled/vistrel/version.plist"), 1);
        QCOMPARE(checker->statusTextField->text(), "Vistrel is up to date.");
        QCOMPARE(checker->statusDateTextField->text(), "Last check: July 9, 2015 - 3:07PM");
    }

    // Manual checks against every kind of answer. Nothing but a strictly newer version is an
    // update; every failure ends within 5.5 s in a dark red "Connection failed." with no alert.
    void outcomes_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("color");
        QTest::addColumn<int>("maxMs");
        const QString failed = "Connection failed.", red = "#660000", newer = "Vistrel 999.1 is now available!";
        QTest::newRow("equal") << "equal" << "Vistrel is up to date." << "" << 5500;
        QTest::newRow("older") << "older" << "Vistrel is up to date." << "" << 5500;
        QTest::newRow("newer") << "newer" << newer << "#004d00" << 5500;
        QTest::newRow("file and javascript addresses") << "badaddr" << newer << "#004d00" << 5500;
        for (const char *hostile : {"number", "array", "long", "html", "nul", "rootarray", "notfound", "malformed",
                                    "truncated", "deep", "badbinary", "huge", "silent", "drip", "absent"})
            QTest::newRow(hostile) << hostile << failed << red << 5500;
        // To plain http on another host: refused at once, where following it would wait.
        QTest::newRow("redirect") << "redirect" << failed << red << 2000;
    }
    void outcomes()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, status);
        QFETCH(QString, color);
        QFETCH(int, maxMs);
        QXSettings &settings = freshSettings();
        useServer(scenario);
        if (scenario == "absent")
            qputenv("VISTREL_UPDATE_SERVER", "http://127.0.0.1:1");
        QElapsedTimer clock;
        clock.start();
        const qint64 peakBefore = peakMemoryKb();
        checker->checkForUpdates();
        QVERIFY2(clock.elapsed() < maxMs, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(peakMemoryKb() - peakBefore < 16 << 10);
        QCOMPARE(checker->status(), status);
        QCOMPARE(settings.objectForKey(QXKeys::UpdateStatusColor).toString(), color);
        QVERIFY(!settings.hasKey(QXKeys::UpdateLastCheckDate)); // a manual check never dates itself
        QCOMPARE(alertShown(), color == "#004d00");
        // The defaults stay when the list names no address or no acceptable one.
        QCOMPARE(checker->productPageURL(), QUrl(QXRWUpdateChecker::updateServer() + "/vistrel"));
        if (!alertShown())
            return;
        QCOMPARE(checker->alertWindowMessageTextField->text(), status);
        QTRY_VERIFY(checker->alertWindowReleaseNotesWebView->toPlainText().contains("Notes of " + scenario));
        QVERIFY(requests().contains('/' + scenario + "/vistrel/log.html"));
        browser.opened.clear();
        QTest::mouseClick(checker->alertWindowDownloadButton, Qt::LeftButton);
        QCOMPARE(browser.opened, QList<QUrl>{checker->productPageURL()});
        QTest::mouseClick(checker->alertWindowCancelButton, Qt::LeftButton);
        QVERIFY(!alertShown());
    }

    // A list without "productPageURL" keeps the page named before.
    void pageAddressesKept()
    {
        freshSettings();
        useServer("page");
        checker->checkForUpdates();
        const QUrl page(origin + "/page/product");
        QCOMPARE(checker->productPageURL(), page);
        QTRY_VERIFY(checker->alertWindowReleaseNotesWebView->toPlainText().contains("Notes of page"));
        useServer("newer");
        checker->checkForUpdates();
        QCOMPARE(checker->productPageURL(), page);
        QCOMPARE(checker->releaseNotesURL(), QUrl(origin + "/page/notes.html"));
    }

    void statusOfAnotherVersionIsNotShown()
    {
        QXSettings &settings = freshSettings();
        settings.setObject("Vistrel 0.0.0 is now available!", QXKeys::UpdateStatus);
        settings.setObject("Last check: July 9, 2015 - 3:07PM", QXKeys::UpdateStatusDate);
        settings.setObject("#004d00", QXKeys::UpdateStatusColor);
        for (const char *version : {"0.0.0", ""}) {
            settings.setObject(QString(version), QXKeys::UpdateStatusVersion);
            QCOMPARE(checker->status(), "");
            QCOMPARE(checker->statusDate(), "");
            QCOMPARE(checker->statusColor(), QGuiApplication::palette().color(QPalette::WindowText));
        }
        settings.setObject(QXRWUpdateChecker::ownVersion(), QXKeys::UpdateStatusVersion);
        QCOMPARE(checker->statusColor(), QColor("#004d00"));
        settings.setObject("not a colour", QXKeys::UpdateStatusColor);
        QCOMPARE(checker->statusColor(), QGuiApplication::palette().color(QPalette::WindowText));
    }

    // Release notes show their text and load nothing they name; only web links leave.
    void hostileReleaseNotes()
    {
        freshSettings();
        useServer("hostile");
        checker->checkForUpdates();
        QTextBrowser *view = checker->alertWindowReleaseNotesWebView;
        QTRY_VERIFY(view->toPlainText().contains("Hostile notes"));
        for (const char *resource : {"file:///etc/passwd", "/dev/zero"}) {
            const QVariant loaded = view->document()->resource(QTextDocument::ImageResource, QUrl(resource));
            QVERIFY(loaded.value<QImage>().isNull() && loaded.toByteArray().isEmpty());
        }
        browser.opened.clear();
        for (const char *link : {"local", "web"}) {
            const QTextCursor found = view->document()->find(link);
            QVERIFY2(!found.isNull(), qPrintable(view->toHtml()));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(found).center() - QPoint(6, 0));
        }
        QCOMPARE(browser.opened, QList<QUrl>{QUrl("https://example.org/x")});
    }

    // A newer alert's notes are not overwritten by an older fetch that ends later.
    void newerAlertAbortsOlderFetch()
    {
        freshSettings();
        checker->releaseNotesAddress = QUrl(origin + "/late/vistrel/log.html");
        checker->showAlert();
        checker->releaseNotesAddress = QUrl(origin + "/newer-again/vistrel/log.html");
        checker->showAlert();
        QTRY_VERIFY(checker->alertWindowReleaseNotesWebView->toPlainText().contains("Notes of newer"));
        QTest::qWait(1500);
        QVERIFY(checker->alertWindowReleaseNotesWebView->toPlainText().contains("Notes of newer"));
    }

private:
    static qint64 peakMemoryKb()
    {
        QFile status("/proc/self/status");
        status.open(QIODevice::ReadOnly);
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toLongLong();
        return 0;
    }
};

VISTREL_TEST_MAIN(TestUpdateChecker)
#include "test_update_checker.moc"
