#pragma once
// Address → position of the first playlist entry with it, for a list that loses entries
// anywhere and gains them at its end: lookups, removals and appends each take O(log n), with
// no pass over the list. Any other change (a sort, a shuffle) calls for rebuild.
//
// Every entry ever added keeps a slot in arrival order; a Fenwick tree counts the live slots,
// so a position is the number of live slots before a slot. Slots with one address are chained
// in order, so when the first of them leaves the next live one takes its place.
#include "playlist/QXMovieRepresentation.h"

#include <QHash>
#include <QList>

class QXPlaylistIndex
{
public:
    void rebuild(const QList<QXMovieRepresentationRef> &list);
    void clear();
    // The position of the first entry with the address, or -1.
    int find(const QByteArray &address) const;
    // The entry at this position, which has this address, left the list.
    void remove(int position, const QByteArray &address);
    // An entry with this address was added at the end of the list.
    void append(const QByteArray &address);
    // The list was reordered: newRows[i] is where the entry of row i went. Without a removal
    // since the last rebuild this costs no hashing; false (and nothing done) otherwise.
    bool reorder(const QList<int> &newRows);
    int count() const { return m_live; }
    // Slots of removed entries outnumber the live ones: a rebuild would shed them.
    bool isWasteful() const { return m_slots - m_live > qMax(m_live, 1024); }

private:
    struct Chain
    {
        int first = -1;   // a live slot
        int last = -1;    // the chain's end, live or not
    };
    int livesBefore(int slot) const;
    int slotAt(int position) const;
    void addToTree(int slot, int delta);

    QHash<QByteArray, Chain> m_chains;
    QList<int> m_next;   // slot → next slot with the same address, -1 at the end
    QList<int> m_tree;   // Fenwick tree over the slots, 1-based: live slots
    QList<bool> m_dead;
    int m_slots = 0;
    int m_live = 0;
};
