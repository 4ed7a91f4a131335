#pragma once
// The playlist table's data: one row per entry, its icon in column 0 and its name in column 1.
// It follows the playlist's announcements row by row, so the view keeps its selection and
// scroll position without a reset.
#include <QAbstractListModel>

#include <functional>

class QXPlaylist;
class QXMovieRepresentation;

class QXPlaylistModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit QXPlaylistModel(const QXPlaylist *playlist, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Starts over (the names' form changed).
    void reloadData();
    // Redraws the rows without a reset (the playing mark moved).
    void redisplay();
    // A text the tool tip of a downloading entry's row adds to its name (its progress).
    void setDownloadProgress(std::function<QString(const QXMovieRepresentation *)> progress)
    {
        m_downloadProgress = std::move(progress);
    }

private:
    void endReorder(const QList<int> &newRows);

    const QXPlaylist *m_playlist;
    std::function<QString(const QXMovieRepresentation *)> m_downloadProgress;
};
