#include "playlist/QXOnlineVideoPage.h"

#include "util/QXPathInfo.h"

#include <QHostAddress>
#include <QStandardPaths>
#include <QStringDecoder>

namespace QXOnlineVideo {

namespace {

QString prefix(const char *variable, const char *builtIn)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? QString::fromUtf8(builtIn) : value;
}

// The whole text starts with the prefix, or with its http form when the prefix is https.
bool hasPrefix(const QString &text, const QString &prefix)
{
    static const QLatin1String secure("https://");
    return text.startsWith(prefix)
        || (prefix.startsWith(secure) && text.startsWith(QLatin1String("http://") + prefix.mid(secure.size())));
}

bool isLoopbackHost(const QString &host)
{
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

// A video address as the page writes it, parsed strictly; only http(s) with a host passes.
QUrl acceptedVideoAddress(const QString &text)
{
    if (text.isNull())
        return {};
    return secureAddress(QUrl(text, QUrl::StrictMode));
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

QString withoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool liesDirectlyIn(const QString &path, const QString &folder)
{
    const QString start = folder == QLatin1String("/") ? folder : folder + QLatin1Char('/');
    if (!path.startsWith(start))
        return false;
    const QString name = path.mid(start.size());
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

} // namespace

QString youTubePagePrefix()
{
    return prefix("VISTREL_YOUTUBE_PAGE_PREFIX", VISTREL_DEFAULT_YOUTUBE_PAGE_PREFIX);
}

QString youTubeVideoServer()
{
    return prefix("VISTREL_YOUTUBE_VIDEO_SERVER", VISTREL_DEFAULT_YOUTUBE_VIDEO_SERVER);
}

QString googleVideoPagePrefix()
{
    return prefix("VISTREL_GOOGLE_VIDEO_PAGE_PREFIX", VISTREL_DEFAULT_GOOGLE_VIDEO_PAGE_PREFIX);
}

PageKind pageKind(const QUrl &address)
{
    const QString text = address.toString(QUrl::FullyEncoded);
    if (text.isEmpty())
        return PageKind::None;
    if (hasPrefix(text, youTubePagePrefix()))
        return PageKind::YouTube;
    if (hasPrefix(text, googleVideoPagePrefix()))
        return PageKind::GoogleVideo;
    return PageKind::None;
}

QUrl secureAddress(const QUrl &address)
{
    const QString scheme = address.scheme();
    if (!address.isValid() || address.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    QUrl secured = address;
    if (scheme == QLatin1String("http") && !isLoopbackHost(address.host())) {
        secured.setScheme(QStringLiteral("https"));
        if (secured.port() == 80)
            secured.setPort(-1);
    }
    return secured;
}

QUrl youTubeVideoAddress(const QString &pageText)
{
    // Only the first CDATA section counts, even when a later one names a video.
    const QString section = QXPathInfo::substringBetween(pageText, QStringLiteral("<![CDATA["),
                                                         QStringLiteral("]]>"), false);
    const QString value = QXPathInfo::substringBetween(section, QStringLiteral("video_id="),
                                                       QStringLiteral("\""), false);
    if (value.isNull())
        return {};
    return acceptedVideoAddress(withoutTrailingSlashes(youTubeVideoServer())
                                + QLatin1String("/get_video?video_id=") + value);
}

QUrl googleVideoAddress(const QString &pageText)
{
    // The marker as the page's script writes it: "=" escaped as \u003d.
    const QString escaped = QXPathInfo::substringBetween(pageText, QStringLiteral("videoUrl\\u003d"),
                                                         QStringLiteral("&"), false);
    if (escaped.isNull())
        return {};
    return acceptedVideoAddress(decodedPercentEscapes(escaped));
}

QUrl videoAddress(PageKind kind, const QString &pageText)
{
    switch (kind) {
    case PageKind::YouTube:
        return youTubeVideoAddress(pageText);
    case PageKind::GoogleVideo:
        return googleVideoAddress(pageText);
    case PageKind::None:
        break;
    }
    return {};
}

QString decodedPercentEscapes(const QString &text)
{
    QString out;
    out.reserve(text.size());
    QByteArray run;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) == QLatin1Char('%')) {
            const int high = i + 2 < text.size() ? hexDigit(text.at(i + 1)) : -1;
            const int low = high < 0 ? -1 : hexDigit(text.at(i + 2));
            if (low < 0)
                return {};
            run.append(char(high << 4 | low));
            i += 2;
            continue;
        }
        if (!run.isEmpty()) {
            // Each run stands alone: a character split by plain text is no character. A byte
            // order mark is a character like any other here.
            QStringDecoder utf8(QStringDecoder::Utf8,
                                QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            const QString decoded = utf8.decode(run);
            if (utf8.hasError())
                return {};
            out += decoded;
            run.clear();
        }
        if (i < text.size())
            out += text.at(i);
    }
    if (out.isNull())
        out = QLatin1String("");
    return out;
}

QString safeFileName(const QString &name)
{
    QString safe = name;
    safe.replace(QLatin1Char('/'), QLatin1Char('_'));
    safe.remove(QChar(0));
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        return QXPathInfo::uniqueString();
    // A name whose text is not valid UTF-16 is counted as the file system gets it.
    return QXPathInfo::truncatedToUtf8Bytes(QString::fromUtf8(safe.toUtf8()), MaxNameBytes);
}

QString moviesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
}

QString onlineVideoFolder()
{
    return withoutTrailingSlashes(moviesFolder()) + QLatin1String("/Online Video");
}

QString targetPath(const QUrl &page, const QString &moviesFolder)
{
    const QString text = page.toString(QUrl::FullyEncoded);
    const bool youTube = pageKind(page) == PageKind::YouTube;
    // The old names: everything after the first "=" of a YouTube address, further parameters
    // included; the docid of any other.
    QString name;
    if (youTube) {
        name = QXPathInfo::substringAfter(text, QStringLiteral("="), false);
    } else {
        const QString docid = QXPathInfo::substringAfter(text, QStringLiteral("docid="), false);
        name = docid.isNull() ? QString() : QXPathInfo::substringBefore(docid, QStringLiteral("&"), true);
    }
    if (name.isNull())
        name = QXPathInfo::uniqueString();
    const QString base = withoutTrailingSlashes(moviesFolder);
    const QString folder = (base == QLatin1String("/") ? QString() : base)
        + (youTube ? QLatin1String("/YouTube") : QLatin1String("/Google Video"));
    const QString path = folder + QLatin1Char('/') + safeFileName(name) + QLatin1String(".flv");
    // Kept in release builds too: a file written elsewhere than its folder could replace any
    // file of the user's.
    if (!liesDirectlyIn(path, folder))
        qFatal("online video path %s leaves %s", qUtf8Printable(path), qUtf8Printable(folder));
    return path;
}

} // namespace QXOnlineVideo
