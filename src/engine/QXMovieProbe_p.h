#pragma once
// Internals of the movie probe (QXMovieProbe*.cpp), open to its tests: the signature check
// that settles the common containers without libavformat, libavformat's content probe on its
// own, the cached by-name verdict next to the uncached one it must always agree with, and the
// reason a failed opening is given.
#include "QXRedirectTrace.h"

#include <QString>

namespace QXMovieProbeInternal {

// What is known of an opening that failed: libavformat's error, and for a web address how far
// the server got and what following its redirects by hand showed.
struct OpenFailure
{
    int error = 0;              // an AVERROR code
    bool network = false;
    bool timedOut = false;      // the deadline (or a cancel) cut it short
    bool answered = false;      // the server's answer came and its body was being read
    QXRedirectTrace::Outcome trace = QXRedirectTrace::Unknown;
};
// The reason the view shows after "Cannot open: ".
QString failureReason(const OpenFailure &failure);

enum class HeadVerdict { Movie, NotMovie, Undecided };

// How much of a file's head is read for the signature and libavformat's first probe.
constexpr int ContentProbeBytes = 4096;

// The length of an ID3v2 tag at b (0 without one).
qint64 id3v2Length(const uchar *b, size_t size);
// What a head says by its signature: rest counts the file's bytes from b on, size how many of
// them are in b.
HeadVerdict sniffHead(const uchar *b, size_t size, qint64 rest);

// What the first bytes of the file (past an ID3v2 tag) say by their signature alone.
// NotMovie also for anything that is no regular, readable, non-empty file.
HeadVerdict sniffFile(const QString &path);
// libavformat's content probe of the file, without the signature check.
bool contentProbeSaysMovie(const QString &path);

bool nameSaysNoMovie(const QString &fileName);
bool nameSaysNoMovieUncached(const QString &fileName);
// A name a server gives its web pages (page.html, index.php): on the web such an address may
// still lead to a video, which another program finds in the page.
bool nameSaysWebPage(const QString &fileName);

} // namespace QXMovieProbeInternal
