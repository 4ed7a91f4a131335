#pragma once
// The playlist table: draws its own ground and selection, never takes the keyboard focus,
// reorders rows and takes files and addresses by drag and drop, and deletes a row dragged out
// of it (the disappearing-item cursor while off the table, the puff where it was let go).
// What a drop or a row dragged out does is the handler's.
#include "playlist/QXMovieRepresentation.h"
#include "playlist/QXPlaylistDrop.h"

#include <QTableView>
#include <QWeakPointer>

class QXMPController;
class QXPlaylist;

class QXMovieTableView : public QTableView
{
    Q_OBJECT
public:
    QXMovieTableView(const QXPlaylist *playlist, QXPlaylistDropHandler *handler, QWidget *parent = nullptr);

    // The row a drag of this table picked up, where it stands now (found by identity), or
    // -1 when no such drag runs or the entry has left the list.
    int draggedRow() const;
    bool isDraggingOwnRow() const { return m_dragging; }
    bool isDisappearingItemCursorSet() const { return m_isDisappearingItemCursorSet; }
    // Where a drop at a viewport point lands.
    QXDropTarget dropTargetAt(const QPoint &viewportPoint) const;
    // The drop offered at the moment, shown as the insertion line (row -1: none).
    QXDropTarget shownDropTarget() const { return m_indicator; }
    bool isShowingDropIndicator() const { return m_showIndicator; }
    // The row as drawn, for the drag's picture.
    QPixmap rowPixmap(int row) const;

signals:
    // A drag of a row ended: deleted when it was let go off the table.
    void rowDragEnded(bool deleted);

protected:
    void paintEvent(QPaintEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool pointerIsOverTable() const;
    void updateDisappearingItemCursor();
    void setIndicator(bool shown, const QXDropTarget &target = {});
    QXDragOperation validate(QDropEvent *event, QXDropTarget *target) const;

    const QXPlaylist *m_playlist;
    QXPlaylistDropHandler *m_handler;
    QWeakPointer<QXMovieRepresentation> m_draggedEntry;
    bool m_dragging = false;
    bool m_dragCancelled = false;
    bool m_isDisappearingItemCursorSet = false;
    bool m_showIndicator = false;
    QXDropTarget m_indicator{-1, QXDropOperation::Above};
    class QDrag *m_drag = nullptr;
};

// The picture takes drops of files, folders and addresses (never the table's own rows) and
// opens them (QXMPController::openDroppedMovies).
void QXInstallPictureDrops(QXMPController *controller);
