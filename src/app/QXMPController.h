#pragma once
// The player's controller: owns the playlist (QXPlaylist) and the parts around it (the window's
// sizer, the transport, presentation, the playlist menu, the preferences), wires them, and keeps
// what lies between them: choosing and playing, the menus' enabling, launch and quit. Its member
// functions are defined next to the subsystem each belongs to (app, playlist, player).
#include "playlist/QXMovieRepresentation.h"
#include "playlist/QXPlaylistDrop.h"
#include "playlist/QXPlaylist.h"
#include "player/QXPresentation.h"
#include "player/QXTransport.h"
#include "player/QXPlayerUi.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <QUrl>

class QAction;
class QScreen;
class QTimer;
class QXMovieCollector;
class QXOnlineVideoDownloads;
class QSystemTrayIcon;
class QAbstractAnimation;
class QKeyEvent;
class QLabel;
class QMimeData;
class QXAddressPanel;
class QXMovieTableView;
class QMenu;
class QAbstractButton;
class QTableView;
class QWidget;
class QXMovieView;
class QXMpris;
class QXControlBar;
class QXPlayerOverlay;
class QXPlayerWindow;
class QXWindowSizer;
class QXTrackMenus;
class QXPlaylistModel;
class QXPreferences;
class QXResumeKeeper;
class QXScreenshotTaker;
class QXSessionWatcher;
class QXSpeedControl;
struct QXControlState;

class QXMPController : public QObject,
                       public QXPlaylistDropHandler,
                       private QXTransportHost,
                       private QXPresentationHost
{
    Q_OBJECT
public:
    QXMPController();
    ~QXMPController() override;

    // --- launch, session switching, termination ---
    void applicationDidFinishLaunching();
    void userSessionDidResign();
    void userSessionDidBecomeActive();
    void applicationDidChangeScreenParameters();
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    bool applicationOpenFile(const QString &path);
    void applicationOpenFiles(const QStringList &paths);
    // Files and addresses handed over together.
    void applicationOpenURLs(const QList<QUrl> &urls);
    // Saves or forgets the playlist and drops the rotation table as the settings say, then
    // writes every setting still pending.
    void applicationShouldTerminate();
    bool windowShouldClose(QWidget *window);
    // The own-scheme address handler: the first eight characters become "http".
    void handleURLCommand(const QString &text);
    // Runs the quit steps once, then leaves the event loop.
    void terminate();
    // The quit steps, run at most once whichever way the process ends.
    void runQuitSteps();

    // --- playlist ---
    bool openMovies(const QList<QUrl> &urls, bool revealPackageContents);
    // Opened in the order they come; one that names a folder is walked off the main thread
    // (later ones wait for it), the window shows at once, and Escape stops the walk.
    void openMovies(const QList<QUrl> &urls);
    // A folder walk of openMovies is under way; stopping it opens what it found so far.
    bool isLookingForMovies() const { return m_collector != nullptr; }
    void stopLookingForMovies();
    bool openURLs(const QList<QUrl> &urls);
    // The entries and the current one, for the views and tests; changed only by commands.
    const QXPlaylist &playlist() const { return m_playlist; }
    void walkPlaylistWithStep(int step);
    void forwardPlaylist();
    void backwardPlaylist();
    void sortPlaylist(int tag);
    void clearPlaylist();
    void deleteSelected();
    void tableViewDeleteObjectAtRow(int row) override;
    bool isPlaylistAccessible() const;
    bool isPlaylistRowAccessible(int *row) const;
    // The menu's "Show Playlist": shows the pane, or brings the window forward when it shows.
    void showPlaylistPane();
    void setPlaylistVisible(bool visible, bool animate, bool isInitialSetup);
    void togglePlaylistVisibility();
    void playlistDoubleClicked(int row);
    // File > Open...: the open panel (files and folders, filtered), then openMovies.
    void openDocument();
    // File > Open Address...: the address panel, built once; its OK opens the addresses.
    void openURL();

    // --- playlist table (drag and drop) ---
    // The source row of a real move of this table's own row, else -1.
    int tableRowFromDraggingInfo(const QMimeData *data, const QObject *source, int targetRow) const;
    QXDragOperation tableViewValidateDrop(const QMimeData *data, const QObject *source,
                                          const QXDropTarget &target) const override;
    // Moves the row, or lists the dropped files or address at the target; nothing is chosen.
    bool tableViewAcceptDrop(const QMimeData *data, const QObject *source, const QXDropTarget &target) override;
    // Files, folders and addresses dropped on the picture open as File > Open opens them:
    // what a drop brings (its local files, else its first address; none for the table's rows
    // or text that makes no address), then the opening, a beep when nothing opens.
    static QList<QUrl> droppedMovieURLs(const QMimeData *data);
    bool openDroppedMovies(const QList<QUrl> &urls);

    // --- choosing and playback ---
    bool chooseMovie(const QUrl &url, bool changeSelection, bool startPlaying, bool byContinuing);
    void chooseNoMovie();
    void enablePlaybackForCurrentMovie();
    bool isCurrentMoviePlayable() const;
    void movieLoadStateDidChange();
    void currentMovieDidFail();
    void movieDidStop();
    void continueWithMovie(const QUrl &url);
    void play() override;
    void pause() override;
    void playPause();
    // Pauses and goes back to the start; the player counts as stopped until it plays again
    // or another movie is chosen.
    void stop();
    bool isStopped() const;
    QString selectionMessage() const;
    // Whether that text tells that the current movie failed to open.
    bool selectionMessageIsFailure() const;

    // --- online video ---
    // A download ended with the entry's file saved: the table redrawn, and the entry, when
    // current, opened anew from its file (shown at its start, paused).
    void updateDownloadedMovieRepresentation(const QXMovieRepresentationRef &entry);

    // --- window sizing: the sizer owns it ---
    QXWindowSizer *windowSizer() const { return m_windowSizer; }

    // --- rotation ---
    // Positive degrees turn clockwise.
    void rotateByAngle(int degrees);
    void rotate();

    // --- presentation, time and volume (the transport comes with the player interface, the
    // presentation at launch) ---
    QXPresentation *presentation() const { return m_presentation; }
    bool isPresenting() const { return m_presentation && m_presentation->isPresenting(); }
    QXTransport *transport() const { return m_transport; }
    // The Subtitles, Audio and Chapters menus and their commands.
    QXTrackMenus *trackMenus() const { return m_trackMenus; }

    // --- keyboard ---
    // The key table: true when the key was used (or refused with a beep), false to leave it
    // to the window. Offered every key press in the player and presentation windows.
    bool handleKeyDown(QKeyEvent *event);

    // --- control state ---
    void updateButtons();
    void updatePlayPauseControls();
    // What the commands' rules (QXValidateMenuItem) read, now.
    QXControlState controlState() const;
    // Every menu item enabled by its command's rule: when a menu opens, before a key reaches
    // the shortcuts, and after each change of what the rules read.
    void validateMenuItems();
    // The presentation-mode menu marks the mode in force when it opens.
    void menuNeedsUpdate(QMenu *menu);
    // A click on the button from a menu item or a key: once, a beep when it is disabled; a
    // button with a primary menu (the chevron) runs its command without the menu.
    void performClick(QAbstractButton *button);
    // The control bar: static below the picture or floating over it (QXPlayerOverlay).
    QXPlayerOverlay *overlay() const { return m_overlay; }
    QXControlBar *controlBar() const { return m_controlBar; }
    // The rotate button's turn follows the setting.
    void showRotateButtonImage();
    // The switch, its icon and the menu title for the playing or the paused state.
    void showPlayPauseState(bool playing);

    // Speed, screenshots and positions kept across launches, each a part of its own.
    QXSpeedControl *speedControl() const { return m_speed; }
    QXScreenshotTaker *screenshotTaker() const { return m_screenshots; }
    QXResumeKeeper *resumeKeeper() const { return m_resume; }

    // The widgets and menu items the interface built (read-only: commands change them).
    const QXPlayerUi &ui() const { return m_ui; }
    bool currentMovieHasVideo() const { return m_currentMovieHasVideo; }

    // Test and benchmark hooks.
    int beepCount() const { return m_beepCount; }
    void beep() override;
    bool hasLaunched() const { return m_launched; }
    // Lists entries as a restored playlist would (files that need not exist).
    void appendEntriesForTesting(const QList<QXMovieRepresentationRef> &entries) { m_playlist.append(entries); }
    // Where the player interface fails to build, launch logs and quits.
    static bool loadPlayerInterface(QXMPController *owner);

    // The player on the session bus (none without one).
    QXMpris *mpris() const { return m_mpris; }

signals:
    void playlistChanged();
    void currentMovieChanged();
    // Playback, the commands' enabling or the current movie may have changed.
    void playerStateChanged();

private:
    // What presentation and the transport ask of the player.
    QXMovie *currentMovie() const override;
    bool isPlaying() const override;
    bool currentMovieHasPicture() const override { return m_currentMovieHasVideo; }
    QScreen *presentationScreen() const override;
    QSizeF pictureAreaSize() const override;
    void showPlayerWindowAfterPresentation() override;
    // Shows the tray icon that brings the window back; false where there is no tray.
    bool showTrayIcon();
    // Says on stderr why each file named among urls (not a folder) is missing from collected;
    // answers the view's message for the first, or an empty text.
    QString reportUnopenedFiles(const QList<QUrl> &urls, const QList<QUrl> &collected);
    // openMovies once the addresses are collected.
    bool openCollectedMovies(const QList<QUrl> &urls, QList<QUrl> collected);
    void openPendingMovies();
    // Deletes the row and leaves selectedAfter (a row number after the deletion, -1 for none)
    // selected.
    void deleteRow(int row, int selectedAfter);
    void walkTick();
    void armStopCallback();
    void disposeStopCallback();
    void installObservers();
    // The online video downloads: entries of watch pages start theirs as they are listed.
    void wireOnlineVideoDownloads();
    void startOnlineVideos(const QList<QXMovieRepresentationRef> &entries);
    void onlineVideoProgressed(const QXMovieRepresentationRef &entry);
    void onlineVideoFailed(const QXMovieRepresentationRef &entry, const QString &reason);
    void onlineVideoHasNoVideo(const QXMovieRepresentationRef &entry, const QString &reason);
    // The current movie's address answered with a web page: its video comes through yt-dlp.
    bool downloadCurrentWebPage();
    // The item clicks the control (performClick), so both are one command.
    void setTargetControl(QAction *item, QAbstractButton *control);
    // Puts the player on the session bus and keeps the bus told of its changes.
    void startMpris();

    QXPlaylist m_playlist;
    QXPlayerUi m_ui;
    // What the current movie allows, settled when it is chosen and when it has loaded.
    bool m_currentMovieHasVideo = false;
    bool m_currentMovieIsPlayable = false;
    bool m_currentMovieShouldAutoplay = false;
    bool m_currentMovieCanRememberState = false;
    // Files handed over before launch: the window shows once they are opened (or refused).
    bool m_openWindowAfterDelay = false;
    bool m_wasPlayingBeforeFastUserSwitch = false;
    bool m_isStopCallbackInstalled = false;
    bool m_terminated = false;
    bool m_launched = false;
    int m_beepCount = 0;
    QXSessionWatcher *m_sessionWatcher = nullptr;
    QXPlayerOverlay *m_overlay = nullptr;
    QXControlBar *m_controlBar = nullptr;
    QXTransport *m_transport = nullptr;
    QXTrackMenus *m_trackMenus = nullptr;
    QXPresentation *m_presentation = nullptr;
    // How the current movie was chosen, and the failed movie already reported.
    bool m_currentMovieChosenByContinuing = false;
    QXWindowSizer *m_windowSizer = nullptr;
    QSystemTrayIcon *m_trayIcon = nullptr;
    // Made with the menus, which act on it.
    QXPreferences *m_preferences = nullptr;
    QXAddressPanel *m_addressPanel = nullptr;
    QXSpeedControl *m_speed = nullptr;
    QXScreenshotTaker *m_screenshots = nullptr;
    QXResumeKeeper *m_resume = nullptr;
    QXMpris *m_mpris = nullptr;
    // The entry stopped (at its start) and not played since.
    QWeakPointer<QXMovieRepresentation> m_stoppedEntry;
    const QXMovie *m_failureShownFor = nullptr;
    // Why the files last opened gave no movie, shown in the empty view until one is chosen or
    // the selection changes.
    QString m_openFailure;
    // Openings waiting for the folder walk under way (m_collector), in the order they came.
    struct PendingOpening
    {
        QList<QUrl> urls;
        bool revealPackageContents = false;
    };
    QList<PendingOpening> m_pendingOpenings;
    QXMovieCollector *m_collector = nullptr;
    QXOnlineVideoDownloads *m_downloads = nullptr;
    // Why the current entry's download failed, shown until another entry is chosen.
    QString m_downloadFailure;
    QWeakPointer<QXMovieRepresentation> m_downloadFailureFor;
    // The loading message's progress is drawn at most twice a second.
    QTimer *m_progressRedraw = nullptr;
    QTimer *m_walkTicker = nullptr;
    qint64 m_walkProgressShownAt = 0;   // ms into the walk when its count was last drawn
};
