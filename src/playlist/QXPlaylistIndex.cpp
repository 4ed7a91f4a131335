#include "playlist/QXPlaylistIndex.h"

#include <algorithm>

void QXPlaylistIndex::clear()
{
    m_chains = {};
    m_next = {};
    m_tree = {};
    m_dead = {};
    m_slots = m_live = 0;
}

void QXPlaylistIndex::rebuild(const QList<QXMovieRepresentationRef> &list)
{
    clear();
    const int n = int(list.size());
    m_chains.reserve(n);
    m_next.fill(-1, n);
    m_dead.fill(false, n);
    // Every slot live: each tree node counts the slots it covers.
    m_tree.resize(n + 1);
    for (int j = 1; j <= n; ++j)
        m_tree[j] = j & -j;
    m_slots = m_live = n;
    for (int i = 0; i < n; ++i) {
        Chain &chain = m_chains[list.at(i)->address()];
        if (chain.first < 0)
            chain.first = i;
        else
            m_next[chain.last] = i;
        chain.last = i;
    }
}

int QXPlaylistIndex::livesBefore(int slot) const
{
    int sum = 0;
    for (int j = slot; j > 0; j -= j & -j)
        sum += m_tree.at(j);
    return sum;
}

int QXPlaylistIndex::slotAt(int position) const
{
    // The slot with exactly `position` live slots before it, itself live.
    int slot = 0;
    int step = 1;
    while (step * 2 <= m_slots)
        step *= 2;
    for (; step > 0; step /= 2) {
        if (slot + step <= m_slots && m_tree.at(slot + step) <= position) {
            slot += step;
            position -= m_tree.at(slot);
        }
    }
    return slot;
}

void QXPlaylistIndex::addToTree(int slot, int delta)
{
    for (int j = slot + 1; j <= m_slots; j += j & -j)
        m_tree[j] += delta;
}

int QXPlaylistIndex::find(const QByteArray &address) const
{
    const auto it = m_chains.constFind(address);
    return it == m_chains.constEnd() ? -1 : livesBefore(it->first);
}

void QXPlaylistIndex::remove(int position, const QByteArray &address)
{
    if (position < 0 || position >= m_live)
        return;
    const int slot = slotAt(position);
    m_dead[slot] = true;
    addToTree(slot, -1);
    --m_live;
    const auto it = m_chains.find(address);
    if (it == m_chains.end() || it->first != slot)
        return;   // a later duplicate: the first stays first
    int next = m_next.at(slot);
    while (next >= 0 && m_dead.at(next))
        next = m_next.at(next);
    if (next < 0)
        m_chains.erase(it);
    else
        it->first = next;
}

void QXPlaylistIndex::append(const QByteArray &address)
{
    const int slot = m_slots++;
    m_next.append(-1);
    m_dead.append(false);
    // The new node covers the slots (j - lowbit(j), j], the new one last.
    const int j = slot + 1;
    m_tree.resize(j + 1);
    m_tree[j] = 1 + livesBefore(j - 1) - livesBefore(j - (j & -j));
    ++m_live;
    Chain &chain = m_chains[address];
    if (chain.first < 0)
        chain.first = slot;
    else
        m_next[chain.last] = slot;
    chain.last = slot;
}

bool QXPlaylistIndex::reorder(const QList<int> &newRows)
{
    if (m_slots != m_live || newRows.size() != m_slots)
        return false;
    // Slots are rows here: each chain's rows are mapped and linked anew in order.
    QList<int> next(m_slots, -1);
    QList<int> rows;
    for (Chain &chain : m_chains) {
        if (m_next.at(chain.first) < 0) {   // the usual address, listed once
            chain.first = chain.last = newRows.at(chain.first);
            continue;
        }
        rows.clear();
        for (int slot = chain.first; slot >= 0; slot = m_next.at(slot))
            rows.append(newRows.at(slot));
        std::sort(rows.begin(), rows.end());
        for (qsizetype k = 1; k < rows.size(); ++k)
            next[rows.at(k - 1)] = rows.at(k);
        chain.first = rows.first();
        chain.last = rows.last();
    }
    m_next = std::move(next);
    return true;
}
