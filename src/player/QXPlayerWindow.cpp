#include "player/QXPlayerWindow.h"

#include "app/QXMPController.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QTimer>

QXPlayerWindow::QXPlayerWindow(QWidget *parent) : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Where the user leaves the window is kept, once a move has come to rest.
    m_savePosition = new QTimer(this);
    m_savePosition->setSingleShot(true);
    m_savePosition->setInterval(1000);
    connect(m_savePosition, &QTimer::timeout, this, [this] {
        if (QXMPController *c = QXMPController::sharedController(); c && c->playerWindow == this)
            c->savePlayerWindowPosition();
    });
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
    if (event->type() != QEvent::WindowStateChange || !(windowState() & Qt::WindowMaximized))
        return;
    // The maximize button zooms as the player's zoom does: the frame that keeps the movie's
    // proportions while the lock is on, not a fill of the screen.
    QTimer::singleShot(0, this, [this] {
        QXMPController *c = QXMPController::sharedController();
        if (!(windowState() & Qt::WindowMaximized) || !c || c->playerWindow != this)
            return;
        setWindowState(windowState() & ~Qt::WindowMaximized);
        QTimer::singleShot(50, c, &QXMPController::zoomPlayerWindow);
    });
}

void QXPlayerWindow::closeEvent(QCloseEvent *event)
{
    QXMPController *c = QXMPController::sharedController();
    if (c && !c->windowShouldClose(this)) {
        event->ignore();
        return;
    }
    event->accept();
}

void QXPlayerWindow::keyPressEvent(QKeyEvent *event)
{
    QXMPController *c = QXMPController::sharedController();
    if (c && event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        c->playPause();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void QXPlayerWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (QXMPController *c = QXMPController::sharedController(); c && c->playerWindow == this)
        c->updateToolbarVisibility();
    // Only the user's (or the window manager's) resizes; the player's own are already sized.
    QXMPController *c = QXMPController::sharedController();
    if (c && event->spontaneous()) {
        c->windowDidResizeByUser(event->size());
        m_savePosition->start();
    }
}
