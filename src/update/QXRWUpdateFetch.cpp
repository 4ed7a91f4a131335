#include "update/QXRWUpdateFetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

QXRWUpdateFetch::QXRWUpdateFetch(const QUrl &url, qint64 maxBytes, int timeoutMs, QObject *parent)
    : QObject(parent), m_maxBytes(qMax<qint64>(maxBytes, 0))
{
    if (!QXUpdate::isAcceptedAddress(url)) {
        QMetaObject::invokeMethod(this, [this] { fail(QXUpdate::Failure::AddressRefused); }, Qt::QueuedConnection);
        return;
    }
    m_manager = new QNetworkAccessManager(this);
    m_manager->setCache(nullptr);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(timeoutMs);
    m_reply = m_manager->get(request);
    // Small reads, so a long body is noticed before it is held.
    m_reply->setReadBufferSize(64 << 10);
    connect(m_reply, &QNetworkReply::redirected, this, [this](const QUrl &target) {
        const QUrl from = m_reply->url();
        const QUrl to = from.resolved(target);
        const bool downgrade = from.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
            && to.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0;
        if (QXUpdate::isAcceptedAddress(to) && !downgrade)
            emit m_reply->redirectAllowed();
        else
            fail(QXUpdate::Failure::RedirectRefused);
    });
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &QXRWUpdateFetch::take);
    connect(m_reply, &QNetworkReply::readyRead, this, &QXRWUpdateFetch::take);
    connect(m_reply, &QNetworkReply::finished, this, &QXRWUpdateFetch::done);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { fail(QXUpdate::Failure::TimedOut); });
    m_deadline.start(timeoutMs);
}

QXRWUpdateFetch::~QXRWUpdateFetch()
{
    m_over = true;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void QXRWUpdateFetch::abort()
{
    if (m_over)
        return;
    m_over = true;
    m_deadline.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        // Later: aborted inside one of its own signals, a reply reports its end twice.
        QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
    }
}

void QXRWUpdateFetch::fail(QXUpdate::Failure failure)
{
    if (m_over)
        return;
    abort();
    m_failure = failure;
    m_body.clear();
    emit finished(QByteArray(), false);
}

void QXRWUpdateFetch::take()
{
    if (m_over || !m_reply)
        return;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    m_httpStatus = code;
    // Redirect answers carry bodies of their own, which are not the page.
    if (status.isValid() && code >= 300 && code < 400)
        return;
    if (status.isValid() && (code < 200 || code >= 300)) {
        fail(QXUpdate::Failure::HttpStatus);
        return;
    }
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const qint64 room = m_maxBytes - m_body.size();
    if ((announced.isValid() && announced.toLongLong() > m_maxBytes) || m_reply->bytesAvailable() > room) {
        fail(QXUpdate::Failure::TooLarge);
        return;
    }
    m_body += m_reply->readAll();
}

void QXRWUpdateFetch::done()
{
    if (m_over)
        return;
    take();
    if (m_over)
        return;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    if (status.isValid())
        m_httpStatus = code;
    if (m_reply->error() != QNetworkReply::NoError || code < 200 || code >= 300) {
        // An answer's status says more than the error Qt makes of it.
        const QXUpdate::Failure failure = QXUpdate::failureFromNetworkError(m_reply->error());
        fail(status.isValid() && (code < 200 || code >= 300) ? QXUpdate::Failure::HttpStatus
             : failure == QXUpdate::Failure::None             ? QXUpdate::Failure::Unreachable
                                                              : failure);
        return;
    }
    m_over = true;
    m_deadline.stop();
    const QByteArray body = m_body.isNull() ? QByteArray("", 0) : m_body;
    m_body.clear();
    emit finished(body, true);
}
