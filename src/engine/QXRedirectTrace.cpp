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

// Sends one GET and reads the answer's head by hand: the stream reader's own view of a server,
// where a general HTTP client would hide what it was sent. Incomplete when the server closed,
// fell silent or the time ran out before the head was whole.
QXResponseHead readResponseHead(const QUrl &url, const QDeadlineTimer &deadline, const std::function<bool()> &stop)
{
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
            return {};
    } else {
        socket->connectToHost(url.host(), port);
        if (!waitFor([&](int ms) { return socket->waitForConnected(ms); }))
            return {};
    }
    const QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    socket->write("GET " + (target.isEmpty() ? QByteArray("/") : target) + " HTTP/1.1\r\nHost: "
                  + url.authority(QUrl::FullyEncoded).section(u'@', -1).toUtf8()
                  + "\r\nAccept: */*\r\nConnection: close\r\n\r\n");
    constexpr qsizetype MaxHead = 64 << 10;
    QByteArray bytes;
    QXResponseHead head;
    while (head.kind == QXResponseHead::Incomplete && bytes.size() < MaxHead) {
        if (socket->bytesAvailable() == 0 && !waitFor([&](int ms) { return socket->waitForReadyRead(ms); }))
            break;
        bytes += socket->read(MaxHead - bytes.size());
        head = QXParseResponseHead(bytes);
    }
    return head;
}

} // namespace

QXResponseHead QXParseResponseHead(const QByteArray &bytes)
{
    QXResponseHead head;
    static const QByteArray http("HTTP/");
    if (!bytes.startsWith(http)) {
        if (!http.startsWith(bytes))
            head.kind = QXResponseHead::NotHttp;
        return head;
    }
    qsizetype end = bytes.indexOf("\r\n\r\n");
    if (end < 0)
        end = bytes.indexOf("\n\n");
    if (end < 0)
        return head;
    const QList<QByteArray> lines = bytes.left(end).split('\n');
    bool ok = false;
    head.status = lines.first().simplified().split(' ').value(1).toInt(&ok);
    if (!ok) {
        head.kind = QXResponseHead::NotHttp;
        return head;
    }
    head.kind = QXResponseHead::Complete;
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "location")
            head.location = line.mid(colon + 1).trimmed();
    }
    return head;
}

QXRedirectTrace::Outcome QXNextHop(const QUrl &at, const QXResponseHead &head, int redirects, QUrl *next)
{
    *next = QUrl();
    switch (head.kind) {
    case QXResponseHead::Incomplete: return QXRedirectTrace::Unknown;
    case QXResponseHead::NotHttp: return QXRedirectTrace::NotHttp;
    case QXResponseHead::Complete: break;
    }
    static const QList<int> redirections{301, 302, 303, 307, 308};
    if (!redirections.contains(head.status) || head.location.isEmpty())
        return QXRedirectTrace::Answered;
    const QUrl target = at.resolved(QUrl(QString::fromUtf8(head.location)));
    if (!isWebAddress(target))
        return QXRedirectTrace::RedirectRefused;
    if (redirects >= QXMaxRedirects)
        return QXRedirectTrace::TooManyRedirects;
    *next = target;
    return QXRedirectTrace::Unknown;
}

QXRedirectTrace QXTraceRedirects(const QUrl &start, int timeoutMs, const std::function<bool()> &stop)
{
    QXRedirectTrace trace;
    if (!isWebAddress(start))
        return trace;
    const QDeadlineTimer deadline(timeoutMs);
    QUrl url = start;
    for (int redirects = 0; !url.isEmpty(); ++redirects) {
        const QXResponseHead head = readResponseHead(url, deadline, stop);
        trace.status = head.status;
        QUrl next;
        trace.outcome = QXNextHop(url, head, redirects, &next);
        url = next;
    }
    return trace;
}
