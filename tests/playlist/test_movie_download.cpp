// Downloads against servers on 127.0.0.1 (this test's own and python3 -m http.server) and the
// real yt-dlp: exact bytes, progress, failures that leave nothing behind, bounded memory for a
// huge body, two downloads to one name, cancel, and addresses that reach yt-dlp as addresses.
#include "TestSupport.h"
#include "playlist/QXMovieDownload.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// /file/NAME the file with its length, /slow/NAME 4 KB then 2 KB every 0.05 s, /short/NAME
// half of it under the whole length, /stall/NAME 1000 bytes then nothing, /silent/ no answer,
// /redirect/NAME a redirect to /file/NAME, /big 512 MiB made on the fly; else a 404 page.
const char *server = R"(
import http.server, os, sys, time
root = sys.argv[1]
class H(http.server.BaseHTTPRequestHandler):
    def log_message(self, *a): pass
    def do_GET(self):
        kind, _, name = self.path.strip('/').partition('/')
        f = os.path.join(root, os.path.basename(name))
        if kind == 'silent': return time.sleep(60)
        if kind == 'redirect':
            self.send_response(302); self.send_header('Location', '/file/' + name)
            self.send_header('Content-Length', '0'); self.end_headers(); return
        if kind == 'big':
            self.send_response(200); self.send_header('Content-Length', str(512 << 20)); self.end_headers()
            chunk = b'v' * (1 << 20)
            try:
                for _ in range(512): self.wfile.write(chunk)
            except OSError: pass
            return
        if kind not in ('file', 'slow', 'short', 'stall') or not os.path.isfile(f):
            body = b'<html><body>no such video</body></html>'
            self.send_response(404); self.send_header('Content-Type', 'text/html')
            self.send_header('Content-Length', str(len(body))); self.end_headers(); self.wfile.write(body); return
        data = open(f, 'rb').read()
        self.send_response(200)
        self.send_header('Content-Type', 'text/html' if f.endswith('.html') else 'video/mp4')
        self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        try:
            if kind == 'file': self.wfile.write(data)
            elif kind == 'short': self.wfile.write(data[:len(data) // 2])
            elif kind == 'stall': self.wfile.write(data[:1000]); self.wfile.flush(); time.sleep(60)
            else:
                self.wfile.write(data[:4096])
                for i in range(4096, len(data), 2048):
                    self.wfile.flush(); time.sleep(0.05); self.wfile.write(data[i:i + 2048])
        except OSError: pass
s = http.server.ThreadingHTTPServer(('127.0.0.1', 0), H)
s.daemon_threads = True
print(s.server_address[1], flush=True)
s.serve_forever()
)";

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (char &c : bytes)
        c = char(generator.generate());
    return bytes;
}

// Every file and folder under dir, hidden ones too, relative to it.
QStringList everything(const QString &dir)
{
    QStringList found;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(dir).relativeFilePath(it.next());
    found.sort();
    return found;
}

qint64 residentKb()
{
    const QByteArray status = testsupport::readFile(QStringLiteral("/proc/self/status"));
    const auto match = QRegularExpression(R"(VmRSS:\s*(\d+))").match(QString::fromLatin1(status));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// Ends and waits for one download, answering what it said.
struct Outcome
{
    QString saved, reason;
    int ends = 0;
    QList<qint64> progressMs;   // when each progress signal came, since the start
    QList<qint64> received;
};

Outcome run(QXMovieDownload &download, int timeoutMs = 20000)
{
    Outcome out;
    QElapsedTimer clock;
    QObject::connect(&download, &QXMovieDownload::progressed, &download, [&](qint64 received, qint64) {
        out.progressMs << clock.elapsed();
        out.received << received;
    });
    QObject::connect(&download, &QXMovieDownload::finished, &download, [&](const QString &path) {
        out.saved = path;
        ++out.ends;
    });
    QObject::connect(&download, &QXMovieDownload::failed, &download, [&](const QString &reason) {
        out.reason = reason;
        ++out.ends;
    });
    clock.start();
    download.start();
    if (out.ends == 0)
        (void)QTest::qWaitFor([&] { return out.ends > 0; }, timeoutMs);
    QTest::qWait(50); // nothing more may come
    QObject::disconnect(&download, nullptr, &download, nullptr);
    return out;
}

} // namespace

class TestMovieDownload : public QObject
{
    Q_OBJECT
    QTemporaryDir m_www;
    QProcess m_server, m_plainServer;
    QString m_base, m_plainBase;
    QByteArray m_data, m_clip;

    QString www(const QString &name) const { return m_www.filePath(name); }

private slots:
    void initTestCase()
    {
        m_data = randomBytes(300 << 10);
        QVERIFY(!testsupport::makeFile(m_www.path(), "data.bin", m_data).isEmpty());
        QVERIFY(!testsupport::makeFile(m_www.path(), "a.bin", randomBytes(20 << 10)).isEmpty());
        QVERIFY(!testsupport::makeFile(m_www.path(), "b.bin", randomBytes(30 << 10)).isEmpty());
        QVERIFY(!testsupport::makeVideo(m_www.path(), "clip.mp4", 160, 120, 1, false).isEmpty());
        m_clip = testsupport::readFile(www("clip.mp4"));
        // A title that would leave the folder if yt-dlp's name were taken as a path.
        QVERIFY(!testsupport::makeFile(m_www.path(), "page.html",
            "<html><head><title>../../escape/clip</title></head><body><video src=\"clip.mp4\"></video></body></html>").isEmpty());
        QVERIFY(!testsupport::makeFile(m_www.path(), "none.html", "<html><body>no video here</body></html>").isEmpty());

        m_base = testsupport::startServer(m_server, {"-c", server, m_www.path()});
        QVERIFY(!m_base.isEmpty());
        m_plainServer.start("python3", {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                                        "--directory", m_www.path()});
        QVERIFY(m_plainServer.waitForReadyRead(10000));
        const auto port = QRegularExpression(R"(port (\d+))").match(QString::fromUtf8(m_plainServer.readLine()));
        QVERIFY(port.hasMatch());
        m_plainBase = "http://127.0.0.1:" + port.captured(1);
    }

    void cleanupTestCase()
    {
        for (QProcess *p : {&m_server, &m_plainServer}) {
            p->kill();
            p->waitForFinished();
        }
    }

    // Exact bytes into a folder made with its missing parents, the progress on the way.
    void savesTheServedBytes_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("served");
        QTest::newRow("with its length") << "/file/data.bin" << "data.bin";
        QTest::newRow("python3 -m http.server") << "plain:/data.bin" << "data.bin";
        QTest::newRow("after a redirect") << "/redirect/data.bin" << "data.bin";
        QTest::newRow("served slowly") << "/slow/clip.mp4" << "clip.mp4";
    }
    void savesTheServedBytes()
    {
        QFETCH(QString, address);
        QFETCH(QString, served);
        const QTemporaryDir home;
        const QString target = home.filePath("Movies/YouTube/abc123&fmt=6.flv");
        const QUrl video(address.startsWith("plain:") ? m_plainBase + address.sliced(6) : m_base + address);
        QXHttpDownload download(video, target);
        const Outcome out = run(download);
        QCOMPARE(out.reason, QString());
        QCOMPARE(out.ends, 1);
        QCOMPARE(out.saved, target);
        const QByteArray expected = testsupport::readFile(www(served));
        QVERIFY(testsupport::readFile(target) == expected);
        QCOMPARE(everything(home.path()), QStringList({"Movies", "Movies/YouTube", "Movies/YouTube/abc123&fmt=6.flv"}));
        QVERIFY(!download.isRunning());
        QCOMPARE(download.bytesReceived(), expected.size());
        if (address.startsWith("/slow/")) {
            // Several steps, growing, never closer than the interval allows.
            QVERIFY2(out.progressMs.size() >= 4, qPrintable(QString::number(out.progressMs.size())));
            for (int i = 1; i < out.progressMs.size(); ++i) {
                QVERIFY(out.received[i] > out.received[i - 1]);
                QVERIFY(out.progressMs[i] - out.progressMs[i - 1] >= QXMovieDownload::ProgressIntervalMs - 5);
            }
            QCOMPARE(download.bytesExpected(), expected.size());
        }
    }

    // Every failure says why and leaves the folders as they were.
    void failsLeavingNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("stallMs");
        QTest::addColumn<QString>("reason");   // %1: the target's folder
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QString refused = QString("http://127.0.0.1:%1/x").arg(probe.serverPort());
        QTest::newRow("404 with a body") << "/file/missing.flv" << "" << 30000 << "download failed: server answered 404";
        QTest::newRow("body cut short") << "/short/data.bin" << "" << 30000
            << QString("download failed: the connection ended after %1 of %2 bytes").arg(150 << 10).arg(300 << 10);
        QTest::newRow("stalled midway") << "/stall/data.bin" << "" << 500 << "download failed: nothing received for 0.5 seconds";
        QTest::newRow("never answers") << "/silent/x" << "" << 500 << "download failed: nothing received for 0.5 seconds";
        QTest::newRow("refused") << refused << "" << 30000 << "download failed: Connection refused";
        QTest::newRow("folder name taken by a file") << "/file/data.bin" << "folder is a file" << 30000 << "download failed: cannot write %1";
        QTest::newRow("disk full") << "/file/data.bin" << "files up to 64 KiB" << 30000 << "download failed: cannot write %1";
        QTest::newRow("folder not writable") << "/file/data.bin" << "read-only folder" << 30000 << "download failed: cannot write %1";
        QTest::newRow("a local file") << "file:///etc/passwd" << "" << 30000 << "download failed: file:///etc/passwd is no web address";
    }
    void failsLeavingNothing()
    {
        QFETCH(QString, address);
        QFETCH(QString, setup);
        QFETCH(int, stallMs);
        QFETCH(QString, reason);
        const QTemporaryDir home;
        const QString folder = home.filePath("Movies/YouTube");
        if (setup == "folder is a file") {
            QVERIFY(QDir().mkpath(home.filePath("Movies")));
            QVERIFY(!testsupport::makeFile(home.filePath("Movies"), "YouTube", "mine").isEmpty());
        } else if (setup == "read-only folder") {
            if (::geteuid() == 0)
                QSKIP("root writes into any folder");
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
        // The folders a download makes may stay; no file may.
        const auto files = [&] {
            QStringList found = everything(home.path());
            found.removeAll("Movies");
            found.removeAll("Movies/YouTube");
            return found;
        };
        const QStringList before = files();
        const QUrl video(address.startsWith('/') ? m_base + address : address);
        QXHttpDownload download(video, folder + "/abc123.flv", nullptr, stallMs);
        // A write fails as on a full disk: with EFBIG past the limit (its signal ignored).
        rlimit oldLimit{};
        if (setup == "files up to 64 KiB") {
            std::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(::getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
            rlimit limit = oldLimit;
            limit.rlim_cur = 64 << 10;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
        const Outcome out = run(download);
        if (setup == "files up to 64 KiB")
            ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        QCOMPARE(out.reason, reason.contains("%1") ? reason.arg(folder) : reason);
        QCOMPARE(out.ends, 1);
        QVERIFY(!download.isRunning());
        QCOMPARE(files(), before);
        if (setup == "folder is a file")
            QCOMPARE(testsupport::readFile(home.filePath("Movies/YouTube")), QByteArray("mine"));
    }

    // Memory stays near where it was however long the body.
    void hugeBodyInBoundedMemory()
    {
        const QTemporaryDir home;
        const QString target = home.filePath("big.flv");
        QXHttpDownload download(QUrl(m_base + "/big"), target);
        const bool peakKnown = testsupport::resetPeakMemory();
        const qint64 before = residentKb(), peakBefore = testsupport::peakMemoryKb();
        qint64 most = before;
        connect(&download, &QXMovieDownload::progressed, this, [&] { most = qMax(most, residentKb()); });
        const Outcome out = run(download, 60000);
        most = qMax(most, residentKb());
        const qint64 size = QFileInfo(target).size();
        QFile::remove(target);
        QCOMPARE(out.reason, QString());
        QCOMPARE(size, qint64(512) << 20);
        const qint64 grownKb = qMax(most - before, peakKnown ? testsupport::peakMemoryKb() - peakBefore : 0);
        qInfo("512 MiB download: resident memory grew by at most %lld KiB (VmRSS %lld KiB before, "
              "at most %lld KiB during)", grownKb, before, most);
        QVERIFY2(grownKb < 64 << 10, qPrintable(QString::number(grownKb)));
    }

    // The one that ends last is the file; neither writes into the other's.
    void twoDownloadsToOneName()
    {
        const QTemporaryDir home;
        const QString target = home.filePath("Movies/YouTube/same.flv");
        QXHttpDownload small(QUrl(m_base + "/slow/a.bin"), target), large(QUrl(m_base + "/slow/b.bin"), target);
        QStringList order;
        connect(&small, &QXMovieDownload::finished, this, [&] { order << "a"; });
        connect(&large, &QXMovieDownload::finished, this, [&] { order << "b"; });
        small.start();
        large.start();
        VERIFY_SOON(order.size() == 2, 10000);
        QCOMPARE(order, QStringList({"a", "b"}));
        QVERIFY(testsupport::readFile(target) == testsupport::readFile(www("b.bin")));
        QCOMPARE(everything(home.filePath("Movies/YouTube")), QStringList({"same.flv"}));
    }

    void cancelLeavesNothing()
    {
        const QTemporaryDir home;
        QXHttpDownload download(QUrl(m_base + "/slow/clip.mp4"), home.filePath("Movies/YouTube/x.flv"));
        QSignalSpy progressed(&download, &QXMovieDownload::progressed), finished(&download, &QXMovieDownload::finished),
            failed(&download, &QXMovieDownload::failed);
        download.start();
        VERIFY_SOON(download.bytesReceived() > 0, 5000);
        download.cancel();
        QVERIFY(!download.isRunning());
        const int progressBefore = progressed.size();
        QTest::qWait(400);
        QCOMPARE(finished.size() + failed.size(), 0);
        QCOMPARE(progressed.size(), progressBefore);
        QCOMPARE(everything(home.filePath("Movies/YouTube")), QStringList());
    }

    // A failure found on starting and cancelled before it was said stays unsaid, even when
    // the download has been started again.
    void startAgainAfterCancel()
    {
        const QTemporaryDir home;
        QVERIFY(!testsupport::makeFile(home.path(), "Movies", "in the way").isEmpty());
        const QString target = home.filePath("Movies/YouTube/abc123.flv");
        QXHttpDownload download(QUrl(m_base + "/file/data.bin"), target);
        download.start();
        download.cancel();
        QVERIFY(QFile::remove(home.filePath("Movies")));
        const Outcome out = run(download);
        QCOMPARE(out.reason, QString());
        QCOMPARE(out.ends, 1);
        QVERIFY(testsupport::readFile(target) == m_data);
    }

    // The real yt-dlp through its generic extractor, offline: the page's video, or why not;
    // either way nothing else in the folder (no parts, no temporary folder) or beside it.
    void ytDlpDownloads_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("killed");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a video on the page") << "/file/page.html" << false << "";
        QTest::newRow("no video on the page") << "/file/none.html" << false << "Unsupported URL: " + m_base + "/file/none.html";
        QTest::newRow("killed midway") << "/slow/page.html" << true << "download failed: yt-dlp stopped unexpectedly";
    }
    void ytDlpDownloads()
    {
        QFETCH(QString, page);
        QFETCH(bool, killed);
        QFETCH(QString, reason);
        const QString program = QXYtDlpDownload::program();
        if (program.isEmpty())
            QSKIP("yt-dlp is not installed");
        const QTemporaryDir home;
        const QString folder = home.filePath("Movies/Online Video");
        QXYtDlpDownload download(QUrl(m_base + page), folder, program);
        if (killed) {
            connect(&download, &QXMovieDownload::progressed, this, [&](qint64 received) {
                auto *process = download.findChild<QProcess *>();
                if (received > 0 && process && process->processId() > 0)
                    ::kill(pid_t(process->processId()), SIGKILL);
            });
        }
        const Outcome out = run(download);
        QCOMPARE(out.reason, reason);
        QCOMPARE(out.ends, 1);
        QStringList expected{"Movies", "Movies/Online Video"};
        if (reason.isEmpty()) {
            QCOMPARE(QFileInfo(out.saved).path(), folder);
            QVERIFY(testsupport::readFile(out.saved) == m_clip);
            QCOMPARE(download.bytesExpected(), m_clip.size());
            expected << "Movies/Online Video/" + QFileInfo(out.saved).fileName();
        }
        if (killed)
            QVERIFY(!out.received.isEmpty() && out.received.last() < m_clip.size());
        QCOMPARE(everything(home.path()), expected);
    }

    // Whatever the address says, yt-dlp gets it after "--", as one argument, with no shell.
    void ytDlpTakesAddressesAsAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("leading dash") << "-o%(title)s --exec touch pwned";
        QTest::newRow("shell characters") << "http://127.0.0.1:1/a;$(touch pwned)`touch pwned`|touch pwned";
    }
    void ytDlpTakesAddressesAsAddresses()
    {
        QFETCH(QString, address);
        const QTemporaryDir home;
        const QString standIn = testsupport::makeFile(home.path(), "yt-dlp",
            "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.argv\"\necho 'ERROR: not today' >&2\nexit 1\n");
        QVERIFY(QFile::setPermissions(standIn, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QUrl page(address);
        QXYtDlpDownload download(page, home.filePath("out"), standIn);
        const QString oldDir = QDir::currentPath();
        QDir::setCurrent(home.path());
        const Outcome out = run(download);
        QDir::setCurrent(oldDir);
        QCOMPARE(out.reason, QString("not today"));
        const QStringList argv = QString::fromUtf8(testsupport::readFile(standIn + ".argv")).split('\n', Qt::SkipEmptyParts);
        QVERIFY(argv.size() >= 2);
        QCOMPARE(argv.last(), page.toString(QUrl::FullyEncoded));
        QCOMPARE(argv[argv.size() - 2], QString("--"));
        QCOMPARE(argv.count("--"), 1);
        QVERIFY(!QFileInfo::exists(home.filePath("pwned")));
        QCOMPARE(everything(home.filePath("out")), QStringList());
    }

    void ytDlpProgram_data()
    {
        QTest::addColumn<QString>("chosen");   // VISTREL_YTDLP; "-" unset
        QTest::addColumn<bool>("onPath");
        QTest::addColumn<QString>("expected"); // relative to the test's folder
        QTest::newRow("unset, not on PATH") << "-" << false << "";
        QTest::newRow("unset, on PATH") << "-" << true << "bin/yt-dlp";
        QTest::newRow("empty, on PATH") << "" << true << "bin/yt-dlp";
        QTest::newRow("an executable") << "mine/yt-dlp" << true << "mine/yt-dlp";
        QTest::newRow("not executable") << "plain" << true << "";
        QTest::newRow("a folder") << "mine" << true << "";
        QTest::newRow("missing") << "gone" << true << "";
    }
    void ytDlpProgram()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, onPath);
        QFETCH(QString, expected);
        const QTemporaryDir dir;
        for (const QString &p : {"bin/yt-dlp", "mine/yt-dlp"}) {
            QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(p)).path()));
            QVERIFY(!testsupport::makeFile(dir.path(), p, "#!/bin/sh\n").isEmpty());
            QVERIFY(QFile::setPermissions(dir.filePath(p), QFile::ReadOwner | QFile::ExeOwner));
        }
        QVERIFY(!testsupport::makeFile(dir.path(), "plain", "#!/bin/sh\n").isEmpty());
        const QByteArray oldPath = qgetenv("PATH"), oldChosen = qgetenv("VISTREL_YTDLP");
        const bool hadChosen = qEnvironmentVariableIsSet("VISTREL_YTDLP");
        qputenv("PATH", QFile::encodeName(dir.filePath(onPath ? "bin" : "empty")));
        if (chosen == "-")
            qunsetenv("VISTREL_YTDLP");
        else
            qputenv("VISTREL_YTDLP", QFile::encodeName(chosen.isEmpty() ? chosen : dir.filePath(chosen)));
        const QString found = QXYtDlpDownload::program();
        qputenv("PATH", oldPath);
        if (hadChosen)
            qputenv("VISTREL_YTDLP", oldChosen);
        else
            qunsetenv("VISTREL_YTDLP");
        QCOMPARE(found, expected.isEmpty() ? QString() : dir.filePath(expected));
    }

    void ytDlpLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("text");
        using L = QXYtDlpDownload::Line;
        QTest::newRow("total known") << "vistrel-progress 1024 37935 NA\n" << int(L::Progress) << 1024ll << 37935ll << "";
        QTest::newRow("estimate only") << "vistrel-progress 5000 NA 123456.7" << int(L::Progress) << 5000ll << 123456ll << "";
        QTest::newRow("size unknown") << "vistrel-progress 5000 NA NA" << int(L::Progress) << 5000ll << -1ll << "";
        QTest::newRow("nothing yet") << "vistrel-progress NA NA NA" << int(L::Other) << 0ll << -1ll << "";
        QTest::newRow("fields missing") << "vistrel-progress 10" << int(L::Other) << 0ll << -1ll << "";
        QTest::newRow("negative") << "vistrel-progress -5 10 NA" << int(L::Other) << 0ll << -1ll << "";
        QTest::newRow("saved, spaces kept") << "vistrel-saved /m/Online Video/A  b [x].mp4\r\n" << int(L::Saved) << 0ll << -1ll << "/m/Online Video/A  b [x].mp4";
        QTest::newRow("saved, no path") << "vistrel-saved " << int(L::Other) << 0ll << -1ll << "";
        QTest::newRow("error") << "ERROR: Unsupported URL: http://x/\n" << int(L::Error) << 0ll << -1ll << "Unsupported URL: http://x/";
        QTest::newRow("warning") << "WARNING: [generic] Falling back" << int(L::Other) << 0ll << -1ll << "";
        QTest::newRow("yt-dlp's own progress") << "[download]  50.0% of 37.05KiB" << int(L::Other) << 0ll << -1ll << "";
    }
    void ytDlpLines()
    {
        QFETCH(QString, line);
        QFETCH(int, kind);
        QFETCH(qint64, received);
        QFETCH(qint64, expected);
        QFETCH(QString, text);
        const QXYtDlpDownload::Line parsed = QXYtDlpDownload::parseLine(line);
        QCOMPARE(int(parsed.kind), kind);
        QCOMPARE(parsed.received, received);
        QCOMPARE(parsed.expected, expected);
        QCOMPARE(parsed.text, text);
    }
};

QTEST_GUILESS_MAIN(TestMovieDownload)
#include "test_movie_download.moc"
