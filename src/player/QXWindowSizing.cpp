// The player window follows the movie: magnification, the aspect-ratio lock, zoom to the
// screen and the first-ever centring. The arithmetic is in QXWindowGeometry.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowGeometry.h"

#include <QAbstractButton>
#include <QAction>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

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
}

QSizeF QXMPController::playerAreaSize() const
{
    layOutNow(playerWindow);
    return QSizeF(playerContainerView->size());
}

bool QXMPController::isAspectRatioLocked() const
{
    return aspectRatioLockSwitch && aspectRatioLockSwitch->isChecked();
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

void QXMPController::resizePlayerWindowForSize(const QSizeF &size)
{
    const QSizeF area = playerAreaSize();
    const QRect g = playerWindow->geometry();
    // Top-left stays; the window grows downward and to the right.
    const QSizeF grow(size.width() - area.width(), size.height() - area.height());
    setPlayerWindowClientRect(QRect(g.topLeft(), QSize(qRound(g.width() + grow.width()), qRound(g.height() + grow.height()))));
}

void QXMPController::resizePlayerWindowForCurrentMagnification()
{
    resizePlayerWindowForSize(viewSizeForMagnification(currentMagnification));
}

void QXMPController::updatePlayerWindowMinimumSize()
{
    const QSizeF area = playerAreaSize();
    const QSizeF min = QXGeometry::minimumFrameSize(playerWindow->width(), area.width());
    playerWindow->setMinimumSize(min.toSize());
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
    QXMovie *m = currentMovieRepresentation ? currentMovieRepresentation->openedMovie() : nullptr;
    const QSizeF n = naturalSizeForMagnification(m, 1.0f);
    float mag = currentMagnification;
    const QRectF zoom = QXGeometry::zoomFrame(S, playerWindowFrame().size(), QSizeF(playerView->size()), n,
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
    setPlayerWindowFrame(playerWindowZoomFrame(isAspectRatioLocked(), true));
}

void QXMPController::selectCurrentMagnificationMenuItem()
{
    const int t = QXGeometry::magnificationTag(currentMagnification);
    for (QAction *item : std::as_const(scaleMenuItems))
        item->setChecked(!isPresenting && item->data().toInt() == t);
}

void QXMPController::toggleAspectRatioLock()
{
    const bool locked = isAspectRatioLocked();
    QXSettings::standard().setBool(!locked, QXKeys::VariableAspectRatio);
    aspectRatioLockSwitch->setToolTip(locked ? tr("Unlock Aspect Ratio") : tr("Lock Aspect Ratio"));
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
    if (!settings.boolForKey(QXKeys::PlayerHasBeenCentered)) {
        const QRect avail = playerWindowScreen()->availableGeometry();
        QRect g = playerWindow->geometry();
        g.moveCenter(avail.center());
        playerWindow->move(g.topLeft());
        settings.setBool(true, QXKeys::PlayerHasBeenCentered);
    }
    playerWindow->show();
    playerWindow->raise();
    playerWindow->activateWindow();
}

void QXMPController::showPlayerWindowIfNotVisible()
{
    if (!playerWindow->isVisible())
        showPlayerWindow();
}

static void applyScale(QXMPController *c, float m)
{
    c->currentMagnificationQuantum = c->currentMagnification = m;
    if (c->currentMovieRepresentation)
        c->resizePlayerWindowForCurrentMagnification();
}

void QXMPController::setScale(int tag)
{
    if (isPresenting) {
        beep();
        return;
    }
    applyScale(this, float(tag) / 10.0f);
    selectCurrentMagnificationMenuItem();
}

void QXMPController::increaseScale()
{
    if (isPresenting) {
        beep();
        return;
    }
    applyScale(this, QXGeometry::increasedScale(currentMagnification));
    selectCurrentMagnificationMenuItem();
}

void QXMPController::decreaseScale()
{
    if (isPresenting) {
        beep();
        return;
    }
    const float q = currentMagnificationQuantum;
    const int width = playerView->width();
    applyScale(this, QXGeometry::decreasedScale(currentMagnification));
    // The window did not shrink (at its minimum, or nothing chosen): fall back.
    if (width - playerView->width() < 0.1)
        currentMagnificationQuantum = currentMagnification = q;
    selectCurrentMagnificationMenuItem();
}

void QXMPController::windowDidResizeByUser(const QSize &clientSize)
{
    QXMovie *m = currentMovieRepresentation ? currentMovieRepresentation->openedMovie() : nullptr;
    if (!currentMovieHasVideo || !m || isPresenting)
        return;
    const QSizeF n = naturalSizeForMagnification(m, 1.0f);
    // Window minus view is the chrome, the same before and after the resize.
    const QSizeF window(clientSize);
    const QSizeF view(playerView->size());
    float mag = currentMagnification;
    const double h = QXGeometry::lockedHeightForWidth(window.width(), window, view, n, isAspectRatioLocked(),
                                                     window.height(), &mag);
    currentMagnification = mag;
    selectCurrentMagnificationMenuItem();
    if (qRound(h) != clientSize.height())
        playerWindow->resize(clientSize.width(), qRound(h));
}
