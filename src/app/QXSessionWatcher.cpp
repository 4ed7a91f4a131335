#include "app/QXSessionWatcher.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

#include <unistd.h>

static const char *kLogin1 = "org.freedesktop.login1";
static const char *kSessionInterface = "org.freedesktop.login1.Session";

QXSessionWatcher::QXSessionWatcher(QObject *parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    QDBusInterface manager(kLogin1, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", bus);
    if (!manager.isValid())
        return;
    QDBusReply<QDBusObjectPath> reply = manager.call("GetSessionByPID", quint32(getpid()));
    if (!reply.isValid())
        return;
    m_sessionPath = reply.value().path();
    bus.connect(kLogin1, m_sessionPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    m_active = readActive();
}

bool QXSessionWatcher::readActive() const
{
    QDBusInterface props(kLogin1, m_sessionPath, "org.freedesktop.DBus.Properties", QDBusConnection::systemBus());
    QDBusReply<QDBusVariant> reply = props.call("Get", QString(kSessionInterface), QString("Active"));
    return reply.isValid() ? reply.value().variant().toBool() : m_active;
}

void QXSessionWatcher::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                         const QStringList &invalidated)
{
    if (interface != QLatin1String(kSessionInterface))
        return;
    bool active = m_active;
    if (changed.contains("Active"))
        active = changed.value("Active").toBool();
    else if (invalidated.contains("Active"))
        active = readActive();
    else
        return;
    if (active == m_active)
        return;
    m_active = active;
    if (active)
        emit sessionDidBecomeActive();
    else
        emit sessionDidResignActive();
}
