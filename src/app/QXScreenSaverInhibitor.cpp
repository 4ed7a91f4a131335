#include "app/QXScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>

namespace {

const char *const kService = "org.freedesktop.ScreenSaver";
const char *const kInterface = "org.freedesktop.ScreenSaver";
// The standard object first; some desktops only serve the short one.
const char *const kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
constexpr int kPathCount = int(sizeof kPaths / sizeof kPaths[0]);
// A service that does not answer in this time is taken as absent for this hold.
constexpr int kCallTimeoutMs = 5000;

void sendUnInhibit(const QDBusConnection &bus, const QString &path, uint cookie)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, kInterface, "UnInhibit");
    m << cookie;
    // Nobody starts a service to give something back to it; the answer is of no use.
    m.setAutoStartService(false);
    bus.send(m);
}

} // namespace

QXScreenSaverInhibitor::QXScreenSaverInhibitor(QObject *parent)
    : QXScreenSaverInhibitor(QDBusConnection::sessionBus(), parent)
{
}

QXScreenSaverInhibitor::QXScreenSaverInhibitor(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
}

QXScreenSaverInhibitor::~QXScreenSaverInhibitor()
{
    // A reply still on its way is given back by inhibitFinished's guard.
    m_wanted = false;
    release();
}

void QXScreenSaverInhibitor::setInhibited(bool inhibited)
{
    if (inhibited == m_wanted)
        return;
    m_wanted = inhibited;
    if (inhibited) {
        // A release asked for while the request was out is undone by wanting it again.
        if (!m_pending && !m_hasCookie && m_bus.isConnected())
            requestInhibit(0);
    } else {
        release();
    }
}

void QXScreenSaverInhibitor::requestInhibit(int pathIndex)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPaths[pathIndex], kInterface, "Inhibit");
    m << QStringLiteral("Vistrel") << QStringLiteral("Playing a movie");
    m_pending = true;
    // Not a child of this object: the reply still has to be seen (and its cookie given back)
    // when this object is gone before it arrives.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(m, kCallTimeoutMs));
    QPointer<QXScreenSaverInhibitor> self(this);
    const QDBusConnection bus = m_bus;
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [self, bus, watcher, pathIndex] {
        watcher->deleteLater();
        if (self) {
            self->inhibitFinished(watcher, pathIndex);
            return;
        }
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isValid())
            sendUnInhibit(bus, kPaths[pathIndex], reply.value());
    });
}

void QXScreenSaverInhibitor::inhibitFinished(QDBusPendingCallWatcher *watcher, int pathIndex)
{
    m_pending = false;
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        // The service is there but not at this object: try the other one.
        const QDBusError::ErrorType type = reply.error().type();
        const bool wrongObject = type == QDBusError::UnknownObject || type == QDBusError::UnknownMethod
                                 || type == QDBusError::UnknownInterface;
        if (wrongObject && pathIndex + 1 < kPathCount && m_wanted)
            requestInhibit(pathIndex + 1);
        // Otherwise no service: quietly go without.
        return;
    }
    if (!reply.isValid())
        return;
    m_cookie = reply.value();
    m_cookiePath = QString::fromLatin1(kPaths[pathIndex]);
    m_hasCookie = true;
    // Released while the request was out.
    if (!m_wanted)
        release();
}

void QXScreenSaverInhibitor::release()
{
    if (!m_hasCookie)
        return;
    m_hasCookie = false;
    sendUnInhibit(m_bus, m_cookiePath, m_cookie);
}
