#include "app/QXMpris.h"

#include "app/QXMprisAdaptors.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <cmath>
#include <limits>

namespace {

const char *const PlayerInterface = "org.mpris.MediaPlayer2.Player";

} // namespace

QXMprisSeek QXMprisSeekTarget(qint64 positionUs, qint64 offsetUs, qint64 lengthUs)
{
    qint64 target = 0;
    // An offset from a client may be anything; the sum saturates rather than wraps.
    if (__builtin_add_overflow(positionUs, offsetUs, &target))
        target = offsetUs > 0 ? std::numeric_limits<qint64>::max() : 0;
    if (lengthUs >= 0 && target > lengthUs)
        return {true, 0};
    return {false, qMax<qint64>(0, target)};
}

QStringList QXDesktopFileMimeTypes(const QByteArray &desktopFile)
{
    bool inEntry = false;
    for (const QByteArray &raw : desktopFile.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.startsWith("MimeType")) {
            const int eq = line.indexOf('=');
            if (eq < 0 || line.left(eq).trimmed() != "MimeType")
                continue;
            QStringList types;
            for (const QByteArray &t : line.mid(eq + 1).split(';')) {
                const QString type = QString::fromUtf8(t.trimmed());
                if (!type.isEmpty() && !type.startsWith(QLatin1String("x-scheme-handler/")))
                    types.append(type);
            }
            return types;
        }
    }
    return {};
}

QVariantMap QXMprisMetadata(const QXMprisState &s)
{
    if (s.trackPath.isEmpty())
        return {{"mpris:trackid", QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack"))}};
    QVariantMap m{{"mpris:trackid", QVariant::fromValue(QDBusObjectPath(s.trackPath))},
                  {"xesam:title", s.title},
                  {"xesam:url", s.url.toString()}};
    if (s.lengthUs >= 0)
        m.insert("mpris:length", qlonglong(s.lengthUs));
    return m;
}

QXMpris::QXMpris(std::unique_ptr<QXMprisHost> host, const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_host(std::move(host)), m_bus(bus)
{
    // Without a bus there is no one to tell: no adaptor, no call, no message.
    if (!m_bus.isConnected() || !m_bus.interface())
        return;
    new QXMprisRootAdaptor(this);
    auto *player = new QXMprisPlayerAdaptor(this);
    connect(this, &QXMpris::seeked, player, &QXMprisPlayerAdaptor::Seeked);
    if (!m_bus.registerObject(QString::fromLatin1(ObjectPath), this, QDBusConnection::ExportAdaptors))
        return;
    // Clients find players by the name's prefix, so a second player takes a name of its own.
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.vistrel");
    for (const QString &candidate : {name, name + ".instance" + QString::number(QCoreApplication::applicationPid())}) {
        const auto reply = m_bus.interface()->registerService(candidate, QDBusConnectionInterface::DontQueueService,
                                                              QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            m_serviceName = candidate;
            break;
        }
    }
    if (m_serviceName.isEmpty()) {
        m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
        return;
    }
    m_shown = m_host->mprisState();
}

QXMpris::~QXMpris()
{
    if (m_serviceName.isEmpty())
        return;
    m_bus.unregisterService(m_serviceName);
    m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
}

void QXMpris::stateMayHaveChanged()
{
    if (m_serviceName.isEmpty() || m_checkPosted)
        return;
    // Changes made together (a new movie: status, metadata, flags) go out in one signal.
    m_checkPosted = true;
    QMetaObject::invokeMethod(this, &QXMpris::sendChanges, Qt::QueuedConnection);
}

void QXMpris::sendChanges()
{
    m_checkPosted = false;
    const QXMprisState now = m_host->mprisState();
    const QXMprisState was = std::exchange(m_shown, now);
    if (now == was)
        return;
    QVariantMap changed;
    const auto compare = [&](const char *property, auto member) {
        if (now.*member != was.*member)
            changed.insert(QString::fromLatin1(property), now.*member);
    };
    compare("PlaybackStatus", &QXMprisState::status);
    compare("Rate", &QXMprisState::rate);
    compare("Volume", &QXMprisState::volume);
    compare("CanGoNext", &QXMprisState::canGoNext);
    compare("CanGoPrevious", &QXMprisState::canGoPrevious);
    compare("CanPlay", &QXMprisState::canPlay);
    compare("CanPause", &QXMprisState::canPause);
    compare("CanSeek", &QXMprisState::canSeek);
    const QVariantMap metadata = QXMprisMetadata(now);
    if (metadata != QXMprisMetadata(was))
        changed.insert(QStringLiteral("Metadata"), metadata);
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(ObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(PlayerInterface) << changed << QStringList();
    m_bus.send(signal);
}

void QXMpris::sought()
{
    if (!m_serviceName.isEmpty())
        emit seeked(m_host->positionUs());
}

void QXMpris::seekBy(qint64 offsetUs)
{
    const QXMprisState s = m_host->mprisState();
    if (!s.canSeek)
        return;
    const QXMprisSeek seek = QXMprisSeekTarget(m_host->positionUs(), offsetUs, s.lengthUs);
    if (seek.next)
        m_host->next();
    else
        m_host->setPositionUs(seek.targetUs);
}

void QXMpris::setPosition(const QString &trackPath, qint64 us)
{
    const QXMprisState s = m_host->mprisState();
    // A request made for an entry no longer current, or for a time the movie has not, is late
    // or wrong: it is dropped.
    if (!s.canSeek || s.trackPath.isEmpty() || trackPath != s.trackPath || us < 0 || (s.lengthUs >= 0 && us > s.lengthUs))
        return;
    m_host->setPositionUs(us);
}

bool QXMpris::openUri(const QString &uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("file") && scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, tr("Only file, http and https addresses open: %1").arg(uri));
        return false;
    }
    m_host->openUrl(url);
    return true;
}

void QXMpris::setRate(double rate)
{
    if (!std::isfinite(rate))
        return;
    // A rate of nought is a pause; any other outside the range is not one the player has.
    if (rate == 0.0)
        m_host->pause();
    else if (rate >= QXMprisMinimumRate && rate <= QXMprisMaximumRate)
        m_host->setRate(rate);
}
