#include "app/QXApplication.h"

#include "app/QXMPController.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"

#include <QMouseEvent>

QXApplication::QXApplication(int &argc, char **argv) : QApplication(argc, argv) {}

// One of the player's own windows: the player window, the presentation window, the bar's.
static bool isPlayerWindow(QXMPController *c, QObject *receiver)
{
    if (!receiver->isWidgetType())
        return false;
    const QWidget *top = static_cast<QWidget *>(receiver)->window();
    return top == c->playerWindow || (c->presentation() && top == c->presentation()->window())
        || (c->overlay() && top == c->overlay()->overlayWindow());
}

bool QXApplication::notify(QObject *receiver, QEvent *event)
{
    QXMPController *c = QXMPController::sharedController();
    QXPlayerOverlay *overlay = c ? c->overlay() : nullptr;
    if (!overlay || !c->hasLaunched())
        return QApplication::notify(receiver, event);
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && isPlayerWindow(c, receiver)) {
        overlay->showOverlayByFadingIn(false);
        const bool handled = QApplication::notify(receiver, event);
        overlay->showOverlayByFadingIn(false);
        return handled;
    }
    if (type == QEvent::MouseMove && isPlayerWindow(c, receiver)) {
        // A move to where the pointer already was comes after cursor or stacking changes, not
        // from the user: it does not count, or the bar would never vanish.
        const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        if (at == m_lastPointer)
            return QApplication::notify(receiver, event);
        m_lastPointer = at;
        overlay->pointerMoved();
        overlay->showOverlayByFadingIn(true);
        const bool handled = QApplication::notify(receiver, event);
        overlay->showOverlayByFadingIn(false);
        return handled;
    }
    return QApplication::notify(receiver, event);
}
