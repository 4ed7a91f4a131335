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
    // Marked where written, so lupdate files them under the context they are looked up in.
    auto reason = [](const char *text) { return QCoreApplication::translate("QXMovie", text); };
    switch (f.trace) {
    case QXRedirectTrace::TooManyRedirects: return reason(QT_TRANSLATE_NOOP("QXMovie", "too many redirects"));
    case QXRedirectTrace::RedirectRefused: return reason(QT_TRANSLATE_NOOP("QXMovie", "redirect refused"));
    case QXRedirectTrace::NotHttp: return reason(QT_TRANSLATE_NOOP("QXMovie", "not a movie"));
    default: break;
    }
    const bool notMovie = f.error == AVERROR_INVALIDDATA || f.error == AVERROR_DEMUXER_NOT_FOUND
                          || f.error == AVERROR_STREAM_NOT_FOUND;
    if (f.timedOut || f.error == AVERROR_EXIT || f.error == AVERROR(ETIMEDOUT)) {
        if (!f.network)
            return reason(QT_TRANSLATE_NOOP("QXMovie", "the file did not open in time"));
        // A server that answered at once but whose body never made a movie has answered.
        if (!f.answered)
            return reason(QT_TRANSLATE_NOOP("QXMovie", "no answer within 5 seconds"));
        return notMovie ? reason(QT_TRANSLATE_NOOP("QXMovie", "not a movie"))
                        : reason(QT_TRANSLATE_NOOP("QXMovie", "too slow: no movie within 5 seconds"));
    }
    if (notMovie)
        return reason(QT_TRANSLATE_NOOP("QXMovie", "not a movie"));
    switch (f.error) {
    case AVERROR_HTTP_BAD_REQUEST: return reason(QT_TRANSLATE_NOOP("QXMovie", "server answered 400"));
    case AVERROR_HTTP_UNAUTHORIZED: return reason(QT_TRANSLATE_NOOP("QXMovie", "server answered 401"));
    case AVERROR_HTTP_FORBIDDEN: return reason(QT_TRANSLATE_NOOP("QXMovie", "server answered 403"));
    case AVERROR_HTTP_NOT_FOUND: return reason(QT_TRANSLATE_NOOP("QXMovie", "server answered 404"));
    case AVERROR_HTTP_OTHER_4XX: return reason(QT_TRANSLATE_NOOP("QXMovie", "server answered with an error (4xx)"));
    case AVERROR_HTTP_SERVER_ERROR: return reason(QT_TRANSLATE_NOOP("QXMovie", "server answered with an error (5xx)"));
    case AVERROR(ECONNREFUSED): return reason(QT_TRANSLATE_NOOP("QXMovie", "connection refused"));
    case AVERROR(EHOSTUNREACH):
    case AVERROR(ENETUNREACH): return reason(QT_TRANSLATE_NOOP("QXMovie", "the server cannot be reached"));
    case AVERROR(ECONNRESET):
    case AVERROR(EPIPE):
    case AVERROR_EOF: return reason(QT_TRANSLATE_NOOP("QXMovie", "the server closed the connection"));
    case AVERROR(ENOENT):
        return f.network ? reason(QT_TRANSLATE_NOOP("QXMovie", "the server cannot be found"))
                         : reason(QT_TRANSLATE_NOOP("QXMovie", "the file is missing"));
    case AVERROR(EACCES): return reason(QT_TRANSLATE_NOOP("QXMovie", "permission denied"));
    default: break;
    }
    // The network layer's answer when a host name does not resolve.
    if (f.network && f.error == AVERROR(EIO))
        return reason(QT_TRANSLATE_NOOP("QXMovie", "the server cannot be found"));
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(f.error, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace QXMovieProbeInternal
