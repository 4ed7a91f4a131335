#pragma once
// One running player per user and settings file. A launch takes the player lock and serves,
// or hands its message to the process holding the lock and exits. The lock (flock on a file
// beside the socket) is the only judge of who serves: the kernel drops it when its holder
// dies, so a crashed player never blocks the next launch.
#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;
class QThread;

class QXSingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role {
        Serve,      // this process holds the lock: it is the player
        HandedOver, // the running player acknowledged the message
        Alone,      // no lock could be had (no private folder): play without hand-over
        Refused,    // the message is too large to hand over
    };
    static constexpr int kMaxMessage = 16 * 1024 * 1024;

    explicit QXSingleInstance(QObject *parent = nullptr);
    ~QXSingleInstance() override;

    // Takes the lock or delivers the message to its holder, waiting as long as that one
    // lives and taking over when it dies. Needs no application object; blocks.
    Role claim(const QByteArray &message, QString *error = nullptr);
    // After claim() answered Serve: answers hand-overs on a thread of its own. Messages reach
    // messageReceived through this thread's event loop. On failure the lock is let go, so
    // other launches do not wait for a player they cannot reach.
    bool serve(QString *error = nullptr);
    // Stops answering; messages already acknowledged are emitted now. Later launches wait
    // for the lock and become the next player.
    void stopServing();

    // Where the serving player listens; empty when nobody has recorded a socket yet.
    static QString socketPath();

signals:
    void messageReceived(const QByteArray &message);

private:
    void shutDown();
    void releaseLock();

    int m_lockFd = -1;
    QThread *m_thread = nullptr;
    QObject *m_worker = nullptr;        // lives in m_thread
    QLocalServer *m_server = nullptr;   // a child of m_worker
    QString m_fallbackDir;              // the socket's folder under /tmp, when one was made
    QString m_record;                   // the file naming it
};
