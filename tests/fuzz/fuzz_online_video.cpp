// Online video pages on any text: the video address of both page kinds is none or an http(s)
// address with a host; a file name has no "/", no NUL, at most 200 bytes and is no "." or "..";
// a page's target file lies directly in its folder.
#include "playlist/QXOnlineVideoPage.h"

#include <cstdlib>

using namespace QXOnlineVideo;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkAddress(const QUrl &address)
{
    if (!address.isValid())
        return;
    check(address.scheme() == QLatin1String("http") || address.scheme() == QLatin1String("https"));
    check(!address.host().isEmpty());
}

void checkName(const QString &name)
{
    check(!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String(".."));
    check(!name.contains(QLatin1Char('/')) && !name.contains(QChar(0)));
    check(name.toUtf8().size() <= MaxNameBytes);
}

void checkTarget(const QUrl &page)
{
    const QString movies = QStringLiteral("/m");
    const QString path = targetPath(page, movies);
    const QString folder = movies + (pageKind(page) == PageKind::YouTube ? "/YouTube/" : "/Google Video/");
    check(path.startsWith(folder) && path.endsWith(QLatin1String(".flv")));
    checkName(path.mid(folder.size()).chopped(4));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString page = QString::fromLatin1(bytes), text = QString::fromUtf8(bytes);
    checkAddress(youTubeVideoAddress(page));
    checkAddress(googleVideoAddress(page));
    checkName(safeFileName(text));
    // The text as the rest of a page address of each kind, and as an address of its own.
    checkTarget(QUrl(youTubePagePrefix() + text));
    checkTarget(QUrl(googleVideoPagePrefix() + QLatin1String("com/videoplay?") + text));
    checkTarget(QUrl(text));
    return 0;
}
