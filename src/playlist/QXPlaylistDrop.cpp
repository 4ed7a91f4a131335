#include "playlist/QXPlaylistDrop.h"

#include <QSet>

QXDropTarget QXDropTargetAt(int rowUnder, double offset, double rowHeight, int rowCount)
{
    if (rowUnder < 0 || rowUnder >= rowCount)
        return {rowCount, QXDropOperation::Above};
    if (offset < rowHeight / 4)
        return {rowUnder, QXDropOperation::Above};
    if (offset >= rowHeight * 3 / 4)
        return {rowUnder + 1, QXDropOperation::Above};
    return {rowUnder, QXDropOperation::On};
}

int QXMoveSourceRow(int payloadRow, bool fromThisTable, int rowCount, int entryRow, int targetRow)
{
    if (!fromThisTable || payloadRow < 0 || payloadRow >= rowCount || entryRow < 0 || entryRow >= rowCount)
        return -1;
    const int s = entryRow;
    return (s > targetRow || targetRow > s + 1) ? s : -1;
}

QXDragOperation QXValidateDrop(QXDropOperation operation, int moveSource, bool offersFilesOrURL, bool playlistEmpty)
{
    if (operation == QXDropOperation::Above && moveSource >= 0)
        return QXDragOperationMove;
    if (!offersFilesOrURL)
        return QXDragOperationNone;
    if (operation == QXDropOperation::Above || playlistEmpty)
        return QXDragOperationCopy;
    return QXDragOperationNone;
}

int QXDropInsertionIndex(const QXDropTarget &target, bool playlistEmpty)
{
    if (target.operation == QXDropOperation::Above)
        return target.row;
    return playlistEmpty ? 0 : -1;
}

QXDropPlan QXPlanDrop(const QList<QByteArray> &playlist, const QList<QByteArray> &incoming, int insertionIndex)
{
    const QSet<QByteArray> leaving(incoming.begin(), incoming.end());
    QXDropPlan plan;
    plan.insertAt = insertionIndex;
    for (int i = 0; i < playlist.size(); ++i) {
        if (leaving.contains(playlist.at(i))) {
            plan.removedRows.append(i);
            if (i < insertionIndex)
                --plan.insertAt;
        }
    }
    return plan;
}

bool QXIsSubtitleFile(const QUrl &url)
{
    if (!url.isLocalFile())
        return false;
    const QString name = url.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return false;
    static const QStringList suffixes{"srt", "ass", "ssa", "vtt", "sub"};
    return suffixes.contains(name.mid(dot + 1), Qt::CaseInsensitive);
}

QStringList QXTakeSubtitleFiles(QList<QUrl> &urls)
{
    QStringList paths;
    urls.removeIf([&paths](const QUrl &url) {
        if (!QXIsSubtitleFile(url))
            return false;
        paths.append(url.toLocalFile());
        return true;
    });
    return paths;
}
