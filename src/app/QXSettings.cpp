#include "app/QXSettings.h"

#include "app/QXStoredFile.h"

#include <QAbstractEventDispatcher>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include <locale.h>
#include <sys/stat.h>

namespace {

std::unique_ptr<QXSettings> &standardInstance()
{
    static std::unique_ptr<QXSettings> instance;
    return instance;
}

qint64 truncated(double d)
{
    // Values outside qint64 saturate rather than wrap.
    if (std::isnan(d))
        return 0;
    if (d >= 9223372036854775807.0)
        return std::numeric_limits<qint64>::max();
    if (d <= -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(d);
}

// Text counts as a number only when all of it is one (surrounding blanks allowed), so that a
// date such as "2024-05-01" is not read as 2024.
bool parseNumber(const QString &text, double *value, qint64 *integer)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?(?:\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?)\\s*$"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return false;
    const QString digits = m.captured(1);
    *value = digits.toDouble();
    bool exact = false;
    if (!m.hasCaptured(2) && !m.hasCaptured(3))
        *integer = digits.toLongLong(&exact);
    if (!exact)
        *integer = truncated(*value);
    return true;
}

// The integer value of a stored value, when it has one.
bool integerValue(const QJsonValue &v, qint64 *out)
{
    switch (v.type()) {
    case QJsonValue::Bool:
        *out = v.toBool() ? 1 : 0;
        return true;
    case QJsonValue::Double: {
        const QVariant var = v.toVariant();
        *out = var.typeId() == QMetaType::LongLong ? var.toLongLong() : truncated(v.toDouble());
        return true;
    }
    case QJsonValue::String: {
        double d;
        return parseNumber(v.toString(), &d, out);
    }
    default:
        return false;
    }
}

bool doubleValue(const QJsonValue &v, double *out)
{
    switch (v.type()) {
    case QJsonValue::Bool:
        *out = v.toBool() ? 1.0 : 0.0;
        return true;
    case QJsonValue::Double:
        *out = v.toDouble();
        return true;
    case QJsonValue::String: {
        qint64 i;
        return parseNumber(v.toString(), out, &i);
    }
    default:
        return false;
    }
}

// Qt refuses a number beyond the range of a double (1e400) and with it the whole file; such
// numbers are read as the largest double (or as 0 when too small), so one hand-edited value
// does not cost every other setting.
QByteArray withNumbersInRange(const QByteArray &json)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    QByteArray out;
    out.reserve(json.size());
    const char *p = json.constData(), *const end = p + json.size();
    while (p < end) {
        const char *q = p + 1;
        if (*p == '"') { // a string, escapes and all, is copied as it is
            while (q < end && *q != '"')
                q += *q == '\\' && q + 1 < end ? 2 : 1;
            q = std::min(q + 1, end);
        } else if (*p == '-' || (*p >= '0' && *p <= '9')) {
            while (q < end && *q && std::strchr("0123456789+-.eE", *q))
                ++q;
            const std::string number(p, q);
            char *stop = nullptr;
            errno = 0;
            const double value = strtod_l(number.c_str(), &stop, cLocale);
            if (errno == ERANGE && stop == number.c_str() + number.size()
                && (std::isinf(value) || value == 0)) {
                out += std::isinf(value) ? (value < 0 ? "-1.7976931348623157e308" : "1.7976931348623157e308")
                                         : "0";
                p = q;
                continue;
            }
        }
        out.append(p, q - p);
        p = q;
    }
    return out;
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// One entry a line: a file of 200,000 entries stays easy to edit by hand without the bulk of
// a fully indented layout.
QByteArray playlistBytes(const QJsonArray &entries)
{
    QByteArray out("[");
    for (qsizetype i = 0; i < entries.size(); ++i) {
        out += i ? ",\n    " : "\n    ";
        const QJsonValue v = entries.at(i);
        // A document holds only objects and arrays; anything else goes in as "[value]".
        out += v.isObject() ? QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact)
                            : QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).chopped(1).sliced(1);
    }
    out += entries.isEmpty() ? "]\n" : "\n]\n";
    return out;
}

QString writeStoredFile(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(folder));
    return QXStoredFile::write(path, bytes);
}

} // namespace

QXSettings &QXSettings::standard()
{
    std::unique_ptr<QXSettings> &instance = standardInstance();
    if (!instance)
        instance = std::make_unique<QXSettings>(standardFilePath());
    return *instance;
}

void QXSettings::resetStandard()
{
    standardInstance().reset();
}

QString QXSettings::standardFilePath()
{
    // XDG: an unset, empty or relative XDG_CONFIG_HOME means ~/.config.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/Vistrel/settings.json"));
}

QXSettings::QXSettings(const QString &filePath) : m_path(filePath)
{
    load();
    migratePlaylist();
}

QXSettings::~QXSettings()
{
    flush();
}

QString QXSettings::playlistFilePath() const
{
    return QFileInfo(m_path).path() + QStringLiteral("/playlist.json");
}

void QXSettings::load()
{
    QXStoredFile::removeLeftovers(playlistFilePath());
    const QXStoredFile::Contents file = QXStoredFile::read(m_path, MaxFileBytes);
    switch (file.kind) {
    case QXStoredFile::Kind::Absent:
        break; // First launch: an empty store, nothing to report.
    case QXStoredFile::Kind::Device:
        // Most likely a link to /dev/null on purpose; nothing to move aside or to write over.
        m_writeBlocked = true;
        qWarning().noquote() << QStringLiteral("Vistrel: settings file %1 %2; it is not read and "
                                               "changes are kept in memory only")
                                    .arg(nativePath(m_path), file.problem);
        return;
    case QXStoredFile::Kind::File:
        parse(file.bytes);
        break;
    default:
        m_writeBlocked = !moveAside(m_path, file.problem, &m_movedAside);
        break;
    }
    if (!m_writeBlocked)
        QXStoredFile::removeLeftovers(m_path);
    if (!m_movedAside.isEmpty() || m_writeBlocked)
        keepPlaylistOfUnreadSettings();
}

// The settings that said whether to keep the playlist were not read, so "Do Not Forget
// Playlist On Quit" reads false and the playlist would be removed at launch and again at
// quit. It goes aside with the settings, for the user to put both back; with settings that
// stay in place unread, it stays in place untouched.
void QXSettings::keepPlaylistOfUnreadSettings()
{
    const QString path = playlistFilePath();
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return;
    if (m_movedAside.isEmpty() || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) {
        m_playlistWriteBlocked = true;
        return;
    }
    QString aside;
    m_playlistWriteBlocked = !moveAside(path, QStringLiteral("belongs to the settings set aside"), &aside,
                                        QStringLiteral(".kept-"));
}

void QXSettings::migratePlaylist()
{
    const auto it = m_values.constFind(QXKeys::PlaylistMovies);
    if (it == m_values.constEnd())
        return;
    // Any other value was never restored, and was replaced at the next quit. The key goes
    // only once its entries are safe; until then they are read from it.
    setStoredPlaylist(it.value().toArray());
}

void QXSettings::parse(const QByteArray &bytes)
{
    QJsonParseError error;
    QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error == QJsonParseError::IllegalNumber) {
        QJsonParseError retry;
        const QJsonDocument saturated = QJsonDocument::fromJson(withNumbersInRange(bytes), &retry);
        if (retry.error == QJsonParseError::NoError) {
            doc = saturated;
            error = retry;
        }
    }
    if (error.error != QJsonParseError::NoError)
        m_writeBlocked = !moveAside(m_path,
                                    QStringLiteral("is not valid JSON (%1 at byte %2)")
                                        .arg(error.errorString())
                                        .arg(error.offset),
                                    &m_movedAside);
    else if (!doc.isObject())
        m_writeBlocked = !moveAside(m_path, QStringLiteral("does not hold a JSON object"), &m_movedAside);
    else
        m_values = doc.object();
}

bool QXSettings::moveAside(const QString &path, const QString &problem, QString *target, const QString &label)
{
    const QString what = path == m_path ? QStringLiteral("settings file") : QStringLiteral("playlist file");
    // Renamed, never deleted: the user may want the old values back by hand.
    QString reason;
    const QString name = QXStoredFile::renameAside(path, label, &reason);
    if (!name.isEmpty()) {
        *target = name;
        qWarning().noquote() << QStringLiteral("Vistrel: %1 %2 %3; moved it to %4")
                                    .arg(what, nativePath(path), problem, nativePath(name));
        return true;
    }
    // The caller never writes over it: that would destroy the only copy.
    qWarning().noquote() << QStringLiteral("Vistrel: %1 %2 %3 and cannot be moved aside (%4); %5")
                                .arg(what, nativePath(path), problem, reason,
                                     path == m_path ? QStringLiteral("changes are kept in memory only")
                                                    : QStringLiteral("the playlist is not stored"));
    return false;
}

QJsonArray QXSettings::storedPlaylist()
{
    // Not yet moved to its own file (that write failed at load).
    const QJsonValue legacy = m_values.value(QXKeys::PlaylistMovies);
    if (!legacy.isUndefined())
        return legacy.toArray();
    const QString path = playlistFilePath();
    const QXStoredFile::Contents file = QXStoredFile::read(path, MaxPlaylistFileBytes);
    QString problem = file.problem, aside;
    switch (file.kind) {
    case QXStoredFile::Kind::Absent:
        return {};
    case QXStoredFile::Kind::Device:
        qWarning().noquote() << QStringLiteral("Vistrel: playlist file %1 %2; it is not read")
                                    .arg(nativePath(path), file.problem);
        return {};
    case QXStoredFile::Kind::File: {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(file.bytes, &error);
        if (doc.isArray())
            return doc.array();
        problem = error.error != QJsonParseError::NoError
            ? QStringLiteral("is not valid JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset)
            : QStringLiteral("does not hold a JSON array");
        break;
    }
    default:
        break;
    }
    m_playlistWriteBlocked = !moveAside(path, problem, &aside);
    return {};
}

bool QXSettings::setStoredPlaylist(const QJsonArray &entries)
{
    if (m_playlistWriteBlocked)
        return false; // Already reported.
    const QString path = playlistFilePath();
    const QString error = writeStoredFile(path, playlistBytes(entries));
    if (!error.isEmpty()) {
        qWarning().noquote() << QStringLiteral("Vistrel: cannot write the playlist to %1 (%2)")
                                    .arg(nativePath(path), error);
        return false;
    }
    // An older version's copy, if any, is now out of date.
    tryToRemoveObjectForKey(QXKeys::PlaylistMovies);
    return true;
}

void QXSettings::removeStoredPlaylist()
{
    tryToRemoveObjectForKey(QXKeys::PlaylistMovies);
    if (m_playlistWriteBlocked)
        return;
    const QByteArray path = QFile::encodeName(playlistFilePath());
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return;
    if (S_ISREG(st.st_mode))
        ::unlink(path.constData());
    else if (S_ISLNK(st.st_mode) && ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode))
        setStoredPlaylist({});
}

bool QXSettings::flush()
{
    return m_pending || m_unsaved ? write() : true;
}

bool QXSettings::save()
{
    if (m_unsaved || !m_lastWrite.isValid() || m_lastWrite.elapsed() >= WriteIntervalMs)
        return write();
    m_pending = true;
    scheduleWrite();
    return true;
}

void QXSettings::scheduleWrite()
{
    if (m_writeTimer && m_writeTimer->isActive())
        return;
    // Without an event loop the next change, flush() or the destructor writes.
    if (!QAbstractEventDispatcher::instance())
        return;
    if (!m_writeTimer) {
        m_writeTimer = std::make_unique<QTimer>();
        m_writeTimer->setSingleShot(true);
        m_writeTimer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_writeTimer.get(), &QTimer::timeout, [this] {
            if (m_pending)
                write();
        });
    }
    if (m_writeTimer->thread() == QThread::currentThread())
        m_writeTimer->start(int(qMax<qint64>(0, WriteIntervalMs - m_lastWrite.elapsed())));
}

bool QXSettings::write()
{
    m_pending = false;
    if (m_writeTimer && m_writeTimer->isActive() && m_writeTimer->thread() == QThread::currentThread())
        m_writeTimer->stop();
    if (m_writeBlocked) {
        m_unsaved = true;
        return false; // Already reported at load.
    }
    const QString error = writeStoredFile(m_path, QJsonDocument(m_values).toJson(QJsonDocument::Indented));
    m_lastWrite.start();
    if (error.isEmpty()) {
        m_unsaved = false;
        return true;
    }
    // One line per run of failures, so a dragged volume slider does not flood the log.
    if (!m_unsaved)
        qWarning().noquote() << QStringLiteral("Vistrel: cannot write settings to %1 (%2); "
                                               "changes are kept in memory")
                                    .arg(nativePath(m_path), error);
    m_unsaved = true;
    return false;
}

bool QXSettings::put(const QString &key, const QJsonValue &value)
{
    const auto it = m_values.constFind(key);
    if (value.isUndefined()) {
        if (it == m_values.constEnd())
            return m_unsaved ? write() : true;
        m_values.remove(key);
        return save();
    }
    if (it != m_values.constEnd() && it.value() == value && it.value().type() == value.type())
        return m_unsaved ? write() : true;
    m_values.insert(key, value);
    return save();
}

bool QXSettings::hasKey(const QString &key) const
{
    return m_values.contains(key);
}

bool QXSettings::boolForKey(const QString &key) const
{
    const QJsonValue v = m_values.value(key);
    if (v.isBool())
        return v.toBool();
    if (v.isString()) {
        const QString text = v.toString().trimmed();
        if (text.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0
            || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
    }
    qint64 i = 0;
    return integerValue(v, &i) && i != 0;
}

qint64 QXSettings::integerForKey(const QString &key) const
{
    qint64 i = 0;
    return integerValue(m_values.value(key), &i) ? i : 0;
}

double QXSettings::doubleForKey(const QString &key) const
{
    double d = 0.0;
    return doubleValue(m_values.value(key), &d) ? d : 0.0;
}

QJsonValue QXSettings::objectForKey(const QString &key) const
{
    return m_values.value(key);
}

bool QXSettings::setBool(bool value, const QString &key)
{
    return put(key, QJsonValue(value));
}

bool QXSettings::setInteger(qint64 value, const QString &key)
{
    return put(key, QJsonValue(value));
}

bool QXSettings::setFloat(double value, const QString &key)
{
    // JSON has no NaN or infinity and would store null; hold null in memory too, so reading
    // before and after a relaunch agrees.
    return put(key, std::isfinite(value) ? QJsonValue(value) : QJsonValue(QJsonValue::Null));
}

bool QXSettings::setObject(const QJsonValue &value, const QString &key)
{
    return put(key, value);
}

bool QXSettings::removeObjectForKey(const QString &key)
{
    return put(key, QJsonValue(QJsonValue::Undefined));
}

void QXSettings::tryToRemoveObjectForKey(const QString &key)
{
    if (hasKey(key))
        removeObjectForKey(key);
}

void QXSettings::setColor(const QColor &color, const QString &key)
{
    if (color.isValid())
        put(key, color.name(QColor::HexArgb));
}

QColor QXSettings::colorForKey(const QString &key) const
{
    const QJsonValue v = m_values.value(key);
    return v.isString() ? QColor::fromString(v.toString()) : QColor();
}

int QXStepInterval(const QXSettings &settings)
{
    const qint64 v = settings.integerForKey(QXKeys::StepInterval);
    if (v < 1)
        return 10;
    return v > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(v);
}

double QXControlInterval(const QXSettings &settings)
{
    const double v = settings.doubleForKey(QXKeys::ControlInterval);
    return v >= 1.0 ? v : 5.0; // NaN fails the test too.
}

int QXTimerIntervalMs(double seconds)
{
    if (std::isnan(seconds))
        return 0;
    const double ms = std::round(seconds * 1000.0); // infinite when seconds is
    if (ms >= double(INT_MAX))
        return INT_MAX;
    return ms > 0 ? int(ms) : 0;
}

float QXVolume(const QXSettings &settings)
{
    const QJsonValue stored = settings.objectForKey(QXKeys::Volume);
    if (stored.isUndefined())
        return 1.0f;
    double d = std::numeric_limits<double>::quiet_NaN();
    doubleValue(stored, &d); // A value that is no number at all counts as NaN.
    const float v = float(d);
    if (std::isnan(v) || v >= 1.0f)
        return 1.0f;
    return v > 0.0f ? v : 0.0f;
}

void QXDictSetInteger(QJsonObject &dict, qint64 value, const QString &key)
{
    dict.insert(key, QJsonValue(value));
}

void QXDictTryToRemoveObjectForKey(QJsonObject &dict, const QString &key)
{
    if (dict.contains(key))
        dict.remove(key);
}

qint64 QXDictIntegerForKey(const QJsonObject &dict, const QString &key)
{
    qint64 i = 0;
    return integerValue(dict.value(key), &i) ? i : 0;
}
