// Presentation mode: the movie view moves into a black full-screen window on the player
// window's screen, fitted or filling it, and comes back to the player window on leaving.
#include "app/QXMPController.h"
#include "player/QXControlBar.h"
#include "app/QXSettings.h"
#include "engine/QXMovieView.h"
#include "player/QXMenuValidation.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowGeometry.h"

#include <QAbstractButton>
#include <QTimer>
#include <QAction>
#include <QEvent>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QLayout>
#include <QPointer>
#include <QScreen>

namespace {

// The black window; Escape or a click on the picture leaves presentation. Its keys go through
// the key table as the player window's do, and the menus' shortcuts work in it alike.
class QXPresentationWindow : public QWidget
{
public:
    explicit QXPresentationWindow(QXMPController *c) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_c(c)
    {
        setObjectName(QStringLiteral("Presentation"));
        setAttribute(Qt::WA_DeleteOnClose, false);
        setFocusPolicy(Qt::StrongFocus);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::black);
        setPalette(pal);
        setAutoFillBackground(true);
        setMouseTracking(true);
        addActions(QXMenuItems(c->playerWindow->menuBar(), {c->playlistMenu}));
    }

protected:
    void resizeEvent(QResizeEvent *e) override
    {
        QWidget::resizeEvent(e);
        if (m_c->isPresenting)
            m_c->placePresentationView();
    }
    // Closed by the window manager: presentation ends as with Escape, and the window stays
    // with the controller, which hides and deletes it.
    void closeEvent(QCloseEvent *e) override
    {
        e->ignore();
        QMetaObject::invokeMethod(m_c, &QXMPController::stopPresentation, Qt::QueuedConnection);
    }

private:
    QXMPController *m_c;
};

} // namespace

bool QXMPController::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the picture while presenting leaves the mode; a right click opens its menu.
    if (watched == playerView && isPresenting && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        QMetaObject::invokeMethod(this, &QXMPController::stopPresentation, Qt::QueuedConnection);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void QXMPController::togglePresentation()
{
    if (!currentMovieHasVideo && !isPresenting) {
        beep();
        // The switch and its menu item toggled themselves on the way here.
        m_controlBar->setPresenting(false);
        presentationMenuItem->setChecked(false);
        return;
    }
    isPresenting = !isPresenting;
    QXSettings &settings = QXSettings::standard();
    if (isPresenting) {
        m_presentationScreen = playerWindowScreen();
        // Hidden, not closed: closing runs the window-close rules (pause, forget).
        playerWindow->hide();
        m_presentationWindow = new QXPresentationWindow(this);
        playerView->setParent(m_presentationWindow);
        playerView->installEventFilter(this);
        updatePresentationWindow();
        playerView->show();
        m_overlay->presentIn(m_presentationWindow);
        m_presentationWindow->showFullScreen();
        m_presentationWindow->raise();
        m_presentationWindow->activateWindow();
        m_presentationWindow->setFocus(Qt::ActiveWindowFocusReason);
        if (!settings.boolForKey(QXKeys::DoNotPlayOnPresent) && !playerView->isPlaying())
            play();
    } else {
        if (settings.boolForKey(QXKeys::PauseOnWindow) && playerView->isPlaying())
            pause();
        m_presentationWindow->hide();
        playerView->removeEventFilter(this);
        playerView->setParent(playerContainerView);
        playerContainerView->layout()->addWidget(playerView);
        playerView->show();
        m_overlay->returnToPlayerWindow(!settings.boolForKey(QXKeys::OverlayControlsInWindowMode));
        m_presentationWindow->deleteLater();
        m_presentationWindow = nullptr;
        playerView->update();
        showPlayerWindow();
    }
    m_controlBar->setPresenting(isPresenting);
    presentationMenuItem->setChecked(isPresenting);
    selectCurrentMagnificationMenuItem();
    updateButtons();
    m_overlay->showOverlayByFadingIn(false);
}

void QXMPController::stopPresentation()
{
    if (isPresenting)
        togglePresentation();
}

void QXMPController::updatePresentationWindow()
{
    if (!m_presentationWindow)
        return;
    QScreen *screen = m_presentationScreen ? m_presentationScreen.data() : playerWindowScreen();
    const QRect S = screen->geometry();
    if (m_presentationWindow->geometry() != S)
        m_presentationWindow->setGeometry(S);
    placePresentationView();
}

void QXMPController::placePresentationView()
{
    if (!m_presentationWindow)
        return;
    const QSizeF S(m_presentationWindow->size());
    const bool fill = QXSettings::standard().integerForKey(QXKeys::PresentationMode) == 1;
    const QRectF f = QXGeometry::presentationFrame(S, playerAreaSize(), fill);
    playerView->setGeometry(QXGeometry::frameToQt(f, S.height()).toRect());
    playerView->update();
}
