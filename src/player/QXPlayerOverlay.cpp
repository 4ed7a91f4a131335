#include "player/QXPlayerOverlay.h"

#include "app/QXSettings.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowHints.h"

#include <QCursor>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLayout>
#include <QTimer>
#include <QWindow>

namespace QXOverlay {

Parts partsForWidth(const Parts &now, int width)
{
    Parts p = now;
    if (width < ButtonsWidth) {
        p.buttonsHidden = true;
        if (width < RemainingTimeWidth) {
            p.remainingTimeHidden = true;
            if (width < TimeWidth)
                p.timeHidden = true;
        }
    }
    if (width >= TimeWidth) {
        p.timeHidden = false;
        if (width >= RemainingTimeWidth) {
            p.remainingTimeHidden = false;
            if (width >= ButtonsWidth)
                p.buttonsHidden = false;
        }
    }
    return p;
}

QList<float> fadeSteps(float from, bool in)
{
    QList<float> steps;
    if (in) {
        if (from < 0.9f)
            for (float a = float(double(from) + 0.1); a < 1.0f; a = float(double(a) + 0.1))
                steps.append(a);
        steps.append(1.0f);
    } else {
        // Float steps of 0.1 leave a crumb above 0 after the ninth; it counts as 0.
        if (from > 0.1f)
            for (float a = float(double(from) - 0.1); a > 1e-6f; a = float(double(a) - 0.1))
                steps.append(a);
        steps.append(0.0f);
    }
    return steps;
}

} // namespace QXOverlay

QXPlayerOverlay::QXPlayerOverlay(const QXOverlayHost &host, QXControlBar *view, QObject *parent)
    : QObject(parent), m_host(host), m_view(view), m_fadeTimer(new QTimer(this)),
      m_vanishTimer(new QTimer(this))
{
    // Fades step every 20 ms from the event loop: the picture goes on meanwhile.
    m_fadeTimer->setInterval(20);
    connect(m_fadeTimer, &QTimer::timeout, this, [this] {
        if (m_fadeSteps.isEmpty()) {
            m_fadeTimer->stop();
            return;
        }
        setAlpha(m_fadeSteps.takeFirst());
        if (m_fadeSteps.isEmpty())
            m_fadeTimer->stop();
    });
    m_vanishTimer->setSingleShot(true);
    connect(m_vanishTimer, &QTimer::timeout, this, &QXPlayerOverlay::vanishOverlay);
    m_host.window->installEventFilter(this);
    m_host.pictureContainer->installEventFilter(this);
}

QXPlayerOverlay::~QXPlayerOverlay()
{
    delete m_window;
}

bool QXPlayerOverlay::isStatic() const
{
    return m_view->isStatic();
}

bool QXPlayerOverlay::takesWindowRoom() const
{
    return m_view->isStatic() || (m_presentation && m_staticBeforePresentation);
}

QWidget *QXPlayerOverlay::pictureHost() const
{
    return m_presentation ? m_presentation.data() : m_host.pictureContainer;
}

bool QXPlayerOverlay::seeThroughPossible() const
{
    // Without a compositor a translucent window shows garbage where it should be clear.
    return !m_host.movieView->drawsInNativeWindow() || QXWindowHints::compositorRunning();
}

void QXPlayerOverlay::setStaticOverlay(bool isStatic, bool isInitialSetup)
{
    if (m_view->isStatic() == isStatic)
        return;
    QXPlayerWindow *w = m_host.window;
    const QRect client = w->geometry();
    m_view->setStatic(isStatic);
    auto *areaLayout = static_cast<QBoxLayout *>(w->playerArea->layout());
    if (isStatic) {
        cancelOverlayVanish();
        m_fadeTimer->stop();
        m_alpha = 1.0f;
        if (m_window)
            m_window->hide();
        m_view->setGraphicsEffect(nullptr);
        m_view->setParent(w->playerArea);
        areaLayout->addWidget(m_view);
        m_view->show();
    } else {
        areaLayout->removeWidget(m_view);
        m_view->hide();
    }
    // The top edge stays; the player area keeps its size.
    const int grow = isStatic ? QXOverlay::StaticHeight : -QXOverlay::StaticHeight;
    m_host.setClientRect(QRect(client.topLeft(), QSize(client.width(), client.height() + grow)));
    if (!isInitialSetup)
        m_view->update();
    if (!isStatic)
        placeFloatingBar();
}

QRect QXPlayerOverlay::playerOverlayFrame() const
{
    if (m_view->isStatic() && !m_presentation)
        return QRect(m_view->mapToGlobal(QPoint(0, 0)), m_view->size());
    QWidget *host = pictureHost();
    return QRect(host->mapToGlobal(QPoint(0, host->height() - QXOverlay::BarHeight)),
                 QSize(host->width(), QXOverlay::BarHeight));
}

void QXPlayerOverlay::updateOverlayFrameAndCheckToolbarVisibility(bool check, bool display)
{
    if (check) {
        const QXOverlay::Parts parts = QXOverlay::partsForWidth(m_parts, pictureHost()->width());
        if (parts != m_parts) {
            m_parts = parts;
            // Unfolding, the rotate button takes the turn the setting names now.
            m_view->setRotateCounterclockwise(QXSettings::standard().boolForKey(QXKeys::RotateCounterclockwise));
            m_view->setParts(parts);
        }
    }
    if (!m_view->isStatic() || m_presentation)
        placeFloatingBar();
    if (display)
        m_view->update();
}

void QXPlayerOverlay::placeFloatingBar()
{
    const QRect frame = playerOverlayFrame();
    if (m_host.movieView->drawsInNativeWindow()) {
        if (!m_window) {
            m_window = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                                                | Qt::NoDropShadowWindowHint);
            m_window->setAttribute(Qt::WA_ShowWithoutActivating);
            m_window->setAttribute(Qt::WA_TranslucentBackground, seeThroughPossible());
            m_window->setObjectName(QStringLiteral("Overlay"));
            auto *layout = new QVBoxLayout(m_window);
            layout->setContentsMargins(0, 0, 0, 0);
            m_window->installEventFilter(this);
        }
        m_view->setSeeThrough(m_window->testAttribute(Qt::WA_TranslucentBackground));
        if (m_view->parentWidget() != m_window) {
            m_view->setParent(m_window);
            m_window->layout()->addWidget(m_view);
        }
        m_window->winId();
        QWidget *parentWindow = pictureHost()->window();
        if (m_window->windowHandle()->transientParent() != parentWindow->windowHandle())
            m_window->windowHandle()->setTransientParent(parentWindow->windowHandle());
        m_window->setGeometry(frame);
    } else {
        QWidget *host = pictureHost();
        m_view->setSeeThrough(true);
        if (m_view->parentWidget() != host)
            m_view->setParent(host);
        m_view->setGeometry(QRect(host->mapFromGlobal(frame.topLeft()), frame.size()));
        m_view->raise();
    }
    setAlpha(m_alpha);
}

bool QXPlayerOverlay::isShown() const
{
    return m_view->isStatic() && !m_presentation ? m_view->isVisible() : m_alpha > 0.0f && m_view->isVisible();
}

void QXPlayerOverlay::setAlpha(float alpha)
{
    m_alpha = alpha;
    if (m_view->isStatic() && !m_presentation)
        return;
    QWidget *top = pictureHost()->window();
    // Shown only over a window that shows: never a bar left behind on screen.
    const bool visible = alpha > 0.0f && top->isVisible() && !top->isMinimized();
    if (m_host.movieView->drawsInNativeWindow()) {
        if (!m_window)
            return;   // placed, and so made, on its first showing
        m_view->setGraphicsEffect(nullptr);
        if (m_window->windowOpacity() != alpha)
            m_window->setWindowOpacity(alpha);
        // Shown and raised once as it comes: a restacking per fade step would make the window
        // system expose the picture again each time.
        if (visible && !m_window->isVisible()) {
            m_view->show();
            m_window->show();
            m_window->raise();
        } else if (!visible && m_window->isVisible()) {
            m_window->hide();
        }
        return;
    }
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(m_view->graphicsEffect());
    if (alpha < 1.0f && !effect) {
        effect = new QGraphicsOpacityEffect(m_view);
        m_view->setGraphicsEffect(effect);
    }
    if (effect)
        effect->setOpacity(alpha);
    if (alpha >= 1.0f)
        m_view->setGraphicsEffect(nullptr);
    if (visible != m_view->isVisible()) {
        m_view->setVisible(visible);
        if (visible)
            m_view->raise();
    }
}

void QXPlayerOverlay::fade(bool in)
{
    m_fadeSteps = QXOverlay::fadeSteps(m_alpha, in);
    // The first step at once, so a fade-in answers the pointer without delay.
    setAlpha(m_fadeSteps.takeFirst());
    if (m_fadeSteps.isEmpty())
        m_fadeTimer->stop();
    else
        m_fadeTimer->start();
}

double QXPlayerOverlay::overlayVanishInterval() const
{
    return QXControlInterval(QXSettings::standard());
}

void QXPlayerOverlay::cancelOverlayVanish()
{
    m_vanishTimer->stop();
}

void QXPlayerOverlay::scheduleOverlayVanish()
{
    m_vanishTimer->start(QXTimerIntervalMs(overlayVanishInterval()));
}

bool QXPlayerOverlay::isPointerOverBar() const
{
    return isShown() && playerOverlayFrame().contains(QCursor::pos());
}

void QXPlayerOverlay::vanishOverlay()
{
    const bool floating = !m_view->isStatic() || m_presentation;
    if (!floating || isPointerOverBar() || m_view->isHeld()) {
        // A static bar keeps its timer going, as does one the user is at; it checks again later.
        scheduleOverlayVanish();
        return;
    }
    vanishOverlayByFadingOut(true, m_host.movieView->window()->isActiveWindow());
}

void QXPlayerOverlay::vanishOverlayByFadingOut(bool fadeOut, bool hideMouse)
{
    cancelOverlayVanish();
    if (fadeOut) {
        fade(false);
    } else {
        m_fadeTimer->stop();
        setAlpha(0.0f);
    }
    if (hideMouse)
        setPointerHidden(true);
}

void QXPlayerOverlay::showOverlayByFadingIn(bool fadeIn)
{
    const bool floating = !m_view->isStatic() || m_presentation;
    // An empty player shows no floating bar.
    if (floating && !m_host.hasMovie())
        return;
    if (fadeIn) {
        fade(true);
    } else {
        m_fadeTimer->stop();
        setAlpha(1.0f);
    }
    scheduleOverlayVanish();
}

void QXPlayerOverlay::setPointerHidden(bool hidden)
{
    if (hidden == m_pointerHidden)
        return;
    m_pointerHidden = hidden;
    // Over the picture only: the pointer stays wherever else it rests.
    for (QWidget *w : {static_cast<QWidget *>(m_host.movieView), static_cast<QWidget *>(m_view),
                       m_presentation.data()}) {
        if (!w)
            continue;
        if (hidden)
            w->setCursor(Qt::BlankCursor);
        else
            w->unsetCursor();
    }
}

void QXPlayerOverlay::pointerMoved()
{
    setPointerHidden(false);
}

void QXPlayerOverlay::presentIn(QWidget *presentationWindow)
{
    // The bar floats while presenting, over the whole width of the screen. A static bar leaves
    // a stand-in of its height in the closed window: the player area, whose proportions the
    // picture keeps, stays as it was, and the window is not resized while it is away.
    m_staticBeforePresentation = m_view->isStatic();
    if (m_staticBeforePresentation) {
        auto *areaLayout = static_cast<QBoxLayout *>(m_host.window->playerArea->layout());
        if (!m_standIn)
            m_standIn = new QWidget(m_host.window->playerArea);
        m_standIn->setFixedHeight(QXOverlay::StaticHeight);
        areaLayout->replaceWidget(m_view, m_standIn);
        m_standIn->show();
        m_view->setStatic(false);
    }
    m_presentation = presentationWindow;
    presentationWindow->installEventFilter(this);
    m_fadeTimer->stop();
    m_alpha = 0.0f;
    updateOverlayFrameAndCheckToolbarVisibility(true, false);
}

void QXPlayerOverlay::returnToPlayerWindow(bool isStatic)
{
    if (m_presentation)
        m_presentation->removeEventFilter(this);
    setPointerHidden(false);
    m_presentation = nullptr;
    m_fadeTimer->stop();
    cancelOverlayVanish();
    if (m_staticBeforePresentation) {
        if (m_window)
            m_window->hide();
        m_view->setGraphicsEffect(nullptr);
        m_view->setStatic(true);
        m_view->setParent(m_host.window->playerArea);
        static_cast<QBoxLayout *>(m_host.window->playerArea->layout())->replaceWidget(m_standIn, m_view);
        m_standIn->hide();
        m_view->show();
        m_alpha = 1.0f;
    } else {
        m_alpha = 0.0f;
    }
    setStaticOverlay(isStatic, false);
    updateOverlayFrameAndCheckToolbarVisibility(true, true);
}

bool QXPlayerOverlay::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == pictureHost())
            updateOverlayFrameAndCheckToolbarVisibility(true, true);
        else if (watched == m_host.window || watched == m_presentation)
            updateOverlayFrameAndCheckToolbarVisibility(false, true);
        break;
    case QEvent::Move:
        if (watched == m_host.window || watched == m_presentation)
            updateOverlayFrameAndCheckToolbarVisibility(false, true);
        break;
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
        // The bar goes and comes with the window it rides on.
        if ((watched == m_host.window && !m_presentation) || watched == m_presentation)
            setAlpha(m_alpha);
        break;
    case QEvent::MouseButtonPress:
        // A click on the bar's own window brings the window it rides on to the front.
        if (watched == m_window) {
            QWidget *parentWindow = pictureHost()->window();
            if (!parentWindow->isActiveWindow())
                parentWindow->activateWindow();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
