#include "util/QXNetwork.h"

#include "engine/QXMovie.h"
#include "playlist/QXOnlineVideoPage.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimeZone>
#include <QTimer>

#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace QXNetwork {

namespace {

// Recursive: the lists that reach it are nested no deeper than MaxPropertyListNesting.
QVariant variantFromNode(plist_t node)
{
    if (!node)
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
            map.insert(QString::fromUtf8(key ? key : ""), variantFromNode(value));
            std::free(key);
        }
        std::free(iter);
        return map;
    }
    case PLIST_ARRAY: {
        // An iterator: item by index walks the list from its start every time.
        QVariantList list;
        list.reserve(plist_array_get_size(node));
        plist_array_iter iter = nullptr;
        plist_array_new_iter(node, &iter);
        for (plist_t item = nullptr; iter;) {
            plist_array_next_item(node, iter, &item);
            if (!item)
                break;
            list.append(variantFromNode(item));
        }
        std::free(iter);
        return list;
    }
    case PLIST_STRING: {
        // Read with its length: libplist's copying reader asserts on a NUL inside the text,
        // which a list can hold, and would end the process.
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        return text ? QString::fromUtf8(text, qsizetype(length)) : QString(QLatin1String(""));
    }
    case PLIST_KEY:
        // A key outside a dictionary is no value (its reader asserts as the string one does).
        return {};
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


quint64 bigEndian(const uchar *p, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | p[i];
    return value;
}

// libplist reads 5- to 7-byte integers differently from one version to the next; reading them
// otherwise than it does would let a list past this check.
bool plainIntegerSize(int size)
{
    return (size >= 1 && size <= 4) || size == 8;
}

// A binary list: the object graph from the top object, walked without recursion. Every offset
// and reference is checked against the buffer. libplist copies an object at every reference to
// it, so a cycle would never end and shared containers can multiply without bound: a cycle is
// refused, sharing is followed and bounded by the size of the copy.
bool binaryListIsSafe(const QByteArray &data)
{
    const auto *d = reinterpret_cast<const uchar *>(data.constData());
    const quint64 size = quint64(data.size());
    if (size < 8 + 32)
        return false;
    const quint64 tableEnd = size - 32; // the trailer
    const uchar *trailer = d + tableEnd;
    const int offsetSize = trailer[6], refSize = trailer[7];
    const quint64 count = bigEndian(trailer + 8, 8), top = bigEndian(trailer + 16, 8),
                  table = bigEndian(trailer + 24, 8);
    if (!plainIntegerSize(offsetSize) || !plainIntegerSize(refSize) || count == 0 || top >= count
        || table < 8 || table > tableEnd || count > (tableEnd - table) / quint64(offsetSize))
        return false;

    // libplist asserts, ending the process, when a string or key holds a NUL: such a list is
    // refused. Strings are ASCII (type 5) or UTF-16 (type 6), their length in the marker or in
    // an integer object after it.
    for (quint64 i = 0; i < count; ++i) {
        const quint64 at = bigEndian(d + table + i * quint64(offsetSize), offsetSize);
        if (at < 8 || at >= table || (d[at] >> 4 != 0x5 && d[at] >> 4 != 0x6))
            continue; // other objects are checked where they are reached
        const int unit = d[at] >> 4 == 0x5 ? 1 : 2;
        quint64 n = d[at] & 0xF, p = at + 1;
        if (n == 0xF) {
            if (p >= table || d[p] >> 4 != 0x1 || (d[p] & 0xF) > 3 || table - (p + 1) < (1u << (d[p] & 0xF)))
                return false;
            n = bigEndian(d + p + 1, 1 << (d[p] & 0xF));
            p += 1 + (1 << (d[p] & 0xF));
        }
        if (n > (table - p) / quint64(unit))
            return false;
        for (quint64 k = 0; k < n; ++k)
            if (d[p + k * unit] == 0 && (unit == 1 || d[p + k * unit + 1] == 0))
                return false;
    }

    // Where object i starts, the references it holds when it is a container; false when
    // anything lies outside the objects (after the header, before the offset table).
    struct Object
    {
        bool container = false;
        quint64 refs = 0, refCount = 0;
    };
    const auto object = [&](quint64 i, Object *o) {
        const quint64 at = bigEndian(d + table + i * quint64(offsetSize), offsetSize);
        if (at < 8 || at >= table)
            return false;
        const int type = d[at] >> 4;
        o->container = type == 0xA || type == 0xC || type == 0xD; // array, set, dictionary
        if (!o->container)
            return true; // libplist checks the rest of a plain value
        quint64 n = d[at] & 0xF, p = at + 1;
        if (n == 0xF) { // the count follows as an integer object
            if (p >= table || d[p] >> 4 != 0x1 || (d[p] & 0xF) > 3)
                return false;
            const int bytes = 1 << (d[p] & 0xF);
            if (table - (p + 1) < quint64(bytes))
                return false;
            n = bigEndian(d + p + 1, bytes);
            p += 1 + bytes;
        }
        if (type == 0xD) { // keys, then values
            if (n > std::numeric_limits<quint64>::max() / 2)
                return false;
            n *= 2;
        }
        if (n > (table - p) / quint64(refSize))
            return false;
        o->refs = p;
        o->refCount = n;
        return true;
    };

    Object o;
    if (!object(top, &o))
        return false;
    if (!o.container)
        return true;
    // Nodes libplist would make: any real list needs fewer than it has bytes.
    const quint64 maxNodes = std::max<quint64>(size, 1 << 20);
    enum : uchar { Unseen, Open, Done };
    std::vector<uchar> state(count, Unseen), height(count, 0);
    std::vector<quint32> nodes(count, 0);
    struct Frame
    {
        quint64 object, next, left, nodes;
        int height; // container levels from here down
    };
    std::vector<Frame> path{{top, o.refs, o.refCount, 1, 1}};
    state[top] = Open;
    while (!path.empty()) {
        Frame &f = path.back();
        if (f.left == 0) {
            const Frame done = f;
            path.pop_back();
            state[done.object] = Done;
            height[done.object] = uchar(done.height);
            nodes[done.object] = quint32(done.nodes);
            if (!path.empty()) {
                path.back().height = std::max(path.back().height, done.height + 1);
                if ((path.back().nodes += done.nodes) > maxNodes)
                    return false;
            }
            continue;
        }
        const quint64 child = bigEndian(d + f.next, refSize);
        f.next += quint64(refSize);
        --f.left;
        if (child >= count || !object(child, &o))
            return false;
        if (!o.container) {
            if (++f.nodes > maxNodes)
                return false;
        } else if (state[child] == Open) {
            return false; // a cycle
        } else if (state[child] == Done) {
            if (path.size() + height[child] > size_t(MaxPropertyListNesting)
                || (f.nodes += nodes[child]) > maxNodes)
                return false;
            f.height = std::max(f.height, height[child] + 1);
        } else {
            if (path.size() >= size_t(MaxPropertyListNesting))
                return false;
            state[child] = Open;
            path.push_back({child, o.refs, o.refCount, 1, 1});
        }
    }
    return true;
}

// An XML list: the nesting of <array> and <dict>, tokenised the way libplist 2.2 reads it
// (quoted text skipped inside tags, processing instructions and the document type; a comment
// ends at the first "-->"). Anything else libplist might read differently is refused.
bool xmlListIsSafe(const QByteArray &data)
{
    // A NUL in a string or key makes libplist assert; XML holds none.
    if (data.contains('\0'))
        return false;
    const char *p = data.constData(), *const end = p + data.size();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    const auto at = [&](const char *text) {
        const size_t n = std::strlen(text);
        return size_t(end - p) >= n && std::memcmp(p, text, n) == 0;
    };
    // Moves p to the first of `stops` outside double quotes; false if there is none.
    const auto toOutsideQuotes = [&](const char *stops, const char *text = nullptr) {
        for (; p < end; ++p) {
            if (text ? at(text) : std::memchr(stops, *p, std::strlen(stops)) != nullptr)
                return true;
            if (*p == '"' && !(p = static_cast<const char *>(std::memchr(p + 1, '"', size_t(end - p - 1)))))
                return false;
        }
        return false;
    };
    std::vector<char> open; // 'p' plist, 'a' array, 'd' dict
    int containers = 0;
    for (;;) {
        while (p < end && blank(*p))
            ++p;
        if (p == end)
            return open.empty();
        if (*p++ != '<')
            return false;
        if (at("?")) {
            if (!toOutsideQuotes(nullptr, "?>"))
                return false;
            p += 2;
            continue;
        }
        if (at("!--")) {
            const char *close = static_cast<const char *>(memmem(p + 3, size_t(end - p - 3), "-->", 3));
            if (!close)
                return false;
            p = close + 3;
            continue;
        }
        if (at("!DOCTYPE")) {
            p += 8;
            if (!toOutsideQuotes("[>"))
                return false;
            if (*p == '[' && !toOutsideQuotes(nullptr, "]>"))
                return false;
            p += *p == '>' ? 1 : 2;
            continue;
        }
        // A tag: its name runs to a blank or an angle bracket; its attributes may quote one.
        const char *name = p;
        while (p < end && !blank(*p) && *p != '<' && *p != '>')
            ++p;
        qsizetype length = p - name;
        if (p < end && *p != '>' && !toOutsideQuotes("<>"))
            return false;
        if (p == end || *p != '>')
            return false;
        const bool empty = p[-1] == '/';
        if (empty && p - 1 - name < length)
            length = p - 1 - name;
        ++p;
        const QByteArrayView tag(name, length);
        if (tag == "array" || tag == "dict") {
            if (!empty) {
                if (++containers > MaxPropertyListNesting)
                    return false;
                open.push_back(tag.front());
            }
        } else if (tag == "plist") {
            if (!open.empty())
                return false; // libplist would recurse into every nested one
            if (!empty)
                open.push_back('p');
        } else if (tag.startsWith('/')) {
            const QByteArrayView closing = tag.sliced(1);
            if (empty || open.empty()
                || (closing != "array" && closing != "dict" && closing != "plist")
                || closing.front() != open.back())
                return false;
            containers -= open.back() != 'p';
            open.pop_back();
        } else if (tag == "key" || tag == "string" || tag == "integer" || tag == "real"
                   || tag == "date" || tag == "data") {
            if (empty)
                continue;
            // Text, perhaps in one CDATA section, then exactly the closing tag.
            while (p < end && blank(*p))
                ++p;
            if (at("<![CDATA[")) {
                const char *close = static_cast<const char *>(memmem(p + 9, size_t(end - p - 9), "]]>", 3));
                if (!close)
                    return false;
                p = close + 3;
            }
            p = std::find(p, end, '<');
            const QByteArray closing = "</" + tag.toByteArray() + '>';
            if (!at(closing.constData()))
                return false;
            p += closing.size();
        } else if (!empty || (tag != "true" && tag != "false")) {
            return false;
        }
    }
}

} // namespace

bool isMovieURL(const QUrl &url)
{
    if (QXOnlineVideo::pageKind(url) != QXOnlineVideo::PageKind::None)
        return true;
    return QXMovie::canInitWithURL(url);
}

QByteArray dataFromNSURLConnection(const QUrl &url, int timeoutMs, qint64 maxBytes)
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
    bool timedOut = false, tooLong = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The body is drained as it arrives, through a small buffer, and the transfer stops the
    // moment it shows to be too long, by its announced length or by what has arrived.
    maxBytes = qMax<qint64>(maxBytes, 0);
    reply->setReadBufferSize(256 << 10);
    QByteArray body;
    const auto take = [&] {
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        body += reply->readAll();
        if (!tooLong
            && (body.size() > maxBytes || (announced.isValid() && announced.toLongLong() > maxBytes))) {
            tooLong = true;
            body.clear();
            reply->abort();
            loop.quit();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, take);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, take);
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

    // A server's answer counts whatever its status (an error page is a body too); failures
    // below that (refused, reset, cancelled, no host) give nothing.
    const QNetworkReply::NetworkError error = reply->error();
    const bool answered = error == QNetworkReply::NoError
        || (error >= QNetworkReply::ContentAccessDenied
            && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid());
    if (!timedOut && !tooLong && reply->isFinished() && answered)
        take(); // what came after the last readyRead
    if (timedOut || tooLong || !reply->isFinished() || !answered)
        body = QByteArray();
    else if (body.isNull())
        body = QByteArray("", 0);
    reply->disconnect();
    delete reply;
    return body;
}

QString stringFromNSURLConnection(const QUrl &url, int timeoutMs, qint64 maxBytes)
{
    const QByteArray data = dataFromNSURLConnection(url, timeoutMs, maxBytes);
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
    // libplist reads a list as binary exactly when it starts so.
    if (!(data.startsWith("bplist00") ? binaryListIsSafe(data) : xmlListIsSafe(data)))
        return {};
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    if (!root)
        return {};
    const QVariant result = variantFromNode(root);
    plist_free(root);
    return result;
}

QVariant dictionaryFromNSURLConnection(const QUrl &url, int timeoutMs)
{
    return propertyListFromData(dataFromNSURLConnection(url, timeoutMs, MaxPropertyListBytes));
}

} // namespace QXNetwork
