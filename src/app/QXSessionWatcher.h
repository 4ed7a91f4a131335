#pragma once
// Follows whether this user's login session is the active one (logind's session "Active"
// property over the system bus). Without logind the watcher stays silent.
#include <QObject>
#include <QString>

class QXSessionWatcher : public QObject
{
    Q_OBJECT
public:
    explicit QXSessionWatcher(QObject *parent = nullptr);
    bool isAvailable() const { return !m_sessionPath.isEmpty(); }

signals:
    void sessionDidResignActive();
    void sessionDidBecomeActive();

private slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    bool readActive() const;

    QString m_sessionPath;
    bool m_active = true;
};
