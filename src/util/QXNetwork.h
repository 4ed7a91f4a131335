#pragma once
// Web address helpers: whether an address can be played, and blocking fetches of its body
// as bytes, Latin-1 text or a property list.
//
// The fetches run a local event loop on the calling (main) thread for up to 5 seconds. User
// input is held back meanwhile, but timers and queued events still run, so callers must not
// rely on nothing else happening during a fetch.
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVariant>

namespace QXNetwork {

constexpr int FetchTimeoutMs = 5000;
// The longest body a fetch takes in unless told otherwise, and the longest property list.
constexpr qint64 MaxBodyBytes = 16 << 20;
constexpr qint64 MaxPropertyListBytes = 1 << 20;
// Property lists nested deeper are refused unparsed: libplist parses them recursively.
constexpr int MaxPropertyListNesting = 64;

// A YouTube watch page, a Google Video page (any country domain; QXOnlineVideo::pageKind), or
// an address the engine can open.
bool isMovieURL(const QUrl &url);

// The body, whatever the status code (an error page comes back like any page). A null
// QByteArray when the address is bad, the connection fails, nothing has finished within
// the time-out or the body is longer than maxBytes (the transfer stops as soon as it is);
// an empty body is empty but not null.
QByteArray dataFromNSURLConnection(const QUrl &url, int timeoutMs = FetchTimeoutMs,
                                   qint64 maxBytes = MaxBodyBytes);
// The body with every byte taken as one ISO Latin 1 character; null on failure.
QString stringFromNSURLConnection(const QUrl &url, int timeoutMs = FetchTimeoutMs,
                                  qint64 maxBytes = MaxBodyBytes);
// The body parsed as an XML or binary property list: dictionaries as QVariantMap, arrays as
// QVariantList, strings, integers (qint64), reals, booleans, dates (QDateTime, UTC) and data
// (QByteArray). A null QVariant on failure, for a body over MaxPropertyListBytes, or when the
// body is no property list.
QVariant dictionaryFromNSURLConnection(const QUrl &url, int timeoutMs = FetchTimeoutMs);

// The parse step on its own. A list nested deeper than MaxPropertyListNesting, holding a
// cycle, or malformed in its structure is refused before libplist sees it.
QVariant propertyListFromData(const QByteArray &data);

} // namespace QXNetwork
