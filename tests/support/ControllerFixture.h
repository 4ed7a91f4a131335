#pragma once
// Settings folders of their own and a launched controller, for tests that link the player.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "playlist/QXMovieTableView.h"
#include "util/QXPathInfo.h"
#include "TestSupport.h"

#include <QDir>
#include <QJsonObject>
#include <memory>

namespace testsupport {

// Points the store at a new, empty settings folder under root, as a fresh process finds it.
inline void useFreshSettings(const QString &root)
{
    static int n = 0;
    isolateSettings(QDir(root).filePath(QStringLiteral("config%1").arg(++n)));
    QXSettings::resetStandard();
}

// Replaces c with a new launch on the settings the old one left, as a fresh process finds them.
inline void relaunchController(std::unique_ptr<QXMPController> &c)
{
    c.reset();
    QXSettings::resetStandard();
    c = std::make_unique<QXMPController>();
    c->applicationDidFinishLaunching();
}

// Replaces c (the old controller goes first: the first controller alive is the shared one)
// with one launched on a new settings folder under root, holding the given values ("Playlist
// Movies" as the stored playlist).
inline void launchFreshController(std::unique_ptr<QXMPController> &c, const QString &root,
                                  const QJsonObject &stored = {})
{
    c.reset();
    useFreshSettings(root);
    for (auto it = stored.begin(); it != stored.end(); ++it) {
        if (it.key() == QXKeys::PlaylistMovies) // kept in a file of its own
            QXSettings::standard().setStoredPlaylist(it.value().toArray());
        else
            QXSettings::standard().setObject(it.value(), it.key());
    }
    c = std::make_unique<QXMPController>();
    c->applicationDidFinishLaunching();
}

// The playlist a player stored at its quit, read afresh: its entries' paths, "~" expanded.
inline QStringList storedPlaylistPaths()
{
    QXSettings::resetStandard();
    QStringList paths;
    for (const QJsonValue &v : QXSettings::standard().storedPlaylist())
        paths << QXPathInfo::stringByExpandingTildeInPath(v.toObject().value(QXKeys::EntryPath).toString());
    return paths;
}

// The playlist's entries by name, in order.
inline QStringList playlistNames(const QXMPController &c)
{
    QStringList names;
    for (const auto &r : c.playlist().entries())
        names << r->displayName();
    return names;
}

// The table's selected row (-1 for none), and selecting one row alone.
inline int selectedRow(const QXMPController &c)
{
    const auto rows = c.ui().playerHistoryList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}
inline void selectRow(const QXMPController &c, int row)
{
    c.ui().playerHistoryList->selectionModel()->select(c.ui().playerHistoryList->model()->index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace testsupport
