#include "playlist/QXPlaylistModel.h"

#include "playlist/QXPlaylist.h"

QXPlaylistModel::QXPlaylistModel(const QXPlaylist *playlist, QObject *parent)
    : QAbstractListModel(parent), m_playlist(playlist)
{
    connect(playlist, &QXPlaylist::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(playlist, &QXPlaylist::rowsInserted, this, [this] { endInsertRows(); });
    connect(playlist, &QXPlaylist::rowsAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows({}, first, last); });
    connect(playlist, &QXPlaylist::rowsRemoved, this, [this] { endRemoveRows(); });
    // Qt names the row a moved one goes before, in the list it still stands in.
    connect(playlist, &QXPlaylist::rowAboutToBeMoved, this,
            [this](int from, int to) { beginMoveRows({}, from, from, {}, to > from ? to + 1 : to); });
    connect(playlist, &QXPlaylist::rowMoved, this, [this] { endMoveRows(); });
    connect(playlist, &QXPlaylist::aboutToBeReset, this, [this] { beginResetModel(); });
    connect(playlist, &QXPlaylist::wasReset, this, [this] { endResetModel(); });
    connect(playlist, &QXPlaylist::aboutToBeReordered, this, [this] { emit layoutAboutToBeChanged(); });
    connect(playlist, &QXPlaylist::reordered, this, &QXPlaylistModel::endReorder);
    connect(playlist, &QXPlaylist::currentChanged, this, &QXPlaylistModel::redisplay);
    connect(playlist, &QXPlaylist::entryChanged, this, &QXPlaylistModel::redisplay);
}

int QXPlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_playlist->count();
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
    if (!index.isValid() || index.row() >= m_playlist->count())
        return {};
    const QXMovieRepresentationRef &r = m_playlist->at(index.row());
    if (index.column() == 0)
        return role == Qt::DecorationRole ? QVariant(r->icon()) : QVariant();
    if (role == Qt::ToolTipRole && r->isDownloadingOnlineFlashMovie() && m_downloadProgress) {
        const QString progress = m_downloadProgress(r.get());
        if (!progress.isEmpty())
            return r->displayName() + QLatin1Char('\n') + progress;
    }
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
