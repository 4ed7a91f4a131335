// Presentation mode: the black full-screen window, entering and leaving it, and the view's
// place in it.
#include "player/QXPresentation.h"
#include "app/QXSettings.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXWindowGeometry.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QScreen>

namespace {

// The black window; Escape or a click on the picture leaves presentation. Its keys go through
// the key table as the player window's do, and the menus' shortcuts work in it alike.
class QXPresentationWindow : public QWidget
{
public:
    QXPresentationWindow(QXPresentation *presentation, const QList<QAction *> &shortcutItems)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_presentation(presentation)
    {
        setObjectName(QStringLiteral("Presentation"));
        setAttribute(Qt::WA_DeleteOnClose, false);
        setFocusPolicy(Qt::StrongFocus);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::black);
        setPalette(pal);
        setAutoFillBackground(true);
        setMouseTracking(true);
        addActions(shortcutItems);
    }

protected:
    void resizeEvent(QResizeEvent *e) override
    {
        QWidget::resizeEvent(e);
        if (m_presentation->isPresenting())
            m_presentation->placePresentationView();
    }
    // Closed by the window manager: presentation ends as with Escape, and the window stays
    // with the presentation, which hides and deletes it.
    void closeEvent(QCloseEvent *e) override
    {
        e->ignore();
        QMetaObject::invokeMethod(m_presentation, &QXPresentation::stopPresentation, Qt::QueuedConnection);
    }

private:
    QXPresentation *m_presentation;
};

} // namespace

QXPresentation::QXPresentation(QXPresentationHost *host, const QXPresentationParts &parts, QObject *parent)
    : QObject(parent), m_host(host), m_parts(parts)
{
}

QXPresentation::~QXPresentation()
{
    // While presenting, the movie view is in the presentation window.
    delete m_window;
}

bool QXPresentation::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the picture while presenting leaves the mode; a right click opens its menu.
    if (watched == m_parts.view && m_presenting && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        QMetaObject::invokeMethod(this, &QXPresentation::stopPresentation, Qt::QueuedConnection);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void QXPresentation::togglePresentation()
{
    QXMovieView *view = m_parts.view;
    if (!m_host->currentMovieHasPicture() && !m_presenting) {
        m_host->beep();
        // The switch and its menu item toggled themselves on the way here.
        m_parts.bar->setPresenting(false);
        m_parts.menuItem->setChecked(false);
        return;
    }
    m_presenting = !m_presenting;
    QXSettings &settings = QXSettings::standard();
    if (m_presenting) {
        m_screen = m_host->presentationScreen();
        // Hidden, not closed: closing runs the window-close rules (pause, forget).
        m_parts.playerWindow->hide();
        m_window = new QXPresentationWindow(this, m_parts.shortcutItems ? m_parts.shortcutItems() : QList<QAction *>());
        view->setParent(m_window);
        view->installEventFilter(this);
        updatePresentationWindow();
        view->show();
        m_parts.overlay->presentIn(m_window);
        m_window->showFullScreen();
        m_window->raise();
        m_window->activateWindow();
        m_window->setFocus(Qt::ActiveWindowFocusReason);
        if (!settings.boolForKey(QXKeys::DoNotPlayOnPresent) && !view->isPlaying())
            m_host->play();
    } else {
        if (settings.boolForKey(QXKeys::PauseOnWindow) && view->isPlaying())
            m_host->pause();
        m_window->hide();
        view->removeEventFilter(this);
        view->setParent(m_parts.pictureContainer);
        m_parts.pictureContainer->layout()->addWidget(view);
        view->show();
        m_parts.overlay->returnToPlayerWindow(!settings.boolForKey(QXKeys::OverlayControlsInWindowMode));
        m_window->deleteLater();
        m_window = nullptr;
        view->update();
        m_host->showPlayerWindowAfterPresentation();
    }
    m_parts.bar->setPresenting(m_presenting);
    m_parts.menuItem->setChecked(m_presenting);
    emit presentingChanged(m_presenting);
    m_parts.overlay->showOverlayByFadingIn(false);
}

void QXPresentation::stopPresentation()
{
    if (m_presenting)
        togglePresentation();
}

void QXPresentation::updatePresentationWindow()
{
    if (!m_window)
        return;
    QScreen *screen = m_screen ? m_screen.data() : m_host->presentationScreen();
    const QRect S = screen->geometry();
    if (m_window->geometry() != S)
        m_window->setGeometry(S);
    placePresentationView();
}

void QXPresentation::placePresentationView()
{
    if (!m_window)
        return;
    const QSizeF S(m_window->size());
    const bool fill = QXSettings::standard().integerForKey(QXKeys::PresentationMode) == 1;
    const QRectF f = QXGeometry::presentationFrame(S, m_host->pictureAreaSize(), fill);
    m_parts.view->setGeometry(QXGeometry::frameToQt(f, S.height()).toRect());
    m_parts.view->update();
}
