#include "app/QXMprisAdaptors.h"

#include "app/QXMpris.h"

#include <QFile>

// The resources live in a static library: the linker keeps them only when asked by name.
static void initResources() { Q_INIT_RESOURCE(vistrel); }

QXMprisRootAdaptor::QXMprisRootAdaptor(QXMpris *mpris) : QDBusAbstractAdaptor(mpris), m_mpris(mpris)
{
    initResources();
}

QStringList QXMprisRootAdaptor::supportedMimeTypes() const
{
    // The desktop file is the one list of what the player opens; it is read, not repeated.
    QFile file(QStringLiteral(":/vistrel.desktop"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QXDesktopFileMimeTypes(file.readAll());
}

void QXMprisRootAdaptor::Raise() { m_mpris->host()->raise(); }
void QXMprisRootAdaptor::Quit() { m_mpris->host()->quit(); }

QXMprisPlayerAdaptor::QXMprisPlayerAdaptor(QXMpris *mpris) : QDBusAbstractAdaptor(mpris), m_mpris(mpris)
{
    setAutoRelaySignals(true);
}

QString QXMprisPlayerAdaptor::playbackStatus() const { return m_mpris->host()->mprisState().status; }
double QXMprisPlayerAdaptor::rate() const { return m_mpris->host()->mprisState().rate; }
void QXMprisPlayerAdaptor::setRate(double rate) { m_mpris->setRate(rate); }
QVariantMap QXMprisPlayerAdaptor::metadata() const { return QXMprisMetadata(m_mpris->host()->mprisState()); }
double QXMprisPlayerAdaptor::volume() const { return m_mpris->host()->mprisState().volume; }
void QXMprisPlayerAdaptor::setVolume(double volume) { m_mpris->host()->setVolume(qBound(0.0, volume, 1.0)); }
qlonglong QXMprisPlayerAdaptor::position() const { return m_mpris->host()->positionUs(); }
double QXMprisPlayerAdaptor::minimumRate() const { return QXMprisMinimumRate; }
double QXMprisPlayerAdaptor::maximumRate() const { return QXMprisMaximumRate; }
bool QXMprisPlayerAdaptor::canGoNext() const { return m_mpris->host()->mprisState().canGoNext; }
bool QXMprisPlayerAdaptor::canGoPrevious() const { return m_mpris->host()->mprisState().canGoPrevious; }
bool QXMprisPlayerAdaptor::canPlay() const { return m_mpris->host()->mprisState().canPlay; }
bool QXMprisPlayerAdaptor::canPause() const { return m_mpris->host()->mprisState().canPause; }
bool QXMprisPlayerAdaptor::canSeek() const { return m_mpris->host()->mprisState().canSeek; }

void QXMprisPlayerAdaptor::Next() { m_mpris->host()->next(); }
void QXMprisPlayerAdaptor::Previous() { m_mpris->host()->previous(); }
void QXMprisPlayerAdaptor::Pause() { m_mpris->host()->pause(); }
void QXMprisPlayerAdaptor::PlayPause() { m_mpris->host()->playPause(); }
void QXMprisPlayerAdaptor::Stop() { m_mpris->host()->stop(); }
void QXMprisPlayerAdaptor::Play() { m_mpris->host()->play(); }
void QXMprisPlayerAdaptor::Seek(qlonglong offset) { m_mpris->seekBy(offset); }

void QXMprisPlayerAdaptor::SetPosition(const QDBusObjectPath &trackId, qlonglong position)
{
    m_mpris->setPosition(trackId.path(), position);
}

void QXMprisPlayerAdaptor::OpenUri(const QString &uri) { m_mpris->openUri(uri); }
