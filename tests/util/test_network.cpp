// Blocking fetches against a local server, property-list parsing and playable addresses.
#include "TestSupport.h"
#include "util/QXNetwork.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <plist/plist.h>

#include <cstdlib>

using namespace QXNetwork;

static const bool engineEnvironment = [] {
    qputenv("VISTREL_AO", "null");
    return true;
}();

namespace {

QByteArray response(const QByteArray &status, const QByteArray &body,
                    const QByteArray &extraHeaders = {})
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

// Answers each request path with canned bytes; unknown paths are accepted and never answered.
// It runs on the test's thread, served by the fetch's own event loop.
class CannedServer : public QObject
{
public:
    QHash<QByteArray, QByteArray> answers;
    int hits = 0;

    bool start()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        });
        return m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url(const QString &path) const
    {
        return QUrl(QString("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        ++hits;
        if (path == "/count") {
            socket->write(response("200 OK", QByteArray::number(hits),
                                   "Cache-Control: max-age=3600\r\n"));
            socket->disconnectFromHost();
        } else if (answers.contains(path)) {
            socket->write(answers.value(path));
            if (path != "/stall")
                socket->disconnectFromHost();
        }
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_requests;
};

plist_t sampleList()
{
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "productVersion", plist_new_string("1.2"));
    plist_dict_set_item(dict, "count", plist_new_uint(3));
    plist_dict_set_item(dict, "negative", plist_new_uint(uint64_t(-5)));
    plist_dict_set_item(dict, "ratio", plist_new_real(0.5));
    plist_dict_set_item(dict, "flag", plist_new_bool(1));
    plist_dict_set_item(dict, "blob", plist_new_data("\x00\x01\xff", 3));
    plist_dict_set_item(dict, "when", plist_new_date(86400, 0));
    plist_t list = plist_new_array();
    plist_array_append_item(list, plist_new_string("a"));
    plist_array_append_item(list, plist_new_dict());
    plist_dict_set_item(dict, "list", list);
    return dict;
}

QByteArray encoded(bool binary)
{
    plist_t root = sampleList();
    char *bytes = nullptr;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(root, &bytes, &length);
    else
        plist_to_xml(root, &bytes, &length);
    QByteArray out(bytes, length);
    std::free(bytes);
    plist_free(root);
    return out;
}

void verifySample(const QVariant &parsed)
{
    QCOMPARE(parsed.typeId(), QMetaType::QVariantMap);
    const QVariantMap map = parsed.toMap();
    QCOMPARE(map.value("productVersion").toString(), QString("1.2"));
    QCOMPARE(map.value("count").toLongLong(), 3);
    QCOMPARE(map.value("negative").toLongLong(), -5);
    QCOMPARE(map.value("ratio").toDouble(), 0.5);
    QCOMPARE(map.value("flag").typeId(), QMetaType::Bool);
    QVERIFY(map.value("flag").toBool());
    QCOMPARE(map.value("blob").toByteArray(), QByteArray("\x00\x01\xff", 3));
    QCOMPARE(map.value("when").toDateTime().toUTC(),
             QDateTime(QDate(2001, 1, 2), QTime(0, 0), Qt::UTC));
    const QVariantList list = map.value("list").toList();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.at(0).toString(), QString("a"));
    QCOMPARE(list.at(1).typeId(), QMetaType::QVariantMap);
}

} // namespace

class TestNetwork : public QObject
{
    Q_OBJECT
    CannedServer m_server;

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_server.answers.insert("/ok", response("200 OK", "hello"));
        m_server.answers.insert("/empty", response("200 OK", ""));
        m_server.answers.insert("/missing", response("404 Not Found", "<html>no such page</html>"));
        m_server.answers.insert("/latin1", response("200 OK", "caf\xe9 \xff"));
        m_server.answers.insert("/xml", response("200 OK", encoded(false)));
        m_server.answers.insert("/bin", response("200 OK", encoded(true)));
        m_server.answers.insert("/bad", response("200 OK", "<?xml version=\"1.0\"?><plist><dict><key>a"));
        m_server.answers.insert("/stall", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
    }

    void bodies()
    {
        QCOMPARE(dataFromNSURLConnection(m_server.url("/ok")), QByteArray("hello"));
        // The status is not looked at: an error page is a body like any other.
        QCOMPARE(stringFromNSURLConnection(m_server.url("/missing")), QString("<html>no such page</html>"));
        const QByteArray empty = dataFromNSURLConnection(m_server.url("/empty"));
        QVERIFY(!empty.isNull());
        QVERIFY(empty.isEmpty());
        QVERIFY(!stringFromNSURLConnection(m_server.url("/empty")).isNull());
        // One character per byte, whatever UTF-8 would say.
        QCOMPARE(stringFromNSURLConnection(m_server.url("/latin1")), QString::fromUtf8("café ÿ"));
        // Nothing is served from a cache.
        const QByteArray first = dataFromNSURLConnection(m_server.url("/count"));
        QVERIFY(!first.isNull());
        QVERIFY(dataFromNSURLConnection(m_server.url("/count")) != first);
    }

    void propertyLists()
    {
        verifySample(dictionaryFromNSURLConnection(m_server.url("/xml")));
        verifySample(dictionaryFromNSURLConnection(m_server.url("/bin")));
        QVERIFY(dictionaryFromNSURLConnection(m_server.url("/bad")).isNull());
        QVERIFY(dictionaryFromNSURLConnection(m_server.url("/ok")).isNull());
        QVERIFY(dictionaryFromNSURLConnection(m_server.url("/empty")).isNull());
        QByteArray truncated = encoded(true);
        truncated.chop(20);
        QVERIFY(propertyListFromData(truncated).isNull());
        QVERIFY(propertyListFromData("bplist00\xff\xff\xff\xff").isNull());
        QVERIFY(propertyListFromData(QByteArray(64, '\0')).isNull());
    }

    void failures()
    {
        QVERIFY(dataFromNSURLConnection(QUrl()).isNull());
        QVERIFY(dataFromNSURLConnection(QUrl("relative/page")).isNull());
        QVERIFY(dataFromNSURLConnection(QUrl("http://")).isNull());
        QVERIFY(dataFromNSURLConnection(QUrl("nosuchscheme://host/x")).isNull());
        QVERIFY(stringFromNSURLConnection(QUrl()).isNull());
        QVERIFY(dictionaryFromNSURLConnection(QUrl()).isNull());

        // Refused: a port that was just free.
        quint16 port;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        QElapsedTimer clock;
        clock.start();
        QVERIFY(dataFromNSURLConnection(QUrl(QString("http://127.0.0.1:%1/").arg(port))).isNull());
        QVERIFY(clock.elapsed() < 3000);

        // Headers and part of the body, then silence: no partial body comes back.
        QVERIFY(dataFromNSURLConnection(m_server.url("/stall"), 400).isNull());
    }

    void serverThatNeverAnswers()
    {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(dataFromNSURLConnection(m_server.url("/silent")).isNull());
        const qint64 waited = clock.elapsed();
        QVERIFY2(waited >= 4500 && waited < 8000, qPrintable(QString::number(waited)));
    }

    void playableAddresses()
    {
        QVERIFY(isMovieURL(QUrl("http://www.youtube.com/watch?v=abc")));
        QVERIFY(isMovieURL(QUrl("http://video.google.com/videoplay?docid=1")));
        QVERIFY(isMovieURL(QUrl("http://video.google.co.uk/videoplay?docid=1")));
        QTemporaryDir dir;
        const QString text = testsupport::makeFile(dir.path(), "page.txt", "just words");
        QVERIFY(!isMovieURL(QUrl::fromLocalFile(text)));
        const QString movie = testsupport::makeVideo(dir.path(), "m.mp4", 64, 48, 0.2, false);
        QVERIFY(!movie.isEmpty());
        QVERIFY(isMovieURL(QUrl::fromLocalFile(movie)));
    }
};

QTEST_MAIN(TestNetwork)
#include "test_network.moc"
