#pragma once
// Fetches a web page's text in the background (the main thread never waits): at most
// MaxPageBytes (a longer page is no page), given up after TimeoutMs, redirects followed but
// never from https to http. The result arrives once, on the main thread.
#include <QObject>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

class QXPageFetch : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 MaxPageBytes = 8 << 20;
    static constexpr int TimeoutMs = 5000;
    // The address is fetched as QXOnlineVideo::secureAddress makes it.
    explicit QXPageFetch(const QUrl &address, QObject *parent = nullptr);
    ~QXPageFetch() override;
    void start();
    void cancel();   // nothing is emitted afterwards
signals:
    // The body read as Latin-1; a null QString when the fetch failed (no answer, an HTTP error
    // status, a refused redirect), timed out or was too long. Emitted from the event loop, never
    // from inside start(), so a receiver may delete the fetch.
    // isWebPage: the answer was text/html (or xhtml), which tells a page from a movie; false
    // when nothing answered.
    void fetched(const QString &text, bool isWebPage);

private:
    void take();
    void end(bool ok);
    void stop();

    QUrl m_address;
    QNetworkAccessManager *m_manager = nullptr;
    QNetworkReply *m_reply = nullptr;
    QTimer *m_deadline = nullptr;
    QByteArray m_body;
    bool m_started = false, m_ended = false, m_cancelled = false;
};
