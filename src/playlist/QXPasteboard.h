#pragma once
// What a drag carries: a row of the playlist table under a private type, file names and web
// addresses from other programs, and web addresses made from typed or dropped text.
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class QMimeData;

namespace QXPasteboard {

// The private type; it never leaves the player.
QString internalMoviePasteboardType();
// The private type as the data's only type, holding the row as 4 bytes in native order.
void setTableRow(QMimeData *data, int row);
// The stored row; -1 when the private type is missing or holds fewer than 4 bytes.
int tableRow(const QMimeData *data);

// The paths of the local-file addresses in text/uri-list, in order.
QStringList filenames(const QMimeData *data);
// The first other address of text/uri-list, else the first line of text/x-moz-url, made by
// QXURLWithString; an empty QUrl when there is none or its text makes no address.
QUrl url(const QMimeData *data);
// Whether the data offers file names, or an address text (valid or not).
bool hasFilenames(const QMimeData *data);
bool hasURL(const QMimeData *data);

} // namespace QXPasteboard

// A web address from text, taken strictly: none (an empty QUrl) for an empty text, or one
// holding a blank, a control or non-ASCII character, any other character outside RFC 3986, or
// a "%" that does not start two hex digits.
QUrl QXURLWithString(const QString &text);

// The address panel's text: split at every line feed (a carriage return stays part of its
// line); each non-empty line that makes an address, in order.
QList<QUrl> QXURLsFromLines(const QString &text);
