// The player's settings, properties and commands: what the movie and the view ask of the
// attached file between loads (speed, decoding, subtitle delay, screenshots, reads and writes of
// mpv's properties).
#include "QXMovieEngine.h"

#include "QXMovie.h"

#include <QFile>
#include <QVarLengthArray>

#include <mpv/client.h>

#include <cmath>
#include <cstdio>

void QXMovieEngine::setKeepAspect(bool keep)
{
    int flag = keep ? 1 : 0;
    if (m_mpv && changesSetting("keepaspect", flag))
        mpv_set_property_async(m_mpv, 0, "keepaspect", MPV_FORMAT_FLAG, &flag);
}

void QXMovieEngine::setSpeed(double speed)
{
    if (!std::isfinite(speed) || speed <= 0)
        return;
    m_speed = speed;
    setDouble("speed", speed);
}

QString QXMovieEngine::hardwareDecoding() const
{
    return readString("hwdec");
}

QString QXMovieEngine::hardwareDecoderInUse() const
{
    return readString("hwdec-current");
}

void QXMovieEngine::saveFrame(const QString &path, std::function<void(const QString &)> done)
{
    if (!m_mpv || !m_fileLoaded) {
        done(tr("no picture to save"));
        return;
    }
    const QByteArray file = QFile::encodeName(path);
    // "subtitles": the picture and the subtitles that show, never the player's messages.
    const char *args[] = {"screenshot-to-file", file.constData(), "subtitles", nullptr};
    const quint64 id = ++m_lastReply;
    const int rc = mpv_command_async(m_mpv, id, args);
    if (rc < 0) {
        done(QString::fromUtf8(mpv_error_string(rc)));
        return;
    }
    m_replies.insert(id, std::move(done));
}

QString QXMovieEngine::readString(const char *name) const
{
    char *value = m_mpv ? mpv_get_property_string(m_mpv, name) : nullptr;
    const QString text = QString::fromUtf8(value);
    mpv_free(value);
    return text;
}

bool QXMovieEngine::readDouble(const char *name, double *value) const
{
    return m_mpv && mpv_get_property(m_mpv, name, MPV_FORMAT_DOUBLE, value) >= 0;
}

bool QXMovieEngine::readFlag(const char *name, bool *value) const
{
    int flag = 0;
    if (!m_mpv || mpv_get_property(m_mpv, name, MPV_FORMAT_FLAG, &flag) < 0)
        return false;
    *value = flag != 0;
    return true;
}

// Properties are set without waiting for the player: while it opens a file it answers a
// waiting caller only once the opening is done, which would hold the window for that long.
// Requests are carried out in the order they are made.
void QXMovieEngine::setFlag(const char *name, bool value)
{
    int flag = value ? 1 : 0;
    if (m_mpv)
        mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_FLAG, &flag);
}

// Settings only this player changes (volume, turn, proportions) are sent only when they
// change: each one sent makes the player rebuild part of its chain, also while it opens a file.
bool QXMovieEngine::changesSetting(const char *name, double value)
{
    const auto it = m_sentSettings.constFind(QByteArray(name));
    if (it != m_sentSettings.constEnd() && it.value() == value)
        return false;
    m_sentSettings.insert(QByteArray(name), value);
    return true;
}

void QXMovieEngine::setDouble(const char *name, double value)
{
    if (m_mpv && changesSetting(name, value))
        mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void QXMovieEngine::setInt(const char *name, qint64 value)
{
    int64_t v = value;
    if (m_mpv && changesSetting(name, double(value)))
        mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_INT64, &v);
}

void QXMovieEngine::commandAsync(std::initializer_list<const char *> args, std::function<void(const QString &)> done)
{
    if (!m_mpv)
        return;
    QVarLengthArray<const char *, 8> argv(args.begin(), args.end());
    argv.append(nullptr);
    const quint64 id = done ? ++m_lastReply : 0;
    if (const int rc = mpv_command_async(m_mpv, id, argv.data()); rc < 0) {
        if (done)
            done(QString::fromUtf8(mpv_error_string(rc)));
        return;
    }
    if (done)
        m_replies.insert(id, std::move(done));
}

void QXMovieEngine::setSubtitleDelay(double seconds)
{
    if (m_mpv)
        mpv_set_property_async(m_mpv, 0, "sub-delay", MPV_FORMAT_DOUBLE, &seconds);
}

void QXMovieEngine::command(std::initializer_list<const char *> args)
{
    if (!m_mpv)
        return;
    QVarLengthArray<const char *, 8> argv(args.begin(), args.end());
    argv.append(nullptr);
    mpv_command(m_mpv, argv.data());
}
