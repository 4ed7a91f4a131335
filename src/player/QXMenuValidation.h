#pragma once
// Which commands can act in which state. Every menu item carries its command; one rule per
// command decides whether the item is enabled, and the buttons that items click follow the
// same rules, so a command is never enabled in one place and refused in another.
#include <QList>

class QAction;
class QMenu;
class QMenuBar;

// What the rules read, taken from the controller at once.
struct QXControlState
{
    int count = 0;                     // playlist entries
    bool hasCurrentEntry = false;
    bool isPlayable = false;           // the current movie can play now
    bool hasVideo = false;             // the current movie has a picture
    bool isPresenting = false;
    bool playerWindowVisible = false;
    bool movieWindowVisible = false;   // the window the picture is in (player or presentation)
    bool rowAccessible = false;        // a selected row in a playlist that shows
    bool hasChapters = false;          // the current movie is divided into chapters
};

enum class QXCommand {
    Always,
    PlaylistMenu,           // the submenu listing the movies
    PlaylistSortMenu,
    PresentationModeMenu,
    Overlay,                // floating or static control bar
    Wind,
    Scale,                  // the magnification items, larger, smaller and fit to screen
    Speed,                  // slower, faster, normal speed
    Screenshot,
    SortPlaylist,
    Delete,                 // the selected playlist entry
    // Items that click a button; the button is enabled by the same rule.
    ClearPlaylist,
    WalkPlaylist,           // previous and next movie
    PlayPause,
    TimeControls,           // time slider and wind buttons
    Rotate,
    AspectRatioLock,
    Presentation,
    Tracks,                 // subtitles, audio tracks, the chapters menu of the current movie
    Chapters,               // previous and next chapter: a movie that has chapters
};

bool QXValidateMenuItem(QXCommand command, const QXControlState &state);

// The command an item stands for (Always when it was given none).
void QXSetMenuCommand(QAction *item, QXCommand command);
QXCommand QXMenuCommand(const QAction *item);

// Every item of the menu bar's menus and their submenus, submenu items included; the
// entries of skipped menus (long generated lists) are left out, their own item is not.
QList<QAction *> QXMenuItems(const QMenuBar *bar, const QList<const QMenu *> &skipped = {});
