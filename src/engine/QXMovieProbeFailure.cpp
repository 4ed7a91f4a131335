// Why a movie could not be opened, in the words the view shows after "Cannot open: ".
#include "QXMovieProbe_p.h"

#include <QCoreApplication>

#include <cerrno>

extern "C" {
#include <libavutil/error.h>
}

namespace QXMovieProbeInternal {

QString failureReason(const OpenFailure &f)
{
    auto tr = [](const char *text) { return QCoreApplication::translate("QXMovie", text); };
    switch (f.trace) {
    case QXRedirectTrace::TooManyRedirects: return tr("too many redirects");
    case QXRedirectTrace::RedirectRefused: return tr("redirect refused");
    case QXRedirectTrace::NotHttp: return tr("not a movie");
    default: break;
    }
    const bool notMovie = f.error == AVERROR_INVALIDDATA || f.error == AVERROR_DEMUXER_NOT_FOUND
                          || f.error == AVERROR_STREAM_NOT_FOUND;
    if (f.timedOut || f.error == AVERROR_EXIT || f.error == AVERROR(ETIMEDOUT)) {
        if (!f.network)
            return tr("the file did not open in time");
        // A server that answered at once but whose body never made a movie has answered.
        if (!f.answered)
            return tr("no answer within 5 seconds");
        return notMovie ? tr("not a movie") : tr("too slow: no movie within 5 seconds");
    }
    if (notMovie)
        return tr("not a movie");
    switch (f.error) {
    case AVERROR_HTTP_BAD_REQUEST: return tr("server answered 400");
    case AVERROR_HTTP_UNAUTHORIZED: return tr("server answered 401");
    case AVERROR_HTTP_FORBIDDEN: return tr("server answered 403");
    case AVERROR_HTTP_NOT_FOUND: return tr("server answered 404");
    case AVERROR_HTTP_OTHER_4XX: return tr("server answered with an error (4xx)");
    case AVERROR_HTTP_SERVER_ERROR: return tr("server answered with an error (5xx)");
    case AVERROR(ECONNREFUSED): return tr("connection refused");
    case AVERROR(EHOSTUNREACH):
    case AVERROR(ENETUNREACH): return tr("the server cannot be reached");
    case AVERROR(ECONNRESET):
    case AVERROR(EPIPE):
    case AVERROR_EOF: return tr("the server closed the connection");
    case AVERROR(ENOENT): return f.network ? tr("the server cannot be found") : tr("the file is missing");
    case AVERROR(EACCES): return tr("permission denied");
    default: break;
    }
    // The network layer's answer when a host name does not resolve.
    if (f.network && f.error == AVERROR(EIO))
        return tr("the server cannot be found");
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(f.error, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace QXMovieProbeInternal
