#include "app/QXLaunchArguments.h"

// The own scheme "vistrelx" is eight characters, so replacing the first eight with "http"
// turns vistrelx://host/movie.mp4 into http://host/movie.mp4 (and vistrelxs:// into https://).
// Text shorter than eight characters, or that makes no address, gives an empty address.
QUrl QXURLHandlerAddress(const QString &text)
{
    // Far longer than any address a page or a desktop hands over.
    if (text.size() < 8 || text.size() > 8192)
        return {};
    QString rewritten = text;
    rewritten.replace(0, 8, QStringLiteral("http"));
    const QUrl url(rewritten, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return {};
    return url;
}
