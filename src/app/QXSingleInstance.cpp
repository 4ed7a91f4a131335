#include "app/QXSingleInstance.h"

#include "app/QXSettings.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket address holds at most this many bytes of path before its terminating zero.
constexpr int kMaxSocketPath = int(sizeof(sockaddr_un::sun_path)) - 1;

struct Places
{
    QString folder; // private to the user: holds the lock, and the socket when its path fits
    QString lock;
    QString socket; // empty when the path would not fit a socket address
    QString record; // names the folder under /tmp that holds the socket instead
};

// Owned by us, a real directory, and closed to group and others as far as `mask` says.
bool isPrivateDirectory(const QByteArray &path, mode_t mask, bool followLinks)
{
    struct stat st;
    if ((followLinks ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st)) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & mask) == 0;
}

QString privateFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateDirectory(runtime, S_IWGRP | S_IWOTH, true))
        return QFile::decodeName(runtime);
    // No usable runtime folder: one of our own in the cache, never a guessable name in /tmp
    // that another user could create first.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!cache.startsWith(QLatin1Char('/')))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    QDir().mkpath(cache);
    const QByteArray folder = QFile::encodeName(cache + QStringLiteral("/vistrel"));
    ::mkdir(folder.constData(), 0700);
    struct stat st;
    if (::lstat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return {};
    // Our own folder, opened up by hand: closed again rather than given up.
    if ((st.st_mode & 077) != 0 && ::chmod(folder.constData(), 0700) != 0)
        return {};
    return QFile::decodeName(folder);
}

Places places()
{
    Places p;
    p.folder = privateFolder();
    if (p.folder.isEmpty())
        return p;
    const QByteArray hash = QCryptographicHash::hash(QXSettings::standardFilePath().toUtf8(),
                                                     QCryptographicHash::Sha1).toHex().left(12);
    const QString base = p.folder + QStringLiteral("/vistrel-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
    p.lock = base + QStringLiteral(".lock");
    if (QFile::encodeName(base).size() <= kMaxSocketPath)
        p.socket = base;
    else
        p.record = base + QStringLiteral(".socket-folder");
    return p;
}

// The folder under /tmp that a record names, when it still is one of ours.
QString recordedFolder(const QString &record)
{
    QFile f(record);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray dir = f.read(4096).trimmed();
    if (!dir.startsWith("/tmp/vistrel-") || dir.contains("/..") || !isPrivateDirectory(dir, 077, false))
        return {};
    return QFile::decodeName(dir);
}

QString socketIn(const QString &folder)
{
    return folder + QStringLiteral("/socket");
}

QString currentSocket(const Places &p)
{
    if (!p.socket.isEmpty() || p.record.isEmpty())
        return p.socket;
    const QString dir = recordedFolder(p.record);
    return dir.isEmpty() ? QString() : socketIn(dir);
}

bool lockIsFree(int lockFd)
{
    return ::flock(lockFd, LOCK_EX | LOCK_NB) == 0;
}

enum class Attempt { Delivered, NoAnswer, LockTaken };

// One connection: send the framed message and wait for "ok". While waiting, the lock is
// tried every few hundred ms; getting it means the player died and this launch takes over.
Attempt deliverOnce(const QString &path, const QByteArray &framed, int lockFd)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.size() > kMaxSocketPath)
        return Attempt::NoAnswer;
    sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    memcpy(addr.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Attempt::NoAnswer;
    // Not listening yet, a stale socket file, or a full backlog: all are tried again.
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return Attempt::NoAnswer;
    }
    qsizetype sent = 0;
    QByteArray reply;
    Attempt result = Attempt::NoAnswer;
    for (;;) {
        const bool sending = sent < framed.size();
        pollfd pfd = {fd, short(sending ? POLLOUT : POLLIN), 0};
        const int ready = ::poll(&pfd, 1, 300);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0) {
            if (lockIsFree(lockFd)) {
                result = Attempt::LockTaken;
                break;
            }
            continue;
        }
        ssize_t n;
        if (sending) {
            n = ::send(fd, framed.constData() + sent, size_t(framed.size() - sent), MSG_NOSIGNAL);
            if (n > 0)
                sent += n;
        } else {
            char buffer[64];
            n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n > 0)
                reply.append(buffer, n);
            if (reply.contains('\n') || reply.size() > 64) {
                result = reply.startsWith("ok\n") ? Attempt::Delivered : Attempt::NoAnswer;
                break;
            }
        }
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            break; // the player closed the connection: it is quitting or died
    }
    ::close(fd);
    return result;
}

// Reads one length-framed message per connection, queues it to the main thread and only
// then answers, so a player whose main thread is busy still acknowledges at once.
void acceptHandOvers(QLocalServer *server, QXSingleInstance *instance)
{
    while (QLocalSocket *s = server->nextPendingConnection()) {
        QPointer<QLocalSocket> socket(s);
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        // A client that never finishes its message is dropped.
        QTimer::singleShot(10000, s, [socket] { if (socket) socket->abort(); });
        QObject::connect(s, &QLocalSocket::readyRead, s, [instance, socket, buffer] {
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
            if (!ok || size < 0 || size > QXSingleInstance::kMaxMessage) {
                socket->abort();
                return;
            }
            if (buffer->size() - nl - 1 < size)
                return;
            const QByteArray message = buffer->mid(nl + 1, size);
            buffer->clear();
            QMetaObject::invokeMethod(instance, [instance, message] { emit instance->messageReceived(message); },
                                      Qt::QueuedConnection);
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

} // namespace

QXSingleInstance::QXSingleInstance(QObject *parent) : QObject(parent) {}

QXSingleInstance::~QXSingleInstance()
{
    shutDown();
    releaseLock();
}

QString QXSingleInstance::socketPath()
{
    return currentSocket(places());
}

QXSingleInstance::Role QXSingleInstance::claim(const QByteArray &message, QString *error)
{
    auto fail = [error](Role role, const QString &why) {
        if (error)
            *error = why;
        return role;
    };
    if (message.size() > kMaxMessage)
        return fail(Role::Refused, QStringLiteral("too many items to hand to the running player"));
    const Places p = places();
    if (p.folder.isEmpty())
        return fail(Role::Alone, QStringLiteral("no private folder for the player's socket"));
    releaseLock();
    m_lockFd = ::open(QFile::encodeName(p.lock).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0) {
        const QString why = QString::fromLocal8Bit(strerror(errno));
        return fail(Role::Alone, QStringLiteral("cannot open %1: %2").arg(p.lock, why));
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0)
        return Role::Serve;
    if (errno != EWOULDBLOCK) {
        const QString why = QString::fromLocal8Bit(strerror(errno));
        releaseLock();
        return fail(Role::Alone, QStringLiteral("cannot lock %1: %2").arg(p.lock, why));
    }

    // Another process serves. It may not be listening yet, or be busy: keep trying with a
    // short backoff for as long as it holds the lock.
    const QByteArray framed = QByteArray::number(message.size()) + '\n' + message;
    int delayMs = 5;
    for (;;) {
        switch (deliverOnce(currentSocket(p), framed, m_lockFd)) {
        case Attempt::Delivered:
            releaseLock();
            return Role::HandedOver;
        case Attempt::LockTaken:
            return Role::Serve;
        case Attempt::NoAnswer:
            break;
        }
        if (lockIsFree(m_lockFd))
            return Role::Serve;
        ::usleep(useconds_t(delayMs) * 1000);
        delayMs = std::min(delayMs * 2, 200);
    }
}

bool QXSingleInstance::serve(QString *error)
{
    auto fail = [this, error](const QString &why) {
        if (error)
            *error = why;
        shutDown();
        releaseLock();
        return false;
    };
    const Places p = places();
    if (m_lockFd < 0 || p.folder.isEmpty())
        return fail(QStringLiteral("the player lock is not held"));
    QString path = p.socket;
    if (path.isEmpty()) {
        // The private folder's path leaves no room for the socket within a socket address.
        // The socket goes in a folder mkdtemp makes under /tmp instead: its name is random and
        // its mode 0700, so nobody can create it first or reach into it; the record beside the
        // lock tells launches where it is. A folder left by a dead player goes first.
        const QString stale = recordedFolder(p.record);
        if (!stale.isEmpty()) {
            QFile::remove(socketIn(stale));
            ::rmdir(QFile::encodeName(stale).constData());
        }
        QByteArray dir = "/tmp/vistrel-XXXXXX";
        if (!::mkdtemp(dir.data())) {
            const QString why = QString::fromLocal8Bit(strerror(errno));
            return fail(QStringLiteral("cannot make a folder for the socket: %1").arg(why));
        }
        m_fallbackDir = QFile::decodeName(dir);
        m_record = p.record;
        QSaveFile record(p.record);
        if (!record.open(QIODevice::WriteOnly) || record.write(dir + '\n') < 0 || !record.commit())
            return fail(QStringLiteral("cannot write %1").arg(p.record));
        path = socketIn(m_fallbackDir);
    }
    // We hold the lock, so a socket file already there was left by a player that died.
    QLocalServer::removeServer(path);

    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("hand-over"));
    m_worker = new QObject;
    m_worker->moveToThread(m_thread);
    m_thread->start();
    QString problem;
    QMetaObject::invokeMethod(m_worker, [this, path, &problem] {
        // The folder is private, so the socket needs no access options of its own.
        m_server = new QLocalServer(m_worker);
        if (!m_server->listen(path)) {
            problem = m_server->errorString();
            return;
        }
        QLocalServer *server = m_server;
        QObject::connect(server, &QLocalServer::newConnection, server, [this, server] { acceptHandOvers(server, this); });
    }, Qt::BlockingQueuedConnection);
    if (!problem.isEmpty())
        return fail(QStringLiteral("cannot listen on %1: %2").arg(path, problem));
    return true;
}

void QXSingleInstance::shutDown()
{
    if (m_thread) {
        QMetaObject::invokeMethod(m_worker, [this] {
            delete m_server; // closes and removes the socket file
            m_server = nullptr;
        }, Qt::BlockingQueuedConnection);
        m_thread->quit();
        m_thread->wait();
        delete m_worker;
        delete m_thread;
        m_worker = nullptr;
        m_thread = nullptr;
    }
    // Removed while the lock is still held, so nothing of the next player is touched.
    if (!m_fallbackDir.isEmpty()) {
        QFile::remove(m_record);
        ::rmdir(QFile::encodeName(m_fallbackDir).constData());
        m_fallbackDir.clear();
        m_record.clear();
    }
}

void QXSingleInstance::stopServing()
{
    shutDown();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void QXSingleInstance::releaseLock()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}
