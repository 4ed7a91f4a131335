#include "util/QXNetwork.h"

#include "engine/QXMovie.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimeZone>
#include <QTimer>

#include <plist/plist.h>

#include <cstdlib>
#include <limits>

namespace QXNetwork {

namespace {

QVariant variantFromNode(plist_t node, int depth)
{
    // A hostile binary list can nest without end; far deeper than any real list.
    if (!node || depth > 512)
        return {};
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter)
            return map;
        for (;;) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!value) {
                std::free(key);
                break;
            }
            map.insert(QString::fromUtf8(key ? key : ""), variantFromNode(value, depth + 1));
            std::free(key);
        }
        std::free(iter);
        return map;
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        list.reserve(n);
        for (uint32_t i = 0; i < n; ++i)
            list.append(variantFromNode(plist_array_get_item(node, i), depth + 1));
        return list;
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        char *text = nullptr;
        if (plist_get_node_type(node) == PLIST_STRING)
            plist_get_string_val(node, &text);
        else
            plist_get_key_val(node, &text);
        const QString s = QString::fromUtf8(text ? text : "");
        std::free(text);
        return s;
    }
    case PLIST_UINT: {
        // This libplist keeps every integer in 64 bits; negative values come back as their
        // two's complement, so the signed reading is the right one for all but values above
        // the signed range.
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return QVariant::fromValue(qint64(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return bool(value);
    }
    case PLIST_DATE: {
        // Seconds since 2001-01-01 00:00:00 UTC.
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
        return epoch.addMSecs(qint64(sec) * 1000 + usec / 1000);
    }
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        QByteArray data(bytes ? bytes : "", bytes ? qsizetype(length) : 0);
        std::free(bytes);
        return data;
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant::fromValue(quint64(value));
    }
    default:
        return {};
    }
}

} // namespace

bool isMovieURL(const QUrl &url)
{
    const QString text = url.toString(QUrl::FullyEncoded);
    if (text.startsWith(QLatin1String("http://www.youtube.com/watch"))
        || text.startsWith(QLatin1String("http://video.google.")))
        return true;
    return QXMovie::canInitWithURL(url);
}

QByteArray dataFromNSURLConnection(const QUrl &url, int timeoutMs)
{
    if (!url.isValid() || url.isRelative() || !QCoreApplication::instance())
        return {};

    QNetworkAccessManager manager;
    manager.setCache(nullptr);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(timeoutMs);

    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The transfer time-out only counts silence; this one bounds the whole fetch.
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
        loop.quit();
    });
    if (!reply->isFinished()) {
        deadline.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    deadline.stop();

    QByteArray body;
    // A server's answer counts whatever its status (an error page is a body too); failures
    // below that (refused, reset, cancelled, no host) give nothing.
    const QNetworkReply::NetworkError error = reply->error();
    const bool answered = error == QNetworkReply::NoError
        || (error >= QNetworkReply::ContentAccessDenied
            && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid());
    if (!timedOut && reply->isFinished() && answered) {
        body = reply->readAll();
        if (body.isNull())
            body = QByteArray("", 0);
    }
    reply->disconnect();
    delete reply;
    return body;
}

QString stringFromNSURLConnection(const QUrl &url, int timeoutMs)
{
    const QByteArray data = dataFromNSURLConnection(url, timeoutMs);
    if (data.isNull())
        return {};
    QString text = QString::fromLatin1(data);
    if (text.isNull())
        text = QLatin1String("");
    return text;
}

QVariant propertyListFromData(const QByteArray &data)
{
    if (data.isEmpty() || data.size() > qsizetype(std::numeric_limits<uint32_t>::max()))
        return {};
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    if (!root)
        return {};
    const QVariant result = variantFromNode(root, 0);
    plist_free(root);
    return result;
}

QVariant dictionaryFromNSURLConnection(const QUrl &url, int timeoutMs)
{
    return propertyListFromData(dataFromNSURLConnection(url, timeoutMs));
}

} // namespace QXNetwork
