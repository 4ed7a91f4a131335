// Presentation mode: the movie view moves into a black full-screen window on the player
// window's screen, fitted or filling it, and comes back to the player window on leaving.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowGeometry.h"

#include <QAbstractButton>
#include <QPropertyAnimation>
#include <QTimer>
#include <QAction>
#include <QEvent>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QPointer>
#include <QScreen>

namespace {

// The black window; Escape or a click on the picture leaves presentation.
class QXPresentationWindow : public QWidget
{
public:
    explicit QXPresentationWindow(QXMPController *c) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_c(c)
    {
        setObjectName(QStringLiteral("Presentation"));
        setAttribute(Qt::WA_DeleteOnClose, false);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::black);
        setPalette(pal);
        setAutoFillBackground(true);
        setMouseTracking(true);
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Escape) {
            m_c->stopPresentation();
            return;
        }
        if (e->key() == Qt::Key_Space) {
            m_c->playPause();
            return;
        }
        QWidget::keyPressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        m_c->showPresentationOverlay();
        QWidget::mouseMoveEvent(e);
    }
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
    // A click on the picture while presenting leaves the mode.
    if (watched == playerView && isPresenting && event->type() == QEvent::MouseButtonPress) {
        QMetaObject::invokeMethod(this, &QXMPController::stopPresentation, Qt::QueuedConnection);
        return true;
    }
    if (isPresenting && event->type() == QEvent::MouseMove)
        showPresentationOverlay();
    return QObject::eventFilter(watched, event);
}

void QXMPController::togglePresentation()
{
    if (!currentMovieHasVideo && !isPresenting) {
        beep();
        // The switch and its menu item toggled themselves on the way here.
        presentationSwitch->setChecked(false);
        presentationMenuItem->setChecked(false);
        return;
    }
    isPresenting = !isPresenting;
    aspectRatioLockSwitch->setEnabled(!isPresenting);
    aspectRatioLockMenuItem->setEnabled(!isPresenting);
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
        // The control bar floats over the picture and fades after "Control Interval" seconds.
        QWidget *bar = playerWindow->controlBar;
        // A stand-in keeps the player area's size, which the picture's proportions come from.
        if (!m_controlBarStandIn) {
            m_controlBarStandIn = new QWidget(playerWindow->playerArea);
            m_controlBarStandIn->setFixedHeight(bar->height());
        }
        playerWindow->playerArea->layout()->replaceWidget(bar, m_controlBarStandIn);
        m_controlBarStandIn->show();
        // Its own window over the picture: the picture is a native window that would cover
        // any widget of the presentation window.
        // A window of its own over a picture in a native window, which would cover any widget;
        // a plain child where the view paints the picture (Wayland, no OpenGL), since Wayland
        // lets no client place a window of its own.
        m_overlayWindow = playerView->drawsInNativeWindow()
            ? new QWidget(m_presentationWindow, Qt::Tool | Qt::FramelessWindowHint)
            : new QWidget(m_presentationWindow);
        m_overlayWindow->setAttribute(Qt::WA_ShowWithoutActivating);
        bar->setParent(m_overlayWindow);
        bar->move(0, 0);
        bar->installEventFilter(this);
        bar->setMouseTracking(true);
        playerView->setMouseTracking(true);
        m_presentationWindow->showFullScreen();
        m_presentationWindow->raise();
        m_presentationWindow->activateWindow();
        if (!settings.boolForKey(QXKeys::DoNotPlayOnPresent) && !playerView->isPlaying())
            play();
    } else {
        if (settings.boolForKey(QXKeys::PauseOnWindow) && playerView->isPlaying())
            pause();
        m_presentationWindow->hide();
        m_overlayVanishTimer->stop();
        QWidget *bar = playerWindow->controlBar;
        bar->removeEventFilter(this);
        bar->setMinimumWidth(0);
        bar->setMaximumWidth(QWIDGETSIZE_MAX);
        bar->setParent(playerWindow->playerArea);
        playerWindow->playerArea->layout()->replaceWidget(m_controlBarStandIn, bar);
        m_controlBarStandIn->hide();
        bar->show();
        m_overlayWindow->deleteLater();
        m_overlayWindow = nullptr;
        m_presentationWindow->unsetCursor();
        playerView->removeEventFilter(this);
        playerView->setParent(playerContainerView);
        playerContainerView->layout()->addWidget(playerView);
        playerView->show();
        m_presentationWindow->deleteLater();
        m_presentationWindow = nullptr;
        playerView->update();
        showPlayerWindow();
    }
    if (presentationSwitch->isChecked() != isPresenting)
        presentationSwitch->setChecked(isPresenting);
    presentationMenuItem->setChecked(isPresenting);
    selectCurrentMagnificationMenuItem();
    if (isPresenting)
        showPresentationOverlay();
}

void QXMPController::showPresentationOverlay()
{
    if (!m_presentationWindow)
        return;
    QWidget *bar = playerWindow->controlBar;
    if (!m_overlayVanishTimer) {
        m_overlayVanishTimer = new QTimer(this);
        m_overlayVanishTimer->setSingleShot(true);
        connect(m_overlayVanishTimer, &QTimer::timeout, this, &QXMPController::vanishPresentationOverlay);
    }
    const QSize S = m_presentationWindow->size();
    const int width = qMin(640, S.width() - 40);
    bar->setFixedWidth(width);
    bar->show();
    m_overlayWindow->setFixedSize(width, bar->height());
    const QPoint place((S.width() - width) / 2, S.height() - bar->height() - 40);
    m_overlayWindow->move(m_overlayWindow->isWindow() ? m_presentationWindow->mapToGlobal(place) : place);
    // A fade-out under way gives way to the bar.
    if (m_overlayFade)
        m_overlayFade->stop();
    m_overlayWindow->setWindowOpacity(1.0);
    m_overlayWindow->show();
    m_overlayWindow->raise();
    m_presentationWindow->unsetCursor();
    m_overlayVanishTimer->start(QXTimerIntervalMs(QXControlInterval(QXSettings::standard())));
}

void QXMPController::vanishPresentationOverlay()
{
    if (!m_presentationWindow)
        return;
    QWidget *bar = playerWindow->controlBar;
    // The pointer over the bar keeps it up.
    if (bar->underMouse()) {
        m_overlayVanishTimer->start();
        return;
    }
    // Fades where the window system can show opacity; hidden at the end either way.
    if (m_overlayFade)
        m_overlayFade->stop();
    auto *fade = new QPropertyAnimation(m_overlayWindow, "windowOpacity", m_overlayWindow);
    m_overlayFade = fade;
    fade->setDuration(400);
    fade->setEndValue(0.0);
    connect(fade, &QPropertyAnimation::finished, m_overlayWindow, [this] {
        if (isPresenting && m_overlayWindow && !m_overlayVanishTimer->isActive()) {
            m_overlayWindow->hide();
            if (m_presentationWindow)
                m_presentationWindow->setCursor(Qt::BlankCursor);
        }
    });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
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
