// What a setting change costs with a large stored playlist, in the layout older versions used
// (the playlist inside settings.json, the whole file rewritten on every change) and in the
// store's own (the playlist in playlist.json, written at quit; changes coalesced).
//
//   bench_settings [folder]
//
// For 0, 1k, 10k, 50k and 200k entries: one volume step (the last write long past, so it is
// written at once), a 30-step volume drag over one second driven by the event loop (bytes,
// writes, and the time the main thread was busy rather than waiting), the playlist write at
// quit and the read at launch. Bytes are what the process handed to write(2) (/proc/self/io),
// so temporary files count. The folder (default: a temporary one under /tmp) should be on the
// disk that holds the user's settings: the figures include fdatasync.
//
// The older layout is measured as that store wrote: the settings object with the playlist,
// serialised indented, through the same checked writer, once per change.
#include "app/QXSettings.h"
#include "app/QXStoredFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <functional>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr int DragSteps = 30;
constexpr int DragStepMs = 1000 / DragSteps;

qint64 bytesWritten()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// Counts the writes that land on one file: each renames a temporary file over it.
class WriteCounter
{
public:
    explicit WriteCounter(const QString &path) : m_name(QFileInfo(path).fileName().toUtf8())
    {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        inotify_add_watch(m_fd, QFile::encodeName(QFileInfo(path).path()).constData(), IN_MOVED_FROM | IN_MOVED_TO);
    }
    ~WriteCounter() { ::close(m_fd); }
    int take()
    {
        int n = 0;
        alignas(inotify_event) char events[8192];
        for (ssize_t got; (got = ::read(m_fd, events, sizeof events)) > 0;)
            for (char *e = events; e < events + got; e += sizeof(inotify_event) + reinterpret_cast<inotify_event *>(e)->len)
                n += (reinterpret_cast<inotify_event *>(e)->mask & IN_MOVED_TO) && m_name == reinterpret_cast<inotify_event *>(e)->name;
        return n;
    }

private:
    QByteArray m_name;
    int m_fd = -1;
};

struct Cost
{
    qint64 bytes = 0;
    double ms = 0;
    int writes = 0;
};

Cost timed(const std::function<void()> &work, WriteCounter &counter)
{
    counter.take();
    const qint64 before = bytesWritten();
    QElapsedTimer clock;
    clock.start();
    work();
    return {bytesWritten() - before, clock.nsecsElapsed() / 1e6, counter.take()};
}

// Times every event the application delivers (timers included), so the busy time of the main
// thread is known without counting its waits.
class TimedApplication : public QCoreApplication
{
public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth++ > 0 || !m_timing) {
            const bool done = QCoreApplication::notify(receiver, event);
            --m_depth;
            return done;
        }
        QElapsedTimer clock;
        clock.start();
        const bool done = QCoreApplication::notify(receiver, event);
        m_busyNs += clock.nsecsElapsed();
        --m_depth;
        return done;
    }
    void startTiming() { m_timing = true, m_busyNs = 0; }
    double stopTiming() { return m_timing = false, m_busyNs / 1e6; }

private:
    bool m_timing = false;
    int m_depth = 0;
    qint64 m_busyNs = 0;
};

// DragSteps changes DragStepMs apart from the event loop, then 300 ms for a write still due;
// the time is what the main thread spent on the events, its waits left out.
Cost drag(TimedApplication &app, const std::function<void(int)> &change, WriteCounter &counter)
{
    QEventLoop loop;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    int step = 0;
    QObject::connect(&ticks, &QTimer::timeout, &loop, [&] {
        if (step < DragSteps)
            return change(step++);
        ticks.stop();
        QTimer::singleShot(300, &loop, &QEventLoop::quit);
    });
    double busyMs = 0;
    Cost cost = timed([&] {
        app.startTiming();
        ticks.start(DragStepMs);
        loop.exec();
        busyMs = app.stopTiming();
    }, counter);
    cost.ms = busyMs;
    return cost;
}

QJsonArray playlistOf(int entries)
{
    QJsonArray list;
    for (int i = 0; i < entries; ++i)
        list.append(i % 10 == 9 ? QJsonObject{{QXKeys::EntryURL, QStringLiteral("https://media.example/clips/%1.mp4").arg(i)}}
                                : QJsonObject{{QXKeys::EntryPath, QStringLiteral("~/Movies/Show %1/Episode %2.mp4").arg(i / 100).arg(i % 100)}});
    return list;
}

// What a player that has run a while keeps besides the playlist.
QJsonObject usualSettings()
{
    return QJsonObject{{QXKeys::DoNotForgetPlaylistOnQuit, true}, {QXKeys::Volume, 0.5},
                       {QXKeys::PlayerHasBeenCentered, true}, {QXKeys::PlayerWindowPosition, QJsonObject{{"x", 320}, {"y", 180}}},
                       {QXKeys::HidePlaylist, false}, {QXKeys::ShowWindButtons, true}, {QXKeys::StepInterval, 10},
                       {QXKeys::DividerWidthFormat.arg(QXKeys::PlaylistDividerName), 240},
                       {QXKeys::RotatedMovies, QJsonObject{{"~/Movies/phone.mp4", 90}}}};
}

double volumeAt(int step) { return 0.5 + 0.01 * (step + 1); }

void report(const char *layout, int entries, const Cost &step, const Cost &drag, const Cost &quit, double launchMs)
{
    std::printf("%7d  %-6s  %11lld %8.2f  %6d %12lld %8.1f  %11lld %8.1f  %8.1f\n", entries, layout,
                (long long)step.bytes, step.ms, drag.writes, (long long)drag.bytes, drag.ms, (long long)quit.bytes, quit.ms,
                launchMs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    TimedApplication app(argc, argv);
    QTemporaryDir scratch(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/vistrel-bench-XXXXXX")
                                   : QDir::tempPath() + QStringLiteral("/vistrel-bench-settings-XXXXXX"));
    if (!scratch.isValid() || bytesWritten() < 0) {
        std::fprintf(stderr, "no scratch folder or no /proc/self/io\n");
        return 1;
    }
    std::printf("volume step: one change; drag: %d changes over one second; quit: the playlist stored; "
                "launch: the playlist read\n", DragSteps);
    std::printf("%7s  %-6s  %11s %8s  %6s %12s %8s  %11s %8s  %8s\n", "entries", "layout", "step bytes", "step ms",
                "writes", "drag bytes", "drag ms", "quit bytes", "quit ms", "launch ms");
    int run = 0;
    for (const int entries : {0, 1000, 10000, 50000, 200000}) {
        const QJsonArray playlist = playlistOf(entries);
        {
            // Older layout: every change rewrites the settings object, playlist and all.
            const QString path = scratch.filePath(QStringLiteral("%1/settings.json").arg(++run));
            QDir().mkpath(QFileInfo(path).path());
            WriteCounter counter(path);
            QJsonObject values = usualSettings();
            values.insert(QXKeys::PlaylistMovies, playlist);
            const auto change = [&](double volume) {
                values.insert(QXKeys::Volume, volume);
                QXStoredFile::write(path, QJsonDocument(values).toJson(QJsonDocument::Indented));
            };
            change(0.5);
            const Cost step = timed([&] { change(0.49); }, counter);
            const Cost dragged = drag(app, [&](int i) { change(volumeAt(i)); }, counter);
            const Cost quit = timed([&] { change(0.5); }, counter);
            // The older store read the whole file, playlist and all, at launch.
            QElapsedTimer clock;
            clock.start();
            const QXStoredFile::Contents file = QXStoredFile::read(path, QXSettings::MaxFileBytes);
            const qsizetype read = QJsonDocument::fromJson(file.bytes).object().value(QXKeys::PlaylistMovies).toArray().size();
            const double launchMs = clock.nsecsElapsed() / 1e6;
            if (read != entries)
                std::printf("         older layout: the settings file %s\n",
                            qPrintable(file.problem.isEmpty() ? QStringLiteral("lost entries") : file.problem));
            report("older", entries, step, dragged, quit, launchMs);
        }
        {
            const QString path = scratch.filePath(QStringLiteral("%1/settings.json").arg(++run));
            QDir().mkpath(QFileInfo(path).path());
            WriteCounter counter(path);
            {
                QXSettings seed(path);
                const QJsonObject values = usualSettings();
                for (auto it = values.begin(); it != values.end(); ++it)
                    seed.setObject(it.value(), it.key());
                seed.setStoredPlaylist(playlist);
            }
            QElapsedTimer clock;
            clock.start();
            QXSettings store(path);
            const qsizetype read = store.storedPlaylist().size();
            const double launchMs = clock.nsecsElapsed() / 1e6;
            if (read != entries)
                std::fprintf(stderr, "read %lld entries of %d\n", (long long)read, entries);
            QThread::msleep(300); // the last write long past: the next change is written at once
            const Cost step = timed([&] { store.setFloat(0.49, QXKeys::Volume); }, counter);
            QThread::msleep(300);
            const Cost dragged = drag(app, [&](int i) { store.setFloat(volumeAt(i), QXKeys::Volume); }, counter);
            const Cost quit = timed([&] {
                store.setStoredPlaylist(playlist);
                store.flush();
            }, counter);
            report("own", entries, step, dragged, quit, launchMs);
        }
    }
    return 0;
}
