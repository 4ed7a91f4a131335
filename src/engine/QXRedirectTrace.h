#pragma once
// Following a web address's redirects by hand, one request at a time, to learn where a stream
// that failed to open went wrong: the stream reader gives up with one error code for many
// causes.
#include <QByteArray>
#include <QUrl>

#include <functional>

struct QXRedirectTrace
{
    enum Outcome {
        Unknown,           // no verdict: no answer in time, a connection error, not http(s)
        Answered,          // an answer that is no redirect (status holds its code)
        NotHttp,           // bytes that are no HTTP answer
        TooManyRedirects,  // more than QXMaxRedirects in a row
        RedirectRefused,   // a redirect to another scheme than http or https
    };
    Outcome outcome = Unknown;
    int status = 0;
};

// As many redirects as the stream reader follows.
constexpr int QXMaxRedirects = 8;

// The head of a server's answer, from the bytes that came so far.
struct QXResponseHead
{
    enum Kind { Incomplete, NotHttp, Complete };
    Kind kind = Incomplete;
    int status = 0;
    QByteArray location;   // the Location header, as sent
};
QXResponseHead QXParseResponseHead(const QByteArray &bytes);

// What the answer to a request for `at`, after `redirects` redirects, tells: a verdict, or
// Unknown with the address to ask next in *next (empty when there is none).
QXRedirectTrace::Outcome QXNextHop(const QUrl &at, const QXResponseHead &head, int redirects, QUrl *next);

// Blocks the calling thread (any thread) until the verdict, the time-out, or stop() says so.
QXRedirectTrace QXTraceRedirects(const QUrl &url, int timeoutMs, const std::function<bool()> &stop = {});
