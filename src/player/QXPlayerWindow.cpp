#include "player/QXPlayerWindow.h"

#include "app/QXMPController.h"

#include <QCloseEvent>
#include <QKeyEvent>

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
