// Online video through the real player: watch pages and web pages handed to the real binary
// (and to the real window) become entries that download from a server on 127.0.0.1 into the
// desktop's videos folder, show their progress, open at their first frame, say why when they
// cannot, and are stored by page address or by file at quit.
#include "ControllerFixture.h"
#include "OnlineVideoServer.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "playlist/QXMovieCell.h"
#include "playlist/QXOpenPanel.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include "player/QXPlayerWindow.h"
#include "playlist/QXPlaylistModel.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QtTest>

using testsupport::OnlineVideoServer;

namespace {

QString windowTitle(const QString &window) { return testsupport::runTool("xdotool", {"getwindowname", window}); }

// Share of pixels (every 4th each way) of the first frame's pure red.
double redShare(const QImage &image)
{
    int red = 0, all = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4, ++all) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    return all ? double(red) / all : 0.0;
}

// Every file under the folder, by path relative to it.
QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// The process has a file in the folder open (a temporary file, which may have no name yet).
bool holdsFileIn(const QProcess &process, const QString &folder)
{
    for (const QFileInfo &fd : QDir(QString("/proc/%1/fd").arg(process.processId())).entryInfoList(QDir::Files | QDir::System))
        if (fd.symLinkTarget().startsWith(folder))
            return true;
    return false;
}

} // namespace

class TestOnlineVideo : public QObject
{
    Q_OBJECT
    QTemporaryDir root;
    OnlineVideoServer server;
    QString movies;
    QString redBlue;   // a first second of red, then the test picture
    QProcess openbox;

    // A launch of the binary with this test's environment (yt-dlp as given, or none).
    void launch(QProcess &player, const QStringList &arguments, bool ytDlp = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!ytDlp)
            env.insert("VISTREL_YTDLP", root.filePath("no-yt-dlp"));
        player.setProcessEnvironment(env);
        player.setProcessChannelMode(QProcess::SeparateChannels);
        player.start(testsupport::playerBinary(), arguments);
        QVERIFY(player.waitForStarted());
    }
    // The stored playlist's entries as "Path ..." or "URL ...", "~" expanded.
    static QStringList storedEntries()
    {
        QXSettings::resetStandard();
        QStringList entries;
        for (const QJsonValue &v : QXSettings::standard().storedPlaylist()) {
            const QJsonObject o = v.toObject();
            entries << (o.contains(QXKeys::EntryPath)
                            ? "Path " + QXPathInfo::stringByExpandingTildeInPath(o.value(QXKeys::EntryPath).toString())
                            : "URL " + o.value(QXKeys::EntryURL).toString());
        }
        return entries;
    }
    void keepPlaylist()
    {
        QXSettings::resetStandard();
        QXSettings::standard().setBool(true, QXKeys::DoNotForgetPlaylistOnQuit);
        QVERIFY(QXSettings::standard().flush());
    }
    // The player serves hand-overs once its socket is there.
    bool serving() const
    {
        for (const QFileInfo &f : QDir(root.filePath("run")).entryInfoList(QDir::System | QDir::Files))
            if (f.fileName().startsWith("vistrel-"))
                return true;
        return false;
    }
    // A screenshot kept for a person to look at.
    static void keep(const QImage &image, const QString &name)
    {
        image.save(QDir::temp().filePath("vistrel-online-" + name + ".png"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        movies = testsupport::useVideosHome(root.path());
        QVERIFY(QDir().mkpath(root.filePath("run")) && QFile::setPermissions(root.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root.filePath("run")));
        redBlue = testsupport::ffmpeg(root.filePath("redblue.mp4"),
            {"-f", "lavfi", "-i", "color=c=red:s=320x240:r=25:d=1", "-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=3",
             "-filter_complex", "[0:v][1:v]concat=n=2:v=1[v]", "-map", "[v]", "-c:v", "libx264", "-preset", "ultrafast",
             "-pix_fmt", "yuv420p", "-movflags", "+faststart"});
        QVERIFY(!redBlue.isEmpty());
        QVERIFY(server.start(root.path()));
        server.pointPlayerHere();
        QVERIFY(testsupport::startWindowManager(openbox));
    }
    void cleanupTestCase()
    {
        openbox.kill();
        openbox.waitForFinished();
    }
    void init()
    {
        QDir(movies).removeRecursively();
        QDir(root.filePath("config/Vistrel")).removeRecursively();
        keepPlaylist();
    }

    // One launch given many pages: each video saved under its page's name, exactly as served,
    // directly inside its folder; pages without a video (and videos that are no web address)
    // give no entry and no file. At quit the saved entries are stored by their files.
    void pagesNameTheirFiles()
    {
        struct Case { QString page; QString body; QString video; QString file; };   // file: "" for none
        const QString o = server.origin;
        const QString longName(300, QLatin1Char('n'));
        const QList<Case> cases = {
            {"v=abc123", OnlineVideoServer::youTubeBody(OnlineVideoServer::youTubeSection("abc123")), "abc123", "YouTube/abc123.flv"},
            {"v=abc123&fmt=6", OnlineVideoServer::youTubeBody(OnlineVideoServer::youTubeSection("abc123&fmt=6")), "abc123&fmt=6",
             "YouTube/abc123&fmt=6.flv"},
            {"G docid=-42&hl=en", OnlineVideoServer::googleBody(o + "/get_video?video_id=g42"), "g42", "Google Video/-42.flv"},
            {"G hl=en", OnlineVideoServer::googleBody(o + "/get_video?video_id=g43"), "g43", "Google Video/UUID"},
            {"v=late", OnlineVideoServer::youTubeBody("var nothing = 1;", OnlineVideoServer::youTubeSection("late")), "late", ""},
            {"G docid=plain", OnlineVideoServer::googleBody(o + "/get_video?video_id=plain", "videoUrl="), "plain", ""},
            {"v=../../x", OnlineVideoServer::youTubeBody(OnlineVideoServer::youTubeSection("up")), "up", "YouTube/.._.._x.flv"},
            {"v=a/b", OnlineVideoServer::youTubeBody(OnlineVideoServer::youTubeSection("ab")), "ab", "YouTube/a_b.flv"},
            {"v=", OnlineVideoServer::youTubeBody(OnlineVideoServer::youTubeSection("empty")), "empty", "YouTube/UUID"},
            {"v=" + longName, OnlineVideoServer::youTubeBody(OnlineVideoServer::youTubeSection("long")), "long",
             "YouTube/" + longName.left(200) + ".flv"},
            {"G docid=f1", OnlineVideoServer::googleBody("file:///etc/passwd"), "", ""},
            {"G docid=f2", OnlineVideoServer::googleBody("data:text/plain,hello"), "", ""},
            {"G docid=f3", OnlineVideoServer::googleBody("ftp://127.0.0.1/x"), "", ""},
            {"v=handed", OnlineVideoServer::youTubeBody(OnlineVideoServer::youTubeSection("handed")), "handed", "YouTube/handed.flv"},
        };
        QStringList arguments;
        QHash<QString, QByteArray> served;   // expected file → bytes
        int unsaved = 0;
        for (const Case &k : cases) {
            const bool google = k.page.startsWith("G ");
            const QString query = google ? k.page.mid(2) : k.page;
            const QString address = google ? server.googlePage(query) : server.youTubePage(query);
            server.page(QUrl(address).toString(QUrl::FullyEncoded | QUrl::RemoveScheme | QUrl::RemoveAuthority), k.body);
            QByteArray bytes(2000 + 100 * arguments.size(), Qt::Uninitialized);
            QRandomGenerator(arguments.size()).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            if (!k.video.isEmpty())
                server.video("/get_video?video_id=" + k.video, testsupport::makeFile(root.path(), "v" + k.video, bytes));
            if (k.file.isEmpty())
                ++unsaved;
            else
                served.insert(k.file, bytes);
            arguments << address;
        }
        // The last page comes by hand-over to the running player.
        const QString handed = arguments.takeLast();
        QProcess player;
        launch(player, arguments);
        VERIFY_SOON(serving(), 10000);
        QProcess second;
        launch(second, {handed});
        QVERIFY(second.waitForFinished(10000) && second.exitCode() == 0);
        const auto saved = [&] { return filesUnder(movies).size() >= served.size(); };
        QString err;
        VERIFY2_SOON(saved() && (err += player.readAllStandardError()).count("no video found on the page") == unsaved,
                     qPrintable(filesUnder(movies).join('\n') + "\n" + err), 20000);
        QTest::qWait(300);
        QVERIFY(testsupport::quitBySignal(player));

        // Exactly the expected files, each holding what was served; UUID names upper case.
        const QRegularExpression uuid("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.flv$");
        const QStringList files = filesUnder(movies);
        QCOMPARE(files.size(), served.size());
        QStringList stored;
        for (const QString &f : files) {
            QString key = f;
            if (uuid.match(QFileInfo(f).fileName()).hasMatch())
                key = QFileInfo(f).path() + "/UUID";
            QVERIFY2(served.contains(key), qPrintable(f));
            QCOMPARE(testsupport::readFile(movies + "/" + f), served.value(key));
            stored << "Path " + movies + "/" + f;
        }
        QCOMPARE(QDir(root.filePath("home")).entryList(QDir::Files), QStringList());
        QStringList entries = storedEntries();
        entries.sort();
        stored.sort();
        QCOMPARE(entries, stored);
    }

    // The current entry: the loading message with its progress while the video arrives
    // slowly, then the video's first frame, paused at its start; its file stored at quit.
    void currentEntryShowsProgressThenFirstFrame()
    {
        const QString page = server.watchPage("slow", redBlue, 4096, 0.1);
        QProcess player;
        launch(player, {page});
        const QString window = testsupport::findWindow("^http");
        QVERIFY(!window.isEmpty());
        QCOMPARE(windowTitle(window), page);
        QTest::qWait(1200);
        const QImage loading = testsupport::grabWindow(window);
        keep(loading, "loading");
        QCOMPARE(redShare(loading), 0.0);
        QVERIFY(!QFileInfo::exists(movies + "/YouTube/slow.flv"));

        VERIFY2_SOON(windowTitle(window) == "slow.flv", qPrintable(windowTitle(window)), 20000);
        VERIFY_SOON(redShare(testsupport::grabWindow(window)) > 0.3, 10000);
        keep(testsupport::grabWindow(window), "first-frame");
        // Paused: a second later the red is still there (playing, the test picture follows).
        QTest::qWait(1500);
        QVERIFY(redShare(testsupport::grabWindow(window)) > 0.3);
        QVERIFY(testsupport::quitBySignal(player));
        QCOMPARE(storedEntries(), QStringList{"Path " + movies + "/YouTube/slow.flv"});
        QCOMPARE(testsupport::readFile(movies + "/YouTube/slow.flv"), testsupport::readFile(redBlue));
    }

    // A quit mid-download keeps the page, not a part of its video; the next launch downloads
    // it again and then stores its file.
    void quitMidDownloadKeepsThePage()
    {
        const QString page = server.watchPage("again", redBlue, 1024, 0.2);
        QProcess player;
        launch(player, {page});
        QVERIFY(!testsupport::findWindow("^http").isEmpty());
        // Begun: the player holds a temporary file beside the target.
        VERIFY_SOON(holdsFileIn(player, movies + "/YouTube/"), 10000);
        QVERIFY(testsupport::quitBySignal(player));
        QCOMPARE(storedEntries(), QStringList{"URL " + page});
        QCOMPARE(filesUnder(movies), QStringList());

        server.video("/get_video?video_id=again", redBlue);
        QProcess next;
        launch(next, {});
        VERIFY_SOON(filesUnder(movies) == QStringList{"YouTube/again.flv"}, 15000);
        QVERIFY(!testsupport::findWindow("^Vistrel$").isEmpty());
        QVERIFY(testsupport::quitBySignal(next));
        QCOMPARE(storedEntries(), QStringList{"Path " + movies + "/YouTube/again.flv"});
    }

    // Any other web page goes through yt-dlp (its generic extractor, offline): the address
    // that answered with a page (named as one, too) becomes its video in Online Video, shown
    // at its first frame.
    void webPageThroughYtDlp()
    {
        server.page("/news/clip.html", "<html><head><title>Red clip</title></head><body><video src=\"/media/clip.mp4\"></video></body></html>");
        server.video("/media/clip.mp4", redBlue);
        QProcess player;
        launch(player, {server.origin + "/news/clip.html"}, true);
        const QString window = testsupport::findWindow("^http");
        QVERIFY(!window.isEmpty());
        VERIFY2_SOON(windowTitle(window).startsWith("Red clip"), qPrintable(windowTitle(window)), 30000);
        VERIFY_SOON(redShare(testsupport::grabWindow(window)) > 0.3, 10000);
        keep(testsupport::grabWindow(window), "yt-dlp-first-frame");
        const QStringList files = filesUnder(movies);
        QCOMPARE(files.size(), 1);
        QVERIFY2(files.first().startsWith("Online Video/Red clip"), qPrintable(files.first()));
        QCOMPARE(testsupport::readFile(movies + "/" + files.first()), testsupport::readFile(redBlue));
        QVERIFY(testsupport::quitBySignal(player));
        QCOMPARE(storedEntries(), QStringList{"Path " + movies + "/" + files.first()});
    }

    // What the current entry says when nothing can be saved, in the player's own window: no
    // video (the entry gone), no yt-dlp (the same), a failed download (the entry kept under
    // its page address, without the loading mark).
    void currentEntrySaysWhy_data()
    {
        QTest::addColumn<QString>("address");   // relative to the server
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("listed");
        QTest::newRow("no video") << "/watch?v=none" << "" << "no video found on the page" << false;
        QTest::newRow("yt-dlp not installed") << "/other" << "no yt-dlp"
                                             << "this page needs yt-dlp, which is not installed" << false;
        QTest::newRow("404") << "/watch?v=gone" << "" << "download failed: server answered 404" << true;
        QTest::newRow("YouTube is a file") << "/watch?v=m1" << "YouTube file" << "download failed: cannot write " << true;
    }
    void currentEntrySaysWhy()
    {
        QFETCH(QString, address);
        QFETCH(QString, setup);
        QFETCH(QString, reason);
        QFETCH(bool, listed);
        server.page("/watch?v=none", "<html><body>nothing</body></html>");
        server.page("/other", "<html><body>words</body></html>");
        server.watchPage("m1", redBlue);
        server.watchPage("gone", redBlue);
        server.video("/get_video?video_id=gone", redBlue, 0, 0, 404);   // an error with a body
        const QByteArray path = qgetenv("PATH");
        qputenv("VISTREL_YTDLP", QFile::encodeName(root.filePath("no-yt-dlp")));
        if (setup == "no yt-dlp") {
            // No VISTREL_YTDLP, and a PATH where yt-dlp is not.
            qunsetenv("VISTREL_YTDLP");
            qputenv("PATH", QFile::encodeName(root.filePath("run")));
        }
        if (setup == "YouTube file")
            QVERIFY(QDir().mkpath(movies) && !testsupport::makeFile(movies, "YouTube", "not a folder").isEmpty());

        auto c = std::make_unique<QXMPController>();
        c->applicationDidFinishLaunching();
        const QString url = server.origin + address;
        // Dropped on the picture, or handed over as a launch hands it.
        if (QTest::currentDataTag() == QLatin1String("404"))
            QVERIFY(c->openDroppedMovies({QUrl(url)}));
        else
            QVERIFY(c->openURLs({QUrl(url)}));
        // Listed at once, with the loading mark.
        QCOMPARE(c->playlist().count(), 1);
        QVERIFY(c->playlist().at(0)->isDownloadingOnlineFlashMovie() || setup == "no yt-dlp");
        const QString expected = QString("\"%1\"\nCannot open: %2").arg(url, reason);
        VERIFY2_SOON(c->selectionMessage().startsWith(expected), qPrintable(c->selectionMessage()), 15000);
        qputenv("PATH", path);
        qunsetenv("VISTREL_YTDLP");
        QVERIFY(c->selectionMessageIsFailure());
        QCOMPARE(c->beepCount(), 1);
        QCOMPARE(c->playlist().count(), listed ? 1 : 0);
        if (listed) {
            QCOMPARE(c->playlist().at(0)->URLString(), url);
            QVERIFY(!QXMovieCell::cellState(&c->playlist(), 0, false).isLoading);
            QVERIFY(!c->playlist().at(0)->isDownloadingOnlineFlashMovie());
        }
        c->ui().playerView->repaint();
        keep(testsupport::grabOnScreen(c->ui().playerWindow), "failure-" + QString(QTest::currentDataTag()).replace(' ', '-'));
        QCOMPARE(filesUnder(movies), setup == "YouTube file" ? QStringList{"YouTube"} : QStringList());
        if (QTest::currentDataTag() == QLatin1String("404")) {
            // Chosen again, it tries again.
            server.video("/get_video?video_id=gone", redBlue);
            c->playlistDoubleClicked(0);
            QVERIFY(c->playlist().at(0)->isDownloadingOnlineFlashMovie());
            VERIFY_SOON(c->playlist().at(0)->isFile(), 10000);
            QCOMPARE(c->playlist().at(0)->path(), movies + "/YouTube/gone.flv");
            VERIFY_SOON(c->currentMovieHasVideo(), 10000);
            // Found under its new address, not listed again.
            QCOMPARE(c->playlist().count(), 1);
            QCOMPARE(c->playlist().currentRow(), 0);
        }
    }

    // While the current entry downloads its message and its row's tool tip say how far it got;
    // an entry that is not current is only redrawn when saved; a removed one still gets its file.
    void progressAndEntriesNotShown()
    {
        const QString page = server.watchPage("slow", redBlue, 4096, 0.1);
        const QString other = server.watchPage("other", redBlue, 4096, 0.05);
        auto c = std::make_unique<QXMPController>();
        c->applicationDidFinishLaunching();
        // File > Open Address..., typed.
        c->openURL();
        QXAddressPanel *panel = c->ui().playerWindow->findChild<QXAddressPanel *>();
        QVERIFY(panel);
        QTest::keyClicks(panel->openURLTextView, page);
        QTest::mouseClick(panel->openURLOKButton, Qt::LeftButton);
        QCOMPARE(c->playlist().count(), 1);
        const QRegularExpression loading("^\"" + QRegularExpression::escape(page) + "\"\nLoading...\n(\\d+)%$");
        QRegularExpressionMatch m;
        VERIFY2_SOON((m = loading.match(c->selectionMessage())).hasMatch() && m.captured(1).toInt() > 0,
                     qPrintable(c->selectionMessage()), 10000);
        const QString tip = c->ui().playlistModel->index(0, 1).data(Qt::ToolTipRole).toString();
        QVERIFY2(QRegularExpression("^" + QRegularExpression::escape(page) + "\n\\d+%$").match(tip).hasMatch(), qPrintable(tip));
        QVERIFY(QXMovieCell::cellState(&c->playlist(), 0, false).isLoading);
        c->ui().playerView->repaint();
        keep(testsupport::grabOnScreen(c->ui().playerWindow), "progress");

        // Another page dropped on the table downloads too, not chosen; saved, it is only
        // redrawn: the current entry and its message stay.
        testsupport::RawMimeData drop;
        drop.raw.insert("text/uri-list", other.toUtf8() + "\r\n");
        QVERIFY(c->tableViewAcceptDrop(&drop, nullptr, QXDropTarget{1, QXDropOperation::Above}));
        QCOMPARE(c->playlist().count(), 2);
        QVERIFY(c->playlist().at(1)->isDownloadingOnlineFlashMovie());
        VERIFY_SOON(c->playlist().at(1)->isFile(), 15000);
        QCOMPARE(c->playlist().at(1)->path(), movies + "/YouTube/other.flv");
        QVERIFY(!c->playlist().at(1)->isDownloadingOnlineFlashMovie());
        QCOMPARE(c->playlist().current(), c->playlist().at(0));
        QVERIFY(c->selectionMessage().startsWith("\"" + page + "\"\nLoading..."));

        // The current entry, removed from the table by its key, still gets its file.
        testsupport::selectRow(*c, 0);
        c->ui().playerHistoryList->setFocus();
        QTest::keyClick(c->ui().playerHistoryList, Qt::Key_Delete);
        QCOMPARE(c->playlist().count(), 1);
        QVERIFY(!c->playlist().current());
        VERIFY_SOON(QFileInfo::exists(movies + "/YouTube/slow.flv"), 20000);
        QCOMPARE(testsupport::readFile(movies + "/YouTube/slow.flv"), testsupport::readFile(redBlue));
        QCOMPARE(c->playlist().count(), 1);
        QVERIFY(!c->playlist().current());
    }
};

VISTREL_TEST_MAIN(TestOnlineVideo)
#include "test_online_video_xvfb.moc"
