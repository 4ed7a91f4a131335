#include "app/QXResumePositions.h"

#include "app/QXSettings.h"
#include "app/QXStoredFile.h"
#include "engine/QXMovie.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <cmath>

namespace {

constexpr double MinimumSeconds = 10.0;
constexpr double EndShare = 0.95;
// Set on a movie once its kept position was looked up: later choices of it in this run keep
// the position it has now.
const char *const CheckedProperty = "QXResumeChecked";

bool isKey(const QString &text)
{
    if (text.size() != 40)
        return false;
    for (const QChar ch : text)
        if (!((ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f')))
            return false;
    return true;
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

std::optional<double> QXPositionToKeep(double position, double duration)
{
    if (!std::isfinite(position) || !std::isfinite(duration) || duration <= 0)
        return std::nullopt;
    if (position <= MinimumSeconds || position >= duration * EndShare)
        return std::nullopt;
    return position;
}

QString QXResumeTimeText(double seconds)
{
    const qint64 s = std::isfinite(seconds) && seconds > 0 ? qint64(seconds) : 0;
    return QString::asprintf("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

QByteArray QXPositionStore::keyOf(const QByteArray &address)
{
    return QCryptographicHash::hash(address, QCryptographicHash::Sha1).toHex();
}

std::optional<double> QXPositionStore::position(const QByteArray &key) const
{
    for (const auto &[k, seconds] : m_entries)
        if (k == key)
            return seconds;
    return std::nullopt;
}

void QXPositionStore::record(const QByteArray &key, double seconds)
{
    forget(key);
    m_entries.prepend({key, seconds});
    if (m_entries.size() > Capacity)
        m_entries.resize(Capacity);
}

void QXPositionStore::forget(const QByteArray &key)
{
    m_entries.removeIf([&key](const auto &entry) { return entry.first == key; });
}

QByteArray QXPositionStore::toBytes() const
{
    QByteArray out("[");
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        out += i ? ",\n" : "\n";
        out += "[\"" + m_entries[i].first + "\", " + QByteArray::number(m_entries[i].second, 'f', 3) + ']';
    }
    out += m_entries.isEmpty() ? "]\n" : "\n]\n";
    return out;
}

std::optional<QXPositionStore> QXPositionStore::fromBytes(const QByteArray &bytes, QString *problem)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        *problem = QStringLiteral("is not valid JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
        return std::nullopt;
    }
    if (!doc.isArray()) {
        *problem = QStringLiteral("does not hold a JSON array");
        return std::nullopt;
    }
    QXPositionStore store;
    const QJsonArray entries = doc.array();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonArray entry = entries.at(i).toArray();
        const double seconds = entry.at(1).toDouble(-1);
        if (entry.size() != 2 || !isKey(entry.at(0).toString()) || !entry.at(1).isDouble() || !std::isfinite(seconds)
            || seconds < 0) {
            *problem = QStringLiteral("has an entry that is not a digest and a time (entry %1)").arg(i + 1);
            return std::nullopt;
        }
        const QByteArray key = entry.at(0).toString().toLatin1();
        // The first of a key is the most recent; a longer list than is kept loses its oldest.
        if (store.count() < Capacity && !store.position(key))
            store.m_entries.append({key, seconds});
    }
    return store;
}

QXResumeKeeper::QXResumeKeeper(const QString &filePath, QObject *parent)
    : QObject(parent), m_path(filePath), m_writeTimer(new QTimer(this))
{
    m_writeTimer->setSingleShot(true);
    m_writeTimer->setInterval(WriteDelayMs);
    connect(m_writeTimer, &QTimer::timeout, this, &QXResumeKeeper::flush);
}

QXResumeKeeper::~QXResumeKeeper()
{
    flush();
}

QString QXResumeKeeper::standardFilePath()
{
    return QFileInfo(QXSettings::standardFilePath()).path() + QStringLiteral("/positions.json");
}

const QXPositionStore &QXResumeKeeper::store()
{
    load();
    return m_store;
}

bool QXResumeKeeper::enabled() const
{
    return !QXSettings::standard().boolForKey(QXKeys::DoNotResumeMovies);
}

void QXResumeKeeper::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    QXStoredFile::removeLeftovers(m_path);
    const QXStoredFile::Contents file = QXStoredFile::read(m_path, MaxFileBytes);
    QString problem = file.problem;
    switch (file.kind) {
    case QXStoredFile::Kind::Absent:
        return;
    case QXStoredFile::Kind::Device:
        m_writeBlocked = true;
        qWarning().noquote() << QStringLiteral("Vistrel: positions file %1 %2; it is not read").arg(nativePath(m_path), problem);
        return;
    case QXStoredFile::Kind::File:
        if (const std::optional<QXPositionStore> store = QXPositionStore::fromBytes(file.bytes, &problem)) {
            m_store = *store;
            return;
        }
        break;
    default:
        break;
    }
    QString reason;
    const QString aside = QXStoredFile::renameAside(m_path, QStringLiteral(".corrupt-"), &reason);
    m_writeBlocked = aside.isEmpty();
    if (m_writeBlocked)
        qWarning().noquote() << QStringLiteral("Vistrel: positions file %1 %2 and cannot be moved aside (%3); "
                                               "positions are not kept")
                                    .arg(nativePath(m_path), problem, reason);
    else
        qWarning().noquote() << QStringLiteral("Vistrel: positions file %1 %2; moved it to %3")
                                    .arg(nativePath(m_path), problem, nativePath(aside));
}

void QXResumeKeeper::record(QXMovie *movie, const QByteArray &address)
{
    // Files only: a stream's length is known only once it answers, too late to start it where
    // it was left.
    if (!movie || !movie->url().isLocalFile() || address.isEmpty() || !enabled())
        return;
    const QXTime duration = movie->duration();
    const std::optional<double> kept = QXPositionToKeep(
        movie->currentTime().seconds(), duration.isIndefinite() ? -1 : duration.seconds());
    load();
    const QByteArray key = QXPositionStore::keyOf(address);
    if (kept)
        m_store.record(key, *kept);
    else if (m_store.position(key))
        m_store.forget(key);
    else
        return;
    m_dirty = true;
    m_writeTimer->start();
}

void QXResumeKeeper::currentMovieChanged(QXMovie *movie, const QByteArray &address)
{
    if (movie == m_current && address == m_currentAddress)
        return;
    record(m_current, m_currentAddress);
    m_current = movie;
    m_currentAddress = address;
    if (!movie || movie->property(CheckedProperty).toBool())
        return;
    movie->setProperty(CheckedProperty, true);
    if (!enabled() || movie->currentTime().seconds() > 0)
        return;
    load();
    const std::optional<double> stored = m_store.position(QXPositionStore::keyOf(address));
    const QXTime duration = movie->duration();
    // A file changed since (shorter now) starts over as one left near its end does.
    if (!stored || !QXPositionToKeep(*stored, duration.isIndefinite() ? -1 : duration.seconds()))
        return;
    movie->setCurrentTime(QXTime::fromSeconds(*stored));
    // Once the movie is in the picture: the message needs the player to show it.
    const QPointer<QXMovie> resumed(movie);
    const QString text = tr("Resumed at %1").arg(QXResumeTimeText(*stored));
    QMetaObject::invokeMethod(this, [resumed, text] {
        if (resumed)
            resumed->showMessage(text, 3000);
    }, Qt::QueuedConnection);
}

void QXResumeKeeper::leaveCurrentMovie()
{
    record(m_current, m_currentAddress);
    m_current = nullptr;
    m_currentAddress.clear();
    flush();
}

bool QXResumeKeeper::flush()
{
    m_writeTimer->stop();
    if (!m_dirty)
        return true;
    if (m_writeBlocked)
        return false;
    QString error;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        error = QStringLiteral("cannot create its folder");
    else
        error = QXStoredFile::write(m_path, m_store.toBytes());
    if (error.isEmpty()) {
        m_dirty = false;
        m_saidWriteFailed = false;
        return true;
    }
    if (!m_saidWriteFailed)
        qWarning().noquote() << QStringLiteral("Vistrel: cannot write the positions to %1 (%2)").arg(nativePath(m_path), error);
    m_saidWriteFailed = true;
    return false;
}
