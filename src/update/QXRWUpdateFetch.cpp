#include "update/QXRWUpdateFetch.h"

#include "update/QXRWUpdateParsing.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

QXRWUpdateFetch::QXRWUpdateFetch(const QUrl &url, qint64 maxBytes, int timeoutMs, QObject *parent)
    : QObject(parent), m_maxBytes(qMax<qint64>(maxBytes, 0))
{
    if (!QXUpdate::isAcceptedAddress(url)) {
        QMetaObject::invokeMethod(this, &QXRWUpdateFetch::fail, Qt::QueuedConnection);
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
            fail();
    });
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &QXRWUpdateFetch::take);
    connect(m_reply, &QNetworkReply::readyRead, this, &QXRWUpdateFetch::take);
    connect(m_reply, &QNetworkReply::finished, this, &QXRWUpdateFetch::done);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &QXRWUpdateFetch::fail);
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
        m_reply->abort();
    }
}

void QXRWUpdateFetch::fail()
{
    if (m_over)
        return;
    abort();
    m_body.clear();
    emit finished(QByteArray(), false);
}

void QXRWUpdateFetch::take()
{
    if (m_over || !m_reply)
        return;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    // Redirect answers carry bodies of their own, which are not the page.
    if (status.isValid() && code >= 300 && code < 400)
        return;
    if (status.isValid() && (code < 200 || code >= 300)) {
        fail();
        return;
    }
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > m_maxBytes) {
        fail();
        return;
    }
    const qint64 room = m_maxBytes - m_body.size();
    if (m_reply->bytesAvailable() > room) {
        fail();
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
    const int code = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_reply->error() != QNetworkReply::NoError || code < 200 || code >= 300) {
        fail();
        return;
    }
    m_over = true;
    m_deadline.stop();
    const QByteArray body = m_body.isNull() ? QByteArray("", 0) : m_body;
    m_body.clear();
    emit finished(body, true);
}

QByteArray QXRWUpdateFetch::fetchBlocking(const QUrl &url, qint64 maxBytes, int timeoutMs)
{
    QEventLoop loop;
    QByteArray result;
    QXRWUpdateFetch fetch(url, maxBytes, timeoutMs);
    connect(&fetch, &QXRWUpdateFetch::finished, &loop, [&](const QByteArray &body, bool ok) {
        result = ok ? body : QByteArray();
        loop.quit();
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}
