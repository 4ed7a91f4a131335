// The playlist table's drops: moving a row, listing dropped files and addresses at a spot,
// and opening what is dropped on the picture.
#include "app/QXMPController.h"
#include "engine/QXMovieView.h"
#include "playlist/QXMovieTableView.h"
#include "playlist/QXNameSort.h"
#include "playlist/QXPasteboard.h"
#include "playlist/QXPlaylistModel.h"
#include "player/QXTrackMenus.h"
#include "util/QXMovieCollection.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QDropEvent>
#include <QMimeData>

namespace {

// The busy cursor while drops and openings collect and probe.
struct BusyCursor
{
    BusyCursor() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// The addresses a drop brings: its local files, else its first address; none when neither
// makes one.
bool droppedURLs(const QMimeData *data, QStringList *paths, QUrl *url)
{
    *paths = QXPasteboard::filenames(data);
    if (!paths->isEmpty())
        return true;
    if (!QXPasteboard::hasURL(data))
        return false;
    *url = QXPasteboard::url(data);
    return true;
}

} // namespace

int QXMPController::tableRowFromDraggingInfo(const QMimeData *data, const QObject *source, int targetRow) const
{
    if (!m_ui.playerHistoryList)
        return -1;
    const int entryRow = m_ui.playerHistoryList->draggedRow();
    return QXMoveSourceRow(QXPasteboard::tableRow(data), source == m_ui.playerHistoryList,
                           m_playlist.count(), entryRow, targetRow);
}

QXDragOperation QXMPController::tableViewValidateDrop(const QMimeData *data, const QObject *source,
                                                      const QXDropTarget &target) const
{
    if (!m_ui.playerHistoryList || !data)
        return QXDragOperationNone;
    const int s = tableRowFromDraggingInfo(data, source, target.row);
    // The table's own row is never files: it moves or nothing happens.
    const bool own = data->hasFormat(QXPasteboard::internalMoviePasteboardType());
    const bool offers = !own && (QXPasteboard::hasFilenames(data) || QXPasteboard::hasURL(data));
    return QXValidateDrop(target.operation, s, offers, m_playlist.isEmpty());
}

bool QXMPController::tableViewAcceptDrop(const QMimeData *data, const QObject *source, const QXDropTarget &target)
{
    if (!m_ui.playerHistoryList || !data || tableViewValidateDrop(data, source, target) == QXDragOperationNone)
        return false;
    const QModelIndexList selection = m_ui.playerHistoryList->selectionModel()->selectedRows();
    const QXMovieRepresentationRef selected =
        selection.isEmpty() || selection.first().row() >= m_playlist.count()
            ? QXMovieRepresentationRef() : m_playlist.at(selection.first().row());
    const int s = tableRowFromDraggingInfo(data, source, target.row);
    if (target.operation == QXDropOperation::Above && s >= 0) {
        m_playlist.move(s, QXMovedRowDestination(s, target.row));
    } else {
        QStringList paths;
        QUrl url;
        if (!droppedURLs(data, &paths, &url))
            return false;
        int i = QXDropInsertionIndex(target, m_playlist.isEmpty());
        if (i < 0)
            return false;
        QList<QUrl> collected;
        {
            BusyCursor busy;
            if (!paths.isEmpty())
                QXAddMovieURLsFromPaths(collected, paths, QString(), false);
            else if (!url.isEmpty())
                QXAddMovieURLs(collected, {url}, false);
        }
        if (collected.isEmpty())
            return false;
        QList<QByteArray> incoming;
        for (const QUrl &u : std::as_const(collected))
            incoming.append(QXMovieRepresentation::addressOfURL(u));
        const QList<int> order = QXNameSortOrder(int(collected.size()), [&incoming](QByteArray &key, int k) {
            QXAppendNameSortKey(key, QLatin1String(incoming.at(k)));
        });
        QList<QByteArray> listed;
        listed.reserve(m_playlist.count());
        for (const QXMovieRepresentationRef &r : m_playlist.entries())
            listed.append(r->address());
        const QXDropPlan plan = QXPlanDrop(listed, incoming, i);
        QList<QXMovieRepresentationRef> added;
        for (const int k : order)
            if (QXMovieRepresentationRef r = QXMovieRepresentation::movieRepresentationWithURL(collected.at(k)))
                added.append(r);
        m_playlist.removeRows(plan.removedRows);
        m_playlist.insert(plan.insertAt, added);
        startOnlineVideos(added);
    }
    if (selected) {
        const int row = int(m_playlist.entries().indexOf(selected));
        if (row >= 0)
            m_ui.playerHistoryList->selectionModel()->select(m_ui.playlistModel->index(row, 0),
                                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    updateButtons();
    m_ui.playerView->update();
    return true;
}

QList<QUrl> QXMPController::droppedMovieURLs(const QMimeData *data)
{
    QStringList paths;
    QUrl url;
    QList<QUrl> urls;
    if (!data || data->hasFormat(QXPasteboard::internalMoviePasteboardType()) || !droppedURLs(data, &paths, &url))
        return urls;
    for (const QString &p : std::as_const(paths))
        urls.append(QUrl::fromLocalFile(p));
    if (paths.isEmpty() && !url.isEmpty())
        urls.append(url);
    return urls;
}

bool QXMPController::openDroppedMovies(const QList<QUrl> &dropped)
{
    QList<QUrl> urls = dropped;
    // Subtitle files join the current movie (a beep when there is none).
    if (const QStringList subtitles = QXTakeSubtitleFiles(urls); !subtitles.isEmpty()) {
        const bool added = m_trackMenus && m_trackMenus->addSubtitleFiles(subtitles);
        if (urls.isEmpty())
            return added;
    }
    bool opened;
    {
        BusyCursor busy;
        opened = !urls.isEmpty() && openMovies(urls, false);
    }
    if (!opened)
        beep();
    m_ui.playerView->update();
    return opened;
}

namespace {

class QXPictureDropFilter : public QObject
{
public:
    QXPictureDropFilter(QXMPController *c, QObject *parent) : QObject(parent), m_controller(c) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *e = static_cast<QDragMoveEvent *>(event);
            const QMimeData *data = e->mimeData();
            if (!data->hasFormat(QXPasteboard::internalMoviePasteboardType())
                && (QXPasteboard::hasFilenames(data) || QXPasteboard::hasURL(data))) {
                if (e->possibleActions() & Qt::CopyAction)
                    e->setDropAction(Qt::CopyAction);
                e->accept();
            } else {
                e->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto *e = static_cast<QDropEvent *>(event);
            // Opening may take a while (folders, probes): the drag's source is let go first.
            const QList<QUrl> urls = QXMPController::droppedMovieURLs(e->mimeData());
            e->setDropAction(Qt::CopyAction);
            e->accept();
            QMetaObject::invokeMethod(m_controller, [c = m_controller, urls] { c->openDroppedMovies(urls); },
                                      Qt::QueuedConnection);
            return true;
        }
        default:
            return false;
        }
    }

private:
    QXMPController *m_controller;
};

} // namespace

void QXInstallPictureDrops(QXMPController *c)
{
    c->ui().playerView->setAcceptDrops(true);
    c->ui().playerView->installDropFilter(new QXPictureDropFilter(c, c->ui().playerView));
}
