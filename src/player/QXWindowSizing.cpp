// The player window follows the movie: magnification, the aspect-ratio lock, zoom to the
// screen and the first-ever centring. The arithmetic is in QXWindowGeometry.
#include "app/QXMPController.h"
#include "player/QXControlBar.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowGeometry.h"
#include "player/QXWindowHints.h"

#include <QAbstractButton>
#include <QAction>
#include <QGuiApplication>
#include <QJsonObject>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtMath>

#include <cmath>

static double primaryHeight()
{
    QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 0.0;
}

// Decorations around the client area, as far as the window system reports them.
static QMargins frameMargins(QWidget *w)
{
    const QRect f = w->frameGeometry(), g = w->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}

QRectF QXMPController::playerWindowFrame() const
{
    const QRect client = playerWindow->geometry();
    return QXGeometry::frameFromQt(QRectF(client.marginsAdded(frameMargins(playerWindow))), primaryHeight());
}

void QXMPController::setPlayerWindowFrame(const QRectF &frame)
{
    const QRect outer = QXGeometry::frameToQt(frame, primaryHeight()).toAlignedRect();
    setPlayerWindowClientRect(outer.marginsRemoved(frameMargins(playerWindow)));
}

// A hidden window gets no resize events, so its layouts do not follow a new geometry on
// their own; lay it out top-down so the arithmetic can read the children's sizes.
static void layOutNow(QWidget *w)
{
    if (w->isVisible())
        return;
    if (QLayout *l = w->layout()) {
        l->invalidate();
        l->activate();
    }
    for (QObject *o : w->children())
        if (o->isWidgetType() && !static_cast<QWidget *>(o)->isWindow())
            layOutNow(static_cast<QWidget *>(o));
}

void QXMPController::setPlayerWindowClientRect(const QRect &client)
{
    playerWindow->setGeometry(client);
    layOutNow(playerWindow);
    applyAspectHints();
}

void QXMPController::applyAspectHints()
{
    // A picture whose proportions cannot be kept on the screen gets no hint: the window
    // manager would grow the window past the screen to keep them at the least width.
    const QSizeF kept = keptPictureProportions();
    QXWindowHints::setAspect(playerWindow, isPresenting() ? QSize() : kept.toSize(), playerWindowChrome());
    // The window cannot take such a picture's proportions; the lock keeps them in the picture.
    const bool bars = kept.isEmpty() && currentMovieHasVideo && isAspectRatioLocked();
    if (playerView->preservesAspectRatio() != bars)
        playerView->setPreservesAspectRatio(bars);
}

// What is not the player area in the window's client area, from the parts themselves: right
// after a resize the layout may not have followed yet, and arithmetic on it would be skewed.
QSize QXMPController::playerWindowChrome() const
{
    QXPlayerWindow *w = playerWindow;
    int width = 0;
    if (w->playlistPane->isVisibleTo(w))
        width += w->playlistPane->width() + w->playlistDivider->width();
    int height = w->menuBar()->isVisibleTo(w) ? w->menuBar()->sizeHint().height() : 0;
    if (m_overlay && m_overlay->takesWindowRoom())
        height += QXOverlay::StaticHeight;
    return QSize(width, height);
}

QSizeF QXMPController::playerAreaSize() const
{
    return QSizeF(playerWindow->size() - playerWindowChrome());
}

bool QXMPController::isAspectRatioLocked() const
{
    return m_controlBar && m_controlBar->isAspectRatioLocked();
}

QSizeF QXMPController::naturalSizeForMagnification(QXMovie *movie, float magnification) const
{
    if (!movie)
        return QSizeF(0, 0);
    return QXGeometry::naturalSizeForMagnification(movie->naturalSize(), movie->angle(), magnification);
}

QSizeF QXMPController::viewSizeForMagnification(float magnification) const
{
    QXMovie *m = playerView->movie();
    const QSizeF s = m ? naturalSizeForMagnification(m, magnification) : QSizeF(0, 0);
    return QXGeometry::viewSizeForMovieSize(s, playerView->isControllerVisible(), playerView->controllerBarHeight());
}

QRectF QXMPController::usableScreenFrame() const
{
    return QXGeometry::frameFromQt(QRectF(playerWindowScreen()->availableGeometry()), primaryHeight());
}

QSizeF QXMPController::playerAreaContentMinimum() const
{
    // The bar folds its parts down to this width; the window cannot be narrower, so the
    // picture must not be either.
    const double width = QXGeometry::minimumSize.width();
    // The window's own least height, less what is not the player area.
    const double chrome = playerWindow->height() - playerAreaSize().height();
    return QSizeF(width, qMax(1.0, QXGeometry::minimumSize.height() - chrome));
}

QSizeF QXMPController::playerAreaRoom() const
{
    // From the window's own chrome and its frame's margins, never from a frame size that a
    // window manager has not yet caught up with: a stale one could make room for a picture
    // taller than the screen.
    const QMargins m = frameMargins(playerWindow);
    const QSizeF decorations(qMax(0, m.left()) + qMax(0, m.right()), qMax(0, m.top()) + qMax(0, m.bottom()));
    return usableScreenFrame().size() - decorations - QSizeF(playerWindowChrome());
}

QSizeF QXMPController::keptPictureProportions() const
{
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    if (!m || !currentMovieHasVideo || !isAspectRatioLocked())
        return {};
    const QSizeF n = naturalSizeForMagnification(m, 1.0f);
    return QXGeometry::proportionalLeastArea(playerAreaContentMinimum(), n, playerAreaRoom()).isEmpty() ? QSizeF() : n;
}

void QXMPController::resizePlayerWindowForSize(const QSizeF &requested)
{
    // A picture narrower than the window can be grows with it, its proportions kept.
    const QSizeF least = playerAreaContentMinimum();
    const QSizeF size = QXGeometry::proportionallyAtLeast(requested, least.width(), least.height());
    const QRectF frame = playerWindowFrame();
    QRectF target = QXGeometry::frameForPlayerAreaSize(frame, playerAreaSize(), size);
    const QRectF S = usableScreenFrame();
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    if (currentMovieHasVideo && m && !QXGeometry::fitsInside(target.size(), S)) {
        // Larger than the screen: fitted to it as zoom with the lock on fits, the magnification
        // following, so the title bar and the controls stay within reach.
        float mag = currentMagnification;
        target = QXGeometry::zoomFrame(S, frame.size(), playerAreaSize(),
                                       naturalSizeForMagnification(m, 1.0f), true, true, &mag);
        currentMagnification = mag;
        selectCurrentMagnificationMenuItem();
        m_fittedToScreenBySize = true;
    } else {
        target = QXGeometry::keptOnScreen(target, S);
        m_fittedToScreenBySize = false;
    }
    setPlayerWindowFrame(target);
}

void QXMPController::resizePlayerWindowForCurrentMagnification()
{
    resizePlayerWindowForSize(viewSizeForMagnification(currentMagnification));
}

void QXMPController::updatePlayerWindowMinimumSize()
{
    const QSizeF area = playerAreaSize();
    const QSizeF rule = QXGeometry::minimumFrameSize(playerWindow->width(), area.width());
    // With the lock on, the least player area has the picture's proportions too, as far as
    // the screen has room for them.
    const QSizeF least = QXGeometry::leastPlayerArea(playerAreaContentMinimum(), keptPictureProportions(),
                                                     playerAreaRoom());
    const QSizeF content(least.width() + playerWindow->width() - area.width(),
                         least.height() + playerWindow->height() - area.height());
    playerWindow->setMinimumSize(qCeil(qMax(rule.width(), content.width())),
                                 qCeil(qMax(rule.height(), content.height())));
    applyAspectHints();
}

QScreen *QXMPController::playerWindowScreen() const
{
    QScreen *s = playerWindow->screen();
    return s ? s : QGuiApplication::primaryScreen();
}

QRectF QXMPController::playerWindowZoomFrame(bool locked, bool changeMagnification)
{
    QScreen *screen = playerWindowScreen();
    const QRectF S = QXGeometry::frameFromQt(QRectF(screen->availableGeometry()), primaryHeight());
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    const QSizeF n = naturalSizeForMagnification(m, 1.0f);
    float mag = currentMagnification;
    const QRectF zoom = QXGeometry::zoomFrame(S, playerWindowFrame().size(), playerAreaSize(), n,
                                              currentMovieHasVideo, locked, &mag);
    if (changeMagnification && currentMovieHasVideo) {
        currentMagnification = mag;
        selectCurrentMagnificationMenuItem();
    }
    return zoom;
}

bool QXMPController::playerWindowIsZoomedWithAspectRatioLock(bool locked)
{
    return playerWindowZoomFrame(locked, false) == playerWindowFrame();
}

void QXMPController::fitPlayerWindowToScreen()
{
    m_fittedToScreenBySize = false;
    setPlayerWindowFrame(playerWindowZoomFrame(isAspectRatioLocked(), true));
}

void QXMPController::zoomPlayerWindow()
{
    // As a zoom button: to the zoom frame, and from there back to where the user had it.
    const QRectF zoom = playerWindowZoomFrame(isAspectRatioLocked(), false);
    if (playerWindowFrame() == zoom && m_frameBeforeZoom.isValid()) {
        setPlayerWindowFrame(m_frameBeforeZoom);
        m_frameBeforeZoom = QRectF();
        windowDidResizeByUser(playerWindow->size());
        return;
    }
    m_frameBeforeZoom = playerWindowFrame();
    fitPlayerWindowToScreen();
}

void QXMPController::selectCurrentMagnificationMenuItem()
{
    const int t = QXGeometry::magnificationTag(currentMagnification);
    for (QAction *item : std::as_const(scaleMenuItems))
        item->setChecked(!isPresenting() && item->data().toInt() == t);
}

void QXMPController::toggleAspectRatioLock()
{
    const bool locked = isAspectRatioLocked();
    updatePlayerWindowMinimumSize();
    QXSettings::standard().setBool(!locked, QXKeys::VariableAspectRatio);
    m_controlBar->setAspectRatioLocked(locked);
    aspectRatioLockMenuItem->setChecked(locked);
    if (!locked)
        return;
    if (playerWindowZoomFrame(false, false) == playerWindowFrame())
        fitPlayerWindowToScreen();
    else
        resizePlayerWindowForCurrentMagnification();
}

void QXMPController::showPlayerWindow()
{
    QXSettings &settings = QXSettings::standard();
    // The first time ever, and whenever no position was kept, the window is centred.
    if (!settings.boolForKey(QXKeys::PlayerHasBeenCentered) || !m_windowPlaced) {
        const QRect avail = playerWindowScreen()->availableGeometry();
        QRect g = playerWindow->frameGeometry();
        g.moveCenter(avail.center());
        const QRect client = playerWindow->geometry();
        playerWindow->move(g.topLeft() + (client.topLeft() - playerWindow->frameGeometry().topLeft()));
        settings.setBool(true, QXKeys::PlayerHasBeenCentered);
        m_windowPlaced = true;
    }
    if (m_trayIcon)
        m_trayIcon->hide();
    playerWindow->show();
    playerWindow->raise();
    playerWindow->activateWindow();
    applyAspectHints();
    // The decorations are known once the window manager has framed the window.
    QTimer::singleShot(300, this, &QXMPController::keepPlayerWindowOnScreen);
}

void QXMPController::keepPlayerWindowOnScreen()
{
    if (!playerWindow->isVisible() || isPresenting() || playerWindow->isMaximized() || playerWindow->isFullScreen())
        return;
    const QRectF frame = playerWindowFrame();
    const QRectF S = usableScreenFrame();
    if (!QXGeometry::fitsInside(frame.size(), S) && currentMovieHasVideo) {
        fitPlayerWindowToScreen();
        m_fittedToScreenBySize = true;
    } else if (QXGeometry::keptOnScreen(frame, S) != frame) {
        setPlayerWindowFrame(QXGeometry::keptOnScreen(frame, S));
    }
}

void QXMPController::restorePlayerWindowPosition()
{
    // Where the user left the window, when that is still on a screen.
    const QJsonValue stored = QXSettings::standard().objectForKey(QXKeys::PlayerWindowPosition);
    if (!stored.isObject())
        return;
    const QJsonObject o = stored.toObject();
    const QJsonValue x = o.value(QStringLiteral("x")), y = o.value(QStringLiteral("y"));
    if (!x.isDouble() || !y.isDouble() || !std::isfinite(x.toDouble()) || !std::isfinite(y.toDouble())
        || std::abs(x.toDouble()) > 1e6 || std::abs(y.toDouble()) > 1e6)
        return;
    const QPoint topLeft(qRound(x.toDouble()), qRound(y.toDouble()));
    // The title bar must be reachable: the top-left area of the window on some screen.
    const QRect grip(topLeft + QPoint(0, -8), QSize(64, 24));
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(grip)) {
            playerWindow->move(topLeft);
            m_windowPlaced = true;
            return;
        }
    }
}

void QXMPController::savePlayerWindowPosition()
{
    if (!m_windowPlaced || !playerWindow->isVisible() || playerWindow->isMaximized() || playerWindow->isFullScreen())
        return;
    const QPoint p = playerWindow->geometry().topLeft();
    QJsonObject o;
    o.insert(QStringLiteral("x"), p.x());
    o.insert(QStringLiteral("y"), p.y());
    QXSettings::standard().setObject(o, QXKeys::PlayerWindowPosition);
}

void QXMPController::showPlayerWindowIfNotVisible()
{
    if (!playerWindow->isVisible())
        showPlayerWindow();
}

static void applyScale(QXMPController *c, float m)
{
    c->currentMagnificationQuantum = c->currentMagnification = m;
    if (c->playlist().current())
        c->resizePlayerWindowForCurrentMagnification();
}

void QXMPController::setScale(int tag)
{
    if (isPresenting()) {
        beep();
        return;
    }
    applyScale(this, float(tag) / 10.0f);
    selectCurrentMagnificationMenuItem();
}

void QXMPController::increaseScale()
{
    if (isPresenting()) {
        beep();
        return;
    }
    applyScale(this, QXGeometry::increasedScale(currentMagnification));
    selectCurrentMagnificationMenuItem();
}

void QXMPController::decreaseScale()
{
    if (isPresenting()) {
        beep();
        return;
    }
    const float q = currentMagnificationQuantum;
    const double width = playerAreaSize().width();
    applyScale(this, QXGeometry::decreasedScale(currentMagnification));
    // The window did not shrink (at its minimum, or nothing chosen): fall back.
    if (width - playerAreaSize().width() < 0.1)
        currentMagnificationQuantum = currentMagnification = q;
    selectCurrentMagnificationMenuItem();
}

void QXMPController::windowDidResizeByUser(const QSize &clientSize)
{
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    if (!currentMovieHasVideo || !m || isPresenting() || playerWindow->isMaximized() || playerWindow->isFullScreen())
        return;
    const QSizeF n = naturalSizeForMagnification(m, 1.0f);
    // Window minus view is the chrome, the same before and after the resize.
    const QSizeF window(clientSize);
    const QSizeF view(QSizeF(clientSize) - QSizeF(playerWindowChrome()));
    float mag = currentMagnification;
    const double h = QXGeometry::lockedHeightForWidth(window.width(), window, view, n, isAspectRatioLocked(),
                                                     window.height(), &mag);
    currentMagnification = mag;
    m_fittedToScreenBySize = false;
    selectCurrentMagnificationMenuItem();
    // The window manager keeps the proportions during a drag where it honours the hint; one
    // that does not is corrected once the drag has come to rest, never fought step by step.
    if (std::abs(qRound(h) - clientSize.height()) > 1) {
        if (!m_lockedHeightTimer) {
            m_lockedHeightTimer = new QTimer(this);
            m_lockedHeightTimer->setSingleShot(true);
            m_lockedHeightTimer->setInterval(250);
            connect(m_lockedHeightTimer, &QTimer::timeout, this, [this] {
                QXMovie *movie = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
                if (!movie || !currentMovieHasVideo || !isAspectRatioLocked() || isPresenting()
                    || playerWindow->isMaximized() || playerWindow->isFullScreen())
                    return;
                const QSizeF size(playerWindow->size());
                float unused = currentMagnification;
                const double height = QXGeometry::lockedHeightForWidth(
                    size.width(), size, playerAreaSize(), naturalSizeForMagnification(movie, 1.0f), true,
                    size.height(), &unused);
                if (std::abs(qRound(height) - playerWindow->height()) > 1)
                    setPlayerWindowClientRect(QRect(playerWindow->geometry().topLeft(),
                                                    QSize(playerWindow->width(), qRound(height))));
            });
        }
        m_lockedHeightTimer->start();
    }
}
