// The key table, the routing of key presses to it, and the picture's mouse commands.
#include "player/QXKeyboard.h"

#include "app/QXMPController.h"
#include "player/QXControlBar.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXMenuValidation.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include "playlist/QXMovieTableView.h"
#include <QWindow>

bool QXIsKeyTableKey(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaPause:
    case Qt::Key_MediaTogglePlayPause:
    case Qt::Key_MediaStop:
    case Qt::Key_MediaNext:
    case Qt::Key_MediaPrevious:
        return true;
    default:
        return false;
    }
}

void QXSetSelectedRow(QAbstractItemView *view, int row)
{
    if (row < 0 || !view->model() || !view->selectionModel())
        return;
    const QModelIndex index = view->model()->index(row, 0);
    if (index.isValid())
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// One row up or down from the selection (from the first or the last row without one), kept
// within the list and scrolled into view.
static void moveSelection(QAbstractItemView *view, int step)
{
    const int count = view->model() ? view->model()->rowCount() : 0;
    if (count == 0)
        return;
    const QModelIndexList selected = view->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? (step > 0 ? 0 : count - 1) : qBound(0, selected.first().row() + step, count - 1);
    QXSetSelectedRow(view, row);
    view->scrollTo(view->model()->index(row, 0));
}

bool QXMPController::handleKeyDown(QKeyEvent *event)
{
    if (!QXIsKeyTableKey(event))
        return false;
    const int key = event->key();
    const bool arrow = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
    // Held down, only the arrows repeat: a held Space would flicker between play and pause,
    // a held Escape run on from pausing to unloading.
    if (event->isAutoRepeat() && !arrow)
        return true;
    QXMovie *movie = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    int row = -1;
    switch (key) {
    case Qt::Key_Space:
        if (!movie)
            break;
        if (m_overlay)
            m_overlay->showOverlayByFadingIn(false);
        performClick(m_controlBar->playPauseSwitch());
        return true;
    // Most keyboards' one play key is sent as Play: it toggles, as desktops make it do.
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause:
        performClick(m_controlBar->playPauseSwitch());
        return true;
    case Qt::Key_MediaPause:
    case Qt::Key_MediaStop:
        if (!QXValidateMenuItem(QXCommand::PlayPause, controlState()))
            break;
        if (key == Qt::Key_MediaStop)
            stop();
        else
            pause();
        return true;
    case Qt::Key_MediaNext:
    case Qt::Key_MediaPrevious:
        performClick(key == Qt::Key_MediaNext ? m_ui.playlistForwardButton : m_ui.playlistBackwardButton);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!isPlaylistAccessible())
            break;
        moveSelection(m_ui.playerHistoryList, key == Qt::Key_Down ? 1 : -1);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!movie)
            break;
        // Ctrl with an arrow winds: the menus' command.
        if (event->modifiers() & Qt::ControlModifier)
            return false;
        m_transport->updateTimeDisplay();
        if (key == Qt::Key_Left)
            movie->stepBackward();
        else
            movie->stepForward();
        if (m_overlay)
            m_overlay->showOverlayByFadingIn(false);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!isPlaylistRowAccessible(&row))
            break;
        chooseMovie(m_playlist.at(row)->URL(), true,
                    !QXSettings::standard().boolForKey(QXKeys::DoNotPlayOnOpen), false);
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete: {
        if (!isPlaylistRowAccessible(&row))
            break;
        // Backspace goes on with the row above, forward delete with the one that moves up.
        const int next = key == Qt::Key_Backspace ? row - 1 : row;
        deleteRow(row, next < m_playlist.count() - 1 ? next : -1);
        return true;
    }
    case Qt::Key_Escape:
        // A folder walk first, keeping what it found; then one level at a time:
        // presentation, then playback, then the movie itself.
        if (isLookingForMovies()) {
            stopLookingForMovies();
            return true;
        }
        if (isPresenting()) {
            m_presentation->togglePresentation();
            return true;
        }
        if (m_ui.playerView->isPlaying()) {
            playPause();
            return true;
        }
        if (!isPlaylistRowAccessible(nullptr) && !m_ui.playerView->movie())
            break;
        chooseNoMovie();
        m_transport->updateTimeField(0, 0);
        m_ui.playerHistoryList->clearSelection();
        m_ui.playerHistoryList->viewport()->update();
        updateButtons();
        m_ui.playerView->update();
        return true;
    }
    // A key the table claims but cannot serve.
    beep();
    return true;
}

namespace {

// Sees every key press of the player's windows at the window, before the focused widget
// does, and the shortcut check that comes before it.
class QXKeyRouter : public QObject
{
public:
    QXKeyRouter(QXMPController *c, QObject *parent) : QObject(parent), m_c(c) {}

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !receiver->isWindowType())
            return false;
        QXMPController *c = m_c;
        if (!c || !c->ui().playerWindow || !isPlayerWindow(c, static_cast<QWindow *>(receiver)))
            return false;
        // The menu bar walked from the keyboard keeps its keys.
        if (qobject_cast<QMenuBar *>(QApplication::focusWidget()))
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (type == QEvent::ShortcutOverride) {
            // The shortcuts act on the commands' states as they are now.
            c->validateMenuItems();
            // The table's keys go to the table, not to items that show them as shortcuts; with
            // Ctrl they are the menus'.
            if (QXIsKeyTableKey(key) && !(key->modifiers() & Qt::ControlModifier)) {
                key->accept();
                return true;
            }
            return false;
        }
        if (c->handleKeyDown(key))
            return true;
        // A disabled item's shortcut reaches no item: the command cannot act, which is said.
        // A symbol typed with Shift ("#") is its item's shortcut without it.
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        const QKeySequence pressed(QKeyCombination(modifiers, Qt::Key(key->key())));
        const QKeySequence unshifted(QKeyCombination(modifiers & ~Qt::ShiftModifier, Qt::Key(key->key())));
        for (const QAction *item : QXMenuItems(c->ui().playerWindow->menuBar(), {c->ui().playlistMenu})) {
            if (!item->isEnabled() && (item->shortcuts().contains(pressed) || item->shortcuts().contains(unshifted))) {
                c->beep();
                return true;
            }
        }
        return false;
    }

private:
    QPointer<QXMPController> m_c;

    static bool isPlayerWindow(QXMPController *c, QWindow *window)
    {
        // The picture's own native window belongs to the window it is in.
        while (window->parent())
            window = window->parent();
        const QWidget *presentation = c->presentation() ? c->presentation()->window() : nullptr;
        const QWidget *bar = c->overlay() ? c->overlay()->overlayWindow() : nullptr;
        return window == c->ui().playerWindow->windowHandle() || (presentation && window == presentation->windowHandle())
            || (bar && window == bar->windowHandle());
    }
};

// The picture's mouse commands: a double click toggles full screen, the wheel steps the
// volume as Ctrl+Up and Ctrl+Down do, a right click opens the picture's menu.
class QXPictureInput : public QObject
{
public:
    QXPictureInput(QXMPController *c, QObject *parent) : QObject(parent), m_c(c) {}

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        QXMPController *c = m_c;
        if (!c || receiver != c->ui().playerView)
            return false;
        switch (event->type()) {
        case QEvent::ParentChange:
            // The view went into or out of the presentation window.
            m_moved.start();
            return false;
        case QEvent::MouseButtonDblClick: {
            if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton || c->isPresenting())
                return false;
            // The second click of one whose first click left presentation does not go back in.
            if (m_moved.isValid() && m_moved.elapsed() < QApplication::doubleClickInterval())
                return true;
            c->performClick(c->controlBar()->presentationSwitch());
            return true;
        }
        case QEvent::Wheel: {
            // A notch is 120; a touchpad's smaller steps add up to one.
            m_wheel += static_cast<QWheelEvent *>(event)->angleDelta().y();
            for (; m_wheel >= 120; m_wheel -= 120)
                c->transport()->increaseVolume();
            for (; m_wheel <= -120; m_wheel += 120)
                c->transport()->decreaseVolume();
            return true;
        }
        case QEvent::MouseButtonPress: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::RightButton)
                return false;
            if (auto *menu = c->ui().playerWindow->findChild<QMenu *>(QStringLiteral("pictureMenu")))
                menu->popup(mouse->globalPosition().toPoint());
            return true;
        }
        case QEvent::ContextMenu:
            // Opened on the press already, where the window system makes no such event.
            return static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Mouse;
        default:
            return false;
        }
    }

private:
    QPointer<QXMPController> m_c;
    QElapsedTimer m_moved;
    int m_wheel = 0;
};

} // namespace

void QXInstallInputHandling(QXMPController *c)
{
    qApp->installEventFilter(new QXKeyRouter(c, c->ui().playerWindow));
    c->ui().playerView->installEventFilter(new QXPictureInput(c, c->ui().playerView));
}
