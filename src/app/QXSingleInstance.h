#pragma once
// One running player per user and settings file: a later launch hands its files to the
// running one over a local socket and exits.
#include <QByteArray>
#include <QObject>

class QLocalServer;

class QXSingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit QXSingleInstance(QObject *parent = nullptr);
    ~QXSingleInstance() override;

    // The socket path: in $XDG_RUNTIME_DIR (or the temporary folder), named after the user
    // and the settings file, so separate settings folders (tests) get separate players.
    static QString serverName();

    // Delivers the message to a running instance; true once it acknowledged it.
    static bool handOver(const QByteArray &message, int timeoutMs = 3000);
    // Becomes the running instance; false when another one answers on the socket.
    bool listen();

signals:
    void messageReceived(const QByteArray &message);

private:
    QLocalServer *m_server = nullptr;
};
