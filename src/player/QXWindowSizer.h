#pragma once
// The player window follows the movie: magnification, the aspect-ratio lock, zoom to the
// screen, the first-ever centring and the kept position. The arithmetic is in
// QXWindowGeometry; what the sizer needs to know of the rest of the player it asks its host.
#include <QList>
#include <QObject>
#include <QRectF>
#include <QSizeF>

#include <optional>

class QAction;
class QScreen;
class QTimer;
class QXControlBar;
class QXMovieView;
class QXPlayerWindow;

// What the sizer reads of the player, asked at the moment it is needed.
class QXWindowSizerHost
{
public:
    // The current movie's picture at its natural size, turned as it shows; none while no
    // movie is open (a movie without video answers its empty size).
    virtual std::optional<QSizeF> currentPictureSize() const = 0;
    // Whether an entry is chosen at all, open or not.
    virtual bool hasCurrentMovie() const = 0;
    virtual bool currentMovieHasVideo() const = 0;
    virtual bool isPresenting() const = 0;
    // Whether the static control bar (or its stand-in) takes room in the window below the picture.
    virtual bool controlBarTakesWindowRoom() const = 0;

protected:
    ~QXWindowSizerHost() = default;
};

class QXWindowSizer : public QObject
{
    Q_OBJECT
public:
    // Follows the window's resizes, settled moves and zoom requests; the lock is the bar's switch.
    QXWindowSizer(QXWindowSizerHost *host, QXPlayerWindow *window, QXMovieView *view, QXControlBar *bar,
                  QObject *parent = nullptr);
    // The size items (tag = 10 × magnification in QAction::data) marked by the magnification,
    // and the lock's item.
    void setMenuItems(const QList<QAction *> &scaleItems, QAction *aspectRatioLockItem);

    float magnification() const { return m_magnification; }
    bool isAspectRatioLocked() const;
    QSizeF playerAreaSize() const;
    QScreen *playerWindowScreen() const;
    // The window's outer frame (decorations included) in bottom-left screen coordinates.
    QRectF playerWindowFrame() const;
    QRectF playerWindowZoomFrame(bool locked, bool changeMagnification);
    bool playerWindowIsZoomedWithAspectRatioLock(bool locked);

    // --- commands (a scale command refused while presenting emits refused) ---
    void setScale(int tag);
    void increaseScale();
    void decreaseScale();
    void fitPlayerWindowToScreen();
    // The window manager's maximize button: the zoom frame, and back.
    void zoomPlayerWindow();
    void toggleAspectRatioLock();
    void showPlayerWindow();
    void showPlayerWindowIfNotVisible();

    // --- following the player ---
    void setPlayerWindowFrame(const QRectF &frame);
    void setPlayerWindowClientRect(const QRect &client);
    void resizePlayerWindowForSize(const QSizeF &size);
    void resizePlayerWindowForCurrentMagnification();
    void updatePlayerWindowMinimumSize();
    void applyAspectHints();
    void selectCurrentMagnificationMenuItem();
    // Follows a resize by the user: tracks the magnification and, with the lock on, makes the
    // height follow the width so the picture keeps its proportions.
    void windowDidResizeByUser(const QSize &clientSize);
    // Before another movie is chosen: keeps the size of the picture being left and whether its
    // window was zoomed. False (nothing kept) when no picture is open.
    bool rememberLeavingMovie(bool locked);
    // A newly opened movie with video: keeps the magnification for a picture of the size left,
    // else takes it from rememberedSize (when canRemember) or starts at 1; the window follows.
    // Answers whether the remembered state still applies.
    bool followNewMovie(bool canRemember, const QSizeF &rememberedSize);

    // --- the window's place ---
    // Fits or moves the window onto its screen's usable area once its frame is known.
    void keepPlayerWindowOnScreen();
    void restorePlayerWindowPosition();
    void savePlayerWindowPosition();

signals:
    // A command that cannot act now.
    void refused();
    // The window is about to be shown by the player.
    void windowWillShow();

private:
    QSizeF pictureSizeForMagnification(float magnification) const;
    QSizeF viewSizeForMagnification(float magnification) const;
    QRectF usableScreenFrame() const;
    // What is not the player area in the window's client area.
    QSize playerWindowChrome() const;
    // The least player area the window's content allows (the control bar's buttons).
    QSizeF playerAreaContentMinimum() const;
    // What the screen's usable area leaves for the player area around the window's other parts.
    QSizeF playerAreaRoom() const;
    // The current picture's proportions while the lock keeps them and the screen has room for
    // them at the window's least size; empty otherwise.
    QSizeF keptPictureProportions() const;
    void applyScale(float magnification);
    void correctLockedHeight();

    QXWindowSizerHost *m_host;
    QXPlayerWindow *m_window;
    QXMovieView *m_view;
    QXControlBar *m_bar;
    QList<QAction *> m_scaleItems;
    QAction *m_aspectRatioLockItem = nullptr;

    float m_magnification = 1.0f;
    // The magnification the last scale command set, given back when a decrease cannot shrink.
    float m_magnificationQuantum = 1.0f;
    // The picture left for the current one, and whether its window was zoomed.
    QSizeF m_lastMovieSize;
    bool m_lastMovieWasZoomed = false;
    // The window was fitted to the screen because the movie was too large for it, not zoomed.
    bool m_fittedToScreenBySize = false;
    bool m_windowPlaced = false;
    QRectF m_frameBeforeZoom;
    QTimer *m_lockedHeightTimer = nullptr;
};
