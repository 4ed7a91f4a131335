// The playlist's commands: collecting addresses into it, walking, sorting, clearing and
// deleting (the list itself is QXPlaylist's), and showing or hiding the pane.
#include "app/QXMPController.h"
#include "player/QXControlBar.h"
#include "app/QXSettings.h"
#include "controls/QXImages.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowSizer.h"
#include "playlist/QXNameSort.h"
#include "playlist/QXOpenPanel.h"
#include "playlist/QXPasteboard.h"
#include "player/QXKeyboard.h"
#include "playlist/QXPlaylistModel.h"
#include "util/QXMovieCollection.h"
#include "util/QXMovieCollector.h"
#include "util/QXPathInfo.h"
#include "engine/QXFileNames.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPlainTextEdit>
#include <QAction>
#include <QDebug>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSet>
#include <QTimer>
#include "playlist/QXMovieTableView.h"

#include <utility>

bool QXIsShiftHeld()
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

QString QXMPController::reportUnopenedFiles(const QList<QUrl> &urls, const QList<QUrl> &collected)
{
    QSet<QString> taken;
    for (const QUrl &u : collected)
        if (u.isLocalFile())
            taken.insert(QXFileNames::localPath(u));
    QString first;
    for (const QUrl &u : urls) {
        if (!u.isLocalFile() || QXWalkCancelled())
            continue;
        const QString path = QXFileNames::localPath(u);
        if (taken.contains(path))
            continue;
        QString reason;
        switch (QXWhyUncollected(path)) {
        case QXUncollected::Folder:
            continue;
        case QXUncollected::Missing:
            reason = tr("no such file");
            break;
        case QXUncollected::Unreadable:
            reason = tr("cannot be read");
            break;
        case QXUncollected::NotAMovie:
            reason = tr("not a movie");
            break;
        }
        qWarning().noquote() << QStringLiteral("Vistrel: cannot open %1: %2").arg(path, reason);
        if (first.isEmpty())
            first = tr("\"%1\"\nCannot open: %2").arg(QXPathInfo::lastPathComponent(path), reason);
    }
    return first;
}

bool QXMPController::openMovies(const QList<QUrl> &urls, bool revealPackageContents)
{
    QList<QUrl> collected;
    QXAddMovieURLs(collected, urls, revealPackageContents);
    return openCollectedMovies(urls, std::move(collected));
}

bool QXMPController::openCollectedMovies(const QList<QUrl> &urls, QList<QUrl> collected)
{
    const bool any = !collected.isEmpty();
    // Shown in the empty view; a movie on show stays.
    const QString unopened = reportUnopenedFiles(urls, collected);
    if (!unopened.isEmpty() && !m_playlist.current()) {
        m_openFailure = unopened;
        m_ui.playerView->update();
    }
    if (any) {
        QXSettings &settings = QXSettings::standard();
        if (settings.boolForKey(QXKeys::ForgetPlaylistOnOpen))
            m_playlist.replace({});
        if (collected.size() >= 2) {
            const QList<int> order = QXAddressSortOrder(collected);
            const QList<QUrl> unsorted = std::exchange(collected, {});
            QSet<QByteArray> incoming;
            incoming.reserve(order.size());
            QList<QXMovieRepresentationRef> added;
            added.reserve(order.size());
            for (const int i : order) {
                collected.append(unsorted.at(i));
                if (QXMovieRepresentationRef r = QXMovieRepresentation::movieRepresentationWithURL(unsorted.at(i))) {
                    incoming.insert(r->address());
                    added.append(r);
                }
            }
            // Addresses listed already move to the end, among the others.
            QList<int> leaving;
            for (int i = 0; i < m_playlist.count(); ++i)
                if (incoming.contains(m_playlist.at(i)->address()))
                    leaving.append(i);
            m_playlist.removeRows(leaving);
            m_playlist.append(added);
            startOnlineVideos(added);
        }
        const bool start = !settings.boolForKey(QXKeys::DoNotPlayOnOpen);
        if (chooseMovie(collected.first(), true, start, false))
            return true;
    }
    if (m_openWindowAfterDelay) {
        m_windowSizer->showPlayerWindowIfNotVisible();
        m_openWindowAfterDelay = false;
    }
    return false;
}

void QXMPController::openMovies(const QList<QUrl> &urls)
{
    m_pendingOpenings.append({urls, QXIsShiftHeld()});
    openPendingMovies();
}

void QXMPController::openPendingMovies()
{
    while (!m_collector && !m_pendingOpenings.isEmpty()) {
        const PendingOpening next = m_pendingOpenings.takeFirst();
        if (!QXMovieCollector::namesFolder(next.urls)) {
            if (!openMovies(next.urls, next.revealPackageContents))
                beep();
            continue;
        }
        m_collector = new QXMovieCollector(next.urls, next.revealPackageContents, this);
        connect(m_collector, &QXMovieCollector::finished, this, [this, urls = next.urls](const QList<QUrl> &collected) {
            m_collector->deleteLater();
            m_collector = nullptr;
            m_walkTicker->stop();
            m_ui.playerView->update();
            if (!openCollectedMovies(urls, collected))
                beep();
            openPendingMovies();
        });
        if (!m_walkTicker) {
            m_walkTicker = new QTimer(this);
            m_walkTicker->setInterval(25);
            connect(m_walkTicker, &QTimer::timeout, this, &QXMPController::walkTick);
        }
        m_walkProgressShownAt = 0;
        m_walkTicker->start();
    }
}

void QXMPController::walkTick()
{
    if (!m_collector)
        return;
    // A quick walk opens as it always did; a long one shows the window at once, then its
    // progress.
    if (!isPresenting())
        m_windowSizer->showPlayerWindowIfNotVisible();
    // The count drawn anew ten times a second.
    const qint64 elapsed = m_collector->elapsedMs();
    if (elapsed >= QXWalkProgressDelayMs && elapsed / 100 != m_walkProgressShownAt / 100) {
        m_walkProgressShownAt = elapsed;
        m_ui.playerView->update();
    }
}

void QXMPController::stopLookingForMovies()
{
    if (m_collector)
        m_collector->stop();
}

bool QXMPController::openURLs(const QList<QUrl> &urls)
{
    // Web addresses go through the same collection and choice as files.
    const bool opened = openMovies(urls, false);
    if (!opened)
        beep();
    m_windowSizer->showPlayerWindowIfNotVisible();
    return opened;
}

void QXMPController::walkPlaylistWithStep(int step)
{
    const int row = m_playlist.walkRow(step);
    if (row < 0) {
        beep();
        return;
    }
    chooseMovie(m_playlist.at(row)->URL(), false, m_ui.playerView->isPlaying(), false);
}

void QXMPController::forwardPlaylist() { walkPlaylistWithStep(1); }
void QXMPController::backwardPlaylist() { walkPlaylistWithStep(-1); }

static int selectedRow(QTableView *table)
{
    if (!table || !table->selectionModel())
        return -1;
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void QXMPController::sortPlaylist(int tag)
{
    m_playlist.sort(QXPlaylistOrder(tag), QXSettings::standard().boolForKey(QXKeys::HideFileExtensions));
    m_ui.playerHistoryList->scrollToTop();
    const int row = selectedRow(m_ui.playerHistoryList);
    if (row >= 0)
        m_ui.playerHistoryList->scrollTo(m_ui.playlistModel->index(row));
}

void QXMPController::clearPlaylist()
{
    chooseNoMovie();
    // Entries go now, storage and all; the menu keeps none alive.
    m_playlist.clear();
    if (isPresenting())
        m_presentation->togglePresentation();
    m_transport->updateTimeField(0, 0);
    updateButtons();
    m_ui.playerView->update();
}

void QXMPController::tableViewDeleteObjectAtRow(int row)
{
    // The other rows keep their selection; the deleted row's goes with it.
    const int selected = selectedRow(m_ui.playerHistoryList);
    deleteRow(row, selected == row ? -1 : selected > row ? selected - 1 : selected);
}

void QXMPController::deleteRow(int row, int selectedAfter)
{
    if (row < 0 || row >= m_playlist.count())
        return;
    if (m_playlist.currentRow() == row) {
        chooseNoMovie();
        m_transport->updateTimeField(0, 0);
    }
    // The selection is set before the row goes, so that the table neither moves its own
    // current row off the deleted one nor has it put back afterwards: one change, not three.
    QItemSelectionModel *selection = m_ui.playerHistoryList->selectionModel();
    const int before = selectedAfter < 0 ? -1 : selectedAfter >= row ? selectedAfter + 1 : selectedAfter;
    if (before >= 0 && before < m_playlist.count()) {
        if (selectedRow(m_ui.playerHistoryList) != before || selection->currentIndex().row() != before)
            QXSetSelectedRow(m_ui.playerHistoryList, before);
    } else {
        selection->clear();
    }
    m_playlist.removeRows({row});
    updateButtons();
    // Only the message of an empty picture speaks of the rows; a playing one is not drawn again.
    if (!m_playlist.current())
        m_ui.playerView->update();
}

void QXMPController::deleteSelected()
{
    int row = -1;
    if (isPlaylistRowAccessible(&row))
        tableViewDeleteObjectAtRow(row);
    else
        beep();
}

bool QXMPController::isPlaylistAccessible() const
{
    return !isPresenting() && !QXSettings::standard().boolForKey(QXKeys::HidePlaylist);
}

bool QXMPController::isPlaylistRowAccessible(int *row) const
{
    if (!isPlaylistAccessible())
        return false;
    const int r = selectedRow(m_ui.playerHistoryList);
    if (r < 0)
        return false;
    if (row)
        *row = r;
    return true;
}

void QXMPController::showPlaylistPane()
{
    if (QXSettings::standard().boolForKey(QXKeys::HidePlaylist)) {
        togglePlaylistVisibility();
    } else {
        m_ui.playerWindow->raise();
        m_ui.playerWindow->activateWindow();
    }
    // Where the menu's window ends, the table goes on: it opens on the current entry.
    const int current = m_playlist.currentRow();
    if (current >= 0 && m_ui.playlistModel)
        m_ui.playerHistoryList->scrollTo(m_ui.playlistModel->index(current));
}

void QXMPController::playlistDoubleClicked(int row)
{
    if (row < 0 || row >= m_playlist.count())
        return;
    chooseMovie(m_playlist.at(row)->URL(), true,
                !QXSettings::standard().boolForKey(QXKeys::DoNotPlayOnOpen), false);
}

void QXMPController::setPlaylistVisible(bool visible, bool animate, bool isInitialSetup)
{
    Q_UNUSED(animate);
    QXPlayerWindow *w = m_ui.playerWindow;
    const QRect frame = w->geometry();
    const int paneWidth = w->playlistPane->width() + 1;   // the pane and its divider line
    int newWidth;
    if (visible) {
        m_ui.playlistVisibilityMenuItem->setText(tr("Hide Playlist"));
        m_controlBar->setPlaylistVisible(true);
        if (isInitialSetup)
            return;
        newWidth = frame.width() + paneWidth;
        w->playlistPane->show();
        w->playlistDivider->show();
    } else {
        m_ui.playlistVisibilityMenuItem->setText(tr("Show Playlist"));
        m_controlBar->setPlaylistVisible(false);
        newWidth = frame.width() - paneWidth;
        w->playlistPane->hide();
        w->playlistDivider->hide();
    }
    // The player area keeps its size; the window grows or shrinks by the pane. The minimum
    // made for the pane would hold a narrow window wider: it goes first.
    if (!isInitialSetup)
        w->setMinimumSize(0, 0);
    m_windowSizer->setPlayerWindowClientRect(QRect(frame.topLeft(), QSize(newWidth, frame.height())));
    m_ui.playerView->update();
}

void QXMPController::togglePlaylistVisibility()
{
    if (isPresenting()) {
        beep();
        return;
    }
    QXSettings &settings = QXSettings::standard();
    const bool hidden = settings.boolForKey(QXKeys::HidePlaylist);
    settings.setBool(!hidden, QXKeys::HidePlaylist);
    setPlaylistVisible(hidden, m_ui.playerWindow->isVisible(), false);
    m_windowSizer->updatePlayerWindowMinimumSize();
}

// What a panel chose opens as the Open command opens it: busy while collecting and probing,
// a beep when nothing could be added.
static void openChosen(QXMPController *c, const QList<QUrl> &urls)
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const bool opened = c->openMovies(urls, false);
    QApplication::restoreOverrideCursor();
    if (!opened) {
        c->beep();
        return;
    }
    c->ui().playerView->update();
    c->windowSizer()->showPlayerWindowIfNotVisible();
}

void QXMPController::openDocument()
{
    const QList<QUrl> chosen = QXChooseMovies(m_ui.playerWindow);
    if (!chosen.isEmpty())
        openChosen(this, chosen);
}

void QXMPController::openURL()
{
    if (!m_addressPanel) {
        m_addressPanel = new QXAddressPanel(m_ui.playerWindow);
        connect(m_addressPanel, &QDialog::accepted, this, [this] {
            openChosen(this, QXURLsFromLines(m_addressPanel->openURLTextView->toPlainText()));
        });
    }
    if (!m_addressPanel->isVisible()) {
        const QRect frame = m_ui.playerWindow->frameGeometry();
        const QSize size = m_addressPanel->frameGeometry().size();
        m_addressPanel->move(frame.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    m_addressPanel->openURLTextView->clear();
    m_addressPanel->show();
    m_addressPanel->raise();
    m_addressPanel->activateWindow();
    m_addressPanel->openURLTextView->setFocus();
}
