// Reading a server's answer head and following its redirects by hand, step by step.
#include "engine/QXRedirectTrace.h"

#include <QtTest>

class TestRedirectTrace : public QObject
{
    Q_OBJECT

private slots:
    void heads()
    {
        using K = QXResponseHead;
        const struct
        {
            const char *tag;
            QByteArray bytes;
            K::Kind kind;
            int status;
            QByteArray location;
        } cases[] = {
            {"nothing yet", "", K::Incomplete, 0, ""},
            {"status line begun", "HT", K::Incomplete, 0, ""},
            {"head not ended", "HTTP/1.1 302 Found\r\nLocation: /a\r\n", K::Incomplete, 0, ""},
            {"redirect", "HTTP/1.1 302 Found\r\nServer: x\r\nlocation:  /b/c.mp4 \r\n\r\nbody", K::Complete, 302, "/b/c.mp4"},
            {"bare line feeds", "HTTP/1.0 200 OK\nContent-Length: 3\n\nabc", K::Complete, 200, ""},
            {"Location in the body", "HTTP/1.1 200 OK\r\n\r\nLocation: /x\r\n", K::Complete, 200, ""},
            {"random bytes", QByteArray("\x8f\x02zq\x00\x17", 6), K::NotHttp, 0, ""},
            {"another protocol", "SSH-2.0-OpenSSH_9.2\r\n", K::NotHttp, 0, ""},
            {"no status code", "HTTP/1.1 OK\r\n\r\n", K::NotHttp, 0, ""},
        };
        for (const auto &k : cases) {
            const QXResponseHead head = QXParseResponseHead(k.bytes);
            QVERIFY2(head.kind == k.kind, k.tag);
            QVERIFY2(head.status == k.status, k.tag);
            QVERIFY2(head.location == k.location, k.tag);
        }
    }

    void hops()
    {
        using T = QXRedirectTrace;
        const QUrl at("http://127.0.0.1:8000/dir/a.mp4");
        const auto answer = [](int status, const QByteArray &location) {
            QXResponseHead h;
            h.kind = QXResponseHead::Complete;
            h.status = status;
            h.location = location;
            return h;
        };
        const struct
        {
            const char *tag;
            QXResponseHead head;
            int redirects;
            T::Outcome outcome;
            const char *next;
        } cases[] = {
            {"head never came", {}, 0, T::Unknown, ""},
            {"no HTTP", {QXResponseHead::NotHttp, 0, {}}, 0, T::NotHttp, ""},
            {"the movie", answer(200, {}), 0, T::Answered, ""},
            {"not found", answer(404, {}), 3, T::Answered, ""},
            {"not modified, with a Location", answer(304, "/b"), 0, T::Answered, ""},
            {"redirect without a Location", answer(302, {}), 0, T::Answered, ""},
            {"relative", answer(302, "b.mp4"), 0, T::Unknown, "http://127.0.0.1:8000/dir/b.mp4"},
            {"to another host over https", answer(301, "https://example.org/m"), 0, T::Unknown, "https://example.org/m"},
            {"the last one followed", answer(307, "/x"), QXMaxRedirects - 1, T::Unknown, "http://127.0.0.1:8000/x"},
            {"one too many", answer(308, "/x"), QXMaxRedirects, T::TooManyRedirects, ""},
            {"to file:", answer(302, "file:///etc/passwd"), 0, T::RedirectRefused, ""},
            {"to ftp:", answer(303, "ftp://127.0.0.1/a.mp4"), 0, T::RedirectRefused, ""},
            {"refused before counted", answer(302, "file:///x"), QXMaxRedirects, T::RedirectRefused, ""},
        };
        for (const auto &k : cases) {
            QUrl next("http://stale/");
            QVERIFY2(QXNextHop(at, k.head, k.redirects, &next) == k.outcome, k.tag);
            QVERIFY2(next == QUrl(QString::fromLatin1(k.next)), qPrintable(QString("%1: %2").arg(k.tag, next.toString())));
        }
    }
};

QTEST_GUILESS_MAIN(TestRedirectTrace)
#include "test_redirecttrace.moc"
