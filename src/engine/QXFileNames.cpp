#include "QXFileNames.h"

#include <QDir>

#include <climits>
#include <unistd.h>

namespace QXFileNames {

namespace {

constexpr char16_t EscapeBase = 0xDC80;   // U+DC80 ... U+DCFF stand for bytes 0x80 ... 0xFF

// Length of the valid UTF-8 sequence at b[i], or 0.
int utf8Length(const uchar *b, qsizetype i, qsizetype n)
{
    const uchar c = b[i];
    if (c < 0x80)
        return 1;
    int len;
    char32_t cp;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
    else return 0;
    if (i + len > n)
        return 0;
    for (int k = 1; k < len; ++k) {
        if ((b[i + k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
    static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

QString decode(const QByteArray &native)
{
    const auto *b = reinterpret_cast<const uchar *>(native.constData());
    const qsizetype n = native.size();
    QString out;
    out.reserve(n);
    qsizetype i = 0, runStart = 0;
    while (i < n) {
        const int len = utf8Length(b, i, n);
        if (len > 0) {
            i += len;
            continue;
        }
        out += QString::fromUtf8(native.constData() + runStart, i - runStart);
        out += QChar(char16_t(EscapeBase + (b[i] - 0x80)));
        runStart = ++i;
    }
    if (runStart == 0)
        return QString::fromUtf8(native);
    out += QString::fromUtf8(native.constData() + runStart, n - runStart);
    return out;
}

QByteArray encode(const QString &path)
{
    if (!hasRawBytes(path))
        return path.toUtf8();
    QByteArray out;
    out.reserve(path.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path.at(i).unicode();
        if (u >= EscapeBase && u <= 0xDCFF) {
            // A lone low surrogate (a high one before it would make it a pair).
            if (i > 0 && QChar::isHighSurrogate(path.at(i - 1).unicode()))
                continue;
            out += QStringView(path).mid(runStart, i - runStart).toUtf8();
            out += char(0x80 + (u - EscapeBase));
            runStart = i + 1;
        }
    }
    out += QStringView(path).mid(runStart).toUtf8();
    return out;
}

bool hasRawBytes(const QString &path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path.at(i).unicode();
        if (u >= EscapeBase && u <= 0xDCFF && !(i > 0 && QChar::isHighSurrogate(path.at(i - 1).unicode())))
            return true;
    }
    return false;
}

QString absolutePath(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return path;
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer))
        return QDir::current().absoluteFilePath(path);
    return QDir(decode(QByteArray(buffer))).absoluteFilePath(path);
}

QUrl fileURL(const QString &path)
{
    if (!hasRawBytes(path))
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded("file://" + encode(path).toPercentEncoding("/"), QUrl::StrictMode);
}

QString localPath(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    const QString plain = url.toLocalFile();
    if (!plain.contains(QChar(QChar::ReplacementCharacter)))
        return plain;
    // The address may carry bytes that are no UTF-8; decode them from the encoded form.
    return decode(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

} // namespace QXFileNames
