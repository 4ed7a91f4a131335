#pragma once
// Keeps the screen saver and display sleep away while a picture plays, through the desktop's
// org.freedesktop.ScreenSaver service on the session bus, or where that is absent (sandboxes,
// GNOME) through the desktop portal's Inhibit. Every call is asynchronous, so a hung bus never
// stalls the interface; without a bus or without either service nothing happens.
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
    // Inhibit per hold, one UnInhibit (or the portal request's Close) per release. A hold the
    // services refused is not asked for again until the wish has been dropped and made anew.
    void setInhibited(bool inhibited);
    // A service answered with a hold that has not been given back.
    bool isInhibited() const { return m_hasHold; }

    // What a service handed out, and how it is given back: the screen saver's cookie to the
    // object that gave it, or the portal request's object to be closed.
    struct Hold
    {
        bool viaPortal = false;
        QString path;
        uint cookie = 0;
    };

private:
    // Screen saver objects by index; one past them is the portal.
    void requestInhibit(int target);
    void inhibitFinished(QDBusPendingCallWatcher *watcher, int target);
    void release();

    QDBusConnection m_bus;
    bool m_wanted = false;
    bool m_pending = false;      // an Inhibit call is waiting for its reply
    bool m_hasHold = false;
    Hold m_hold;
};
