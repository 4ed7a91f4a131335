// The string helpers of QXPathInfo that need nothing but Qt Core, so that code built without
// the file-system and icon parts (the fuzz targets) can use them.
#include "util/QXPathInfo.h"

#include <QUuid>

namespace QXPathInfo {

QString uniqueString()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
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
