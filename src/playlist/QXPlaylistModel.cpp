#include "playlist/QXPlaylistModel.h"

#include "app/QXMPController.h"

#include <QFont>

QXPlaylistModel::QXPlaylistModel(QXMPController *controller, QObject *parent)
    : QAbstractListModel(parent), m_controller(controller)
{
}

int QXPlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_controller->movieRepresentations.size());
}

QVariant QXPlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_controller->movieRepresentations.size())
        return {};
    const QXMovieRepresentationRef &r = m_controller->movieRepresentations.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return r->displayName();
    case Qt::DecorationRole:
        return r->icon();
    case Qt::FontRole:
        if (m_controller->currentMovieRepresentation
            && m_controller->currentMovieRepresentation->address() == r->address()) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    default:
        return {};
    }
}

void QXPlaylistModel::reloadData()
{
    beginResetModel();
    endResetModel();
}

void QXPlaylistModel::redisplay()
{
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::FontRole});
}

void QXPlaylistModel::beginAppend(int count)
{
    const int n = rowCount();
    beginInsertRows({}, n, n + count - 1);
}

void QXPlaylistModel::endReorder(const QList<int> &newRows)
{
    // Only the few persistent indexes (selection, current cell) are moved, not every row.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &i : from)
        to.append(i.row() < newRows.size() ? index(newRows.at(i.row()), i.column()) : QModelIndex());
    changePersistentIndexList(from, to);
    emit layoutChanged();
}
