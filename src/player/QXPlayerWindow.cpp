#include "player/QXPlayerWindow.h"

#include <QCloseEvent>
#include <QResizeEvent>
#include <QTimer>

QXPlayerWindow::QXPlayerWindow(QWidget *parent) : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Where the user leaves the window is kept, once a move has come to rest.
    m_savePosition = new QTimer(this);
    m_savePosition->setSingleShot(true);
    m_savePosition->setInterval(1000);
    connect(m_savePosition, &QTimer::timeout, this, &QXPlayerWindow::moveSettled);
    m_zoomTimer = new QTimer(this);
    m_zoomTimer->setSingleShot(true);
    connect(m_zoomTimer, &QTimer::timeout, this, &QXPlayerWindow::zoomIfRestored);
}

void QXPlayerWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    if (event->spontaneous())
        m_savePosition->start();
}

void QXPlayerWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // The maximize button zooms as the player's zoom does: the frame that keeps the movie's
    // proportions while the lock is on, not a fill of the screen. The window is given back its
    // normal state first; the zoom follows once the window manager has restored it.
    if (windowState() & Qt::WindowMaximized) {
        m_zoomWhenRestored = true;
        QTimer::singleShot(0, this, [this] { setWindowState(windowState() & ~Qt::WindowMaximized); });
        // Should the window manager not move the window back, zoom all the same.
        m_zoomTimer->start(600);
    }
}

void QXPlayerWindow::zoomIfRestored()
{
    if (!m_zoomWhenRestored || isMaximized())
        return;
    m_zoomWhenRestored = false;
    emit zoomRequested();
}

void QXPlayerWindow::closeEvent(QCloseEvent *event)
{
    if (shouldClose && !shouldClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

void QXPlayerWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    emit visibilityChanged();
}

void QXPlayerWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    emit visibilityChanged();
}

void QXPlayerWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // Only the user's (or the window manager's) resizes; the player's own are already sized.
    if (event->spontaneous()) {
        // Back from the maximized size: now the zoom can be laid over it.
        if (m_zoomWhenRestored && !isMaximized()) {
            m_zoomTimer->start(50);
            return;
        }
        emit resizedByUser(event->size());
        m_savePosition->start();
    }
}
