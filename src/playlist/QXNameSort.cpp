#include "playlist/QXNameSort.h"

#include "playlist/QXMovieRepresentation.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

char32_t foldedUnit(char16_t c)
{
    if (c < 0x80)   // the common case, and the same answer
        return c >= u'A' && c <= u'Z' ? c + 32 : c;
    return QChar::toCaseFolded(char32_t(c));
}

// The UTF-8 scheme, extended to six bytes, for values up to 2^31 - 1: byte order is the
// order of the values, and no value's bytes begin another's.
char *putValue(char *out, quint32 v)
{
    if (v < 0x80) {
        *out++ = char(v);
        return out;
    }
    int tail = v < 0x800 ? 1 : v < 0x10000 ? 2 : v < 0x200000 ? 3 : v < 0x4000000 ? 4 : 5;
    static const uchar lead[] = {0, 0xc0, 0xe0, 0xf0, 0xf8, 0xfc};
    *out++ = char(lead[tail] | (v >> (6 * tail)));
    while (tail-- > 0)
        *out++ = char(0x80 | ((v >> (6 * tail)) & 0x3f));
    return out;
}

// QXCompareNames walks both names together: where both hold a digit it compares the two runs
// of digits by value (length without leading zeros, then digit by digit), elsewhere it
// compares case-folded UTF-16 units (every folded unit of the basic plane stays in it). The
// key writes each folded unit as a value, and each run of digits as the unit '0', its
// length and its digits. The marker sits where any digit would against the other name's
// characters (no folded non-digit lies within '0'...'9', so the digit itself never decides
// there), and two runs line up marker with marker and length with length, as the names do
// in the walk. A run of n digits takes at most 3n bytes, like n other units.
template <typename Char>
void appendKey(QByteArray &key, const Char *s, qsizetype n)
{
    const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    const qsizetype base = key.size();
    key.resize(base + 3 * n);
    char *const begin = key.data() + base;
    char *out = begin;
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = char16_t(s[i]);
        if (!isDigit(c)) {
            out = putValue(out, foldedUnit(c));
            ++i;
            continue;
        }
        qsizetype start = i;
        while (start < n && char16_t(s[start]) == u'0')
            ++start;
        qsizetype end = start;
        while (end < n && isDigit(char16_t(s[end])))
            ++end;
        *out++ = '0';
        out = putValue(out, quint32(qMin<qsizetype>(end - start, 0x7fffffff)));
        for (qsizetype k = start; k < end; ++k)
            *out++ = char(s[k]);   // runs of one length compare digit against digit
        i = end;
    }
    key.resize(base + (out - begin));
}

} // namespace

void QXAppendNameSortKey(QByteArray &key, QStringView name)
{
    appendKey(key, name.utf16(), name.size());
}

void QXAppendNameSortKey(QByteArray &key, QLatin1String name)
{
    appendKey(key, reinterpret_cast<const uchar *>(name.data()), name.size());
}

QList<int> QXNameSortOrder(int count, const std::function<void(QByteArray &key, int item)> &appendKey)
{
    // All keys in one buffer, sorted most significant bytes first: items carry sixteen key
    // bytes, and only a group that ties on them is sorted again on the next sixteen. Each
    // group first skips the bytes all its keys share (a folder's path, say). Comparisons read
    // no key, and each pass reads a key once. Ties on a whole key go by position: stable.
    struct Item
    {
        quint64 head[2];
        quint32 rest;   // key bytes from the group's depth on, 17 standing for more than 16
        quint32 offset;
        quint32 size;
        int index;
    };
    QByteArray keys;
    QList<Item> items(count);
    for (int i = 0; i < count; ++i) {
        const qsizetype offset = keys.size();
        appendKey(keys, i);
        items[i].offset = quint32(offset);
        items[i].size = quint32(keys.size() - offset);
        items[i].index = i;
    }
    const char *data = keys.constData();
    const auto less = [](const Item &a, const Item &b) {
        if (a.head[0] != b.head[0])
            return a.head[0] < b.head[0];
        if (a.head[1] != b.head[1])
            return a.head[1] < b.head[1];
        // Equal so far, and one key ends here: it is a prefix of the other.
        if (a.rest != b.rest)
            return a.rest < b.rest;
        return a.index < b.index;
    };
    struct Group
    {
        qsizetype first, last;
        quint32 depth;
    };
    QList<Group> groups{{0, count, 0}};
    while (!groups.isEmpty()) {
        const Group g = groups.takeLast();
        if (g.last - g.first < 2)
            continue;
        Item *first = items.data() + g.first;
        Item *last = items.data() + g.last;
        quint32 depth = g.depth;
        quint32 shared = first->size - depth;
        for (const Item *it = first + 1; it < last && shared > 0; ++it) {
            const char *a = data + first->offset + depth;
            const char *b = data + it->offset + depth;
            const quint32 limit = qMin(shared, it->size - depth);
            quint32 k = 0;
            while (k < limit && a[k] == b[k])
                ++k;
            shared = k;
        }
        depth += shared;
        for (Item *it = first; it < last; ++it) {
            // Zeros pad a short key; its rest tells it from a longer key with zeros there.
            char head[16] = {};
            const quint32 rest = it->size - depth;
            std::memcpy(head, data + it->offset + depth, qMin<quint32>(16, rest));
            it->head[0] = qFromBigEndian<quint64>(head);
            it->head[1] = qFromBigEndian<quint64>(head + 8);
            it->rest = qMin<quint32>(rest, 17);
        }
        std::sort(first, last, less);
        for (Item *run = first; run < last;) {
            Item *end = run + 1;
            while (end < last && end->head[0] == run->head[0] && end->head[1] == run->head[1]
                   && end->rest == run->rest)
                ++end;
            if (end - run > 1 && run->rest == 17)
                groups.append({run - items.data(), end - items.data(), depth + 16});
            run = end;
        }
    }
    QList<int> order(count);
    for (int i = 0; i < count; ++i)
        order[i] = items.at(i).index;
    return order;
}

QList<int> QXAddressSortOrder(const QList<QUrl> &urls)
{
    QList<QByteArray> addresses;
    addresses.reserve(urls.size());
    for (const QUrl &u : urls)
        addresses.append(QXMovieRepresentation::addressOfURL(u));
    return QXNameSortOrder(int(urls.size()), [&addresses](QByteArray &key, int i) {
        QXAppendNameSortKey(key, QLatin1String(addresses.at(i)));
    });
}
