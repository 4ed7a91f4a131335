// The playlist: collecting addresses into it, lookups, walking, sorting, shuffling,
// clearing, deleting, the table and menu refresh, and showing or hiding the pane.
#include "app/QXMPController.h"
#include "player/QXControlBar.h"
#include "app/QXSettings.h"
#include "controls/QXImages.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "playlist/QXNameSort.h"
#include "playlist/QXPlaylistModel.h"
#include "util/QXMovieCollection.h"
#include "util/QXPathInfo.h"
#include "engine/QXFileNames.h"

#include <QAbstractButton>
#include <QAction>
#include <QDebug>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QProxyStyle>
#include <QSet>
#include "playlist/QXMovieTableView.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

bool QXIsShiftHeld()
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

void QXMPController::playlistDidChange()
{
    m_playlistIndexValid = false;
    m_playlistMenuValid = false;
    emit playlistChanged();
}

void QXMPController::rebuildPlaylistIndex()
{
    m_playlistIndex.rebuild(movieRepresentations);
    m_playlistIndexValid = true;
}

int QXMPController::playlistIndexForAddress(const QByteArray &address) const
{
    // A count that disagrees means the list was changed behind the index's back.
    if (!m_playlistIndexValid || m_playlistIndex.count() != movieRepresentations.size())
        const_cast<QXMPController *>(this)->rebuildPlaylistIndex();
    return m_playlistIndex.find(address);
}

bool QXMPController::getPlaylistIndex(int *index, QXMovieRepresentationRef *representation, const QUrl &url) const
{
    if (url.isEmpty())
        return false;
    const int i = playlistIndexForAddress(QXMovieRepresentation::addressOfURL(url));
    if (i < 0)
        return false;
    if (index)
        *index = i;
    if (representation)
        *representation = movieRepresentations.at(i);
    return true;
}

int QXMPController::playlistIndexForURL(const QUrl &url) const
{
    int i = NotFound;
    return getPlaylistIndex(&i, nullptr, url) ? i : NotFound;
}

void QXMPController::removePlaylistRows(const QList<int> &rows)
{
    if (rows.isEmpty())
        return;
    int runs = 1;
    for (qsizetype k = 1; k < rows.size(); ++k)
        runs += rows.at(k) != rows.at(k - 1) + 1;
    if (runs > 32) {
        // Scattered rows: one pass and a reset cost less than a signal per run.
        if (playlistModel)
            playlistModel->beginReset();
        QList<QXMovieRepresentationRef> kept;
        kept.reserve(movieRepresentations.size() - rows.size());
        qsizetype k = 0;
        for (int i = 0; i < movieRepresentations.size(); ++i) {
            if (k < rows.size() && rows.at(k) == i)
                ++k;
            else
                kept.append(std::move(movieRepresentations[i]));
        }
        movieRepresentations = std::move(kept);
        m_playlistIndexValid = false;
        if (playlistModel)
            playlistModel->endReset();
    } else {
        // Run by run from the back, so the rows before each run keep their numbers.
        for (qsizetype end = rows.size(); end > 0;) {
            qsizetype start = end - 1;
            while (start > 0 && rows.at(start - 1) == rows.at(start) - 1)
                --start;
            const int first = rows.at(start), last = rows.at(end - 1);
            if (m_playlistIndexValid)
                for (int r = last; r >= first; --r)
                    m_playlistIndex.remove(r, movieRepresentations.at(r)->address());
            if (playlistModel)
                playlistModel->beginRemove(first, last);
            movieRepresentations.remove(first, last - first + 1);
            if (playlistModel)
                playlistModel->endRemove();
            end = start;
        }
        if (m_playlistIndex.isWasteful())
            m_playlistIndexValid = false;
    }
    m_playlistMenuValid = false;
    refreshPlaylistMenuIfVisible();
    emit playlistChanged();
}

void QXMPController::appendPlaylistEntries(const QList<QXMovieRepresentationRef> &entries)
{
    if (entries.isEmpty())
        return;
    if (playlistModel)
        playlistModel->beginAppend(int(entries.size()));
    movieRepresentations.append(entries);
    if (playlistModel)
        playlistModel->endAppend();
    if (m_playlistIndexValid)
        for (const QXMovieRepresentationRef &r : entries)
            m_playlistIndex.append(r->address());
    m_playlistMenuValid = false;
    refreshPlaylistMenuIfVisible();
    emit playlistChanged();
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
    const bool any = QXAddMovieURLs(collected, urls, revealPackageContents);
    // Shown in the empty view; a movie on show stays.
    const QString unopened = reportUnopenedFiles(urls, collected);
    if (!unopened.isEmpty() && !currentMovieRepresentation) {
        m_openFailure = unopened;
        playerView->update();
    }
    if (any) {
        QXSettings &settings = QXSettings::standard();
        if (settings.boolForKey(QXKeys::ForgetPlaylistOnOpen)) {
            movieRepresentations = {};
            playlistDidChange();
            updatePlaylistTableAndMenu();
        }
        if (collected.size() >= 2) {
            // In the order of their address texts, each made once.
            QList<QByteArray> addresses;
            addresses.reserve(collected.size());
            for (const QUrl &u : std::as_const(collected))
                addresses.append(QXMovieRepresentation::addressOfURL(u));
            const QList<int> order = QXNameSortOrder(int(collected.size()), [&addresses](QByteArray &key, int i) {
                QXAppendNameSortKey(key, QLatin1String(addresses.at(i)));
            });
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
            for (int i = 0; i < movieRepresentations.size(); ++i)
                if (incoming.contains(movieRepresentations.at(i)->address()))
                    leaving.append(i);
            removePlaylistRows(leaving);
            appendPlaylistEntries(added);
        }
        const bool start = !settings.boolForKey(QXKeys::DoNotPlayOnOpen);
        if (chooseMovie(collected.first(), true, start, false))
            return true;
    }
    if (openWindowAfterDelay) {
        showPlayerWindowIfNotVisible();
        openWindowAfterDelay = false;
    }
    return false;
}

void QXMPController::openMovies(const QList<QUrl> &urls)
{
    if (!openMovies(urls, QXIsShiftHeld()))
        beep();
}

bool QXMPController::openURLs(const QList<QUrl> &urls)
{
    // Web addresses go through the same collection and choice as files.
    const bool opened = openMovies(urls, false);
    if (!opened)
        beep();
    showPlayerWindowIfNotVisible();
    return opened;
}

void QXMPController::walkPlaylistWithStep(int step)
{
    const int last = int(movieRepresentations.size()) - 1;
    if (last <= 0) {
        beep();
        return;
    }
    const int i = currentMovieRepresentation ? playlistIndexForAddress(currentMovieRepresentation->address()) : -1;
    const int found = i < 0 ? NotFound : i;
    // An entry that left the list walks from its end, as its not-found index would.
    qint64 t = qint64(found) + step;
    if (t < 0)
        t = last;
    else if (t > last)
        t = 0;
    const bool playing = playerView->isPlaying();
    chooseMovie(movieRepresentations.at(int(t))->URL(), false, playing, false);
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
    const int n = int(movieRepresentations.size());
    // order[i]: the row the entry for row i comes from.
    QList<int> order;
    if (tag == 1 || tag == 2) {
        // Each entry's name or address is made once; equal ones keep their order.
        const bool hide = QXSettings::standard().boolForKey(QXKeys::HideFileExtensions);
        order = QXNameSortOrder(n, [this, tag, hide](QByteArray &key, int i) {
            const QXMovieRepresentation &r = *movieRepresentations.at(i);
            if (tag == 1)
                QXAppendNameSortKey(key, r.displayName(hide));
            else
                QXAppendNameSortKey(key, QLatin1String(r.address()));
        });
    } else {
        order.resize(n);
        std::iota(order.begin(), order.end(), 0);
        // Fisher–Yates, drawing from random() as seeded at launch.
        for (int i = n - 1; i > 0; --i)
            std::swap(order[i], order[int(random() % (i + 1))]);
    }
    if (playlistModel)
        playlistModel->beginReorder();
    QList<QXMovieRepresentationRef> reordered;
    reordered.reserve(n);
    QList<int> newRows(n);
    for (int i = 0; i < n; ++i) {
        reordered.append(std::move(movieRepresentations[order.at(i)]));
        newRows[order.at(i)] = i;
    }
    movieRepresentations = std::move(reordered);
    m_playlistIndexValid = m_playlistIndexValid && m_playlistIndex.reorder(newRows);
    // The selection moves with its entry.
    if (playlistModel)
        playlistModel->endReorder(newRows);
    m_playlistMenuValid = false;
    refreshPlaylistMenuIfVisible();
    emit playlistChanged();
    playerHistoryList->scrollToTop();
    const int row = selectedRow(playerHistoryList);
    if (row >= 0)
        playerHistoryList->scrollTo(playlistModel->index(row));
}

void QXMPController::clearPlaylist()
{
    chooseNoMovie();
    // Entries go now, storage and all; the menu keeps none alive.
    movieRepresentations = {};
    m_playlistIndex.clear();
    playlistDidChange();
    updatePlaylistTableAndMenu();
    buildPlaylistMenuIfNeeded();
    playerWindow->setWindowFilePath(QString());
    playerWindow->setWindowTitle(QStringLiteral("Vistrel"));
    if (isPresenting)
        togglePresentation();
    updateTimeField(0, 0);
    updateButtons();
    playerView->update();
}

void QXMPController::tableViewDeleteObjectAtRow(int row)
{
    if (row < 0 || row >= movieRepresentations.size())
        return;
    const int selected = selectedRow(playerHistoryList);
    if (currentMovieRepresentation && playlistIndexForAddress(currentMovieRepresentation->address()) == row) {
        chooseNoMovie();
        playerWindow->setWindowFilePath(QString());
        playerWindow->setWindowTitle(QStringLiteral("Vistrel"));
        updateTimeField(0, 0);
    }
    removePlaylistRows({row});
    // The view selects a neighbour when its current row goes: the selection is put back.
    if (selected == row)
        playerHistoryList->clearSelection();
    else if (selected >= 0)
        playerHistoryList->selectionModel()->select(playlistModel->index(selected > row ? selected - 1 : selected),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    updateButtons();
    playerView->update();
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
    return !isPresenting && !QXSettings::standard().boolForKey(QXKeys::HidePlaylist);
}

bool QXMPController::isPlaylistRowAccessible(int *row) const
{
    if (!isPlaylistAccessible())
        return false;
    const int r = selectedRow(playerHistoryList);
    if (r < 0)
        return false;
    if (row)
        *row = r;
    return true;
}

namespace {
class QXScrollingMenuStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *answer) const override
    {
        return hint == SH_Menu_Scrollable ? 1 : QProxyStyle::styleHint(hint, option, widget, answer);
    }
};
} // namespace

void QXMPController::updatePlaylistTableAndMenu()
{
    if (playlistModel)
        playlistModel->reloadData();
    m_playlistIndexValid = false;
    m_playlistMenuValid = false;
    refreshPlaylistMenuIfVisible();
}

void QXMPController::refreshPlaylistMenuIfVisible()
{
    // An open menu follows at once; a closed one when it next opens.
    if (playlistMenu && playlistMenu->isVisible())
        buildPlaylistMenuIfNeeded();
}

void QXMPController::buildPlaylistMenuIfNeeded()
{
    if (!playlistMenu)
        return;
    if (!m_showPlaylistMenuItem) {
        m_playlistMenuSeparator = playlistMenu->addSeparator();
        m_showPlaylistMenuItem = playlistMenu->addAction(tr("Show Playlist"));
        connect(m_showPlaylistMenuItem, &QAction::triggered, this, &QXMPController::showPlaylistPane);
        // Taller than any screen: scrolled, not laid out in columns running off its side,
        // and opened on the current entry (once shown: showing starts at the top).
        auto *style = new QXScrollingMenuStyle;
        style->setParent(playlistMenu);
        playlistMenu->setStyle(style);
        connect(playlistMenu, &QMenu::aboutToShow, this, [this] {
            QMetaObject::invokeMethod(this, [this] {
                for (const PlaylistMenuItem &item : std::as_const(m_playlistMenuItems))
                    if (item.action->isChecked() && playlistMenu->isVisible())
                        playlistMenu->setActiveAction(item.action);
            }, Qt::QueuedConnection);
        });
        m_playlistMenuValid = false;
    }
    if (m_playlistMenuValid)
        return;
    // A window of the list: thousands of items would take seconds to lay out, and could not
    // be used anyway.
    const int n = int(movieRepresentations.size());
    const int count = qMin(n, PlaylistMenuWindow);
    const int current = currentMovieRepresentation ? playlistIndexForAddress(currentMovieRepresentation->address()) : -1;
    // The window stays put while the current entry is well inside it, so walking the list
    // only moves the check mark; near an edge it centres on the current entry again.
    int start = current < 0 ? 0 : qBound(0, m_playlistMenuStart, n - count);
    if (current >= 0) {
        const int margin = count / 10;
        if (current < start + (start > 0 ? margin : 0)
            || current >= start + count - (start + count < n ? margin : 0))
            start = qBound(0, current - count / 2, n - count);
    }
    m_playlistMenuStart = start;

    // Items whose entry is still in the window, in the window's order, stay.
    QHash<const QXMovieRepresentation *, int> wanted;
    wanted.reserve(count);
    for (int i = count - 1; i >= 0; --i)
        wanted.insert(movieRepresentations.at(start + i).get(), i);
    QList<PlaylistMenuItem> kept;
    int lastKept = -1;
    for (const PlaylistMenuItem &item : std::as_const(m_playlistMenuItems)) {
        const auto it = wanted.constFind(item.entry.toStrongRef().get());
        if (it != wanted.constEnd() && it.value() > lastKept) {
            lastKept = it.value();
            kept.append(item);
        } else {
            delete item.action;
        }
    }
    QList<PlaylistMenuItem> items;
    items.reserve(count);
    const bool hide = QXSettings::standard().boolForKey(QXKeys::HideFileExtensions);
    qsizetype k = 0;
    for (int i = 0; i < count; ++i) {
        const QXMovieRepresentationRef &r = movieRepresentations.at(start + i);
        PlaylistMenuItem item;
        if (k < kept.size() && kept.at(k).entry == r) {
            item = kept.at(k++);
        } else {
            QAction *a = new QAction(playlistMenu);
            a->setCheckable(true);
            connect(a, &QAction::triggered, this, [this, a] { openMovieFromPlaylistMenuItem(a); });
            playlistMenu->insertAction(k < kept.size() ? kept.at(k).action : m_playlistMenuSeparator, a);
            item = PlaylistMenuItem{a, r};
        }
        // Each setter does nothing when the value is unchanged (an open menu relays out on
        // every change).
        item.action->setText(r->displayName(hide).replace(QLatin1Char('&'), QLatin1String("&&")));
        const QIcon icon = r->icon();
        if (item.action->icon().cacheKey() != icon.cacheKey())
            item.action->setIcon(icon);
        item.action->setChecked(r == currentMovieRepresentation);
        items.append(item);
    }
    m_playlistMenuItems = std::move(items);
    m_playlistMenuValid = true;
}

void QXMPController::openMovieFromPlaylistMenuItem(QAction *item)
{
    QXMovieRepresentationRef r;
    for (const PlaylistMenuItem &i : std::as_const(m_playlistMenuItems))
        if (i.action == item)
            r = i.entry.toStrongRef();
    if (!r)
        return;
    const bool playing = playerView->isPlaying();
    chooseMovie(r->URL(), true, playing, false);
}

void QXMPController::showPlaylistPane()
{
    if (QXSettings::standard().boolForKey(QXKeys::HidePlaylist)) {
        togglePlaylistVisibility();
    } else {
        playerWindow->raise();
        playerWindow->activateWindow();
    }
    // Where the menu's window ends, the table goes on: it opens on the current entry.
    const int current = currentMovieRepresentation ? playlistIndexForAddress(currentMovieRepresentation->address()) : -1;
    if (current >= 0 && playlistModel)
        playerHistoryList->scrollTo(playlistModel->index(current));
}

void QXMPController::playlistDoubleClicked(int row)
{
    if (row < 0 || row >= movieRepresentations.size())
        return;
    chooseMovie(movieRepresentations.at(row)->URL(), true,
                !QXSettings::standard().boolForKey(QXKeys::DoNotPlayOnOpen), false);
}

void QXMPController::setPlaylistVisible(bool visible, bool animate, bool isInitialSetup)
{
    Q_UNUSED(animate);
    QXPlayerWindow *w = playerWindow;
    const QRect frame = w->geometry();
    const int paneWidth = w->playlistPane->width() + 1;   // the pane and its divider line
    int newWidth;
    if (visible) {
        playlistVisibilityMenuItem->setText(tr("Hide Playlist"));
        m_controlBar->setPlaylistVisible(true);
        if (isInitialSetup)
            return;
        newWidth = frame.width() + paneWidth;
        w->playlistPane->show();
        w->playlistDivider->show();
    } else {
        playlistVisibilityMenuItem->setText(tr("Show Playlist"));
        m_controlBar->setPlaylistVisible(false);
        newWidth = frame.width() - paneWidth;
        w->playlistPane->hide();
        w->playlistDivider->hide();
    }
    // The player area keeps its size; the window grows or shrinks by the pane. The minimum
    // made for the pane would hold a narrow window wider: it goes first.
    if (!isInitialSetup)
        w->setMinimumSize(0, 0);
    setPlayerWindowClientRect(QRect(frame.topLeft(), QSize(newWidth, frame.height())));
    playerView->update();
}

void QXMPController::togglePlaylistVisibility()
{
    if (isPresenting) {
        beep();
        return;
    }
    QXSettings &settings = QXSettings::standard();
    const bool hidden = settings.boolForKey(QXKeys::HidePlaylist);
    settings.setBool(!hidden, QXKeys::HidePlaylist);
    setPlaylistVisible(hidden, playerWindow->isVisible(), false);
    updatePlayerWindowMinimumSize();
}
