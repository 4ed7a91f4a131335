#include "playlist/QXPlaylistModel.h"

#include "app/QXMPController.h"


QXPlaylistModel::QXPlaylistModel(QXMPController *controller, QObject *parent)
    : QAbstractListModel(parent), m_controller(controller)
{
}

int QXPlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_controller->movieRepresentations.size());
}

int QXPlaylistModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

Qt::ItemFlags QXPlaylistModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled : Qt::NoItemFlags;
}

QVariant QXPlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_controller->movieRepresentations.size())
        return {};
    const QXMovieRepresentationRef &r = m_controller->movieRepresentations.at(index.row());
    if (index.column() == 0)
        return role == Qt::DecorationRole ? QVariant(r->icon()) : QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return r->displayName();
    return {};
}

void QXPlaylistModel::reloadData()
{
    beginResetModel();
    endResetModel();
}

void QXPlaylistModel::redisplay()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 1));
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
