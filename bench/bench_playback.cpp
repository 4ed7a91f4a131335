// Playback cost: CPU-seconds per second of playback of a 10 s 1280×720 30 fps H.264 clip, for the
// player binary and, side by side under the same X server, for the mpv command-line player
// (software decoding), run in pairs (mpv, then one form of the player) so a busy machine
// weighs on both alike; the ratios are the medians of the pairs' over the rounds.
//
//   bench/bench_playback.sh [--runs N]            (starts the X server, installs mpv if missing)
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/bench_playback [--runs N]
//            [--player build/vistrel] [--clip movie] [--decoding hardware|software]
//
// What is compared is playing, not starting: the CPU time of the process and its children
// (/proc, all threads) from 2.5 s to 8.5 s after exec, when both are well into the clip, with
// the frames each drew meanwhile (mpv's status line, the player's VISTREL_BENCH_REPORT line,
// both written as each frame is shown). The whole run, exec to exit, is printed beside it.
// Both pictures are measured on screen (xwininfo) and must be the same size.
//
// The player decodes as its setting says (--decoding; hardware, the default setting, tries the
// engine's safe choices and falls back to software where none works).
//
// mpv runs as `mpv --no-config --vo=gpu --gpu-context=x11egl --ao=null --hwdec=no clip` and
// leaves at the end by itself. The player runs with VISTREL_AO=null, the playlist hidden and
// fresh settings; it stays on the last frame, so it is sent SIGTERM once its CPU use has
// fallen to idle after the clip's length.
#include "PlaybackFigures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace PlaybackFigures;

namespace {

constexpr double ClipSeconds = 10.0;
const QSize ClipSize(1280, 720);
const char *const DefaultClip = "/tmp/vistrel-bench-720p30-10s.mp4";
// The stretch compared: both players are past their start and short of the clip's end.
constexpr double WindowStart = 2.5;
constexpr double WindowEnd = 8.5;

double now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

QByteArray readProc(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// CPU-seconds of a live process, all its threads, and of its children, live or reaped;
// negative when it cannot be read.
double treeCpu(pid_t pid)
{
    const double ticks = statTicks(readProc(QString("/proc/%1/stat").arg(pid)), true);
    if (ticks < 0)
        return -1;
    double seconds = ticks / double(sysconf(_SC_CLK_TCK));
    for (const QString &task : QDir(QString("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QByteArray &child : readProc(QString("/proc/%1/task/%2/children").arg(pid).arg(task)).split(' '))
            if (const int c = child.trimmed().toInt(); c > 0)
                seconds += std::max(0.0, treeCpu(c));
    return seconds;
}

// The X server serving $DISPLAY, found by its command line (":N" among its arguments).
pid_t xServerPid()
{
    QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return -1;
    if (const int dot = display.indexOf('.', display.indexOf(':')); dot > 0)
        display.truncate(dot);
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &e : entries) {
        bool ok = false;
        const int pid = e.toInt(&ok);
        if (!ok)
            continue;
        const QList<QByteArray> args = readProc(QString("/proc/%1/cmdline").arg(pid)).split('\0');
        const QByteArray name = QFileInfo(QString::fromLocal8Bit(args.value(0))).fileName().toLocal8Bit();
        if ((name == "Xvfb" || name == "Xorg" || name == "X") && args.contains(display))
            return pid;
    }
    return -1;
}

double xCpu(pid_t x)
{
    return x > 0 ? statTicks(readProc(QString("/proc/%1/stat").arg(x)), false) / double(sysconf(_SC_CLK_TCK)) : -1;
}

QByteArray readAllFrom(int fd)
{
    QByteArray all;
    char buf[65536];
    ssize_t n;
    lseek(fd, 0, SEEK_SET);
    while ((n = read(fd, buf, sizeof buf)) > 0)
        all.append(buf, int(n));
    return all;
}

struct Run
{
    double cpu = 0;         // the process and its children, start to exit
    double windowCpu = 0;   // the same from WindowStart to WindowEnd, per second
    double windowX = -1;    // the X server meanwhile, per second
    qint64 windowFrames = 0;
    double frameMs = 0;     // CPU per frame shown in that stretch
    qint64 frames = 0;      // shown over the whole run
    double wall = 0;        // start to exit
    QSize picture;          // the picture's window on screen
    QByteArray output;
    bool ok = false;
};

// Starts argv with extra environment; when stopWhenIdle, sends SIGTERM once the clip's length
// has passed and the process has used less than 5% of a core over the last half second. With
// stopAfter, sends SIGTERM after that many seconds instead.
Run measure(const QStringList &argv, const QStringList &environment, bool stopWhenIdle,
            double stopAfter = 0, const std::function<QSize()> &picture = {})
{
    Run r;
    char outputTemplate[] = "/tmp/vistrel-bench-playback-XXXXXX";
    const int outputFd = mkstemp(outputTemplate);
    if (outputFd < 0)
        return r;
    unlink(outputTemplate);
    const bool isMpv = QFileInfo(argv.first()).fileName() == QLatin1String("mpv");

    const pid_t x = xServerPid();
    const double start = now();
    const pid_t pid = fork();
    if (pid == 0) {
        for (const QString &kv : environment) {
            const QByteArray b = kv.toLocal8Bit();
            putenv(strdup(b.constData()));
        }
        dup2(outputFd, STDOUT_FILENO);
        dup2(outputFd, STDERR_FILENO);
        QList<QByteArray> bytes;
        std::vector<char *> args;
        for (const QString &a : argv)
            bytes.append(a.toLocal8Bit());
        for (QByteArray &b : bytes)
            args.push_back(b.data());
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (pid < 0) {
        close(outputFd);
        return r;
    }

    struct Sample
    {
        double t, cpu;
    };
    QList<Sample> samples;
    struct Mark
    {
        double t = -1, cpu = 0, x = 0;
        qint64 frames = 0;
    } opening, closing;
    bool terminated = false;
    double settledAt = 0;
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        usleep(20000);
        const double t = now() - start;
        if (stopAfter > 0 && t > stopAfter && !terminated) {
            kill(pid, SIGTERM);
            terminated = true;
        }
        if (terminated)
            continue;
        const double cpu = treeCpu(pid);
        for (Mark *m : {&opening, &closing}) {
            if (m->t >= 0 || t < (m == &opening ? WindowStart : WindowEnd) || cpu < 0)
                continue;
            *m = {t, cpu, xCpu(x), framesShown(readAllFrom(outputFd), isMpv)};
            if (m == &opening && picture)
                r.picture = picture();
        }
        if (!stopWhenIdle)
            continue;
        if (cpu >= 0)
            samples.append({t, cpu});
        // Idle: the last half second's CPU against the sample half a second before.
        const auto older = std::find_if(samples.rbegin(), samples.rend(),
                                        [t](const Sample &s) { return s.t <= t - 0.5; });
        const bool idle = older != samples.rend() && cpu >= 0
                          && (cpu - older->cpu) / (t - older->t) < 0.05;
        if ((t > ClipSeconds && idle) || t > ClipSeconds * 3) {
            settledAt = t;
            kill(pid, SIGTERM);
            terminated = true;
        }
    }
    r.wall = now() - start;
    r.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec
            + usage.ru_stime.tv_usec / 1e6;
    r.output = readAllFrom(outputFd);
    close(outputFd);
    r.frames = framesShown(r.output, isMpv);
    if (opening.t >= 0 && closing.t > opening.t) {
        const double span = closing.t - opening.t;
        r.windowCpu = (closing.cpu - opening.cpu) / span;
        r.windowX = x > 0 ? (closing.x - opening.x) / span : -1;
        r.windowFrames = closing.frames - opening.frames;
        if (r.windowFrames > 0)
            r.frameMs = (closing.cpu - opening.cpu) * 1000 / double(r.windowFrames);
    }
    r.ok = WIFEXITED(status) && (WEXITSTATUS(status) == 0 || terminated)
           && !(stopWhenIdle && settledAt > ClipSeconds * 3);
    if (!r.ok)
        std::fprintf(stderr, "%s ended badly (status %d):\n%s\n", qPrintable(argv.first()), status,
                     r.output.right(2000).constData());
    return r;
}

bool makeClip(const QString &path)
{
    if (QFileInfo::exists(path))
        return true;
    const QString partial = path + ".part.mp4";
    QProcess p;
    p.start("ffmpeg", {"-y", "-loglevel", "error", "-f", "lavfi", "-i",
                       QString("testsrc2=size=%1x%2:rate=30:duration=%3").arg(ClipSize.width()).arg(ClipSize.height()).arg(ClipSeconds),
                       "-c:v", "libx264", "-pix_fmt", "yuv420p", partial});
    if (!p.waitForFinished(300000) || p.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", p.readAllStandardError().constData());
        return false;
    }
    return QFile::rename(partial, path);
}

QList<Window> windowsOnScreen()
{
    QProcess p;
    p.start("xwininfo", {"-root", "-tree"});
    p.waitForFinished(10000);
    return parseWindowTree(QString::fromLocal8Bit(p.readAllStandardOutput()));
}

QString sizeText(const QSize &s)
{
    return s.isEmpty() ? QStringLiteral("none") : QString("%1x%2").arg(s.width()).arg(s.height());
}

// A pointer script for the forms with the floating bar: once the window is up, moves over it.
QString pointerScript(bool again)
{
    const QString move = QStringLiteral("xdotool mousemove 900 500; sleep 0.1; xdotool mousemove 910 510");
    if (!again)
        return "sleep 1.5; " + move;
    // The bar vanishes 1 s after the pointer rests, fading out, and fades in at the next move.
    QString script = QStringLiteral("sleep 1.5");
    for (int i = 0; i < 4; ++i)
        script += "; " + move + "; sleep 1.9";
    return script;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int runs = 3;
    QString player = QDir(QCoreApplication::applicationDirPath()).filePath("../vistrel");
    QString clip = QString::fromLatin1(DefaultClip);
    bool softwareDecoding = false;
    const QStringList a = app.arguments();
    for (int i = 1; i + 1 < a.size(); i += 2) {
        if (a.at(i) == "--runs")
            runs = std::max(1, a.at(i + 1).toInt());
        else if (a.at(i) == "--player")
            player = a.at(i + 1);
        else if (a.at(i) == "--clip")
            clip = a.at(i + 1);
        else if (a.at(i) == "--decoding")
            softwareDecoding = a.at(i + 1) == "software";
    }
    player = QFileInfo(player).absoluteFilePath();
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X server: run bench/bench_playback.sh or under xvfb-run\n");
        return 1;
    }
    const QString mpv = QStandardPaths::findExecutable("mpv");
    if (mpv.isEmpty()) {
        std::fprintf(stderr, "no mpv command-line player (bench/bench_playback.sh installs it)\n");
        return 1;
    }
    if (!QFileInfo(player).isExecutable()) {
        std::fprintf(stderr, "no player binary at %s\n", qPrintable(player));
        return 1;
    }
    if (!makeClip(clip))
        return 1;
    const QString clipName = QFileInfo(clip).fileName();

    // Its status line at each frame, as the player's report line.
    const QStringList mpvArgs{mpv, "--no-config", "--vo=gpu", "--gpu-context=x11egl", "--ao=null", "--hwdec=no",
                              "--term-status-msg=vistrel-bench-played=${estimated-frame-number} "
                              "vistrel-bench-dropped=${frame-drop-count} "
                              "vistrel-bench-decoder-dropped=${decoder-frame-drop-count} ",
                              clip};
    // Warm-up, not measured: the first read of the clip pays for the disk, and the X server
    // hands mpv's pictures over far more cheaply (about 0.04 instead of 0.5 CPU-seconds per
    // second on Xvfb) once a Qt client has connected to it, so both players get that state.
    {
        QTemporaryDir config;
        measure({player, clip}, {"VISTREL_AO=null", "XDG_CONFIG_HOME=" + config.path()}, false, 2.0);
        measure({mpv, "--no-config", "--vo=gpu", "--gpu-context=x11egl", "--ao=null", "--hwdec=no",
                 "--length=1", clip}, {}, false);
    }

    // The player four ways, the playlist hidden: the static bar below the picture; the floating
    // bar hidden (no pointer movement); shown over the picture the whole time; coming and going
    // with a fade each way, as the pointer moves and rests.
    struct Form { const char *name; const char *settings; int pointer; };
    const Form forms[] = {
        {"static", R"({"Hide Playlist": true})", 0},
        {"hidden", R"({"Hide Playlist": true, "Overlay Controls In Window Mode": true})", 0},
        {"shown", R"({"Hide Playlist": true, "Overlay Controls In Window Mode": true, "Control Interval": 1000000})", 1},
        {"fading", R"({"Hide Playlist": true, "Overlay Controls In Window Mode": true, "Control Interval": 1})", 2}};
    constexpr int FormCount = int(std::size(forms));
    // Each form runs right after a run of mpv of its own, so each pair meets the same load on a
    // shared machine; the ratios are the medians of the pairs'.
    struct Figures
    {
        QList<double> cpu, x, whole, frameMs, frames;
        void add(const Run &r)
        {
            cpu.append(r.windowCpu);
            x.append(r.windowX);
            whole.append(r.cpu / ClipSeconds);
            frameMs.append(r.frameMs);
            frames.append(double(r.windowFrames));
        }
    };
    Figures theirs[FormCount], ours[FormCount];
    QList<double> perSecond[FormCount], perFrame[FormCount], wholeRun[FormCount];
    QSize mpvPicture, oursPicture[FormCount];
    bool sameSize = true;
    std::printf("clip %s (%.0f s, %dx%d, 30 fps, H.264), %d rounds; compared: %.1f-%.1f s after exec; the player's "
                "decoding: %s\n",
                qPrintable(clip), ClipSeconds, ClipSize.width(), ClipSize.height(), runs, WindowStart, WindowEnd,
                softwareDecoding ? "software" : "hardware where it works");
    std::printf("%-15s %3s %8s %8s %7s %8s %9s %7s %7s  %s\n", "", "run", "CPU s/s", "X s/s", "frames", "ms/frame",
                "whole s/s", "frames", "wall s", "picture window");
    const auto row = [](const QString &name, int i, const Run &r) {
        std::printf("%-15s %3d %8.3f %8.3f %7lld %8.2f %9.3f %7lld %7.2f  %s\n", qPrintable(name), i, r.windowCpu,
                    r.windowX, static_cast<long long>(r.windowFrames), r.frameMs, r.cpu / ClipSeconds,
                    static_cast<long long>(r.frames), r.wall, qPrintable(sizeText(r.picture)));
        std::fflush(stdout);
    };
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    for (int i = 0; i < runs; ++i) {
        for (int f = 0; f < FormCount; ++f) {
            const Run m = measure(mpvArgs, {}, false, 0,
                                  [&] { return pictureWindow(windowsOnScreen(), "mpv", clipName, false); });
            if (!m.ok)
                return 1;
            theirs[f].add(m);
            mpvPicture = m.picture;
            row("mpv", i + 1, m);

            QTemporaryDir config;
            QDir().mkpath(config.filePath("Vistrel"));
            QFile settings(config.filePath("Vistrel/settings.json"));
            QByteArray form(forms[f].settings);
            if (softwareDecoding)
                form.insert(1, "\"Do Not Use Hardware Decoding\": true, ");
            if (!settings.open(QIODevice::WriteOnly) || settings.write(form) < 0)
                return 1;
            settings.close();
            if (forms[f].pointer)
                QProcess::startDetached("sh", {"-c", pointerScript(forms[f].pointer == 2)});
            const Run o = measure({player, clip}, {"VISTREL_AO=null", "VISTREL_BENCH_REPORT=1",
                                                   "XDG_CONFIG_HOME=" + config.path()},
                                  true, 0, [&] { return pictureWindow(windowsOnScreen(), "vistrel", clipName, true); });
            if (!o.ok)
                return 1;
            ours[f].add(o);
            perSecond[f].append(ratio(o.windowCpu, m.windowCpu));
            perFrame[f].append(ratio(o.frameMs, m.frameMs));
            wholeRun[f].append(ratio(o.cpu, m.cpu));
            oursPicture[f] = o.picture;
            if (fittedPicture(ClipSize, o.picture) != fittedPicture(ClipSize, m.picture))
                sameSize = false;
            row(QString("vistrel ") + forms[f].name, i + 1, o);
        }
    }
    std::printf("pictures on screen: mpv %s", qPrintable(sizeText(fittedPicture(ClipSize, mpvPicture))));
    for (int f = 0; f < FormCount; ++f)
        std::printf(", vistrel %s %s", forms[f].name, qPrintable(sizeText(fittedPicture(ClipSize, oursPicture[f]))));
    std::printf(" - %s\n", sameSize ? "the same size" : "NOT the same size: the figures do not compare");
    // Per frame drawn is the figure to compare: on a busy machine either player drops frames
    // and then spends less per second; per second, the frames each drew are given beside it.
    double fewest = 1e9;
    for (int f = 0; f < FormCount; ++f) {
        const Figures &t = theirs[f], &o = ours[f];
        fewest = std::min({fewest, median(t.frames), median(o.frames)});
        std::printf("bar %-6s: CPU per frame drawn mpv %.2f ms, vistrel %.2f ms, ratio %.2f; per second playing mpv "
                    "%.3f (%.0f frames), vistrel %.3f (%.0f frames), ratio %.2f; whole run ratio %.2f; X server mpv "
                    "%.3f, vistrel %.3f\n",
                    forms[f].name, median(t.frameMs), median(o.frameMs), median(perFrame[f]), median(t.cpu),
                    median(t.frames), median(o.cpu), median(o.frames), median(perSecond[f]), median(wholeRun[f]),
                    median(t.x), median(o.x));
    }
    const double full = 30 * (WindowEnd - WindowStart);
    if (fewest < 0.95 * full)
        std::printf("a median of %.0f of %.0f frames drawn: the machine is busy, so compare per frame drawn\n", fewest,
                    full);
    return sameSize ? 0 : 2;
}
