#pragma once
// Keyboard and pointer input of the player's windows. Key presses in the player window, the
// presentation window and the bar's window go to the controller's key table before any widget
// sees them; keys the table leaves alone take the window's normal path. The picture answers a
// double click (full screen), the wheel (volume) and a right click (its context menu).
class QAbstractItemView;
class QKeyEvent;
class QXMPController;

// Space, Return, Enter, Backspace, Delete, Escape, the arrows and the media keys.
bool QXIsKeyTableKey(const QKeyEvent *event);

// Selects exactly that row and makes it current; a negative row changes nothing.
void QXSetSelectedRow(QAbstractItemView *view, int row);

// Installs the key routing and the picture's mouse commands for the controller's windows,
// and the picture's context menu ("pictureMenu", made of the menu bar's items).
void QXInstallInputHandling(QXMPController *c);
