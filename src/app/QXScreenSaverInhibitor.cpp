#include "app/QXScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QVariantMap>

namespace {

const char *const kService = "org.freedesktop.ScreenSaver";
const char *const kInterface = "org.freedesktop.ScreenSaver";
// The standard object first; some desktops only serve the short one.
const char *const kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
constexpr int kPathCount = int(sizeof kPaths / sizeof kPaths[0]);
constexpr int kPortal = kPathCount;   // the target after the screen saver's objects
const char *const kPortalService = "org.freedesktop.portal.Desktop";
const char *const kPortalPath = "/org/freedesktop/portal/desktop";
// Idle only: the session then neither blanks nor suspends on its own, while a suspend the user
// asks for still happens without the desktop asking whether to override the player.
constexpr uint kPortalInhibitIdle = 8;
// A service that does not answer in this time is taken as absent for this hold.
constexpr int kCallTimeoutMs = 5000;

void giveBack(const QDBusConnection &bus, const QXScreenSaverInhibitor::Hold &hold)
{
    QDBusMessage m;
    if (hold.viaPortal) {
        m = QDBusMessage::createMethodCall(kPortalService, hold.path, "org.freedesktop.portal.Request", "Close");
    } else {
        m = QDBusMessage::createMethodCall(kService, hold.path, kInterface, "UnInhibit");
        m << hold.cookie;
    }
    // Nobody starts a service to give something back to it; the answer is of no use.
    m.setAutoStartService(false);
    bus.send(m);
}

// The hold in a successful reply to a call to the target.
bool holdFrom(const QDBusPendingCallWatcher &watcher, int target, QXScreenSaverInhibitor::Hold *hold)
{
    if (target == kPortal) {
        const QDBusPendingReply<QDBusObjectPath> reply = watcher;
        if (!reply.isValid() || reply.value().path().isEmpty())
            return false;
        *hold = {true, reply.value().path(), 0};
        return true;
    }
    const QDBusPendingReply<uint> reply = watcher;
    if (!reply.isValid())
        return false;
    *hold = {false, QString::fromLatin1(kPaths[target]), reply.value()};
    return true;
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
        if (!m_pending && !m_hasHold && m_bus.isConnected())
            requestInhibit(0);
    } else {
        release();
    }
}

void QXScreenSaverInhibitor::requestInhibit(int target)
{
    QDBusMessage m;
    if (target == kPortal) {
        m = QDBusMessage::createMethodCall(kPortalService, kPortalPath, "org.freedesktop.portal.Inhibit", "Inhibit");
        // No parent window: the hold is the session's, whichever window shows the movie.
        m << QString() << kPortalInhibitIdle << QVariantMap{{"reason", tr("Playing a movie")}};
    } else {
        m = QDBusMessage::createMethodCall(kService, kPaths[target], kInterface, "Inhibit");
        m << QStringLiteral("Vistrel") << tr("Playing a movie");
    }
    m_pending = true;
    // Not a child of this object: the reply still has to be seen (and its hold given back)
    // when this object is gone before it arrives.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(m, kCallTimeoutMs));
    QPointer<QXScreenSaverInhibitor> self(this);
    const QDBusConnection bus = m_bus;
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [self, bus, watcher, target] {
        watcher->deleteLater();
        if (self) {
            self->inhibitFinished(watcher, target);
            return;
        }
        Hold hold;
        if (holdFrom(*watcher, target, &hold))
            giveBack(bus, hold);
    });
}

void QXScreenSaverInhibitor::inhibitFinished(QDBusPendingCallWatcher *watcher, int target)
{
    m_pending = false;
    if (watcher->isError()) {
        if (target == kPortal || !m_wanted)
            return;   // no service at all: quietly go without
        const QDBusError::ErrorType type = watcher->error().type();
        const bool wrongObject = type == QDBusError::UnknownObject || type == QDBusError::UnknownMethod
                                 || type == QDBusError::UnknownInterface;
        const bool absent = type == QDBusError::ServiceUnknown
                            || watcher->error().name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
        // The service is there but not at this object: try the other one. Where it is not
        // there at all, the portal speaks for the desktop. A refusal or a hung service ends
        // this hold's tries.
        if (wrongObject && target + 1 < kPathCount)
            requestInhibit(target + 1);
        else if (wrongObject || absent)
            requestInhibit(kPortal);
        return;
    }
    if (!holdFrom(*watcher, target, &m_hold))
        return;
    m_hasHold = true;
    // Released while the request was out.
    if (!m_wanted)
        release();
}

void QXScreenSaverInhibitor::release()
{
    if (!m_hasHold)
        return;
    m_hasHold = false;
    giveBack(m_bus, m_hold);
}
