#pragma once
// The update checker's plain functions: version order, the status date, which web addresses
// may be fetched or opened, and the version list read from its bytes. None needs a window.
#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QNetworkReply>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <optional>

namespace QXUpdate {

// Longer texts are no version.
constexpr int MaxVersionLength = 32;

// A version is dotted decimal components ("1", "1.0.2") with an optional tail "a", "b" or "rc"
// and a number ("1.0b2"). Components compare as numbers of any length; missing ones count as 0
// (1.0 = 1.0.0); a tail comes before the release it leads to (1.0a1 < 1.0b1 < 1.0rc1 < 1.0).
bool isVersion(const QString &text);
// Negative, 0 or positive as a is older, the same or newer than b; nothing when either is no
// version.
std::optional<int> compareVersions(const QString &a, const QString &b);

// Formats a local time: %B month name, %d day (two digits), %1d day, %Y year, %I hour of 12
// (two digits), %1I hour of 12, %H hour of 24, %M minute, %p AM or PM, %% a per cent sign;
// month names and AM/PM from the locale. Anything else is copied as it stands.
QString formatDate(const QString &format, const QDateTime &time, const QLocale &locale);

// Seconds since 2001-01-01 00:00 UTC, the stored form of the last check.
double secondsSinceReferenceDate(const QDateTime &time);

// Whether an address may be fetched or opened: https with a host, or http to this machine
// (127.0.0.1, ::1, localhost), with no user name or password.
bool isAcceptedAddress(const QUrl &url);
// A version-list value as an address: a string that makes an accepted address, else empty.
QUrl acceptedAddressFromValue(const QVariant &value);

// A server's origin from a setting that may override the one built in: the override when it
// is an accepted address, else builtIn; without a trailing slash.
QString serverOrigin(const QString &override, const QString &builtIn);

struct VersionList
{
    bool ok = false;        // a dictionary with a "productVersion" that is a version
    QString productVersion;
    QUrl productPage;       // empty when absent or not accepted
    QUrl releaseNotes;      // likewise
};
// The body of the version file read as a property list.
VersionList parseVersionList(const QByteArray &bytes);

// Why a check found no version list, as far as the user can act on it.
enum class Failure {
    None,
    AddressRefused,  // the address is not one that may be fetched
    RedirectRefused, // sent on to such an address, or from https to http
    Refused,         // the connection was refused
    HostNotFound,
    Insecure,        // no secure connection could be made
    Unreachable,     // any other failure below HTTP
    TimedOut,
    HttpStatus,      // answered with a status other than 2xx
    TooLarge,
    NotAVersionList,
};
// A transfer's error below HTTP as a failure (None for NoError).
Failure failureFromNetworkError(QNetworkReply::NetworkError error);
// The reason shown to the user, to follow "The check for updates failed: " (no full stop).
// httpStatus is read for HttpStatus, timeoutMs for TimedOut, maxBytes for TooLarge.
QString failureReason(Failure failure, int httpStatus, int timeoutMs, qint64 maxBytes);

} // namespace QXUpdate
