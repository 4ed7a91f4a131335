#pragma once
// Operations on POSIX path strings: file-system tests, link resolution, icons, display names
// and a few string helpers. Path manipulation follows the classic path-string rules (runs of
// slashes collapse, a trailing slash is dropped except on "/"), not QDir's clean-up rules, so
// that ".." is never folded away and "x.tar.gz" loses only its last extension.
#include <QImage>
#include <QString>

namespace QXPathInfo {

// File-system tests.
// Whole-string, case-sensitive match against the system folders a walk must never enter.
bool isTabooSystemPath(const QString &path);
// The kernel and device trees, /proc, /sys and /dev, or anything inside them. Meant for a
// resolved path (realpath), so that a link into them is caught as well.
bool isKernelTreePath(const QString &resolvedPath);
// "Network", "Network/", "/Network" or "/Network/".
bool isNetworkPath(const QString &path);
// Exists and is a directory, symbolic links followed.
bool isFolderPath(const QString &path);

// Expands "~"; true when the folder exists or its last component could be created
// (missing intermediate folders make it fail).
bool checkFolderPathAndCreateIfNecessary(const QString &path);

// Resolution.
// This system has no alias files: always a null string.
QString resolvedAliasPath(const QString &path);
// Null when the path does not exist (links followed) or is a system path; the target of a
// symbolic link (one level, relative text taken against the link's folder) when that
// exists; otherwise the path itself. *isDirectory (may be null) holds whether the answer is
// a folder.
QString resolvedPathIsDirectory(const QString &path, bool *isDirectory);

// Icons: a 16×16 image, the file itself when it is an image, else its type's icon. Null when
// neither can be had.
QImage iconFromPath(const QString &path);
// The same, built once per path string for the life of the process; null results are not
// kept. Not for lists of files (the playlist shares one icon per kind): it grows by an image
// per path.
QImage cachedIconFromPath(const QString &path);

// Names.
// The last component, without its extension while "Hide File Extensions" is on.
QString displayFileName(const QString &path);
// A fresh UUID in upper-case 8-4-4-4-12 form.
QString uniqueString();
// At most maxBytes of UTF-8, cut before the first character that does not fit whole, so a
// file name stays within what file systems allow.
QString truncatedToUtf8Bytes(const QString &name, int maxBytes);

// Literal, case-sensitive search for the first occurrence (an empty needle is never found).
// Not found: the string itself when returnSelfIfNotFound, else a null string.
QString substringBefore(const QString &string, const QString &needle, bool returnSelfIfNotFound);
QString substringAfter(const QString &string, const QString &needle, bool returnSelfIfNotFound);
QString substringBetween(const QString &string, const QString &start, const QString &end,
                         bool returnSelfIfNotFound);

// Path strings.
// The home folder (only as a whole leading component) written as "~".
QString stringByAbbreviatingWithTildeInPath(const QString &path);
// A leading "~" or "~user" replaced by that home folder; unchanged when the user is unknown.
QString stringByExpandingTildeInPath(const QString &path);
// Joined with one slash; runs of slashes collapse and a trailing slash is dropped.
QString stringByAppendingPathComponent(const QString &path, const QString &component);
// "/a/b" -> "/a", "/a" -> "/", "/" -> "/", "a" -> "".
QString stringByDeletingLastPathComponent(const QString &path);
// "x.tar.gz" -> "x.tar", ".hidden" -> ".hidden", "a.b/" -> "a".
QString stringByDeletingPathExtension(const QString &path);
// "/a/b/" -> "b", "/" -> "/".
QString lastPathComponent(const QString &path);
// Runs of slashes collapsed and the trailing slash dropped ("/" stays "/").
QString stringByFixingSlashes(const QString &path);

} // namespace QXPathInfo
