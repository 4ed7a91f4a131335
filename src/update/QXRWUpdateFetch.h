#pragma once
// One GET for the update checker: only accepted addresses (https, or http to this machine),
// redirects followed only to accepted addresses and never from https to http, a deadline on
// the whole transfer rather than on silence, a cap on the body, and a 2xx status required.
#include "update/QXRWUpdateParsing.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

class QXRWUpdateFetch : public QObject
{
    Q_OBJECT
public:
    // Starts at once; finished() follows exactly once, unless abort() comes first.
    QXRWUpdateFetch(const QUrl &url, qint64 maxBytes, int timeoutMs, QObject *parent = nullptr);
    ~QXRWUpdateFetch() override;

    // Stops the transfer; finished() is not sent.
    void abort();

    // Why it failed, once finished() said so; the status code of the last answer (0 for none).
    QXUpdate::Failure failure() const { return m_failure; }
    int httpStatus() const { return m_httpStatus; }

signals:
    // The body on success; ok false (and an empty body) on any failure.
    void finished(const QByteArray &body, bool ok);

private:
    void fail(QXUpdate::Failure failure);
    void take();
    void done();

    QNetworkAccessManager *m_manager = nullptr;
    QNetworkReply *m_reply = nullptr;
    QTimer m_deadline;
    QByteArray m_body;
    qint64 m_maxBytes;
    bool m_over = false;
    QXUpdate::Failure m_failure = QXUpdate::Failure::None;
    int m_httpStatus = 0;
};
