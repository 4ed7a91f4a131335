#pragma once
// The player on the session bus for desktop widgets and media keys: the two media player
// interfaces at /org/mpris/MediaPlayer2 under the name org.mpris.MediaPlayer2.vistrel (or
// .instance<pid> when another player holds it). It acts only through QXMprisHost and tells the
// bus what changed: one PropertiesChanged per turn of the event loop for the properties whose
// values differ from those last sent, and Seeked after each seek.
#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <memory>

// What the bus shows of the player, taken at once.
struct QXMprisState
{
    QString status = QStringLiteral("Stopped");   // Playing, Paused or Stopped
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
    double volume = 1.0;
    double rate = 1.0;
    // The current entry; an empty track path when there is none.
    QString trackPath;
    QString title;
    QUrl url;
    qint64 lengthUs = -1;   // below 0 while unknown
    bool operator==(const QXMprisState &) const = default;
};

// The player's side: its state and commands. Commands that cannot act do nothing.
class QXMprisHost
{
public:
    virtual ~QXMprisHost() = default;
    virtual QXMprisState mprisState() const = 0;
    // The current movie's time in microseconds (0 without one).
    virtual qint64 positionUs() const = 0;
    virtual void raise() = 0;
    virtual void quit() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void playPause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual void setPositionUs(qint64 us) = 0;
    virtual void setVolume(double volume) = 0;
    virtual void setRate(double rate) = 0;
    // Lists and plays the address.
    virtual void openUrl(const QUrl &url) = 0;
};

// The speeds the Rate property accepts.
constexpr double QXMprisMinimumRate = 0.25;
constexpr double QXMprisMaximumRate = 4.0;

// A relative seek: where it lands (within the movie, from its start), or the next movie when it
// goes past the end of one whose length is known.
struct QXMprisSeek
{
    bool next = false;
    qint64 targetUs = 0;
};
QXMprisSeek QXMprisSeekTarget(qint64 positionUs, qint64 offsetUs, qint64 lengthUs);
// The MIME types in a desktop file's MimeType key, scheme handlers left out.
QStringList QXDesktopFileMimeTypes(const QByteArray &desktopFile);
// The Metadata property for the state: empty without a current entry.
QVariantMap QXMprisMetadata(const QXMprisState &state);

class QXMpris : public QObject, protected QDBusContext
{
    Q_OBJECT
public:
    static constexpr const char *ObjectPath = "/org/mpris/MediaPlayer2";
    // Registers on the bus at once; on a bus that is not connected nothing happens.
    QXMpris(std::unique_ptr<QXMprisHost> host, const QDBusConnection &bus, QObject *parent = nullptr);
    ~QXMpris() override;

    // The name held on the bus, empty when none.
    QString serviceName() const { return m_serviceName; }
    QXMprisHost *host() const { return m_host.get(); }
    // The state as last told to the bus.
    const QXMprisState &shownState() const { return m_shown; }

    // Something the bus shows may have changed: compared and sent once the event loop turns.
    void stateMayHaveChanged();
    // The current movie was sought: Seeked with its new time.
    void sought();

    // What the adaptors' calls do.
    void seekBy(qint64 offsetUs);
    void setPosition(const QString &trackPath, qint64 us);
    // False for an address of another kind, which is not opened (the caller is told why).
    bool openUri(const QString &uri);
    void setRate(double rate);

signals:
    void seeked(qlonglong positionUs);

private:
    void sendChanges();

    std::unique_ptr<QXMprisHost> m_host;
    QDBusConnection m_bus;
    QString m_serviceName;
    QXMprisState m_shown;
    bool m_checkPosted = false;
};
