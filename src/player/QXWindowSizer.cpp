#include "player/QXWindowSizer.h"
#include "app/QXSettings.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowGeometry.h"
#include "player/QXWindowHints.h"

#include <QAction>
#include <QGuiApplication>
#include <QJsonObject>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
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

QXWindowSizer::QXWindowSizer(QXWindowSizerHost *host, QXPlayerWindow *window, QXMovieView *view, QXControlBar *bar,
                             QObject *parent)
    : QObject(parent), m_host(host), m_window(window), m_view(view), m_bar(bar)
{
    connect(window, &QXPlayerWindow::resizedByUser, this, &QXWindowSizer::windowDidResizeByUser);
    connect(window, &QXPlayerWindow::moveSettled, this, &QXWindowSizer::savePlayerWindowPosition);
    connect(window, &QXPlayerWindow::zoomRequested, this, &QXWindowSizer::zoomPlayerWindow);
}

void QXWindowSizer::setMenuItems(const QList<QAction *> &scaleItems, QAction *aspectRatioLockItem)
{
    m_scaleItems = scaleItems;
    m_aspectRatioLockItem = aspectRatioLockItem;
}

QRectF QXWindowSizer::playerWindowFrame() const
{
    const QRect client = m_window->geometry();
    return QXGeometry::frameFromQt(QRectF(client.marginsAdded(frameMargins(m_window))), primaryHeight());
}

void QXWindowSizer::setPlayerWindowFrame(const QRectF &frame)
{
    const QRect outer = QXGeometry::frameToQt(frame, primaryHeight()).toAlignedRect();
    setPlayerWindowClientRect(outer.marginsRemoved(frameMargins(m_window)));
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

void QXWindowSizer::setPlayerWindowClientRect(const QRect &client)
{
    m_window->setGeometry(client);
    layOutNow(m_window);
    applyAspectHints();
}

void QXWindowSizer::applyAspectHints()
{
    // A picture whose proportions cannot be kept on the screen gets no hint: the window
    // manager would grow the window past the screen to keep them at the least width.
    const QSizeF kept = keptPictureProportions();
    QXWindowHints::setAspect(m_window, m_host->isPresenting() ? QSize() : kept.toSize(), playerWindowChrome());
    // The window cannot take such a picture's proportions; the lock keeps them in the picture.
    const bool bars = kept.isEmpty() && m_host->currentMovieHasVideo() && isAspectRatioLocked();
    if (m_view->preservesAspectRatio() != bars)
        m_view->setPreservesAspectRatio(bars);
}

// What is not the player area in the window's client area, from the parts themselves: right
// after a resize the layout may not have followed yet, and arithmetic on it would be skewed.
QSize QXWindowSizer::playerWindowChrome() const
{
    QXPlayerWindow *w = m_window;
    int width = 0;
    if (w->playlistPane->isVisibleTo(w))
        width += w->playlistPane->width() + w->playlistDivider->width();
    int height = w->menuBar()->isVisibleTo(w) ? w->menuBar()->sizeHint().height() : 0;
    if (m_host->controlBarTakesWindowRoom())
        height += QXOverlay::StaticHeight;
    return QSize(width, height);
}

QSizeF QXWindowSizer::playerAreaSize() const
{
    return QSizeF(m_window->size() - playerWindowChrome());
}

bool QXWindowSizer::isAspectRatioLocked() const
{
    return m_bar && m_bar->isAspectRatioLocked();
}

QSizeF QXWindowSizer::pictureSizeForMagnification(float magnification) const
{
    const std::optional<QSizeF> n = m_host->currentPictureSize();
    if (!n)
        return QSizeF(0, 0);
    return QSizeF(n->width() * magnification, n->height() * magnification);
}

QSizeF QXWindowSizer::viewSizeForMagnification(float magnification) const
{
    const QSizeF s = pictureSizeForMagnification(magnification);
    return QXGeometry::viewSizeForMovieSize(s, m_view->isControllerVisible(), m_view->controllerBarHeight());
}

QRectF QXWindowSizer::usableScreenFrame() const
{
    return QXGeometry::frameFromQt(QRectF(playerWindowScreen()->availableGeometry()), primaryHeight());
}

QSizeF QXWindowSizer::playerAreaContentMinimum() const
{
    // The bar folds its parts down to this width; the window cannot be narrower, so the
    // picture must not be either.
    const double width = QXGeometry::minimumSize.width();
    // The window's own least height, less what is not the player area.
    const double chrome = m_window->height() - playerAreaSize().height();
    return QSizeF(width, qMax(1.0, QXGeometry::minimumSize.height() - chrome));
}

QSizeF QXWindowSizer::playerAreaRoom() const
{
    // From the window's own chrome and its frame's margins, never from a frame size that a
    // window manager has not yet caught up with: a stale one could make room for a picture
    // taller than the screen.
    const QMargins m = frameMargins(m_window);
    const QSizeF decorations(qMax(0, m.left()) + qMax(0, m.right()), qMax(0, m.top()) + qMax(0, m.bottom()));
    return usableScreenFrame().size() - decorations - QSizeF(playerWindowChrome());
}

QSizeF QXWindowSizer::keptPictureProportions() const
{
    const std::optional<QSizeF> n = m_host->currentPictureSize();
    if (!n || !m_host->currentMovieHasVideo() || !isAspectRatioLocked())
        return {};
    return QXGeometry::proportionalLeastArea(playerAreaContentMinimum(), *n, playerAreaRoom()).isEmpty() ? QSizeF() : *n;
}

void QXWindowSizer::resizePlayerWindowForSize(const QSizeF &requested)
{
    // A picture narrower than the window can be grows with it, its proportions kept.
    const QSizeF least = playerAreaContentMinimum();
    const QSizeF size = QXGeometry::proportionallyAtLeast(requested, least.width(), least.height());
    const QRectF frame = playerWindowFrame();
    QRectF target = QXGeometry::frameForPlayerAreaSize(frame, playerAreaSize(), size);
    const QRectF S = usableScreenFrame();
    const std::optional<QSizeF> n = m_host->currentPictureSize();
    if (m_host->currentMovieHasVideo() && n && !QXGeometry::fitsInside(target.size(), S)) {
        // Larger than the screen: fitted to it as zoom with the lock on fits, the magnification
        // following, so the title bar and the controls stay within reach.
        float mag = m_magnification;
        target = QXGeometry::zoomFrame(S, frame.size(), playerAreaSize(),
                                       *n, true, true, &mag);
        m_magnification = mag;
        selectCurrentMagnificationMenuItem();
        m_fittedToScreenBySize = true;
    } else {
        target = QXGeometry::keptOnScreen(target, S);
        m_fittedToScreenBySize = false;
    }
    setPlayerWindowFrame(target);
}

void QXWindowSizer::resizePlayerWindowForCurrentMagnification()
{
    resizePlayerWindowForSize(viewSizeForMagnification(m_magnification));
}

void QXWindowSizer::updatePlayerWindowMinimumSize()
{
    const QSizeF area = playerAreaSize();
    const QSizeF rule = QXGeometry::minimumFrameSize(m_window->width(), area.width());
    // With the lock on, the least player area has the picture's proportions too, as far as
    // the screen has room for them.
    const QSizeF least = QXGeometry::leastPlayerArea(playerAreaContentMinimum(), keptPictureProportions(),
                                                     playerAreaRoom());
    const QSizeF content(least.width() + m_window->width() - area.width(),
                         least.height() + m_window->height() - area.height());
    m_window->setMinimumSize(qCeil(qMax(rule.width(), content.width())),
                             qCeil(qMax(rule.height(), content.height())));
    applyAspectHints();
}

QScreen *QXWindowSizer::playerWindowScreen() const
{
    QScreen *s = m_window->screen();
    return s ? s : QGuiApplication::primaryScreen();
}

QRectF QXWindowSizer::playerWindowZoomFrame(bool locked, bool changeMagnification)
{
    QScreen *screen = playerWindowScreen();
    const QRectF S = QXGeometry::frameFromQt(QRectF(screen->availableGeometry()), primaryHeight());
    const QSizeF n = pictureSizeForMagnification(1.0f);
    float mag = m_magnification;
    const QRectF zoom = QXGeometry::zoomFrame(S, playerWindowFrame().size(), playerAreaSize(), n,
                                              m_host->currentMovieHasVideo(), locked, &mag);
    if (changeMagnification && m_host->currentMovieHasVideo()) {
        m_magnification = mag;
        selectCurrentMagnificationMenuItem();
    }
    return zoom;
}

bool QXWindowSizer::playerWindowIsZoomedWithAspectRatioLock(bool locked)
{
    return playerWindowZoomFrame(locked, false) == playerWindowFrame();
}

void QXWindowSizer::fitPlayerWindowToScreen()
{
    m_fittedToScreenBySize = false;
    setPlayerWindowFrame(playerWindowZoomFrame(isAspectRatioLocked(), true));
}

void QXWindowSizer::zoomPlayerWindow()
{
    // As a zoom button: to the zoom frame, and from there back to where the user had it.
    const QRectF zoom = playerWindowZoomFrame(isAspectRatioLocked(), false);
    if (playerWindowFrame() == zoom && m_frameBeforeZoom.isValid()) {
        setPlayerWindowFrame(m_frameBeforeZoom);
        m_frameBeforeZoom = QRectF();
        windowDidResizeByUser(m_window->size());
        return;
    }
    m_frameBeforeZoom = playerWindowFrame();
    fitPlayerWindowToScreen();
}

void QXWindowSizer::selectCurrentMagnificationMenuItem()
{
    const int t = QXGeometry::magnificationTag(m_magnification);
    for (QAction *item : std::as_const(m_scaleItems))
        item->setChecked(!m_host->isPresenting() && item->data().toInt() == t);
}

void QXWindowSizer::toggleAspectRatioLock()
{
    const bool locked = isAspectRatioLocked();
    updatePlayerWindowMinimumSize();
    QXSettings::standard().setBool(!locked, QXKeys::VariableAspectRatio);
    m_bar->setAspectRatioLocked(locked);
    m_aspectRatioLockItem->setChecked(locked);
    if (!locked)
        return;
    if (playerWindowZoomFrame(false, false) == playerWindowFrame())
        fitPlayerWindowToScreen();
    else
        resizePlayerWindowForCurrentMagnification();
}

void QXWindowSizer::showPlayerWindow()
{
    QXSettings &settings = QXSettings::standard();
    // The first time ever, and whenever no position was kept, the window is centred.
    if (!settings.boolForKey(QXKeys::PlayerHasBeenCentered) || !m_windowPlaced) {
        const QRect avail = playerWindowScreen()->availableGeometry();
        QRect g = m_window->frameGeometry();
        g.moveCenter(avail.center());
        const QRect client = m_window->geometry();
        m_window->move(g.topLeft() + (client.topLeft() - m_window->frameGeometry().topLeft()));
        settings.setBool(true, QXKeys::PlayerHasBeenCentered);
        m_windowPlaced = true;
    }
    emit windowWillShow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    applyAspectHints();
    // The decorations are known once the window manager has framed the window.
    QTimer::singleShot(300, this, &QXWindowSizer::keepPlayerWindowOnScreen);
}

void QXWindowSizer::keepPlayerWindowOnScreen()
{
    if (!m_window->isVisible() || m_host->isPresenting() || m_window->isMaximized() || m_window->isFullScreen())
        return;
    const QRectF frame = playerWindowFrame();
    const QRectF S = usableScreenFrame();
    if (!QXGeometry::fitsInside(frame.size(), S) && m_host->currentMovieHasVideo()) {
        fitPlayerWindowToScreen();
        m_fittedToScreenBySize = true;
    } else if (QXGeometry::keptOnScreen(frame, S) != frame) {
        setPlayerWindowFrame(QXGeometry::keptOnScreen(frame, S));
    }
}

void QXWindowSizer::restorePlayerWindowPosition()
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
            m_window->move(topLeft);
            m_windowPlaced = true;
            return;
        }
    }
}

void QXWindowSizer::savePlayerWindowPosition()
{
    if (!m_windowPlaced || !m_window->isVisible() || m_window->isMaximized() || m_window->isFullScreen())
        return;
    const QPoint p = m_window->geometry().topLeft();
    QJsonObject o;
    o.insert(QStringLiteral("x"), p.x());
    o.insert(QStringLiteral("y"), p.y());
    QXSettings::standard().setObject(o, QXKeys::PlayerWindowPosition);
}

void QXWindowSizer::showPlayerWindowIfNotVisible()
{
    if (!m_window->isVisible())
        showPlayerWindow();
}

void QXWindowSizer::applyScale(float m)
{
    m_magnificationQuantum = m_magnification = m;
    if (m_host->hasCurrentMovie())
        resizePlayerWindowForCurrentMagnification();
}

void QXWindowSizer::setScale(int tag)
{
    if (m_host->isPresenting()) {
        emit refused();
        return;
    }
    applyScale(float(tag) / 10.0f);
    selectCurrentMagnificationMenuItem();
}

void QXWindowSizer::increaseScale()
{
    if (m_host->isPresenting()) {
        emit refused();
        return;
    }
    applyScale(QXGeometry::increasedScale(m_magnification));
    selectCurrentMagnificationMenuItem();
}

void QXWindowSizer::decreaseScale()
{
    if (m_host->isPresenting()) {
        emit refused();
        return;
    }
    const float q = m_magnificationQuantum;
    const double width = playerAreaSize().width();
    applyScale(QXGeometry::decreasedScale(m_magnification));
    // The window did not shrink (at its minimum, or nothing chosen): fall back.
    if (width - playerAreaSize().width() < 0.1)
        m_magnificationQuantum = m_magnification = q;
    selectCurrentMagnificationMenuItem();
}

void QXWindowSizer::windowDidResizeByUser(const QSize &clientSize)
{
    const std::optional<QSizeF> n = m_host->currentPictureSize();
    if (!m_host->currentMovieHasVideo() || !n || m_host->isPresenting() || m_window->isMaximized()
        || m_window->isFullScreen())
        return;
    // Window minus view is the chrome, the same before and after the resize.
    const QSizeF window(clientSize);
    const QSizeF view(QSizeF(clientSize) - QSizeF(playerWindowChrome()));
    float mag = m_magnification;
    const double h = QXGeometry::lockedHeightForWidth(window.width(), window, view, *n, isAspectRatioLocked(),
                                                     window.height(), &mag);
    m_magnification = mag;
    m_fittedToScreenBySize = false;
    selectCurrentMagnificationMenuItem();
    // The window manager keeps the proportions during a drag where it honours the hint; one
    // that does not is corrected once the drag has come to rest, never fought step by step.
    if (std::abs(qRound(h) - clientSize.height()) > 1) {
        if (!m_lockedHeightTimer) {
            m_lockedHeightTimer = new QTimer(this);
            m_lockedHeightTimer->setSingleShot(true);
            m_lockedHeightTimer->setInterval(250);
            connect(m_lockedHeightTimer, &QTimer::timeout, this, &QXWindowSizer::correctLockedHeight);
        }
        m_lockedHeightTimer->start();
    }
}

void QXWindowSizer::correctLockedHeight()
{
    const std::optional<QSizeF> n = m_host->currentPictureSize();
    if (!n || !m_host->currentMovieHasVideo() || !isAspectRatioLocked() || m_host->isPresenting()
        || m_window->isMaximized() || m_window->isFullScreen())
        return;
    const QSizeF size(m_window->size());
    float unused = m_magnification;
    const double height = QXGeometry::lockedHeightForWidth(size.width(), size, playerAreaSize(), *n, true,
                                                           size.height(), &unused);
    if (std::abs(qRound(height) - m_window->height()) > 1)
        setPlayerWindowClientRect(QRect(m_window->geometry().topLeft(), QSize(m_window->width(), qRound(height))));
}

bool QXWindowSizer::rememberLeavingMovie(bool locked)
{
    const std::optional<QSizeF> n = m_host->currentPictureSize();
    if (!m_host->currentMovieHasVideo() || !n) {
        m_lastMovieSize = QSizeF(0, 0);
        m_lastMovieWasZoomed = false;
        return false;
    }
    m_lastMovieSize = *n;
    // A window fitted to the screen only because the movie was too large is not zoomed.
    m_lastMovieWasZoomed = playerWindowIsZoomedWithAspectRatioLock(locked) && !m_fittedToScreenBySize;
    return true;
}

bool QXWindowSizer::followNewMovie(bool canRemember, const QSizeF &rememberedSize)
{
    const QSizeF n = pictureSizeForMagnification(1.0f);
    if (m_lastMovieSize.width() >= 1.0 && m_lastMovieSize == n) {
        // Same picture size as the movie before: keep the magnification.
        canRemember = false;
    } else {
        if (canRemember) {
            m_lastMovieSize = rememberedSize;
            m_magnification = float(m_lastMovieSize.width() / n.width());
        } else {
            m_magnification = 1.0f;
        }
        selectCurrentMagnificationMenuItem();
    }
    if (m_lastMovieWasZoomed)
        fitPlayerWindowToScreen();
    else if (canRemember)
        resizePlayerWindowForSize(m_lastMovieSize);
    else
        resizePlayerWindowForCurrentMagnification();
    return canRemember;
}
