#pragma once
// Keeps the screen saver and display sleep away while a picture plays, through the desktop's
// org.freedesktop.ScreenSaver service on the session bus. Every call is asynchronous, so a
// hung bus never stalls the interface; without a bus or without the service nothing happens.
#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

class QXScreenSaverInhibitor : public QObject
{
    Q_OBJECT
public:
    // Uses the session bus.
    explicit QXScreenSaverInhibitor(QObject *parent = nullptr);
    // Uses the given connection (a private bus, or one that is not connected).
    explicit QXScreenSaverInhibitor(const QDBusConnection &bus, QObject *parent = nullptr);
    // Releases what is held.
    ~QXScreenSaverInhibitor() override;

    // Asks for the inhibit or gives it back. Repeating the same wish sends nothing: one
    // Inhibit per hold, one UnInhibit per release. A hold the service refused is not asked
    // for again until the wish has been dropped and made anew.
    void setInhibited(bool inhibited);
    // The service answered with a cookie that has not been given back.
    bool isInhibited() const { return m_hasCookie; }

private:
    void requestInhibit(int pathIndex);
    void inhibitFinished(QDBusPendingCallWatcher *watcher, int pathIndex);
    void release();

    QDBusConnection m_bus;
    bool m_wanted = false;
    bool m_pending = false;      // an Inhibit call is waiting for its reply
    bool m_hasCookie = false;
    uint m_cookie = 0;
    QString m_cookiePath;        // the object that gave the cookie takes it back
};
