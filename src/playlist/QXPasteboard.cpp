#include "playlist/QXPasteboard.h"

#include "engine/QXFileNames.h"

#include <QMimeData>
#include <QStringDecoder>

#include <cstring>

namespace {

const QString UriList = QStringLiteral("text/uri-list");
const QString MozURL = QStringLiteral("text/x-moz-url");

// The lines of text/uri-list that name something: comments and blank lines left out.
QList<QByteArray> uriListLines(const QMimeData *data)
{
    QList<QByteArray> lines;
    if (!data || !data->hasFormat(UriList))
        return lines;
    for (QByteArray line : data->data(UriList).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty() && !line.startsWith('#'))
            lines.append(line);
    }
    return lines;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isFileLine(const QByteArray &line)
{
    return line.size() >= 5 && qstrnicmp(line.constData(), "file:", 5) == 0;
}

// Browsers write text/x-moz-url as UTF-16 ("address\ntitle"); others as UTF-8.
QString mozURLFirstLine(const QMimeData *data)
{
    const QByteArray bytes = data->data(MozURL);
    QString text;
    if (bytes.size() >= 2 && bytes.size() % 2 == 0 && (bytes.contains('\0') || bytes.startsWith("\xff\xfe")))
        text = QStringDecoder(QStringDecoder::Utf16LE)(bytes);
    else
        text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    return text.section(QLatin1Char('\n'), 0, 0);
}

} // namespace

namespace QXPasteboard {

QString internalMoviePasteboardType()
{
    return QStringLiteral("application/x-org.vistrel.player.QXMovieListPlayerPasteboardType");
}

void setTableRow(QMimeData *data, int row)
{
    const qint32 value = row;
    data->clear();
    data->setData(internalMoviePasteboardType(), QByteArray(reinterpret_cast<const char *>(&value), sizeof value));
}

int tableRow(const QMimeData *data)
{
    if (!data || !data->hasFormat(internalMoviePasteboardType()))
        return -1;
    const QByteArray bytes = data->data(internalMoviePasteboardType());
    if (bytes.size() < 4)
        return -1;
    qint32 value;
    std::memcpy(&value, bytes.constData(), sizeof value);
    return value;
}

QStringList filenames(const QMimeData *data)
{
    QStringList paths;
    for (const QByteArray &line : uriListLines(data))
        if (isFileLine(line))
            if (const QUrl u = QUrl::fromEncoded(line); u.isLocalFile())
                paths.append(QXFileNames::localPath(u));
    return paths;
}

bool hasFilenames(const QMimeData *data)
{
    return !filenames(data).isEmpty();
}

bool hasURL(const QMimeData *data)
{
    for (const QByteArray &line : uriListLines(data))
        if (!isFileLine(line))
            return true;
    return data && data->hasFormat(MozURL) && !data->data(MozURL).isEmpty();
}

QUrl url(const QMimeData *data)
{
    for (const QByteArray &line : uriListLines(data))
        if (!isFileLine(line))
            return QXURLWithString(QString::fromUtf8(line));
    if (data && data->hasFormat(MozURL))
        return QXURLWithString(mozURLFirstLine(data));
    return {};
}

} // namespace QXPasteboard

QUrl QXURLWithString(const QString &text)
{
    if (text.isEmpty())
        return {};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool unreserved = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
                                || c == u'-' || c == u'.' || c == u'_' || c == u'~';
        if (unreserved || (c > 0 && c < 0x80 && std::strchr(":/?#[]@!$&'()*+,;=", char(c))))
            continue;
        if (c == u'%' && i + 2 < text.size() && isHexDigit(text.at(i + 1)) && isHexDigit(text.at(i + 2))) {
            i += 2;
            continue;
        }
        return {};
    }
    const QUrl url = QUrl::fromEncoded(text.toLatin1(), QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

QList<QUrl> QXURLsFromLines(const QString &text)
{
    QList<QUrl> urls;
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (!line.isEmpty())
            if (const QUrl u = QXURLWithString(line); !u.isEmpty())
                urls.append(u);
    return urls;
}
