#pragma once
// The playlist table's drop rules, apart from any window: where a point drops, whether a row
// drag is a real move, which operation a drop is offered, and where dropped movies land.
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QUrl>

class QMimeData;
class QObject;

// Between rows: before the row (the row count: after the last one); on: onto the row.
enum class QXDropOperation { On = 0, Above = 1 };

enum QXDragOperation { QXDragOperationNone = 0, QXDragOperationCopy = 1, QXDragOperationMove = 16 };

struct QXDropTarget
{
    int row = 0;
    QXDropOperation operation = QXDropOperation::Above;
    bool operator==(const QXDropTarget &o) const { return row == o.row && operation == o.operation; }
};

// A point offset from the top of the row under it: its outer quarters are between rows, its
// middle half on it. rowUnder -1 (below the last row, or an empty table) is after the last row.
QXDropTarget QXDropTargetAt(int rowUnder, double offset, double rowHeight, int rowCount);

// The source row of a real move, else -1. payloadRow is the dragged row as the data gives it
// (-1 when it has none); the drag must be this table's own and the row within the list.
// entryRow is where the entry the drag picked up stands now (-1 once it left the list): that
// row moves, so a list changed during the drag moves the right entry. Dropping a row into the
// gap just above or below itself is no move.
int QXMoveSourceRow(int payloadRow, bool fromThisTable, int rowCount, int entryRow, int targetRow);
// Where the moved entry lands, once taken out.
inline int QXMovedRowDestination(int source, int target) { return target > source ? target - 1 : target; }

// The operation offered: a move between rows, a copy of files or an address between rows or
// into an empty list, nothing otherwise.
QXDragOperation QXValidateDrop(QXDropOperation operation, int moveSource, bool offersFilesOrURL, bool playlistEmpty);

// Where dropped movies go in, before the entries they replace leave; -1 when refused (onto a
// row of a list that is not empty).
int QXDropInsertionIndex(const QXDropTarget &target, bool playlistEmpty);

// Dropped addresses already listed leave first, wherever they are; the new entries then go in
// together at insertAt, which moves up by each entry that left above it.
struct QXDropPlan
{
    QList<int> removedRows;   // ascending
    int insertAt = 0;
};
QXDropPlan QXPlanDrop(const QList<QByteArray> &playlist, const QList<QByteArray> &incoming, int insertionIndex);

// Subtitle files (local, named *.srt, *.ass, *.ssa, *.vtt, *.sub) dropped on the picture or
// handed over by a launch go to the current movie, never into the playlist: they are taken out
// of urls and their paths answered.
bool QXIsSubtitleFile(const QUrl &url);
QStringList QXTakeSubtitleFiles(QList<QUrl> &urls);

// What the table asks of its owner: whether a drop can land, landing it, and a row let go
// off the table.
class QXPlaylistDropHandler
{
public:
    virtual ~QXPlaylistDropHandler() = default;
    virtual QXDragOperation tableViewValidateDrop(const QMimeData *data, const QObject *source,
                                                  const QXDropTarget &target) const = 0;
    virtual bool tableViewAcceptDrop(const QMimeData *data, const QObject *source, const QXDropTarget &target) = 0;
    virtual void tableViewDeleteObjectAtRow(int row) = 0;
};
