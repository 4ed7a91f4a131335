// The online video download manager against a real server on 127.0.0.1 (and the real yt-dlp):
// which way each page goes, what its entry shows meanwhile, and that an entry let go of still
// gets its file.
#include "playlist/QXOnlineVideoDownloads.h"
#include "OnlineVideoServer.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <unistd.h>

using testsupport::OnlineVideoServer;

class TestOnlineVideoDownloads : public QObject
{
    Q_OBJECT
    QTemporaryDir root;
    OnlineVideoServer server;
    QString movies;
    QString clip;
    QByteArray clipBytes;

    // Runs the manager on one entry until it tells an outcome: "saved <path>", "failed <why>"
    // or "none <why>"; the entry's loading mark and the manager's word checked meanwhile.
    QString outcome(const QString &address, bool webPage)
    {
        QXOnlineVideoDownloads downloads;
        QString told;
        connect(&downloads, &QXOnlineVideoDownloads::saved, this, [&](const auto &, const QString &p) { told = "saved " + p; });
        connect(&downloads, &QXOnlineVideoDownloads::failed, this, [&](const auto &, const QString &r) { told = "failed " + r; });
        connect(&downloads, &QXOnlineVideoDownloads::pageHasNoVideo, this, [&](const auto &, const QString &r) { told = "none " + r; });
        const QXMovieRepresentationRef entry = QXMovieRepresentation::movieRepresentationWithURLString(address);
        if (!entry)
            return "no entry";
        webPage ? downloads.startWebPage(entry) : downloads.startPage(entry);
        if (!entry->isDownloadingOnlineFlashMovie() || !downloads.isDownloading(entry.get()) || !told.isEmpty())
            return "not downloading at first";
        if (!QTest::qWaitFor([&] { return !told.isEmpty(); }, 30000))
            return "nothing told";
        if (entry->isDownloadingOnlineFlashMovie() || downloads.isDownloading(entry.get()))
            return "still downloading: " + told;
        return told;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        movies = testsupport::useVideosHome(root.path());
        clip = testsupport::makeVideo(root.path(), "clip.mp4", 160, 120, 1.0, false);
        QVERIFY(!clip.isEmpty());
        clipBytes = testsupport::readFile(clip);
        QVERIFY(server.start(root.path()));
        server.pointPlayerHere();
    }
    void cleanup() { QDir(movies).removeRecursively(); }

    void progressText_data()
    {
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing yet") << qint64(0) << qint64(1000) << "0%";
        QTest::newRow("part") << qint64(420) << qint64(1000) << "42%";
        QTest::newRow("never rounded up") << qint64(999) << qint64(1000) << "99%";
        QTest::newRow("all") << qint64(1000) << qint64(1000) << "100%";
        QTest::newRow("more than announced") << qint64(1500) << qint64(1000) << "100%";
        QTest::newRow("large") << qint64(3) << qint64(4) * 1000 * 1000 * 1000 * 1000 << "0%";
        QTest::newRow("size unknown") << qint64(12345678) << qint64(-1) << "12.3 MB";
        QTest::newRow("size unknown, little") << qint64(99999) << qint64(-1) << "0.0 MB";
        QTest::newRow("size zero") << qint64(100000) << qint64(0) << "0.1 MB";
    }
    void progressText()
    {
        QFETCH(qint64, received);
        QFETCH(qint64, expected);
        QFETCH(QString, text);
        QCOMPARE(QXOnlineVideoDownloads::progressText(received, expected), text);
    }

    // Each page goes its way: a video named the old way is downloaded; without one, yt-dlp
    // takes the page when installed, and what neither finds is no video.
    void eachPageGoesItsWay_data()
    {
        QTest::addColumn<QString>("path");          // served page
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("webPage");          // startWebPage rather than startPage
        QTest::addColumn<bool>("ytDlp");
        QTest::addColumn<QString>("told");          // outcome, the Movies folder as "M"
        const QString named = OnlineVideoServer::youTubeBody(OnlineVideoServer::youTubeSection("m1"));
        const QString html5 = "<html><head><title>Clip</title></head><body><video src=\"/media/clip.mp4\"></video></body></html>";
        const QString empty = "<html><head><title>Nothing</title></head><body>words</body></html>";
        QTest::newRow("video named") << "/watch?v=m1" << named << false << false << "saved M/YouTube/m1.flv";
        QTest::newRow("video of 404") << "/watch?v=gone" << OnlineVideoServer::youTubeBody(OnlineVideoServer::youTubeSection("gone"))
                                      << false << false << "failed download failed: server answered 404";
        QTest::newRow("none, no yt-dlp") << "/watch?v=n1" << empty << false << false << "none no video found on the page";
        QTest::newRow("none, yt-dlp finds none") << "/watch?v=n2" << empty << false << true << "none no video found on the page";
        QTest::newRow("none, yt-dlp finds one") << "/watch?v=n3" << html5 << false << true << "saved M/Online Video/";
        QTest::newRow("web page, no yt-dlp") << "/page" << html5 << true << false
                                             << "none this page needs yt-dlp, which is not installed";
    }
    void eachPageGoesItsWay()
    {
        QFETCH(QString, path);
        QFETCH(QString, body);
        QFETCH(bool, webPage);
        QFETCH(bool, ytDlp);
        QFETCH(QString, told);
        server.page(path, body);
        server.video("/get_video?video_id=m1", clip);
        server.video("/media/clip.mp4", clip);
        // A name that is no executable file means none, whatever PATH holds.
        if (ytDlp)
            qunsetenv("VISTREL_YTDLP");
        else
            qputenv("VISTREL_YTDLP", QFile::encodeName(root.filePath("no-yt-dlp")));
        const QString result = outcome(server.origin + path, webPage);
        told.replace("M/", movies + "/");
        QVERIFY2(result.startsWith(told), qPrintable(result));
        if (result.startsWith("saved ")) {
            const QString saved = result.mid(6);
            QCOMPARE(testsupport::readFile(saved), clipBytes);
            // Nothing else in its folder: no temporary file left behind.
            QCOMPARE(QDir(QFileInfo(saved).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(saved).fileName()});
        } else {
            QVERIFY(QDir(movies).entryList(QDir::Files | QDir::Hidden).isEmpty());
            QVERIFY(!QFileInfo::exists(movies + "/YouTube/gone.flv"));
        }
        qunsetenv("VISTREL_YTDLP");
    }

    // The manager holds the entry: one the playlist let go of still gets its file, and tells
    // of it with the entry.
    void entryLetGoStillSaved()
    {
        const QString page = server.watchPage("slow", clip, 4096, 0.05);
        QXOnlineVideoDownloads downloads;
        QSignalSpy saved(&downloads, &QXOnlineVideoDownloads::saved);
        QSignalSpy progressed(&downloads, &QXOnlineVideoDownloads::progressed);
        QWeakPointer<QXMovieRepresentation> weak;
        {
            const QXMovieRepresentationRef entry = QXMovieRepresentation::movieRepresentationWithURLString(page);
            weak = entry;
            downloads.startPage(entry);
        }
        QVERIFY(weak);
        VERIFY_SOON(!progressed.isEmpty(), 10000);
        const QXMovieRepresentationRef during = weak.toStrongRef();
        QVERIFY(!downloads.progressText(during.get()).isEmpty());
        VERIFY_SOON(saved.size() == 1, 20000);
        QCOMPARE(saved.first().at(0).value<QXMovieRepresentationRef>(), during);
        QCOMPARE(testsupport::readFile(movies + "/YouTube/slow.flv"), clipBytes);
        // The word on its progress goes with the download.
        QVERIFY(downloads.progressText(during.get()).isEmpty());
    }

    // yt-dlp ended from outside mid-download: a failure that says so, not "no video", and
    // nothing left in its folder.
    void ytDlpKilledMidDownload()
    {
        server.page("/slowclip", "<html><head><title>Slow</title></head><body><video src=\"/media/slow.mp4\"></video></body></html>");
        server.video("/media/slow.mp4", clip, 1024, 0.2);
        qunsetenv("VISTREL_YTDLP");
        QXOnlineVideoDownloads downloads;
        QSignalSpy progressed(&downloads, &QXOnlineVideoDownloads::progressed);
        QSignalSpy failed(&downloads, &QXOnlineVideoDownloads::failed);
        QSignalSpy none(&downloads, &QXOnlineVideoDownloads::pageHasNoVideo);
        const QXMovieRepresentationRef entry = QXMovieRepresentation::movieRepresentationWithURLString(server.origin + "/slowclip");
        downloads.startWebPage(entry);
        VERIFY_SOON(!progressed.isEmpty(), 20000);
        // This process's child running yt-dlp.
        const QStringList children = testsupport::runTool("pgrep", {"-P", QString::number(::getpid()), "-f", "yt-dlp"}).split('\n');
        const pid_t child = children.size() == 1 ? children.first().toInt() : 0;
        QVERIFY2(child > 0, qPrintable(children.join(' ')));
        QCOMPARE(::kill(child, SIGKILL), 0);
        VERIFY_SOON(!failed.isEmpty(), 10000);
        QVERIFY(none.isEmpty());
        QVERIFY(!failed.first().at(1).toString().isEmpty());
        QVERIFY(!entry->isDownloadingOnlineFlashMovie());
        QCOMPARE(QDir(movies + "/Online Video").entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

VISTREL_TEST_MAIN(TestOnlineVideoDownloads)
#include "test_online_video_downloads.moc"
