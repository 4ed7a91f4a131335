// Buttons and menu items follow the playlist, the current movie and the presentation mode.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "controls/QXButtons.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXMenuValidation.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"
#include "player/QXTrackMenus.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>

QXControlState QXMPController::controlState() const
{
    QXControlState s;
    s.count = m_playlist.count();
    s.hasCurrentEntry = bool(m_playlist.current());
    s.isPlayable = m_currentMovieIsPlayable;
    s.hasVideo = m_currentMovieHasVideo;
    s.isPresenting = isPresenting();
    s.playerWindowVisible = m_ui.playerWindow && m_ui.playerWindow->isVisible();
    s.movieWindowVisible = m_ui.playerView && m_ui.playerView->window()->isVisible();
    s.rowAccessible = isPlaylistRowAccessible(nullptr);
    s.hasChapters = m_trackMenus && m_trackMenus->hasChapters();
    return s;
}

void QXMPController::updateButtons()
{
    if (!m_ui.playerWindow)
        return;
    const QXControlState s = controlState();
    const struct { QWidget *control; QXCommand command; } rules[] = {
        {m_ui.playlistClearButton, QXCommand::ClearPlaylist},
        {m_ui.playlistBackwardButton, QXCommand::WalkPlaylist},
        {m_ui.playlistForwardButton, QXCommand::WalkPlaylist}};
    for (const auto &r : rules)
        r.control->setEnabled(QXValidateMenuItem(r.command, s));
    m_controlBar->setState(s);
    m_ui.playlistClearButton->setToolTip(s.count > 0 ? tr("Clear Playlist") : QString());
    m_ui.playlistBackwardButton->setToolTip(s.count > 1 ? tr("Previous Movie") : QString());
    m_ui.playlistForwardButton->setToolTip(s.count > 1 ? tr("Next Movie") : QString());
    validateMenuItems();
    updatePlayPauseControls();
    emit playerStateChanged();
}

void QXMPController::validateMenuItems()
{
    if (!m_ui.playerWindow)
        return;
    const QXControlState s = controlState();
    // The movies listed in the playlist menu are always enabled; only its own item is judged.
    for (QAction *item : QXMenuItems(m_ui.playerWindow->menuBar(), {m_ui.playlistMenu})) {
        bool enabled = true;
        if (const QXCommand command = QXMenuCommand(item); command != QXCommand::Always)
            enabled = QXValidateMenuItem(command, s);
        // An item that clicks a button also asks the button (a bar whose window is hidden).
        if (auto *button = qobject_cast<QXContextButton *>(item->property("QXTargetControl").value<QObject *>()))
            enabled = enabled && button->validatesClickItem();
        item->setEnabled(enabled);
    }
}

void QXMPController::menuNeedsUpdate(QMenu *menu)
{
    if (!menu || menu->objectName() != QLatin1String("presentationModeMenu"))
        return;
    const qint64 mode = QXSettings::standard().integerForKey(QXKeys::PresentationMode);
    for (QAction *item : menu->actions())
        item->setChecked(item->data().toLongLong() == mode);
}

void QXMPController::performClick(QAbstractButton *button)
{
    if (!button->isEnabled()) {
        beep();
        return;
    }
    // A button with a primary menu sends its action without opening the menu.
    if (auto *context = qobject_cast<QXContextButton *>(button))
        context->performClick();
    else
        button->click();
}

void QXMPController::setTargetControl(QAction *item, QAbstractButton *control)
{
    if (!item || !control)
        return;
    item->setProperty("QXTargetControl", QVariant::fromValue<QObject *>(control));
    connect(item, &QAction::triggered, control, [this, item, control] {
        // The check mark is the command's to set: Qt's own toggle is undone first, so an item
        // whose command cannot act keeps the mark it had.
        if (item->isCheckable())
            item->setChecked(!item->isChecked());
        performClick(control);
    });
}

void QXMPController::updatePlayPauseControls()
{
    showPlayPauseState(m_ui.playerView && m_ui.playerView->isPlaying());
    m_transport->updateTimeDisplay();
}

void QXMPController::showPlayPauseState(bool playing)
{
    // The pause image is the switch's on state.
    m_controlBar->setPlaying(playing);
    m_ui.playPauseMenuItem->setText(playing ? tr("Pause") : tr("Play"));
    emit playerStateChanged();
}

void QXMPController::showRotateButtonImage()
{
    m_controlBar->setRotateCounterclockwise(QXSettings::standard().boolForKey(QXKeys::RotateCounterclockwise));
}
