// The string helpers of QXPathInfo that need nothing but Qt Core, so that code built without
// the file-system and icon parts (the fuzz targets) can use them.
#include "util/QXPathInfo.h"

#include <QUuid>

namespace QXPathInfo {

QString uniqueString()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString truncatedToUtf8Bytes(const QString &name, int maxBytes)
{
    QByteArray bytes = name.toUtf8();
    if (bytes.size() <= maxBytes)
        return name;
    qsizetype cut = maxBytes;
    while (cut > 0 && (uchar(bytes.at(cut)) & 0xC0) == 0x80)
        --cut; // back to the first byte of the character that does not fit
    bytes.truncate(cut);
    return QString::fromUtf8(bytes);
}

QString substringBefore(const QString &string, const QString &needle, bool returnSelfIfNotFound)
{
    const qsizetype at = needle.isEmpty() ? -1 : string.indexOf(needle, 0, Qt::CaseSensitive);
    if (at < 0)
        return returnSelfIfNotFound ? string : QString();
    return string.left(at);
}

QString substringAfter(const QString &string, const QString &needle, bool returnSelfIfNotFound)
{
    const qsizetype at = needle.isEmpty() ? -1 : string.indexOf(needle, 0, Qt::CaseSensitive);
    if (at < 0)
        return returnSelfIfNotFound ? string : QString();
    return string.mid(at + needle.size());
}

QString substringBetween(const QString &string, const QString &start, const QString &end,
                         bool returnSelfIfNotFound)
{
    const QString after = substringAfter(string, start, returnSelfIfNotFound);
    if (after.isNull())
        return {};
    return substringBefore(after, end, returnSelfIfNotFound);
}

} // namespace QXPathInfo
