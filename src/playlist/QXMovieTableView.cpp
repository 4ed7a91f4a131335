#include "playlist/QXMovieTableView.h"

#include "controls/QXPlaylistImages.h"
#include "controls/QXPoof.h"
#include "playlist/QXMovieCell.h"
#include "playlist/QXPasteboard.h"
#include "playlist/QXPlaylist.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

namespace {

// The rows' header: every row is as tall as the next and none is hidden or moved, so rows that
// come or go anywhere change only the count, and the header follows at its end. Qt's own header
// walks every row on each insertion or removal (its hidden sections), which a key press that
// deletes one row of 200,000 would pay for.
class QXRowHeader : public QHeaderView
{
public:
    explicit QXRowHeader(QWidget *parent) : QHeaderView(Qt::Vertical, parent) {}

    void setModel(QAbstractItemModel *model) override
    {
        if (model == this->model())
            return;
        for (const QMetaObject::Connection &c : std::as_const(m_follow))
            disconnect(c);
        m_follow.clear();
        QHeaderView::setModel(model);
        // Qt's slots go only where this header can take their place (else they stay).
        if (!model || !disconnect(model, SIGNAL(rowsInserted(QModelIndex,int,int)), this,
                                  SLOT(sectionsInserted(QModelIndex,int,int))))
            return;
        if (!disconnect(model, SIGNAL(rowsRemoved(QModelIndex,int,int)), this,
                        SLOT(_q_sectionsRemoved(QModelIndex,int,int)))) {
            connect(model, SIGNAL(rowsInserted(QModelIndex,int,int)), this, SLOT(sectionsInserted(QModelIndex,int,int)));
            return;
        }
        const auto follow = [this](const QModelIndex &parent) {
            if (parent.isValid() || !this->model())
                return;
            const int rows = this->model()->rowCount();
            if (rows == 0)
                initializeSections();   // an empty header, as Qt makes it
            else if (rows != count())
                initializeSections(qMin(count(), rows - 1), rows - 1);
        };
        m_follow = {connect(model, &QAbstractItemModel::rowsInserted, this, follow),
                    connect(model, &QAbstractItemModel::rowsRemoved, this, follow)};
    }

private:
    QList<QMetaObject::Connection> m_follow;
};

} // namespace

QXMovieTableView::QXMovieTableView(const QXPlaylist *playlist, QXPlaylistDropHandler *handler, QWidget *parent)
    : QTableView(parent), m_playlist(playlist), m_handler(handler)
{
    setVerticalHeader(new QXRowHeader(this));
    setObjectName(QStringLiteral("playerHistoryList"));
    setItemDelegate(new QXMovieCell(playlist, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Keys reach the table through the controller's key table, never by focus.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, false);
    viewport()->setAttribute(Qt::WA_Hover, false);
    setMouseTracking(false);
    horizontalHeader()->hide();
    // The icon column keeps 20 (16 and a margin), through resets too; the name fills the rest.
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    setShowGrid(false);
    setWordWrap(false);
    setIconSize(QSize(16, 16));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);   // drawn here: a line with a ring
    setDragDropMode(QAbstractItemView::DragDrop);
    setAutoScroll(true);
    const QColor ground = QXMovieCell::sourceListBackgroundColor();
    // The style's own row panel takes the same colour as the table's fill, active or not.
    setStyleSheet(QStringLiteral("QTableView { background: %1; border: none; outline: 0; selection-background-color: %2; }")
                      .arg(ground.name(), QXMovieCell::sourceListInactiveSelectionColor().name()));
}

int QXMovieTableView::draggedRow() const
{
    const QXMovieRepresentationRef entry = m_draggedEntry.toStrongRef();
    if (!m_dragging || !entry)
        return -1;
    return int(m_playlist->entries().indexOf(entry));
}

QXDropTarget QXMovieTableView::dropTargetAt(const QPoint &p) const
{
    const int n = model() ? model()->rowCount() : 0;
    const int row = rowAt(p.y());
    if (row < 0)
        return QXDropTargetAt(-1, 0, 1, n);
    return QXDropTargetAt(row, p.y() - rowViewportPosition(row), rowHeight(row), n);
}

QPixmap QXMovieTableView::rowPixmap(int row) const
{
    return viewport()->grab(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
}

void QXMovieTableView::paintEvent(QPaintEvent *event)
{
    {
        // Whole rows, edge to edge, in the same colour whether the window is active or not.
        QPainter p(viewport());
        if (selectionModel()) {
            for (const QModelIndex &i : selectionModel()->selectedRows()) {
                const QRect r = QRect(0, rowViewportPosition(i.row()), viewport()->width(), rowHeight(i.row()))
                                    .intersected(event->rect());
                if (r.width() > 0 && r.height() > 0)
                    p.fillRect(r, QXMovieCell::sourceListInactiveSelectionColor());
            }
        }
    }
    QTableView::paintEvent(event);
    if (!m_showIndicator)
        return;
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    const int n = model()->rowCount();
    int y = 0;
    if (m_indicator.operation == QXDropOperation::On) {
        // Onto a row (an empty table): a frame round the whole ground.
        p.setPen(QPen(QColor(0x3b, 0x6c, 0xd4), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
        return;
    }
    if (m_indicator.row < n)
        y = rowViewportPosition(m_indicator.row);
    else if (n > 0)
        y = rowViewportPosition(n - 1) + rowHeight(n - 1);
    y = qBound(1, y, viewport()->height() - 1);
    const QColor ink(0x3b, 0x6c, 0xd4);
    p.setPen(QPen(ink, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(5, y), 3, 3);
    p.drawLine(QPointF(8, y), QPointF(viewport()->width(), y));
}

void QXMovieTableView::setIndicator(bool shown, const QXDropTarget &target)
{
    if (shown == m_showIndicator && (!shown || target == m_indicator))
        return;
    m_showIndicator = shown;
    m_indicator = shown ? target : QXDropTarget{-1, QXDropOperation::Above};
    viewport()->update();
}

bool QXMovieTableView::pointerIsOverTable() const
{
    // The drag's picture follows the pointer in a window of its own: only the table's place
    // on the screen is asked.
    return isVisible() && viewport()->rect().contains(viewport()->mapFromGlobal(QCursor::pos()));
}

void QXMovieTableView::updateDisappearingItemCursor()
{
    if (!m_dragging || !m_drag || draggedRow() < 0)
        return;
    const bool off = !pointerIsOverTable();
    if (off == m_isDisappearingItemCursorSet)
        return;
    m_isDisappearingItemCursorSet = off;
    // The drag keeps the cursor of each answer it gets; off the table every answer shows ours,
    // and it is put up at once rather than at the next answer.
    const QPixmap cursor = off ? QXPlaylistNamedImage(QStringLiteral("QXDisappearingItemCursor"))
                                     .pixmap(QSize(32, 32), devicePixelRatioF())
                               : QPixmap();
    for (const Qt::DropAction action : {Qt::IgnoreAction, Qt::MoveAction, Qt::CopyAction, Qt::LinkAction})
        m_drag->setDragCursor(cursor, action);
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(off ? QCursor(cursor, QXDisappearingItemCursorHotSpot,
                                                            QXDisappearingItemCursorHotSpot)
                                                  : QCursor(Qt::DragMoveCursor));
}

void QXMovieTableView::startDrag(Qt::DropActions)
{
    const QModelIndex pressed = currentIndex();
    const int row = pressed.isValid() ? pressed.row() : -1;
    if (row < 0 || row >= m_playlist->count())
        return;
    m_draggedEntry = m_playlist->at(row);
    auto *data = new QMimeData;
    QXPasteboard::setTableRow(data, row);
    QDrag drag(this);
    m_drag = &drag;
    drag.setMimeData(data);
    const QPixmap picture = rowPixmap(row);
    drag.setPixmap(picture);
    const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
    drag.setHotSpot(QPoint(qBound(0, at.x(), picture.width() / qMax(1, int(picture.devicePixelRatio()))),
                           qBound(0, at.y() - rowViewportPosition(row), rowHeight(row))));
    m_dragging = true;
    m_isDisappearingItemCursorSet = false;
    m_dragCancelled = false;
    QTimer follow;
    follow.setInterval(30);
    connect(&follow, &QTimer::timeout, this, &QXMovieTableView::updateDisappearingItemCursor);
    follow.start();
    // The drag's own filter is installed as it starts; ours goes in after, so it sees Escape
    // before the drag takes it.
    QTimer::singleShot(0, this, [this] {
        if (m_dragging)
            qApp->installEventFilter(this);
    });
    drag.exec(Qt::MoveAction, Qt::MoveAction);
    qApp->removeEventFilter(this);
    follow.stop();
    m_drag = nullptr;
    const QPoint end = QCursor::pos();
    const int current = draggedRow();
    bool deleted = false;
    if (!m_dragCancelled && current >= 0 && !pointerIsOverTable()) {
        m_handler->tableViewDeleteObjectAtRow(current);
        QXPoofWindow::showAnimationEffect(end);
        deleted = true;
    }
    m_isDisappearingItemCursorSet = false;
    m_dragging = false;
    m_draggedEntry.clear();
    setIndicator(false);
    emit rowDragEnded(deleted);
}

bool QXMovieTableView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_dragging && event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
        m_dragCancelled = true;
    return QTableView::eventFilter(watched, event);
}

QXDragOperation QXMovieTableView::validate(QDropEvent *event, QXDropTarget *target) const
{
    *target = dropTargetAt(event->position().toPoint());
    return m_handler->tableViewValidateDrop(event->mimeData(), event->source(), *target);
}

void QXMovieTableView::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (data->hasFormat(QXPasteboard::internalMoviePasteboardType()) || QXPasteboard::hasFilenames(data)
        || QXPasteboard::hasURL(data)) {
        event->accept();
        dragMoveEvent(event);
    } else {
        event->ignore();
    }
}

void QXMovieTableView::dragMoveEvent(QDragMoveEvent *event)
{
    QXDropTarget target;
    const QXDragOperation op = validate(event, &target);
    startAutoScroll();
    if (op == QXDragOperationNone) {
        setIndicator(false);
        // The table's own row over the table is no drag out: held, without a drop offered.
        if (event->source() == this) {
            event->setDropAction(Qt::MoveAction);
            event->accept();
        } else {
            event->ignore();
        }
        return;
    }
    const Qt::DropAction action = op == QXDragOperationMove ? Qt::MoveAction : Qt::CopyAction;
    if (event->possibleActions() & action)
        event->setDropAction(action);
    else
        event->setDropAction(event->proposedAction());
    event->accept();
    setIndicator(true, target);
}

void QXMovieTableView::dragLeaveEvent(QDragLeaveEvent *event)
{
    setIndicator(false);
    QTableView::dragLeaveEvent(event);
}

void QXMovieTableView::dropEvent(QDropEvent *event)
{
    QXDropTarget target;
    const QXDragOperation op = validate(event, &target);
    setIndicator(false);
    if (op == QXDragOperationNone) {
        event->setDropAction(event->source() == this ? Qt::MoveAction : Qt::IgnoreAction);
        event->setAccepted(event->source() == this);
        return;
    }
    const bool taken = m_handler->tableViewAcceptDrop(event->mimeData(), event->source(), target);
    if (taken) {
        event->setDropAction(op == QXDragOperationMove ? Qt::MoveAction : event->dropAction());
        event->accept();
    } else {
        event->ignore();
    }
}
