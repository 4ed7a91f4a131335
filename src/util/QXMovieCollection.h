#pragma once
// Collecting playable addresses from opened or dropped addresses, files and folders.
//
// Folders are walked recursively in the order the file system lists them, following
// symbolic links. Each folder is entered at most once per walk, told apart by device and
// inode: a link back to an ancestor ends there, and a folder reached again along another
// branch is not walked twice, so a walk takes time in proportion to the folders there are
// (links cannot make it explode). System roots, the kernel and device trees and the network
// root are skipped, folders that cannot be listed contribute nothing, and only regular files
// are offered to the engine (a named pipe would block the probe). A walk stops at once when
// cancelled (QXRequestWalkCancel).
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <functional>

// A walk as its caller sees it from another thread: how far it got, and a way to end it
// early that keeps what it found so far (unlike QXRequestWalkCancel).
struct QXWalkControl
{
    std::atomic<bool> stop{false};
    std::atomic<qint64> filesSeen{0};   // entries other than folders listed so far
};

// Appends, in order, file addresses collected as by QXAddMovieURLsFromPaths and other
// addresses for which QXNetwork::isMovieURL holds. True when anything was appended; a
// cancelled walk appends nothing and answers false.
// revealPackageContents is handed on and changes nothing here (no packages on this system).
bool QXAddMovieURLs(QList<QUrl> &into, const QList<QUrl> &urls, bool revealPackageContents,
                    QXWalkControl *control = nullptr);

// Each non-empty path (joined to basePath when one is given) that is no system or network
// root: a folder is walked, a file the engine can open is appended. True when anything was
// appended, here or further down. A cancelled walk appends nothing and answers false.
bool QXAddMovieURLsFromPaths(QList<QUrl> &into, const QStringList &paths,
                             const QString &basePath, bool revealPackageContents);

// The same, asking enterFolder before listing each folder (after the root and loop checks);
// false leaves that folder out. For progress reporting and tests.
using QXFolderVisitor = std::function<bool(const QString &folderPath)>;
bool QXAddMovieURLsFromPaths(QList<QUrl> &into, const QStringList &paths,
                             const QString &basePath, bool revealPackageContents,
                             const QXFolderVisitor &enterFolder, QXWalkControl *control = nullptr);

// Why a path named on its own gave nothing to collect. A folder's walk leaves out what is no
// movie without a word, so a folder has no reason.
enum class QXUncollected { Folder, Missing, Unreadable, NotAMovie };
QXUncollected QXWhyUncollected(const QString &path);

// Cancels every walk under way and every later one (the player is quitting); false lifts
// it. Async-signal-safe: a signal handler may call it.
void QXRequestWalkCancel(bool cancel = true);
bool QXWalkCancelled();

// The order of names and addresses everywhere in the player: case-insensitive, and a run of
// digits compares by value ("movie 2" before "movie 10"). <0, 0 or >0.
int QXCompareNames(const QString &a, const QString &b);
