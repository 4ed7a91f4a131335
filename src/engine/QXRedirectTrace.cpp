#include "QXRedirectTrace.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QSslSocket>
#include <QTcpSocket>

#include <memory>

namespace {

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// The head of a server's answer to one GET, read by hand: the stream reader's own view of a
// server, where a general HTTP client would hide what it was sent.
struct ResponseHead
{
    bool answered = false;   // a status line and headers came
    int status = 0;
    QByteArray location;
    QByteArray bytes;        // what came, when it was no answer
};

ResponseHead readResponseHead(const QUrl &url, const QDeadlineTimer &deadline, const std::function<bool()> &stop)
{
    ResponseHead head;
    const bool secure = url.scheme().toLower() == QLatin1String("https");
    std::unique_ptr<QTcpSocket> socket(secure ? new QSslSocket : new QTcpSocket);
    // Waits in short steps, so that a stop is seen soon.
    const auto waitFor = [&](const std::function<bool(int)> &step) {
        while (!deadline.hasExpired() && !(stop && stop())) {
            if (step(int(qBound(qint64(1), deadline.remainingTime(), qint64(50)))))
                return true;
            if (socket->state() == QAbstractSocket::UnconnectedState)
                return false;
        }
        return false;
    };
    const quint16 port = quint16(url.port(secure ? 443 : 80));
    if (secure) {
        auto *ssl = static_cast<QSslSocket *>(socket.get());
        ssl->connectToHostEncrypted(url.host(), port);
        if (!waitFor([ssl](int ms) { return ssl->waitForEncrypted(ms); }))
            return head;
    } else {
        socket->connectToHost(url.host(), port);
        if (!waitFor([&](int ms) { return socket->waitForConnected(ms); }))
            return head;
    }
    const QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    socket->write("GET " + (target.isEmpty() ? QByteArray("/") : target) + " HTTP/1.1\r\nHost: "
                  + url.authority(QUrl::FullyEncoded).section(u'@', -1).toUtf8()
                  + "\r\nAccept: */*\r\nConnection: close\r\n\r\n");
    QByteArray &bytes = head.bytes;
    constexpr qsizetype MaxHead = 64 << 10;
    const auto headEnd = [&bytes] {
        const qsizetype crlf = bytes.indexOf("\r\n\r\n");
        return crlf >= 0 ? crlf : bytes.indexOf("\n\n");
    };
    while (headEnd() < 0 && bytes.size() < MaxHead) {
        if (socket->bytesAvailable() == 0 && !waitFor([&](int ms) { return socket->waitForReadyRead(ms); }))
            break;
        bytes += socket->read(MaxHead - bytes.size());
    }
    const QList<QByteArray> lines = bytes.left(headEnd()).split('\n');
    bool ok = false;
    head.status = lines.value(0).simplified().split(' ').value(1).toInt(&ok);
    if (!bytes.startsWith("HTTP/") || !ok || headEnd() < 0)
        return head;
    head.answered = true;
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "location")
            head.location = line.mid(colon + 1).trimmed();
    }
    return head;
}

} // namespace

QXRedirectTrace QXTraceRedirects(const QUrl &start, int timeoutMs, const std::function<bool()> &stop)
{
    QXRedirectTrace trace;
    const QDeadlineTimer deadline(timeoutMs);
    QUrl url = start;
    for (int redirects = 0;;) {
        if (!isWebAddress(url))
            return trace;
        const ResponseHead head = readResponseHead(url, deadline, stop);
        if (!head.answered) {
            // Bytes that do not begin as an HTTP answer are something else's.
            if (!head.bytes.isEmpty() && !head.bytes.startsWith("HTTP/"))
                trace.outcome = QXRedirectTrace::NotHttp;
            return trace;
        }
        trace.status = head.status;
        static const QList<int> redirections{301, 302, 303, 307, 308};
        if (!redirections.contains(head.status) || head.location.isEmpty()) {
            trace.outcome = QXRedirectTrace::Answered;
            return trace;
        }
        const QUrl next = url.resolved(QUrl(QString::fromUtf8(head.location)));
        if (!isWebAddress(next)) {
            trace.outcome = QXRedirectTrace::RedirectRefused;
            return trace;
        }
        if (++redirects > QXMaxRedirects) {
            trace.outcome = QXRedirectTrace::TooManyRedirects;
            return trace;
        }
        url = next;
    }
}
