#include "app/QXSingleInstance.h"

#include "app/QXSettings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <unistd.h>

static constexpr int kMaxMessage = 16 * 1024 * 1024;

QXSingleInstance::QXSingleInstance(QObject *parent) : QObject(parent) {}

QXSingleInstance::~QXSingleInstance()
{
    if (m_server)
        m_server->close();
}

QString QXSingleInstance::serverName()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    const QByteArray hash = QCryptographicHash::hash(QXSettings::standardFilePath().toUtf8(),
                                                     QCryptographicHash::Sha1).toHex().left(12);
    return QDir(dir).filePath(QStringLiteral("vistrel-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash)));
}

bool QXSingleInstance::handOver(const QByteArray &message, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // The message is framed by its length; an empty message just asks to be shown.
    QByteArray framed = QByteArray::number(message.size()) + '\n' + message;
    socket.write(framed);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine().trimmed() == "ok";
}

bool QXSingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName();
    if (!m_server->listen(name)) {
        // A socket file left by a player that died: nobody answers on it.
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(500))
            return false;
        QLocalServer::removeServer(name);
        if (!m_server->listen(name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = m_server->nextPendingConnection()) {
            QPointer<QLocalSocket> socket(s);
            auto *buffer = new QByteArray;
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QObject::destroyed, this, [buffer] { delete buffer; });
            // A client that never finishes its message is dropped.
            QTimer::singleShot(10000, s, [socket] { if (socket) socket->abort(); });
            connect(s, &QLocalSocket::readyRead, this, [this, socket, buffer] {
                if (!socket)
                    return;
                *buffer += socket->readAll();
                const qsizetype nl = buffer->indexOf('\n');
                if (nl < 0) {
                    if (buffer->size() > 32)
                        socket->abort();
                    return;
                }
                bool ok = false;
                const qint64 size = buffer->left(nl).toLongLong(&ok);
                if (!ok || size < 0 || size > kMaxMessage) {
                    socket->abort();
                    return;
                }
                if (buffer->size() - nl - 1 < size)
                    return;
                const QByteArray message = buffer->mid(nl + 1, size);
                buffer->clear();
                socket->write("ok\n");
                socket->flush();
                socket->disconnectFromServer();
                emit messageReceived(message);
            });
        }
    });
    return true;
}
