#include "playlist/QXPageFetch.h"

#include "playlist/QXOnlineVideoPage.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

bool isWebPageType(const QVariant &contentType)
{
    // "text/html; charset=..." and the like: the media type alone, case-insensitive.
    const QString type = contentType.toString().section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    return type == QLatin1String("text/html") || type == QLatin1String("application/xhtml+xml");
}

} // namespace

QXPageFetch::QXPageFetch(const QUrl &address, QObject *parent)
    : QObject(parent), m_address(QXOnlineVideo::secureAddress(address))
{
}

QXPageFetch::~QXPageFetch()
{
    stop();
}

void QXPageFetch::start()
{
    if (m_started || m_ended)
        return;
    m_started = true;
    if (!m_address.isValid()) {
        end(false);
        return;
    }
    m_manager = new QNetworkAccessManager(this);
    m_manager->setCache(nullptr);
    m_manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkRequest request(m_address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    m_reply = m_manager->get(request);
    // Drained as it arrives through a small buffer, so a long page costs no more than the limit.
    m_reply->setReadBufferSize(256 << 10);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &QXPageFetch::take);
    connect(m_reply, &QNetworkReply::readyRead, this, &QXPageFetch::take);
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        take();
        if (m_ended)
            return;
        // Errors below HTTP (refused, reset, a refused redirect) and HTTP error statuses alike:
        // an error page's body is not the page.
        end(m_reply->error() == QNetworkReply::NoError);
    });
    // The whole fetch, not only silences, is bounded.
    m_deadline = new QTimer(this);
    m_deadline->setSingleShot(true);
    m_deadline->setTimerType(Qt::PreciseTimer);
    connect(m_deadline, &QTimer::timeout, this, [this] { end(false); });
    m_deadline->start(TimeoutMs);
}

void QXPageFetch::take()
{
    if (m_ended)
        return;
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > MaxPageBytes) {
        end(false);
        return;
    }
    m_body += m_reply->read(MaxPageBytes + 1 - m_body.size());
    if (m_body.size() > MaxPageBytes)
        end(false);
}

void QXPageFetch::cancel()
{
    m_cancelled = true;
    stop();
}

void QXPageFetch::stop()
{
    m_ended = true;
    if (m_deadline)
        m_deadline->stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_body = QByteArray();
}

void QXPageFetch::end(bool ok)
{
    if (m_ended)
        return;
    const bool isWebPage = m_reply && isWebPageType(m_reply->header(QNetworkRequest::ContentTypeHeader));
    QString text;
    if (ok) {
        text = QString::fromLatin1(m_body);
        if (text.isNull())
            text = QLatin1String("");
    }
    stop();
    // Through the event loop: the receiver may delete this fetch, which must not happen inside
    // the reply's own signal.
    QMetaObject::invokeMethod(this, [this, text, isWebPage] {
            if (!m_cancelled)
                emit fetched(text, isWebPage);
        },
                              Qt::QueuedConnection);
}
