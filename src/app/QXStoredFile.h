#pragma once
// Reading and writing a small file the player keeps (settings and the like) so that whatever
// sits in its place cannot hang the player, and no failed write can damage the copy on disk.
#include <QByteArray>
#include <QString>

namespace QXStoredFile {

enum class Kind {
    Absent,     // nothing there: a first launch
    File,       // read in full
    Device,     // a device, or a link to one: not opened at all
    NotAFile,   // a named pipe, a folder, a socket
    TooLarge,   // a file longer than the limit
    Unreadable, // present but could not be read
};

struct Contents
{
    Kind kind = Kind::Absent;
    QByteArray bytes; // when kind is File
    QString problem;  // otherwise, what is wrong, e.g. "is a named pipe, not a file"
};

// Reads at most maxBytes without ever blocking: a named pipe is never read, a device never
// opened, a longer file never loaded.
Contents read(const QString &path, qint64 maxBytes);

// Writes bytes to "<name>.tmp-XXXXXX" beside the file (after symbolic links, so a link stays a
// link), syncs it, renames it over the file and syncs the folder, checking every step. On a
// failure the temporary file is removed, the old file is left as it was, and the answer says
// what failed; an empty answer means written. A file in place that is not a regular one is
// never replaced. A new file is private to the user; an existing one keeps its permissions.
QString write(const QString &path, const QByteArray &bytes);

// Renames a file that cannot be trusted to "<path><label><yyyyMMdd-HHmmss>" (a number added
// when that is taken), never copying or deleting it; answers the new path, or an empty path
// and the reason.
QString renameAside(const QString &path, const QString &label, QString *reason);

// Removes the temporary files of a write that was killed midway beside the file.
void removeLeftovers(const QString &path);

} // namespace QXStoredFile
