#include "app/QXApplication.h"

#include "player/QXPlayerOverlay.h"

#include <QMouseEvent>

QXApplication::QXApplication(int &argc, char **argv) : QApplication(argc, argv) {}

void QXApplication::watchPointerFor(QXPlayerOverlay *overlay, std::function<bool(const QWidget *)> isPlayerWindow)
{
    m_overlay = overlay;
    m_isPlayerWindow = overlay ? std::move(isPlayerWindow) : nullptr;
}

bool QXApplication::isPlayerWindow(QObject *receiver) const
{
    return receiver->isWidgetType() && m_isPlayerWindow(static_cast<QWidget *>(receiver)->window());
}

bool QXApplication::notify(QObject *receiver, QEvent *event)
{
    QXPlayerOverlay *overlay = m_overlay;
    if (!overlay)
        return QApplication::notify(receiver, event);
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && isPlayerWindow(receiver)) {
        overlay->showOverlayByFadingIn(false);
        const bool handled = QApplication::notify(receiver, event);
        overlay->showOverlayByFadingIn(false);
        return handled;
    }
    if (type == QEvent::MouseMove && isPlayerWindow(receiver)) {
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
