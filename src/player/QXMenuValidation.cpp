#include "player/QXMenuValidation.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

static const char *const CommandProperty = "QXCommand";

bool QXValidateMenuItem(QXCommand command, const QXControlState &s)
{
    switch (command) {
    case QXCommand::PlaylistMenu:
    case QXCommand::ClearPlaylist:
        return s.count > 0;
    case QXCommand::PlaylistSortMenu:
    case QXCommand::SortPlaylist:
    case QXCommand::WalkPlaylist:
        return s.count > 1;
    case QXCommand::PresentationModeMenu:
    case QXCommand::Presentation:
        return s.hasVideo && s.movieWindowVisible;
    case QXCommand::Overlay:
        return !s.isPresenting;
    case QXCommand::Wind:
    case QXCommand::TimeControls:
        return s.hasCurrentEntry;
    // The player window is closed while presenting: no sizing then.
    case QXCommand::Scale:
        return s.hasVideo && s.playerWindowVisible;
    case QXCommand::Speed:
        return s.hasCurrentEntry && s.isPlayable;
    case QXCommand::Screenshot:
        return s.hasVideo && s.isPlayable;
    case QXCommand::Delete:
        return s.rowAccessible;
    case QXCommand::PlayPause:
    case QXCommand::Tracks:
        return s.hasCurrentEntry && s.isPlayable;
    case QXCommand::Chapters:
        return s.hasCurrentEntry && s.isPlayable && s.hasChapters;
    case QXCommand::Rotate:
        return s.hasVideo;
    case QXCommand::AspectRatioLock:
        return s.hasVideo && !s.isPresenting;
    case QXCommand::Always:
        break;
    }
    return true;
}

void QXSetMenuCommand(QAction *item, QXCommand command)
{
    item->setProperty(CommandProperty, int(command));
}

QXCommand QXMenuCommand(const QAction *item)
{
    const QVariant v = item->property(CommandProperty);
    return v.isValid() ? QXCommand(v.toInt()) : QXCommand::Always;
}

static void collect(QList<QAction *> &items, const QMenu *menu, const QList<const QMenu *> &skipped)
{
    if (skipped.contains(menu))
        return;
    for (QAction *a : menu->actions()) {
        items.append(a);
        if (const QMenu *sub = a->menu())
            collect(items, sub, skipped);
    }
}

QList<QAction *> QXMenuItems(const QMenuBar *bar, const QList<const QMenu *> &skipped)
{
    QList<QAction *> items;
    for (QAction *a : bar->actions())
        if (const QMenu *menu = a->menu())
            collect(items, menu, skipped);
    return items;
}
