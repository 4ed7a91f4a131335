// Blocking fetches against a local server (bodies, limits, stalls, silence, refusals, memory
// for huge bodies), property lists checked before parsing, and playable addresses.
#include "TestSupport.h"
#include "util/QXNetwork.h"

#include <QTcpServer>
#include <QtTest>

#include <plist/plist.h>

#include <cstdlib>

using namespace QXNetwork;

namespace {

QByteArray written(plist_t root) // as binary
{
    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    const QByteArray out(bytes, length);
    std::free(bytes);
    plist_free(root);
    return out;
}

// Serves the files of a folder; /missing is a 404 page, /count the number of requests so far
// (cacheable, were anything to cache), /stall ten of a hundred bytes, /trickle one of them
// every 0.1 s, /silent nothing at all, /announced and /streamed 50 MB with and without a length.
const char *server = R"(
import http.server, os, sys, time
root, hits = sys.argv[1], [0]
class H(http.server.BaseHTTPRequestHandler):
    def log_message(self, *a): pass
    def do_GET(self):
        hits[0] += 1
        p, big = self.path, self.path in ('/announced', '/streamed')
        if p == '/silent': return time.sleep(60)
        f = os.path.join(root, p[1:])
        body = str(hits[0]).encode() if p == '/count' else open(f, 'rb').read() if os.path.isfile(f) else b'' if big else b'<html>no such page</html>'
        self.send_response(404 if p == '/missing' else 200)
        if p != '/streamed': self.send_header('Content-Length', str(50 << 20 if big else 100 if p in ('/stall', '/trickle') else len(body)))
        if p == '/count': self.send_header('Cache-Control', 'max-age=3600')
        self.end_headers()
        try:
            self.wfile.write(body)
            self.wfile.flush()
            if p == '/stall': time.sleep(60)
            for _ in range(90 if p == '/trickle' else 0): time.sleep(0.1); self.wfile.write(b'x'); self.wfile.flush()
            for _ in range(800 if big else 0): self.wfile.write(b'x' * 65536)
        except OSError: pass
s = http.server.ThreadingHTTPServer(('127.0.0.1', 0), H)
print(s.server_address[1], flush=True)
s.serve_forever()
)";

// A dictionary of every kind of value, as XML or written again by libplist as binary, and
// what it reads as.
QByteArray sampleList(bool binary)
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
<key>productVersion</key><string>1.2</string> <key>count</key><integer>3</integer>
<key>negative</key><integer>-5</integer> <key>ratio</key><real>0.5</real> <key>flag</key><true/>
<key>blob</key><data>AAH/</data> <key>when</key><date>2001-01-02T00:00:00Z</date>
<key>list</key><array><string>a</string><dict/></array></dict></plist>)";
    plist_t root = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &root);
    return binary ? written(root) : xml;
}
const QVariantMap sampleValue{
    {"productVersion", "1.2"}, {"count", qint64(3)}, {"negative", qint64(-5)}, {"ratio", 0.5},
    {"flag", true}, {"blob", QByteArray("\x00\x01\xff", 3)},
    {"when", QDateTime(QDate(2001, 1, 2), QTime(0, 0), Qt::UTC)}, {"list", QVariantList{"a", QVariantMap()}}};
// 70,000 strings: past 64 KiB, so libplist writes 3-byte offsets and references.
QByteArray wideList()
{
    plist_t list = plist_new_array();
    for (int i = 0; i < 70000; ++i)
        plist_array_append_item(list, plist_new_string(QByteArray::number(i).constData()));
    return written(list);
}

QByteArray bigEndian(quint64 value, int size)
{
    const quint64 be = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&be) + 8 - size, size);
}
// A binary list of `levels` arrays, each holding `fanout` references to the next (so deeper
// levels are shared), around a string; with `cycle` the innermost refers back to the top.
QByteArray binaryNested(int levels, int fanout = 1, bool cycle = false)
{
    const int refSize = levels < 255 ? 1 : 4, objectSize = 1 + fanout * refSize;
    QByteArray out("bplist00");
    for (int i = 0; i < levels; ++i)
        out += char(0xA0 | fanout) + bigEndian(cycle && i == levels - 1 ? 0 : i + 1, refSize).repeated(fanout);
    out += "\x51x";
    const qsizetype table = out.size();
    const int offsetSize = table < 256 ? 1 : 4;
    for (int i = 0; i <= levels; ++i)
        out += bigEndian(8 + i * objectSize, offsetSize);
    return out + QByteArray(6, 0) + char(offsetSize) + char(refSize) + bigEndian(levels + 1, 8)
        + bigEndian(0, 8) + bigEndian(table, 8);
}
QByteArray patched(QByteArray bytes, qsizetype at, char c)
{
    bytes[at < 0 ? bytes.size() + at : at] = c;
    return bytes;
}
QByteArray xmlNested(int levels, const QByteArray &open = "<array>", const QByteArray &inner = "<string>x</string>")
{
    return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">" + open.repeated(levels) + inner
        + QByteArray("</array>").repeated(levels) + "</plist>";
}
int nesting(const QVariant &v)
{
    const bool map = v.typeId() == QMetaType::QVariantMap, list = v.typeId() == QMetaType::QVariantList;
    int deepest = 0;
    for (const QVariant &child : map ? v.toMap().values() : v.toList())
        deepest = qMax(deepest, nesting(child));
    return map || list ? deepest + 1 : 0;
}

} // namespace

class TestNetwork : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_base;
    QUrl url(const QString &path) const { return QUrl(m_base + path); }

private slots:
    void initTestCase()
    {
        const QList<std::pair<QString, QByteArray>> files{
            {"ok", "hello"}, {"empty", ""}, {"latin1", "caf\xe9 \xff"}, {"stall", "0123456789"}, {"trickle", "0"},
            {"xml", sampleList(false)}, {"bin", sampleList(true)}, {"deep", binaryNested(65)}};
        for (const auto &[name, bytes] : files)
            QVERIFY(!testsupport::makeFile(m_dir.path(), name, bytes).isEmpty());
        m_base = testsupport::startServer(m_server, {"-c", server, m_dir.path()});
        QVERIFY(!m_base.isEmpty());
    }
    void cleanupTestCase() { m_server.kill(); m_server.waitForFinished(); }

    // A fetch answers the body, whatever the status, or null; each ends in its time.
    void bodies_data()
    {
        QTest::addColumn<QUrl>("address");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<QByteArray>("expected"); // null: no body
        QTest::addColumn<int>("takesMs");         // about; below 3 s more in any case
        QTest::newRow("ok") << url("/ok") << FetchTimeoutMs << MaxBodyBytes << QByteArray("hello") << 0;
        QTest::newRow("error page") << url("/missing") << FetchTimeoutMs << MaxBodyBytes << QByteArray("<html>no such page</html>") << 0;
        QTest::newRow("empty") << url("/empty") << FetchTimeoutMs << MaxBodyBytes << QByteArray("", 0) << 0;
        QTest::newRow("not UTF-8") << url("/latin1") << FetchTimeoutMs << MaxBodyBytes << QByteArray("caf\xe9 \xff") << 0;
        QTest::newRow("at the limit") << url("/ok") << FetchTimeoutMs << qint64(5) << QByteArray("hello") << 0;
        QTest::newRow("past the limit") << url("/ok") << FetchTimeoutMs << qint64(4) << QByteArray() << 0;
        QTest::newRow("50 MB announced") << url("/announced") << FetchTimeoutMs << qint64(1 << 20) << QByteArray() << 0;
        QTest::newRow("50 MB streamed") << url("/streamed") << FetchTimeoutMs << qint64(1 << 20) << QByteArray() << 0;
        QTest::newRow("stalled midway") << url("/stall") << 400 << MaxBodyBytes << QByteArray() << 400;
        // Never silent for long, or silent from the start: the whole fetch is bounded.
        QTest::newRow("trickling") << url("/trickle") << 400 << MaxBodyBytes << QByteArray() << 400;
        QTest::newRow("silent") << url("/silent") << FetchTimeoutMs << MaxBodyBytes << QByteArray() << FetchTimeoutMs;
        QTcpServer probe; // refused: a port that was just free
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        QTest::newRow("refused") << QUrl(QString("http://127.0.0.1:%1/").arg(probe.serverPort())) << FetchTimeoutMs << MaxBodyBytes << QByteArray() << 0;
        for (const char *bad : {"", "relative/page", "http://", "nosuchscheme://host/x"})
            QTest::newRow(bad) << QUrl(bad) << FetchTimeoutMs << MaxBodyBytes << QByteArray() << 0;
    }
    void bodies()
    {
        QFETCH(QUrl, address);
        QFETCH(int, timeoutMs);
        QFETCH(qint64, maxBytes);
        QFETCH(QByteArray, expected);
        QFETCH(int, takesMs);
        QVERIFY(testsupport::resetPeakMemory());
        const qint64 before = testsupport::peakMemoryKb();
        QElapsedTimer clock;
        clock.start();
        const QByteArray body = dataFromNSURLConnection(address, timeoutMs, maxBytes);
        QVERIFY2(clock.elapsed() >= takesMs * 9 / 10 && clock.elapsed() < takesMs + 3000, qPrintable(QString::number(clock.elapsed())));
        const qint64 grown = testsupport::peakMemoryKb() - before;
        QVERIFY2(grown < 16 * 1024, qPrintable(QString::number(grown))); // not held whole
        QCOMPARE(body, expected);
        QCOMPARE(body.isNull(), expected.isNull());
        if (takesMs == 0) { // one character per byte, whatever UTF-8 would say
            const QString text = stringFromNSURLConnection(address, timeoutMs, maxBytes);
            QCOMPARE(text, QString::fromLatin1(expected));
            QCOMPARE(text.isNull(), expected.isNull());
        }
    }

    void propertyListsAndNoCaching()
    {
        for (const char *path : {"/xml", "/bin"}) {
            const QVariant parsed = dictionaryFromNSURLConnection(url(path));
            QCOMPARE(parsed, QVariant(sampleValue));
            QCOMPARE(parsed.toMap().value("count").typeId(), QMetaType::LongLong);
            QCOMPARE(parsed.toMap().value("flag").typeId(), QMetaType::Bool);
        }
        for (const char *path : {"/ok", "/empty", "/deep", "/missing", "/streamed"})
            QVERIFY2(dictionaryFromNSURLConnection(url(path)).isNull(), path);
        const QByteArray first = dataFromNSURLConnection(url("/count"));
        QVERIFY(!first.isNull());
        QVERIFY(dataFromNSURLConnection(url("/count")) != first); // nothing from a cache
    }

    void nestingAndStructure_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("depth"); // 0: refused
        QTest::newRow("xml 64") << xmlNested(64) << 64;
        QTest::newRow("xml 65") << xmlNested(65) << 0;
        QTest::newRow("xml 100000") << xmlNested(100000) << 0;
        QTest::newRow("xml self-closing") << xmlNested(64, "<array>", "<dict/><array />") << 65;
        QTest::newRow("xml close in comment") << xmlNested(65, "<!-- </array> --><array>") << 0;
        QTest::newRow("xml close in attribute") << xmlNested(65, "<array a=\"</array>\">") << 0;
        QTest::newRow("binary 64") << binaryNested(64) << 64;
        QTest::newRow("binary 65") << binaryNested(65) << 0;
        QTest::newRow("binary 100000") << binaryNested(100000) << 0;
        QTest::newRow("binary cycle") << binaryNested(5, 1, true) << 0;
        QTest::newRow("binary shared 2^10") << binaryNested(10, 2) << 10;
        QTest::newRow("binary shared 2^60") << binaryNested(60, 2) << 0;
        QTest::newRow("binary 3-byte offsets") << wideList() << 1;
        QTest::newRow("binary truncated") << sampleList(true).chopped(20) << 0;
        QTest::newRow("binary top past count") << patched(binaryNested(3), -9, 9) << 0;
        QTest::newRow("binary table past end") << patched(binaryNested(3), -1, 99) << 0;
        QTest::newRow("binary offset into table") << patched(binaryNested(3), 8 + 3 * 2 + 2, 30) << 0;
        QTest::newRow("binary ref past count") << patched(binaryNested(3), 9, 7) << 0;
        QTest::newRow("binary garbage") << QByteArray("bplist00\xff\xff\xff\xff") << 0;
    }
    void nestingAndStructure()
    {
        QFETCH(QByteArray, bytes);
        QElapsedTimer clock;
        clock.start();
        QTEST(nesting(propertyListFromData(bytes)), "depth");
        QVERIFY(clock.elapsed() < 2000); // refused up front, not after libplist's long walk
    }

    // Watch pages by the page rules in force (the built-in https prefixes and their http form,
    // or a prefix the environment sets instead), the rest by what the engine opens. The
    // names say "picture", which the engine alone would refuse.
    void playableAddresses()
    {
        const struct
        {
            const char *youTubePrefix, *address;
            bool playable;
        } cases[] = {
            {"", "https://www.youtube.com/watch.png?v=abc", true},
            {"", "http://video.google.co.uk/videoplay.png?docid=1", true},
            {"", "https://www.youtube.com/about.png", false},
            {"", "http://example.invalid/clip.mp4", true}, {"", "http://example.invalid/photo.png", false},
            {"http://127.0.0.1:9/watch", "http://127.0.0.1:9/watch.png?v=abc", true},
            {"http://127.0.0.1:9/watch", "https://www.youtube.com/watch.png?v=abc", false},
        };
        for (const auto &c : cases) {
            qputenv("VISTREL_YOUTUBE_PAGE_PREFIX", c.youTubePrefix);
            QVERIFY2(isMovieURL(QUrl(c.address)) == c.playable, c.address);
        }
        qunsetenv("VISTREL_YOUTUBE_PAGE_PREFIX");
    }
};

QTEST_MAIN(TestNetwork)
#include "test_network.moc"
