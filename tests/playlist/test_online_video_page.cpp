// Online video pages: page kinds by prefix (built in, from the environment, the http twin),
// secured addresses, the video address in a page's text, safe file names and target paths, the
// Movies folder from the desktop's user-dirs.dirs, and page fetches from servers on 127.0.0.1.
#include "TestSupport.h"
#include "playlist/QXOnlineVideoPage.h"
#include "playlist/QXPageFetch.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

#include <functional>

using namespace QXOnlineVideo;

namespace {

const QRegularExpression uuid("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");

// Sets the variables of a row ("NAME=value", "NAME=" for empty) for the life of the object.
struct Environment
{
    QList<QByteArray> names;
    explicit Environment(const QStringList &settings)
    {
        for (const QString &s : settings) {
            names.append(s.section('=', 0, 0).toUtf8());
            qputenv(names.last().constData(), s.section('=', 1).toUtf8());
        }
    }
    ~Environment()
    {
        for (const QByteArray &n : names)
            qunsetenv(n.constData());
    }
};

} // namespace

class TestOnlineVideoPage : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QProcess m_pages, m_behaviours;
    QString m_base, m_odd; // python3 -m http.server; tests/support/test_http_server.py

private slots:
    void initTestCase()
    {
        const QList<std::pair<QString, QByteArray>> files{
            {"page.html", "<html>caf\xe9 \xff</html>"}, {"page.xhtml", "<html/>"}, {"clip.mp4", QByteArray("\0\0\0\x18" "ftypmp42", 12)},
            {"watch", "<![CDATA[video_id=a\"]]>"}, {"empty.html", ""}, {"big.html", QByteArray(20 << 20, 'x')}};
        for (const auto &[name, bytes] : files)
            QVERIFY(!testsupport::makeFile(m_dir.path(), name, bytes).isEmpty());
        m_pages.start("python3", {"-u", "-m", "http.server", "--bind", "127.0.0.1", "--directory", m_dir.path(), "0"});
        QVERIFY(m_pages.waitForReadyRead(10000));
        m_base = "http://127.0.0.1:" + QRegularExpression("port (\\d+)").match(m_pages.readLine()).captured(1);
        m_odd = testsupport::startServer(m_behaviours, {testsupport::supportFile("test_http_server.py"), m_dir.path()});
        QVERIFY(!m_base.endsWith(':') && !m_odd.isEmpty());
    }
    void cleanupTestCase()
    {
        for (QProcess *p : {&m_pages, &m_behaviours})
            p->kill(), p->waitForFinished();
    }

    // A row's variable ("NAME=value"; "" for none) set while its address is judged.
    void pageKinds()
    {
        const char *yt = "VISTREL_YOUTUBE_PAGE_PREFIX=", *local = "VISTREL_YOUTUBE_PAGE_PREFIX=http://127.0.0.1:9/watch";
        const struct
        {
            const char *variable, *address;
            PageKind kind;
        } cases[] = {
            {"", "https://www.youtube.com/watch?v=abc", PageKind::YouTube}, {"", "http://www.youtube.com/watch?v=abc", PageKind::YouTube},
            {"", "https://youtube.com/watch?v=abc", PageKind::None}, {"", "https://www.youtube.com/Watch?v=abc", PageKind::None},
            {"", "ftp://www.youtube.com/watch?v=abc", PageKind::None}, {"", "https://www.youtube.com.example/watch", PageKind::None},
            {"", "https://video.google.co.uk/videoplay?docid=1", PageKind::GoogleVideo},
            {"", "http://video.google.de/videoplay?docid=1", PageKind::GoogleVideo},
            {"", "https://video.googlex.com/videoplay", PageKind::None}, {yt, "https://www.youtube.com/watch?v=abc", PageKind::YouTube},
            {local, "http://127.0.0.1:9/watch?v=abc", PageKind::YouTube}, {local, "https://www.youtube.com/watch?v=abc", PageKind::None},
            {local, "https://127.0.0.1:9/watch?v=abc", PageKind::None}, // no https twin of an http prefix
            {"VISTREL_GOOGLE_VIDEO_PAGE_PREFIX=http://127.0.0.1:9/g.", "http://127.0.0.1:9/g.x/v", PageKind::GoogleVideo}};
        for (const auto &c : cases) {
            const Environment set(*c.variable ? QStringList{c.variable} : QStringList());
            QVERIFY2(pageKind(QUrl(c.address)) == c.kind, qPrintable(QString(c.variable) + " " + c.address));
        }
    }

    void secureAddresses()
    {
        const std::pair<const char *, const char *> cases[] = {
            {"http://example.com/a?b=1", "https://example.com/a?b=1"}, {"http://example.com:80/a", "https://example.com/a"},
            {"http://example.com:8080/a", "https://example.com:8080/a"}, {"https://example.com/a", "https://example.com/a"},
            {"http://127.0.0.1:5/x", "http://127.0.0.1:5/x"}, {"http://127.4.5.6/x", "http://127.4.5.6/x"},
            {"http://[::1]:5/x", "http://[::1]:5/x"}, {"http://localhost/x", "http://localhost/x"},
            {"http://localhost.example/x", "https://localhost.example/x"}, {"http://128.0.0.1/x", "https://128.0.0.1/x"},
            {"file:///etc/passwd", ""}, {"ftp://example.com/a", ""}, {"data:text/plain,x", ""},
            {"javascript:alert(1)", ""}, {"relative/a", ""}, {"http:///a", ""}, {"", ""}};
        for (const auto &[address, secured] : cases)
            QVERIFY2(secureAddress(QUrl(address)).toString(QUrl::FullyEncoded) == secured, address);
    }

    // The video address a page names, as the full text of the address, or "" for none.
    void videoAddresses_data()
    {
        QTest::addColumn<PageKind>("kind");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("video");
        const auto row = [](PageKind kind, const char *name, const QByteArray &page, const QString &video,
                            const QString &server = {}) { QTest::newRow(name) << kind << server << page << video; };
        const auto youTube = std::bind_front(row, PageKind::YouTube);
        const auto google = std::bind_front(row, PageKind::GoogleVideo);
        const QString get = "https://youtube.com/get_video?video_id=";
        youTube("video_id", "<p><![CDATA[ var a = 'video_id=abc123&t=z&l=4\"'; ]]></p>", get + "abc123&t=z&l=4");
        youTube("empty value", "<![CDATA[video_id=\"]]>", get);
        youTube("only the first section", "<![CDATA[ nothing ]]> <![CDATA[video_id=abc\"]]>", "");
        youTube("outside the section", "video_id=abc\" <![CDATA[ x ]]>", "");
        youTube("quote after the section", "<![CDATA[video_id=abc]]>\"", "");
        youTube("no section end", "<![CDATA[video_id=abc\"", "");
        youTube("no quote", "<![CDATA[video_id=abc]]>", "");
        youTube("marker case", "<![cdata[video_id=abc\"]]> <![CDATA[VIDEO_ID=abc\"]]>", "");
        youTube("space in value", "<![CDATA[video_id=a b\"]]>", "");
        youTube("value cannot move the host", "<![CDATA[video_id=@evil.example/x\"]]>", get + "@evil.example/x");
        youTube("loopback server", "<![CDATA[video_id=abc\"]]>", "http://127.0.0.1:9/get_video?video_id=abc", "http://127.0.0.1:9/");
        youTube("http server made https", "<![CDATA[video_id=abc\"]]>", "https://video.example/get_video?video_id=abc", "http://video.example");
        youTube("file server", "<![CDATA[video_id=abc\"]]>", "", "file:///tmp");
        google("escaped address", "x videoUrl\\u003dhttps%3A%2F%2Fv.example%2Fa.flv%3Fid%3D1%26b%3D2&hl=en", "https://v.example/a.flv?id=1&b=2");
        google("http made https", "videoUrl\\u003dhttp%3A%2F%2Fv.example%2Fa&", "https://v.example/a");
        google("loopback stays http", "videoUrl\\u003dhttp://127.0.0.1:9/a&", "http://127.0.0.1:9/a");
        google("utf-8", "videoUrl\\u003dhttps://v.example/caf%C3%A9%E2%82%AC&", "https://v.example/caf%C3%A9%E2%82%AC");
        google("plain marker", "videoUrl=https://v.example/a&", "");
        google("no ampersand", "videoUrl\\u003dhttps://v.example/a", "");
        google("only the first marker", "videoUrl\\u003dfile:///etc/passwd& videoUrl\\u003dhttps://v.example/a&", "");
        google("file", "videoUrl\\u003dfile%3A%2F%2F%2Fetc%2Fpasswd&", "");
        google("data", "videoUrl\\u003ddata:video/x-flv;base64,AAAA&", "");
        google("ftp", "videoUrl\\u003dftp://v.example/a&", "");
        google("javascript", "videoUrl\\u003djavascript:alert(1)&", "");
        google("relative", "videoUrl\\u003d%2Fa.flv&", "");
        google("no host", "videoUrl\\u003dhttps:///a.flv&", "");
        google("lone lead byte", "videoUrl\\u003dhttps://v.example/%C3&", "");
        google("bad continuation", "videoUrl\\u003dhttps://v.example/%C3%28&", "");
        google("split by text", "videoUrl\\u003dhttps://v.example/%C3x%A9&", "");
        google("overlong slash", "videoUrl\\u003dhttps://v.example/%C0%AF&", "");
        google("surrogate", "videoUrl\\u003dhttps://v.example/%ED%A0%80&", "");
        google("past U+10FFFF", "videoUrl\\u003dhttps://v.example/%F4%90%80%80&", "");
        google("bad escape", "videoUrl\\u003dhttps://v.example/%G1&", "");
        google("cut escape", "videoUrl\\u003dhttps://v.example/%4&", "");
        row(PageKind::None, "no kind", "<![CDATA[video_id=abc\"]]>", "");
    }
    void videoAddresses()
    {
        QFETCH(PageKind, kind);
        QFETCH(QString, server);
        QFETCH(QByteArray, page);
        const Environment set(server.isEmpty() ? QStringList() : QStringList{"VISTREL_YOUTUBE_VIDEO_SERVER=" + server});
        QTEST(videoAddress(kind, QString::fromLatin1(page)).toString(QUrl::FullyEncoded), "video");
    }

    // Names as given, or "UUID" for a fresh one.
    void safeNames()
    {
        const QString e = QString::fromUtf8("\xc3\xa9"), euro = QString::fromUtf8("\xe2\x82\xac"),
                      face = QString::fromUtf8("\xf0\x9f\x98\x80");
        const std::pair<QString, QString> cases[] = {
            {"abc123&fmt=6", "abc123&fmt=6"}, {"../../x", ".._.._x"}, {"a/b", "a_b"}, {"/", "_"},
            {"", "UUID"}, {".", "UUID"}, {"..", "UUID"}, {"...", "..."}, {QString::fromLatin1("a\0b", 3), "ab"},
            {QString::fromLatin1(".\0", 2), "UUID"}, {QString::fromLatin1("\0", 1), "UUID"}, {QString(200, 'a'), QString(200, 'a')},
            {QString(201, 'a'), QString(200, 'a')}, {e.repeated(150), e.repeated(100)},
            {"a" + e.repeated(150), "a" + e.repeated(99)}, {euro.repeated(100), euro.repeated(66)},
            {face.repeated(75), face.repeated(50)}};
        for (const auto &[name, safe] : cases) {
            const QString got = safeFileName(name);
            QVERIFY2(safe == "UUID" ? uuid.match(got).hasMatch() : got == safe, qPrintable(name + " -> " + got));
        }
        QVERIFY(safeFileName("") != safeFileName("")); // fresh each time
    }

    // Paths from the Movies folder "/m" ("UUID" for a fresh name); always directly in the folder.
    void targetPaths()
    {
        const QString yt = "https://www.youtube.com/watch", gv = "https://video.google.com/videoplay?";
        const std::tuple<QString, QString, QString> cases[] = {
            {"/m", yt + "?v=abc123", "/m/YouTube/abc123.flv"},
            {"/m", "http://www.youtube.com/watch?v=abc123&fmt=6", "/m/YouTube/abc123&fmt=6.flv"},
            {"/m", yt + "?v=../../x", "/m/YouTube/.._.._x.flv"}, {"/m", yt + "?v=a/b", "/m/YouTube/a_b.flv"},
            {"/m", yt + "?v=..", "/m/YouTube/UUID.flv"}, {"/m", yt + "?v=", "/m/YouTube/UUID.flv"},
            {"/m", yt, "/m/YouTube/UUID.flv"}, {"/m", yt + "?v=" + QString(300, 'a'), "/m/YouTube/" + QString(200, 'a') + ".flv"},
            {"/m", gv + "docid=-42&hl=en", "/m/Google Video/-42.flv"}, {"/m", gv + "hl=en&docid=7", "/m/Google Video/7.flv"},
            {"/m", gv + "hl=en", "/m/Google Video/UUID.flv"}, {"/m", gv + "docid=&hl=en", "/m/Google Video/UUID.flv"},
            {"/m", gv + "docid=../../x", "/m/Google Video/.._.._x.flv"},
            {"/m", "https://example.com/?docid=5", "/m/Google Video/5.flv"}, // any other page
            {"/m//", yt + "?v=a", "/m/YouTube/a.flv"}, {"/", yt + "?v=a", "/YouTube/a.flv"}};
        for (const auto &[movies, page, path] : cases) {
            const QString got = targetPath(QUrl(page), movies);
            QVERIFY2(got.section('/', 0, -2) == path.section('/', 0, -2), qPrintable(got));
            QVERIFY2(path.endsWith("/UUID.flv") ? uuid.match(got.section('/', -1).chopped(4)).hasMatch() : got == path,
                     qPrintable(got));
        }
    }

    // QStandardPaths reads $XDG_CONFIG_HOME/user-dirs.dirs; the folder need not exist.
    void moviesFolders()
    {
        const std::pair<QByteArray, QString> cases[] = {
            {"XDG_VIDEOS_DIR=\"$HOME/Movies\"\n", "/Movies"}, {"", "/Videos"}};
        for (const auto &[dirs, folder] : cases) {
            QTemporaryDir home;
            const Environment set({"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.path() + "/.config"});
            if (!dirs.isEmpty())
                QVERIFY(QDir(home.path()).mkdir(".config")
                        && !testsupport::makeFile(home.path() + "/.config", "user-dirs.dirs", dirs).isEmpty());
            QCOMPARE(moviesFolder(), home.path() + folder);
            QCOMPARE(onlineVideoFolder(), home.path() + folder + "/Online Video");
            QCOMPARE(targetPath(QUrl("https://www.youtube.com/watch?v=a")), home.path() + folder + "/YouTube/a.flv");
            QVERIFY(!QFileInfo::exists(home.path() + folder));
        }
    }

    // Each fetch answers once, never from inside start(), and may be deleted by its receiver.
    // A page past the limit or an answer that is no success gives null text.
    void fetches_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("text"); // "null" for none
        QTest::addColumn<bool>("isWebPage");
        const QByteArray none = "null";
        QTest::newRow("page") << m_base + "/page.html" << QByteArray("<html>caf\xe9 \xff</html>") << true;
        QTest::newRow("localhost") << QString(m_base).replace("127.0.0.1", "localhost") + "/page.html"
                                   << QByteArray("<html>caf\xe9 \xff</html>") << true;
        QTest::newRow("xhtml") << m_base + "/page.xhtml" << QByteArray("<html/>") << true;
        QTest::newRow("movie") << m_base + "/clip.mp4" << QByteArray("\0\0\0\x18" "ftypmp42", 12) << false;
        QTest::newRow("untyped") << m_base + "/watch" << QByteArray("<![CDATA[video_id=a\"]]>") << false;
        QTest::newRow("empty") << m_base + "/empty.html" << QByteArray("") << true;
        QTest::newRow("404") << m_base + "/missing.html" << none << true;
        QTest::newRow("20 MB page") << m_base + "/big.html" << none << true;
        QTest::newRow("20 MB announced, trickling") << m_odd + "/slow/big.html" << none << false;
        QTest::newRow("endless") << m_odd + "/endless/x" << none << false;
        QTest::newRow("redirect") << m_odd + "/redirect/page.html" << QByteArray("<html>caf\xe9 \xff</html>") << false;
        QTest::newRow("redirect to file") << m_odd + "/tofile/page.html" << none << false;
        QTest::newRow("redirect loop") << m_odd + "/loop/x" << none << false;
        QTest::newRow("refused") << "http://127.0.0.1:1/" << none << false;
        QTest::newRow("file") << "file:///etc/passwd" << none << false;
        QTest::newRow("never answers") << m_odd + "/silent/x" << none << false;
    }
    void fetches()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, text);
        auto *fetch = new QXPageFetch(QUrl(address));
        QList<std::pair<QString, bool>> results;
        connect(fetch, &QXPageFetch::fetched, this, [&](const QString &t, bool isWebPage) {
            results.append({t, isWebPage});
            delete fetch;
        });
        QElapsedTimer clock;
        clock.start();
        fetch->start();
        QVERIFY(results.isEmpty());
        VERIFY_SOON(!results.isEmpty(), QXPageFetch::TimeoutMs + 2000);
        QTest::qWait(100);
        QCOMPARE(results.size(), 1);
        QCOMPARE(results[0].first.isNull(), text == "null");
        if (text != "null")
            QCOMPARE(results[0].first, QString::fromLatin1(text));
        QTEST(results[0].second, "isWebPage");
        // Only silence waits for the deadline; a page known too long ends at once.
        QCOMPARE(clock.elapsed() >= QXPageFetch::TimeoutMs, address.endsWith("/silent/x"));
    }

    void cancelled()
    {
        QXPageFetch cancelled(QUrl(m_base + "/page.html")), kept(QUrl(m_base + "/page.html"));
        QSignalSpy cancelledSpy(&cancelled, &QXPageFetch::fetched), keptSpy(&kept, &QXPageFetch::fetched);
        cancelled.start();
        kept.start();
        cancelled.cancel();
        VERIFY_SOON(keptSpy.size() == 1, 5000);
        QTest::qWait(100);
        QCOMPARE(cancelledSpy.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestOnlineVideoPage)
#include "test_online_video_page.moc"
