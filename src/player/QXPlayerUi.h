#pragma once
// The widgets and menu items the player interface builds and the controller keeps up to date:
// handed out read-only, so what they show is changed only through the controller's commands.
class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QWidget;
class QXMovieTableView;
class QXMovieView;
class QXPlayerWindow;
class QXPlaylistModel;

struct QXPlayerUi
{
    QXPlayerWindow *playerWindow = nullptr;
    QXMovieView *playerView = nullptr;
    QWidget *playerContainerView = nullptr;
    QLabel *playerHistoryNameField = nullptr;
    QXMovieTableView *playerHistoryList = nullptr;
    QXPlaylistModel *playlistModel = nullptr;
    QAbstractButton *playlistClearButton = nullptr;
    QAbstractButton *playlistBackwardButton = nullptr;
    QAbstractButton *playlistForwardButton = nullptr;
    QAction *rotateMenuItem = nullptr;
    QAction *presentationMenuItem = nullptr;
    QAction *aspectRatioLockMenuItem = nullptr;
    QMenu *playlistMenu = nullptr;
    QMenu *playlistSortMenu = nullptr;
    QAction *playlistVisibilityMenuItem = nullptr;
    QAction *clearPlaylistMenuItem = nullptr;
    QAction *forwardPlaylistMenuItem = nullptr;
    QAction *backwardPlaylistMenuItem = nullptr;
    QAction *playPauseMenuItem = nullptr;
    QAction *muteMenuItem = nullptr;
    QAction *playlistMenuItem = nullptr;     // the item holding playlistMenu
    QAction *playlistSortMenuItem = nullptr; // the item holding playlistSortMenu
};
