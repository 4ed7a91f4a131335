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

// A YouTube watch page, a Google Video page (any country domain), or an address the engine
// can open.
bool isMovieURL(const QUrl &url);

// The body, whatever the status code (an error page comes back like any page). A null
// QByteArray when the address is bad, the connection fails or nothing has finished within
// the time-out; an empty body is empty but not null.
QByteArray dataFromNSURLConnection(const QUrl &url, int timeoutMs = FetchTimeoutMs);
// The body with every byte taken as one ISO Latin 1 character; null on failure.
QString stringFromNSURLConnection(const QUrl &url, int timeoutMs = FetchTimeoutMs);
// The body parsed as an XML or binary property list: dictionaries as QVariantMap, arrays as
// QVariantList, strings, integers (qint64), reals, booleans, dates (QDateTime, UTC) and data
// (QByteArray). A null QVariant on failure or when the body is no property list.
QVariant dictionaryFromNSURLConnection(const QUrl &url, int timeoutMs = FetchTimeoutMs);

// The parse step on its own.
QVariant propertyListFromData(const QByteArray &data);

} // namespace QXNetwork
