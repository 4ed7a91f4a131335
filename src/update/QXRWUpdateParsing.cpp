#include "update/QXRWUpdateParsing.h"

#include "util/QXNetwork.h"

#include <QCoreApplication>
#include <QList>
#include <QStringView>
#include <QTimeZone>

namespace QXUpdate {

namespace {

struct Version
{
    QList<QStringView> components; // digits, leading zeros stripped
    int tailRank = 3;               // a, b, rc, then the release itself
    QStringView tailNumber;
};

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

QStringView digitsAt(QStringView text, qsizetype *at)
{
    const qsizetype start = *at;
    while (*at < text.size() && isDigit(text[*at]))
        ++*at;
    QStringView digits = text.sliced(start, *at - start);
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.sliced(1);
    return digits;
}

std::optional<Version> parse(QStringView text)
{
    if (text.isEmpty() || text.size() > MaxVersionLength)
        return std::nullopt;
    Version v;
    qsizetype at = 0;
    for (;;) {
        const QStringView digits = digitsAt(text, &at);
        if (digits.isEmpty())
            return std::nullopt;
        v.components.append(digits);
        if (at < text.size() && text[at] == u'.')
            ++at;
        else
            break;
    }
    if (at == text.size())
        return v;
    const QStringView rest = text.sliced(at);
    const qsizetype letters = rest.startsWith(u"rc") ? 2 : 1;
    if (rest.startsWith(u"rc"))
        v.tailRank = 2;
    else if (rest.front() == u'a' || rest.front() == u'b')
        v.tailRank = rest.front() == u'a' ? 0 : 1;
    else
        return std::nullopt;
    at += letters;
    v.tailNumber = digitsAt(text, &at);
    if (v.tailNumber.isEmpty() || at != text.size())
        return std::nullopt;
    return v;
}

// Digit runs without leading zeros compare by length, then by text: no number overflows.
int compareNumbers(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0;
}

QString padded(int value, int width) { return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')); }

bool isLoopbackHost(const QString &host)
{
    return host == QLatin1String("127.0.0.1") || host == QLatin1String("::1")
        || host == QLatin1String("localhost");
}

} // namespace

bool isVersion(const QString &text) { return parse(text).has_value(); }

std::optional<int> compareVersions(const QString &a, const QString &b)
{
    const std::optional<Version> x = parse(a), y = parse(b);
    if (!x || !y)
        return std::nullopt;
    const qsizetype n = qMax(x->components.size(), y->components.size());
    static const QString zero = QStringLiteral("0");
    for (qsizetype i = 0; i < n; ++i) {
        const QStringView p = i < x->components.size() ? x->components[i] : QStringView(zero);
        const QStringView q = i < y->components.size() ? y->components[i] : QStringView(zero);
        if (const int c = compareNumbers(p, q))
            return c;
    }
    if (x->tailRank != y->tailRank)
        return x->tailRank < y->tailRank ? -1 : 1;
    return compareNumbers(x->tailNumber, y->tailNumber);
}

QString formatDate(const QString &format, const QDateTime &time, const QLocale &locale)
{
    const QDate d = time.date();
    const QTime t = time.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    QString out;
    out.reserve(format.size() + 16);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%' || i + 1 == format.size()) {
            out += c;
            continue;
        }
        QChar code = format[i + 1];
        const bool unpadded = code == u'1' && i + 2 < format.size()
            && (format[i + 2] == u'd' || format[i + 2] == u'I');
        if (unpadded)
            code = format[i + 2];
        QString piece;
        switch (code.unicode()) {
        case u'B': piece = locale.monthName(d.month(), QLocale::LongFormat); break;
        case u'd': piece = unpadded ? QString::number(d.day()) : padded(d.day(), 2); break;
        case u'Y': piece = padded(d.year(), 4); break;
        case u'I': piece = unpadded ? QString::number(hour12) : padded(hour12, 2); break;
        case u'H': piece = padded(t.hour(), 2); break;
        case u'M': piece = padded(t.minute(), 2); break;
        case u'p': piece = t.hour() < 12 ? locale.amText() : locale.pmText(); break;
        case u'%': piece = QStringLiteral("%"); break;
        default:
            out += c; // not a code: the per cent sign stands for itself
            continue;
        }
        out += piece;
        i += unpadded ? 2 : 1;
    }
    return out;
}

double secondsSinceReferenceDate(const QDateTime &time)
{
    static const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return double(reference.msecsTo(time)) / 1000.0;
}

bool isAcceptedAddress(const QUrl &url)
{
    if (!url.isValid() || url.isRelative() || !url.userInfo().isEmpty() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || (scheme == QLatin1String("http") && isLoopbackHost(url.host()));
}

QUrl acceptedAddressFromValue(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return {};
    const QUrl url(value.toString(), QUrl::StrictMode);
    return isAcceptedAddress(url) ? url : QUrl();
}

QString serverOrigin(const QString &override, const QString &builtIn)
{
    const QString given = override.trimmed();
    QString origin = !given.isEmpty() && isAcceptedAddress(QUrl(given, QUrl::StrictMode)) ? given : builtIn;
    while (origin.endsWith(QLatin1Char('/')))
        origin.chop(1);
    return origin;
}

VersionList parseVersionList(const QByteArray &bytes)
{
    VersionList list;
    const QVariant root = QXNetwork::propertyListFromData(bytes);
    if (root.typeId() != QMetaType::QVariantMap)
        return list;
    const QVariantMap map = root.toMap();
    const QVariant version = map.value(QStringLiteral("productVersion"));
    if (version.typeId() != QMetaType::QString || !isVersion(version.toString()))
        return list;
    list.ok = true;
    list.productVersion = version.toString();
    list.productPage = acceptedAddressFromValue(map.value(QStringLiteral("productPageURL")));
    list.releaseNotes = acceptedAddressFromValue(map.value(QStringLiteral("productReleaseNotesURL")));
    return list;
}

Failure failureFromNetworkError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::NoError:
        return Failure::None;
    case QNetworkReply::ConnectionRefusedError:
        return Failure::Refused;
    case QNetworkReply::HostNotFoundError:
        return Failure::HostNotFound;
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::InsecureRedirectError:
        return Failure::Insecure;
    // The transfer time-out cancels the reply.
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return Failure::TimedOut;
    case QNetworkReply::TooManyRedirectsError:
        return Failure::RedirectRefused;
    default:
        return Failure::Unreachable;
    }
}

QString failureReason(Failure failure, int httpStatus, int timeoutMs, qint64 maxBytes)
{
    // Marked where written, so lupdate files them under the context they are looked up in.
    const auto reason = [](const char *text) { return QCoreApplication::translate("QXRWUpdateChecker", text); };
    switch (failure) {
    case Failure::None:
        return {};
    case Failure::AddressRefused:
        return reason(QT_TRANSLATE_NOOP("QXRWUpdateChecker", "the update server's address is not accepted"));
    case Failure::RedirectRefused:
        return reason(QT_TRANSLATE_NOOP(
            "QXRWUpdateChecker", "the update server sent the request on to an address that is not accepted"));
    case Failure::Refused:
        return reason(QT_TRANSLATE_NOOP("QXRWUpdateChecker", "the update server refused the connection"));
    case Failure::HostNotFound:
        return reason(QT_TRANSLATE_NOOP("QXRWUpdateChecker", "the update server's host was not found"));
    case Failure::Insecure:
        return reason(QT_TRANSLATE_NOOP(
            "QXRWUpdateChecker", "no secure connection to the update server could be made"));
    case Failure::Unreachable:
        return reason(QT_TRANSLATE_NOOP("QXRWUpdateChecker", "the update server could not be reached"));
    case Failure::TimedOut:
    {
        const int seconds = qMax(1, (timeoutMs + 999) / 1000);
        if (seconds == 1)
            return reason(QT_TRANSLATE_NOOP("QXRWUpdateChecker", "the update server did not answer within a second"));
        return reason(QT_TRANSLATE_NOOP("QXRWUpdateChecker", "the update server did not answer within %1 seconds"))
            .arg(seconds);
    }
    case Failure::HttpStatus:
        return reason(QT_TRANSLATE_NOOP("QXRWUpdateChecker", "the update server answered %1")).arg(httpStatus);
    case Failure::TooLarge:
        return reason(QT_TRANSLATE_NOOP("QXRWUpdateChecker", "the update server's answer is larger than %1 KB"))
            .arg(maxBytes / 1024);
    case Failure::NotAVersionList:
        return reason(QT_TRANSLATE_NOOP("QXRWUpdateChecker", "the update server's answer is not a version list"));
    }
    return {};
}

} // namespace QXUpdate
