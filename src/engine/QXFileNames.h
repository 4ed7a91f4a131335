#pragma once
// File names as this system stores them: bytes, usually but not always UTF-8. A QString path
// here carries every byte that is not part of valid UTF-8 as a lone surrogate U+DC80 + byte,
// so that any name read from a folder or the command line is opened by its exact bytes and
// survives the way through file addresses, the playlist and the hand-over to another launch.
// Use these instead of QFile::encodeName / decodeName and QUrl::fromLocalFile / toLocalFile
// wherever a path reaches the file system.
#include <QByteArray>
#include <QString>
#include <QUrl>

namespace QXFileNames {

QString decode(const QByteArray &native);
QByteArray encode(const QString &path);
// True when the path holds bytes that are not UTF-8 (it cannot be shown or stored as text
// without loss).
bool hasRawBytes(const QString &path);
// The path made absolute against the working folder, raw bytes kept (QFileInfo loses them).
QString absolutePath(const QString &path);

// A file address for an absolute path, and back; the address keeps raw bytes percent-encoded.
QUrl fileURL(const QString &path);
QString localPath(const QUrl &url);

} // namespace QXFileNames
