#pragma once
// Sorting many names in the order of QXCompareNames (util/QXMovieCollection.h) without
// comparing them character by character: each name becomes a byte string, once, whose plain
// byte order is that order (equal names give equal keys).
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <functional>

// Appends the key of the name; at most three bytes per UTF-16 unit. The Latin-1 form is for
// addresses.
void QXAppendNameSortKey(QByteArray &key, QStringView name);
void QXAppendNameSortKey(QByteArray &key, QLatin1String name);

// The stable order of count items by their keys: order[i] is the item that goes i-th.
// appendKey(key, i) appends the key of item i.
QList<int> QXNameSortOrder(int count, const std::function<void(QByteArray &key, int item)> &appendKey);

// The stable order of addresses by their texts (QXMovieRepresentation::addressOfURL), as
// opened movies join the playlist.
QList<int> QXAddressSortOrder(const QList<QUrl> &urls);
