#pragma once
// The playlist's entries and its current entry, with the operations that touch data only.
// Each change is announced before and after it is made (a table model follows row by row and
// keeps its selection), then by changed(). It knows no widget: the controller chooses, the
// views read.
#include "playlist/QXMovieRepresentation.h"
#include "playlist/QXPlaylistIndex.h"

#include <QList>
#include <QObject>

// The Sort menu's tags.
enum class QXPlaylistOrder { Shuffled = 0, ByName = 1, ByAddress = 2 };

class QXPlaylist : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const QXMovieRepresentationRef &at(int row) const { return m_entries.at(row); }
    const QList<QXMovieRepresentationRef> &entries() const { return m_entries; }

    // The entry chosen to play; it may be one that is not (or no longer) listed.
    const QXMovieRepresentationRef &current() const { return m_current; }
    void setCurrent(const QXMovieRepresentationRef &entry);

    // The first row with the address, or -1.
    int rowOfAddress(const QByteArray &address) const;
    int rowOfURL(const QUrl &url) const;
    // The first row with the current entry's address, or -1.
    int currentRow() const;
    // Where a walk by step from the current entry lands, wrapping at both ends; an entry not
    // listed walks to the top. -1 when fewer than two entries make a walk.
    int walkRow(int step) const;

    // Entries arrive before row (0 ≤ row ≤ count()).
    void insert(int row, const QList<QXMovieRepresentationRef> &entries);
    void append(const QList<QXMovieRepresentationRef> &entries) { insert(count(), entries); }
    // Rows leave, ascending and each once; the current entry stays current.
    void removeRows(const QList<int> &rows);
    // The entry at from ends up at row to of the list it leaves.
    void move(int from, int to);
    // Shuffled draws from random(); the name sorts are stable.
    void sort(QXPlaylistOrder order, bool hideExtensions);
    // The entry (listed or not) now stands for another address, such as the file its online
    // video was saved as; its rows are redrawn.
    void setAddress(const QXMovieRepresentationRef &entry, const QUrl &url);
    // Every entry goes, and the current one with them.
    void clear();
    // The whole list at once (a reset).
    void replace(const QList<QXMovieRepresentationRef> &entries);

    // The playlist file: written when the settings keep the playlist at quit, else removed;
    // read back at launch only when they keep it (and removed when they do not).
    bool save() const;
    void restore();

signals:
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted();
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved();
    void rowAboutToBeMoved(int from, int to);
    void rowMoved();
    void aboutToBeReset();
    void wasReset();
    void aboutToBeReordered();
    // newRows[i]: where the entry of old row i went.
    void reordered(const QList<int> &newRows);
    // After every change of the entries above.
    void changed();
    void currentChanged();
    // Rows whose entry shows differently (an address changed).
    void entryChanged();

private:
    void ensureIndex() const;

    QList<QXMovieRepresentationRef> m_entries;
    QXMovieRepresentationRef m_current;
    // Address → first row, so a lookup does not walk the list; rebuilt on the next lookup
    // after a change it cannot follow.
    mutable QXPlaylistIndex m_index;
    mutable bool m_indexValid = false;
};
