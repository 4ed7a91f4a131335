#pragma once
// Collecting playable addresses from opened or dropped addresses, files and folders.
//
// Folders are walked recursively in the order the file system lists them, following
// symbolic links. A folder that is reached again while it is still being walked (a link back
// to itself or to an ancestor; folders are told apart by device and inode) is not entered
// again, so every walk ends; the same folder reached along two separate branches is walked
// twice, as two separate openings would. System roots and the network root are skipped,
// folders that cannot be listed contribute nothing, and only regular files are offered to
// the engine (a named pipe would block the probe).
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

// Appends, in order, file addresses collected as by QXAddMovieURLsFromPaths and other
// addresses for which QXNetwork::isMovieURL holds. True when anything was appended.
// revealPackageContents is handed on and changes nothing here (no packages on this system).
bool QXAddMovieURLs(QList<QUrl> &into, const QList<QUrl> &urls, bool revealPackageContents);

// Each non-empty path (joined to basePath when one is given) that is no system or network
// root: a folder is walked, a file the engine can open is appended. True when anything was
// appended, here or further down.
bool QXAddMovieURLsFromPaths(QList<QUrl> &into, const QStringList &paths,
                             const QString &basePath, bool revealPackageContents);

// The same, asking enterFolder before listing each folder (after the root and loop checks);
// false leaves that folder out. For progress reporting, cancellation and tests.
using QXFolderVisitor = std::function<bool(const QString &folderPath)>;
bool QXAddMovieURLsFromPaths(QList<QUrl> &into, const QStringList &paths,
                             const QString &basePath, bool revealPackageContents,
                             const QXFolderVisitor &enterFolder);

// The order of names and addresses everywhere in the player: case-insensitive, and a run of
// digits compares by value ("movie 2" before "movie 10"). <0, 0 or >0.
int QXCompareNames(const QString &a, const QString &b);
