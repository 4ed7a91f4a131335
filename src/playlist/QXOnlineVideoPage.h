#pragma once
// Online video pages: which addresses are watch pages, where a page's text names its video,
// and where the video's file goes. Plain functions: no network, no window.
#include <QString>
#include <QUrl>

namespace QXOnlineVideo {

enum class PageKind { None, YouTube, GoogleVideo };

// The prefixes in force: the built-in value (CMake cache variables VISTREL_YOUTUBE_PAGE_PREFIX,
// VISTREL_YOUTUBE_VIDEO_SERVER, VISTREL_GOOGLE_VIDEO_PAGE_PREFIX; built-in values are https:
// "https://www.youtube.com/watch", "https://youtube.com", "https://video.google.") unless the
// environment variable of the same name is set (read on every call). An empty variable counts
// as unset: an empty prefix would make every address a page.
QString youTubePagePrefix();
QString youTubeVideoServer();
QString googleVideoPagePrefix();

// By the address's full text (QUrl::FullyEncoded), case-sensitive, on the whole text. The http
// form of an https prefix counts too (an old http address of the page is the same page).
PageKind pageKind(const QUrl &address);

// The address to fetch: http made https except for a loopback host (127.0.0.0/8, ::1,
// "localhost"); an invalid QUrl for anything that is not http(s) with a host.
QUrl secureAddress(const QUrl &address);

// The video's address in a page's text (the page's bytes read as Latin-1), or an invalid QUrl.
// Only http(s) addresses with a host come out (made secure as above).
QUrl youTubeVideoAddress(const QString &pageText);
QUrl googleVideoAddress(const QString &pageText);
QUrl videoAddress(PageKind kind, const QString &pageText);

// Percent escapes replaced, each run of them read as UTF-8; a null QString when an escape is
// malformed or a run is no valid UTF-8.
QString decodedPercentEscapes(const QString &text);

// A name safe as one file name: every "/" becomes "_", a NUL byte is dropped, "." and ".."
// and the empty name become a fresh UUID (upper case, no braces), cut to 200 bytes of UTF-8 at
// a character boundary.
constexpr int MaxNameBytes = 200;
QString safeFileName(const QString &name);

// The desktop's videos folder (QStandardPaths::MoviesLocation: XDG_VIDEOS_DIR from
// user-dirs.dirs, else ~/Videos), and its "Online Video" folder (for yt-dlp).
QString moviesFolder();
QString onlineVideoFolder();

// The file a page's video is saved as: <moviesFolder>/YouTube/<name>.flv for a YouTube page,
// <moviesFolder>/Google Video/<name>.flv for any other; the name by the old naming rules,
// through safeFileName. Always directly inside that folder.
QString targetPath(const QUrl &page, const QString &moviesFolder = QXOnlineVideo::moviesFolder());

} // namespace QXOnlineVideo
