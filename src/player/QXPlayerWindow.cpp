#include "player/QXPlayerWindow.h"

#include "app/QXMPController.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QResizeEvent>

QXPlayerWindow::QXPlayerWindow(QWidget *parent) : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
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
    if (c && event->spontaneous())
        c->windowDidResizeByUser(event->size());
}
