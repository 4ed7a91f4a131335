#include "playlist/QXPlaylist.h"

#include <cstring>
#include <memory>

#include "app/QXSettings.h"
#include "engine/QXFileNames.h"
#include "playlist/QXNameSort.h"
#include "util/QXPathInfo.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cstdlib>
#include <numeric>

void QXPlaylist::setCurrent(const QXMovieRepresentationRef &entry)
{
    if (m_current == entry)
        return;
    m_current = entry;
    emit currentChanged();
}

void QXPlaylist::ensureIndex() const
{
    if (m_indexValid)
        return;
    m_index.rebuild(m_entries);
    m_indexValid = true;
}

int QXPlaylist::rowOfAddress(const QByteArray &address) const
{
    ensureIndex();
    return m_index.find(address);
}

int QXPlaylist::rowOfURL(const QUrl &url) const
{
    return url.isEmpty() ? -1 : rowOfAddress(QXMovieRepresentation::addressOfURL(url));
}

int QXPlaylist::currentRow() const
{
    return m_current ? rowOfAddress(m_current->address()) : -1;
}

int QXPlaylist::walkRow(int step) const
{
    const int last = count() - 1;
    if (last <= 0)
        return -1;
    const int i = currentRow();
    if (i < 0)
        return 0;
    const qint64 t = qint64(i) + step;
    return t < 0 ? last : t > last ? 0 : int(t);
}

void QXPlaylist::insert(int row, const QList<QXMovieRepresentationRef> &entries)
{
    if (entries.isEmpty() || row < 0 || row > count())
        return;
    const bool atEnd = row == count();
    emit rowsAboutToBeInserted(row, row + int(entries.size()) - 1);
    if (atEnd) {
        m_entries.append(entries);
    } else {
        m_entries.insert(row, entries.size(), {});
        std::copy(entries.begin(), entries.end(), m_entries.begin() + row);
    }
    // The index follows arrivals at the end; elsewhere the rows after them change.
    if (m_indexValid && atEnd)
        for (const QXMovieRepresentationRef &r : entries)
            m_index.append(r->address());
    else
        m_indexValid = false;
    emit rowsInserted();
    emit changed();
}

// A run near the front is taken out by moving what lies before it back, not the tail forward:
// a list drops room at its start for free. Entries are relocatable, so either move is a memmove.
static void removeRun(QList<QXMovieRepresentationRef> &list, qsizetype first, qsizetype n)
{
    static_assert(QTypeInfo<QXMovieRepresentationRef>::isRelocatable);
    if (first >= list.size() - first - n) {
        list.remove(first, n);
        return;
    }
    QXMovieRepresentationRef *d = list.data();
    std::destroy(d + first, d + first + n);
    std::memmove(static_cast<void *>(d + n), static_cast<const void *>(d), size_t(first) * sizeof(*d));
    std::uninitialized_value_construct(d, d + n);
    list.remove(0, n);
}

void QXPlaylist::removeRows(const QList<int> &rows)
{
    if (rows.isEmpty())
        return;
    int runs = 1;
    for (qsizetype k = 1; k < rows.size(); ++k)
        runs += rows.at(k) != rows.at(k - 1) + 1;
    if (runs > 32) {
        // Scattered rows: one pass and a reset cost less than a signal per run.
        emit aboutToBeReset();
        QList<QXMovieRepresentationRef> kept;
        kept.reserve(m_entries.size() - rows.size());
        qsizetype k = 0;
        for (int i = 0; i < m_entries.size(); ++i) {
            if (k < rows.size() && rows.at(k) == i)
                ++k;
            else
                kept.append(std::move(m_entries[i]));
        }
        m_entries = std::move(kept);
        m_indexValid = false;
        emit wasReset();
    } else {
        // Run by run from the back, so the rows before each run keep their numbers.
        for (qsizetype end = rows.size(); end > 0;) {
            qsizetype start = end - 1;
            while (start > 0 && rows.at(start - 1) == rows.at(start) - 1)
                --start;
            const int first = rows.at(start), last = rows.at(end - 1);
            if (m_indexValid)
                for (int r = last; r >= first; --r)
                    m_index.remove(r, m_entries.at(r)->address());
            emit rowsAboutToBeRemoved(first, last);
            removeRun(m_entries, first, last - first + 1);
            emit rowsRemoved();
            end = start;
        }
        if (m_index.isWasteful())
            m_indexValid = false;
    }
    emit changed();
}

void QXPlaylist::move(int from, int to)
{
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to)
        return;
    emit rowAboutToBeMoved(from, to);
    m_entries.move(from, to);
    m_indexValid = false;
    emit rowMoved();
    emit changed();
}

void QXPlaylist::sort(QXPlaylistOrder key, bool hideExtensions)
{
    const int n = count();
    // order[i]: the row the entry for row i comes from.
    QList<int> order;
    if (key == QXPlaylistOrder::Shuffled) {
        order.resize(n);
        std::iota(order.begin(), order.end(), 0);
        // Fisher–Yates, drawing from random() as seeded at launch.
        for (int i = n - 1; i > 0; --i)
            std::swap(order[i], order[int(random() % (i + 1))]);
    } else {
        // Each entry's name or address is made once; equal ones keep their order.
        order = QXNameSortOrder(n, [this, key, hideExtensions](QByteArray &k, int i) {
            const QXMovieRepresentation &r = *m_entries.at(i);
            if (key == QXPlaylistOrder::ByName)
                QXAppendNameSortKey(k, r.displayName(hideExtensions));
            else
                QXAppendNameSortKey(k, QLatin1String(r.address()));
        });
    }
    emit aboutToBeReordered();
    QList<QXMovieRepresentationRef> reordered;
    reordered.reserve(n);
    QList<int> newRows(n);
    for (int i = 0; i < n; ++i) {
        reordered.append(std::move(m_entries[order.at(i)]));
        newRows[order.at(i)] = i;
    }
    m_entries = std::move(reordered);
    m_indexValid = m_indexValid && m_index.reorder(newRows);
    emit this->reordered(newRows);
    emit changed();
}

void QXPlaylist::setAddress(const QXMovieRepresentationRef &entry, const QUrl &url)
{
    if (!entry || !url.isValid())
        return;
    entry->setAddress(url);
    // The entry's rows are not known without a walk: the next lookup rebuilds.
    m_indexValid = false;
    emit entryChanged();
    emit changed();
}

void QXPlaylist::clear()
{
    setCurrent({});
    // Entries go now, storage and all.
    emit aboutToBeReset();
    m_entries = {};
    m_index.clear();
    m_indexValid = true;
    emit wasReset();
    emit changed();
}

void QXPlaylist::replace(const QList<QXMovieRepresentationRef> &entries)
{
    emit aboutToBeReset();
    m_entries = entries;
    m_indexValid = false;
    emit wasReset();
    emit changed();
}

bool QXPlaylist::save() const
{
    QXSettings &settings = QXSettings::standard();
    if (!settings.boolForKey(QXKeys::DoNotForgetPlaylistOnQuit)) {
        settings.removeStoredPlaylist();
        return true;
    }
    QJsonArray stored;
    for (const QXMovieRepresentationRef &r : m_entries) {
        QJsonObject o;
        // A name that is not UTF-8 cannot be stored as text without loss: such an entry
        // keeps its address, where the bytes stay percent-encoded.
        const QString p = r->path();
        if (!p.isEmpty() && !QXFileNames::hasRawBytes(p))
            o.insert(QXKeys::EntryPath, QXPathInfo::stringByAbbreviatingWithTildeInPath(p));
        else
            o.insert(QXKeys::EntryURL, r->URLString());
        stored.append(o);
    }
    return settings.setStoredPlaylist(stored);
}

void QXPlaylist::restore()
{
    QXSettings &settings = QXSettings::standard();
    if (!settings.boolForKey(QXKeys::DoNotForgetPlaylistOnQuit)) {
        settings.removeStoredPlaylist();
        replace({});
        return;
    }
    QList<QXMovieRepresentationRef> entries;
    for (const QJsonValue &v : settings.storedPlaylist()) {
        if (!v.isObject())
            continue;
        const QJsonObject o = v.toObject();
        QXMovieRepresentationRef r;
        if (o.value(QXKeys::EntryPath).isString())
            r = QXMovieRepresentation::movieRepresentationWithPath(
                QXPathInfo::stringByExpandingTildeInPath(o.value(QXKeys::EntryPath).toString()));
        else if (o.value(QXKeys::EntryURL).isString())
            r = QXMovieRepresentation::movieRepresentationWithURLString(o.value(QXKeys::EntryURL).toString());
        if (r)
            entries.append(r);
    }
    replace(entries);
}
