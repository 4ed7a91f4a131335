// Playback cost: CPU-seconds per second of playback of a 10 s 1280×720 30 fps H.264 clip with
// software decoding, for the player binary and, side by side under the same X server, for the
// mpv command-line player. Both are separate processes; their CPU time covers all their
// threads from start to exit. The X server's own CPU time is shown next to each, since a
// picture handed over less directly costs there.
//
//   bench/bench_playback.sh [--runs N]            (starts the X server, installs mpv if missing)
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/bench_playback [--runs N]
//            [--player build/vistrel] [--clip movie]
//
// mpv runs as `mpv --no-config --vo=gpu --gpu-context=x11egl --ao=null --hwdec=no clip` and
// leaves at the end by itself. The player runs with VISTREL_AO=null and fresh settings; it
// stays on the last frame, so it is sent SIGTERM once its CPU use has fallen to idle after
// the clip's length.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double ClipSeconds = 10.0;
const char *const DefaultClip = "/tmp/vistrel-bench-720p30-10s.mp4";

double now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// utime + stime of a live process, in seconds; negative when it cannot be read.
double processCpu(pid_t pid)
{
    QFile f(QString("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = f.readAll();
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    // Fields 14 and 15 of the whole line; the list starts at field 3.
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
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
        QFile f(QString("/proc/%1/cmdline").arg(pid));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> args = f.readAll().split('\0');
        const QByteArray name = QFileInfo(QString::fromLocal8Bit(args.value(0))).fileName().toLocal8Bit();
        if ((name == "Xvfb" || name == "Xorg" || name == "X") && args.contains(display))
            return pid;
    }
    return -1;
}

struct Run
{
    double cpu = 0;         // the process, all threads, start to exit
    double xCpu = -1;       // the X server meanwhile
    double wall = 0;        // start to exit
    double settledAt = 0;   // when the player had gone idle (player only)
    QByteArray output;      // what the process wrote (mpv's status line)
    bool ok = false;
};

// Starts argv with extra environment; when stopWhenIdle, sends SIGTERM once the clip's length
// has passed and the process has used less than 5% of a core over the last half second. With
// stopAfter, sends SIGTERM after that many seconds instead.
Run measure(const QStringList &argv, const QStringList &environment, bool stopWhenIdle,
            double stopAfter = 0)
{
    Run r;
    char outputTemplate[] = "/tmp/vistrel-bench-playback-XXXXXX";
    const int outputFd = mkstemp(outputTemplate);
    if (outputFd < 0)
        return r;
    unlink(outputTemplate);

    const pid_t x = xServerPid();
    const double xStart = x > 0 ? processCpu(x) : -1;
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
    bool terminated = false;
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        usleep(50000);
        const double t = now() - start;
        if (stopAfter > 0 && t > stopAfter && !terminated) {
            kill(pid, SIGTERM);
            terminated = true;
        }
        if (!stopWhenIdle || terminated)
            continue;
        const double cpu = processCpu(pid);
        if (cpu >= 0)
            samples.append({t, cpu});
        // Idle: the last half second's CPU against the sample half a second before.
        const auto older = std::find_if(samples.rbegin(), samples.rend(),
                                        [t](const Sample &s) { return s.t <= t - 0.5; });
        const bool idle = older != samples.rend() && cpu >= 0
                          && (cpu - older->cpu) / (t - older->t) < 0.05;
        if ((t > ClipSeconds && idle) || t > ClipSeconds * 3) {
            r.settledAt = t;
            kill(pid, SIGTERM);
            terminated = true;
        }
    }
    r.wall = now() - start;
    r.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec
            + usage.ru_stime.tv_usec / 1e6;
    if (xStart >= 0)
        r.xCpu = processCpu(x) - xStart;
    lseek(outputFd, 0, SEEK_SET);
    char buf[65536];
    ssize_t n;
    while ((n = read(outputFd, buf, sizeof buf)) > 0)
        r.output.append(buf, int(n));
    close(outputFd);
    r.ok = WIFEXITED(status) && (WEXITSTATUS(status) == 0 || terminated)
           && !(stopWhenIdle && r.settledAt > ClipSeconds * 3);
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
                       QString("testsrc2=size=1280x720:rate=30:duration=%1").arg(ClipSeconds),
                       "-c:v", "libx264", "-pix_fmt", "yuv420p", partial});
    if (!p.waitForFinished(300000) || p.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", p.readAllStandardError().constData());
        return false;
    }
    return QFile::rename(partial, path);
}

double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v.at(v.size() / 2) : (v.at(v.size() / 2 - 1) + v.at(v.size() / 2)) / 2;
}

// The last "dropped N" of mpv's status line.
int mpvDroppedFrames(const QByteArray &output)
{
    const int at = output.lastIndexOf("vistrel-bench-dropped=");
    if (at < 0)
        return -1;
    return output.mid(at + 22, 12).split(' ').value(0).trimmed().toInt();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int runs = 3;
    QString player = QDir(QCoreApplication::applicationDirPath()).filePath("../vistrel");
    QString clip = QString::fromLatin1(DefaultClip);
    const QStringList a = app.arguments();
    for (int i = 1; i + 1 < a.size(); i += 2) {
        if (a.at(i) == "--runs")
            runs = std::max(1, a.at(i + 1).toInt());
        else if (a.at(i) == "--player")
            player = a.at(i + 1);
        else if (a.at(i) == "--clip")
            clip = a.at(i + 1);
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

    const QStringList mpvArgs{mpv, "--no-config", "--vo=gpu", "--gpu-context=x11egl", "--ao=null",
                              "--hwdec=no", "--term-status-msg=vistrel-bench-dropped=${frame-drop-count} ",
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

    // The player three ways: the static bar below the picture; the floating bar hidden (no
    // pointer movement); the floating bar shown over the picture the whole time.
    struct Form { const char *name; const char *settings; bool movePointer; };
    const Form forms[] = {{"static", "{}", false},
                          {"hidden", R"({"Overlay Controls In Window Mode": true})", false},
                          {"shown", R"({"Overlay Controls In Window Mode": true, "Control Interval": 1000000})", true}};
    QList<double> mpvCpu, mpvX, oursCpu[3], oursX[3];
    std::printf("clip %s (%.0f s, 1280x720, 30 fps, H.264), %d runs each\n", qPrintable(clip), ClipSeconds, runs);
    std::printf("%-16s %4s %10s %10s %10s %8s\n", "", "run", "CPU s/s", "X CPU s/s", "wall s", "dropped");
    for (int i = 0; i < runs; ++i) {
        const Run m = measure(mpvArgs, {}, false);
        if (!m.ok)
            return 1;
        mpvCpu.append(m.cpu / ClipSeconds);
        mpvX.append(m.xCpu / ClipSeconds);
        std::printf("%-16s %4d %10.3f %10.3f %10.2f %8d\n", "mpv", i + 1, m.cpu / ClipSeconds,
                    m.xCpu / ClipSeconds, m.wall, mpvDroppedFrames(m.output));
        for (int f = 0; f < 3; ++f) {
            QTemporaryDir config;
            QDir().mkpath(config.filePath("Vistrel"));
            QFile settings(config.filePath("Vistrel/settings.json"));
            if (!settings.open(QIODevice::WriteOnly) || settings.write(forms[f].settings) < 0)
                return 1;
            settings.close();
            if (forms[f].movePointer)
                // Once the window is up: a move over it brings the bar, which then stays.
                QProcess::startDetached("sh", {"-c", "sleep 1.5; xdotool mousemove 900 500; sleep 0.1; xdotool mousemove 910 510"});
            const Run o = measure({player, clip}, {"VISTREL_AO=null", "VISTREL_BENCH_REPORT=1",
                                                   "XDG_CONFIG_HOME=" + config.path()}, true);
            if (!o.ok)
                return 1;
            oursCpu[f].append(o.cpu / ClipSeconds);
            oursX[f].append(o.xCpu / ClipSeconds);
            std::printf("%-16s %4d %10.3f %10.3f %10.2f %8d\n", qPrintable(QString("vistrel ") + forms[f].name), i + 1,
                        o.cpu / ClipSeconds, o.xCpu / ClipSeconds, o.settledAt, mpvDroppedFrames(o.output));
            std::fflush(stdout);
        }
    }
    const double mc = median(mpvCpu);
    for (int f = 0; f < 3; ++f) {
        const double oc = median(oursCpu[f]);
        std::printf("median CPU-seconds per second, bar %-6s: mpv %.3f, vistrel %.3f, ratio %.2f; X server mpv %.3f, "
                    "vistrel %.3f\n", forms[f].name, mc, oc, mc > 0 ? oc / mc : 0.0, median(mpvX), median(oursX[f]));
    }
    return 0;
}
