// What the user waits for, timed from outside the player: one row of the X server's root
// window is read through shared memory every 5 ms from an event (the program's exec, or a key
// press sent by XTest) until a movie's solid colour fills a stretch of it. The player and the
// mpv command-line player run in turn under the same X server and window manager, one at a
// time, so neither covers or slows the other; rounds alternate between them.
//
//   switch       a playlist of solid-colour movies of three sizes; Ctrl+Shift+Right/Left to
//                the player, '>'/'<' (mpv's own keys for the playlist's next and previous
//                entry) to mpv: both answer the same kind of key press with a new file
//   first-frame  exec → the first frame of a 1280×720 movie, warm; `--cold` drops the page
//                cache before each start (root only: it slows everyone on the machine)
//   launch-tree  200,000 files in 2,000 folders, 20,000 of them movies: find + stat of the
//                tree, then the player given the tree: exec → window shown and → first frame,
//                against the player given one movie of it
//
//   bash bench/bench_onscreen.sh switch|first-frame|launch-tree [--rounds N] [--cold]
//
// mpv runs as `mpv --no-config --vo=gpu --gpu-context=x11egl --ao=null --hwdec=no`, with
// --keep-open=yes for the playlist. The player runs with VISTREL_AO=null and a fresh HOME and
// settings folder each start.
#include "OnScreenPixels.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <ftw.h>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using onscreen::Rgb;

namespace {

constexpr int Tolerance = 48;
constexpr int MinRun = 32;            // pixels of the colour side by side on the row
constexpr int PollMicroseconds = 5000;
const char *const Cache = "/tmp/vistrel-bench-onscreen";

double now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void sleepMs(double ms)
{
    timespec ts{time_t(ms / 1000), long(std::fmod(ms, 1000.0) * 1e6)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

bool exists(const std::string &path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0;
}

// A program started with extra environment; its output goes to `log`.
pid_t spawn(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
            const std::string &log)
{
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string &kv : environment)
            putenv(strdup(kv.c_str()));
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
        }
        std::vector<char *> args;
        for (const std::string &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

// Runs a program to its end, quietly; its exit status, or -1.
int run(const std::vector<std::string> &argv)
{
    const pid_t pid = spawn(argv, {}, "/dev/null");
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// SIGTERM, then SIGKILL if it has not gone within five seconds.
void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        sleepMs(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::string hex(Rgb c)
{
    char s[16];
    snprintf(s, sizeof s, "0x%02X%02X%02X", c.r, c.g, c.b);
    return s;
}

// A solid-colour H.264 movie, made once into the cache. The player sorts what it is given by
// name, so `order` leads the name.
std::string makeMovie(Rgb colour, int width, int height, int seconds, int order = 0)
{
    char name[256];
    snprintf(name, sizeof name, "%s/%d-%s-%dx%d-%ds.mp4", Cache, order, hex(colour).c_str() + 2, width, height,
             seconds);
    if (exists(name))
        return name;
    const std::string partial = std::string(name) + ".part-" + std::to_string(getpid()) + ".mp4";
    char source[128];
    snprintf(source, sizeof source, "color=c=%s:s=%dx%d:r=30:d=%d", hex(colour).c_str(), width, height, seconds);
    if (run({"ffmpeg", "-y", "-loglevel", "error", "-f", "lavfi", "-i", source, "-c:v", "libx264",
             "-preset", "veryfast", "-g", "30", "-pix_fmt", "yuv420p", partial}) != 0
        || rename(partial.c_str(), name) != 0) {
        fprintf(stderr, "ffmpeg could not make %s\n", name);
        return {};
    }
    return name;
}

// The X server as the benchmark sees it: the top-level frames the window manager maps, one
// row of the screen read through shared memory, and keys pressed through XTest.
class XServer
{
public:
    bool open()
    {
        m_display = XOpenDisplay(nullptr);
        if (!m_display) {
            fprintf(stderr, "no X display (run it through bench/bench_onscreen.sh)\n");
            return false;
        }
        int event, error, major, minor;
        if (!XTestQueryExtension(m_display, &event, &error, &major, &minor)) {
            fprintf(stderr, "the X server has no XTest\n");
            return false;
        }
        m_root = DefaultRootWindow(m_display);
        m_width = DisplayWidth(m_display, DefaultScreen(m_display));
        m_height = DisplayHeight(m_display, DefaultScreen(m_display));
        XSelectInput(m_display, m_root, SubstructureNotifyMask);
        if (XShmQueryExtension(m_display)) {
            m_row = XShmCreateImage(m_display, DefaultVisual(m_display, DefaultScreen(m_display)),
                                    DefaultDepth(m_display, DefaultScreen(m_display)), ZPixmap, nullptr,
                                    &m_shm, m_width, 1);
            m_shm.shmid = shmget(IPC_PRIVATE, size_t(m_row->bytes_per_line), IPC_CREAT | 0600);
            m_shm.shmaddr = m_row->data = static_cast<char *>(shmat(m_shm.shmid, nullptr, 0));
            m_shm.readOnly = False;
            XShmAttach(m_display, &m_shm);
            XSync(m_display, False);
            shmctl(m_shm.shmid, IPC_RMID, nullptr);
        }
        if (!m_row || m_row->bits_per_pixel != 32) {
            fprintf(stderr, "the screen needs 24-bit colour in 32-bit pixels (MIT-SHM too)\n");
            return false;
        }
        return true;
    }
    ~XServer()
    {
        if (!m_display)
            return;
        if (m_row) {
            XShmDetach(m_display, &m_shm);
            XDestroyImage(m_row);
            shmdt(m_shm.shmaddr);
        }
        XCloseDisplay(m_display);
    }

    // Starts openbox and waits until it manages the screen.
    pid_t startWindowManager()
    {
        const pid_t pid = spawn({"openbox"}, {}, std::string(Cache) + "/openbox.log");
        const Atom check = XInternAtom(m_display, "_NET_SUPPORTING_WM_CHECK", False);
        for (int i = 0; i < 1000; ++i) {
            Atom type;
            int format;
            unsigned long items, after;
            unsigned char *data = nullptr;
            if (XGetWindowProperty(m_display, m_root, check, 0, 1, False, XA_WINDOW, &type, &format, &items,
                                   &after, &data) == Success && data) {
                XFree(data);
                if (items == 1) {
                    sleepMs(200);
                    pump();
                    return pid;
                }
            }
            sleepMs(10);
        }
        fprintf(stderr, "openbox did not start\n");
        stop(pid);
        return -1;
    }

    // Handles the frames' maps, moves and unmaps seen so far.
    void pump()
    {
        while (XPending(m_display)) {
            XEvent e;
            XNextEvent(m_display, &e);
            if (e.type == MapNotify && e.xmap.event == m_root && !e.xmap.override_redirect) {
                XWindowAttributes a;
                if (XGetWindowAttributes(m_display, e.xmap.window, &a))
                    m_frames[e.xmap.window] = {a.x, a.y, a.width, a.height};
            } else if (e.type == ConfigureNotify && e.xconfigure.event == m_root) {
                auto it = m_frames.find(e.xconfigure.window);
                if (it != m_frames.end())
                    it->second = {e.xconfigure.x, e.xconfigure.y, e.xconfigure.width, e.xconfigure.height};
            } else if (e.type == UnmapNotify && e.xunmap.event == m_root) {
                m_frames.erase(e.xunmap.window);
            } else if (e.type == DestroyNotify && e.xdestroywindow.event == m_root) {
                m_frames.erase(e.xdestroywindow.window);
            }
        }
    }
    std::set<Window> frames()
    {
        pump();
        std::set<Window> s;
        for (const auto &f : m_frames)
            s.insert(f.first);
        return s;
    }
    // The largest mapped frame not in `before` (a program's main window, not its tooltips).
    Window newFrame(const std::set<Window> &before)
    {
        pump();
        Window best = 0;
        int area = 160 * 120;
        for (const auto &[w, g] : m_frames)
            if (!before.count(w) && g.width * g.height >= area) {
                best = w;
                area = g.width * g.height;
            }
        return best;
    }
    // Waits until every frame not in `before` has gone (a program ended).
    void waitGone(const std::set<Window> &before)
    {
        for (int i = 0; i < 500 && newFrame(before); ++i)
            sleepMs(10);
    }

    // Whether the colour fills a stretch of the row through the middle of the frame.
    bool shows(Window frame, Rgb colour)
    {
        pump();
        const auto it = m_frames.find(frame);
        if (it == m_frames.end())
            return false;
        const int y = std::clamp(it->second.y + it->second.height / 2, 0, m_height - 1);
        if (!XShmGetImage(m_display, m_root, m_row, 0, y, AllPlanes))
            return false;
        const auto *pixels = reinterpret_cast<const uint32_t *>(m_row->data);
        return onscreen::longestRun(pixels, m_width, colour, Tolerance) >= MinRun;
    }
    std::string size(Window frame)
    {
        const auto it = m_frames.find(frame);
        return it == m_frames.end() ? "?" : std::to_string(it->second.width) + "x" + std::to_string(it->second.height);
    }

    // Gives the frame's client window the focus, as a click on it would.
    void activate(Window frame)
    {
        const Window client = findClient(frame);
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = client ? client : frame;
        e.xclient.message_type = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = 2;
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, m_root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XSync(m_display, False);
    }

    // Presses the key with its modifiers and lets go; returns the time of the press.
    double press(KeySym key, std::vector<KeySym> modifiers)
    {
        const KeyCode code = XKeysymToKeycode(m_display, key);
        if (XkbKeycodeToKeysym(m_display, code, 0, 0) != key && XkbKeycodeToKeysym(m_display, code, 0, 1) == key)
            modifiers.push_back(XK_Shift_L);
        for (KeySym m : modifiers)
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, m), True, CurrentTime);
        XSync(m_display, False);
        const double t = now();
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XFlush(m_display);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, *m), False, CurrentTime);
        XFlush(m_display);
        return t;
    }

private:
    struct Geometry
    {
        int x, y, width, height;
    };
    Window findClient(Window w)
    {
        const Atom state = XInternAtom(m_display, "WM_STATE", False);
        Atom type = None;
        int format;
        unsigned long items, after;
        unsigned char *data = nullptr;
        XGetWindowProperty(m_display, w, state, 0, 0, False, AnyPropertyType, &type, &format, &items, &after, &data);
        if (data)
            XFree(data);
        if (type != None)
            return w;
        Window root, parent, *children = nullptr;
        unsigned n = 0;
        Window found = 0;
        if (XQueryTree(m_display, w, &root, &parent, &children, &n)) {
            for (unsigned i = 0; i < n && !found; ++i)
                found = findClient(children[i]);
            if (children)
                XFree(children);
        }
        return found;
    }

    Display *m_display = nullptr;
    Window m_root = 0;
    int m_width = 0, m_height = 0;
    XImage *m_row = nullptr;
    XShmSegmentInfo m_shm{};
    std::map<Window, Geometry> m_frames;
};

struct Options
{
    std::string mode;
    std::string player = "build/vistrel";
    int rounds = 0;
    bool cold = false;
};

// How each program is started: the player with a fresh home and settings each time.
class Programs
{
public:
    explicit Programs(const Options &o) : m_player(o.player) {}
    ~Programs()
    {
        for (const std::string &home : m_homes)
            run({"rm", "-rf", home});
    }
    pid_t player(const std::vector<std::string> &files)
    {
        char home[] = "/tmp/vistrel-bench-home-XXXXXX";
        if (!mkdtemp(home))
            return -1;
        m_homes.push_back(home);
        std::vector<std::string> argv{m_player};
        argv.insert(argv.end(), files.begin(), files.end());
        return spawn(argv,
                     {std::string("HOME=") + home, std::string("XDG_CONFIG_HOME=") + home + "/config",
                      std::string("XDG_RUNTIME_DIR=") + home, "VISTREL_AO=null", "QT_QPA_PLATFORM=xcb"},
                     std::string(Cache) + "/player.log");
    }
    pid_t mpv(const std::vector<std::string> &files)
    {
        std::vector<std::string> argv{"mpv", "--no-config", "--vo=gpu", "--gpu-context=x11egl", "--ao=null",
                                      "--hwdec=no", "--keep-open=yes"};
        argv.insert(argv.end(), files.begin(), files.end());
        return spawn(argv, {}, std::string(Cache) + "/mpv.log");
    }
    pid_t start(bool isPlayer, const std::vector<std::string> &files)
    {
        return isPlayer ? player(files) : mpv(files);
    }

private:
    std::string m_player;
    std::vector<std::string> m_homes;
};

struct Launch
{
    double mapped = -1;   // seconds from exec to the main window's frame mapped
    double frame = -1;    // to the colour on screen
    double cpu = -1;      // CPU seconds of all its threads by then
    std::string size;     // the frame's size then
};

// utime + stime of a live process's threads, in seconds; the figure a busy machine inflates
// least.
double processCpu(pid_t pid)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    FILE *f = fopen(path, "r");
    if (!f)
        return -1;
    char line[1024] = {};
    const bool read = fgets(line, sizeof line, f) != nullptr;
    fclose(f);
    const char *fields = read ? strrchr(line, ')') : nullptr;
    unsigned long user = 0, system = 0;
    // After the name: state and 10 more fields, then utime and stime.
    if (!fields || sscanf(fields + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) != 2)
        return -1;
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

// Starts a program and follows its main window until `colour` shows or `timeout` passes;
// leaves it running in *pid.
Launch launch(XServer &screen, const std::function<pid_t()> &start, Rgb colour, double timeout, pid_t *pid)
{
    Launch l;
    const std::set<Window> before = screen.frames();
    const double t0 = now();
    *pid = start();
    Window frame = 0;
    while (now() - t0 < timeout) {
        if (!frame && (frame = screen.newFrame(before)))
            l.mapped = now() - t0;
        if (frame && screen.shows(frame, colour)) {
            l.frame = now() - t0;
            l.cpu = processCpu(*pid);
            l.size = screen.size(frame);
            return l;
        }
        if (waitpid(*pid, nullptr, WNOHANG) == *pid) {
            *pid = -1;
            return l;
        }
        usleep(PollMicroseconds);
    }
    return l;
}

void finish(XServer &screen, pid_t pid, const std::set<Window> &before)
{
    stop(pid);
    screen.waitGone(before);
    sleepMs(200);
}

void printFigure(const char *what, const onscreen::Summary &s, double limit)
{
    printf("%-44s median %7.1f ms  max %7.1f ms  over %.0f ms: %d of %d\n", what, s.median, s.max, limit,
           s.over, s.count);
}

// ---------------------------------------------------------------------------------------------

int benchSwitch(XServer &screen, const Options &o)
{
    const std::vector<Rgb> colours{{220, 40, 40},  {40, 200, 60},  {50, 70, 230},
                                   {230, 220, 40}, {220, 50, 210}, {40, 210, 220}};
    const int sizes[][2] = {{640, 360}, {960, 540}, {1280, 720}};
    std::vector<std::string> files;
    for (size_t i = 0; i < colours.size(); ++i) {
        files.push_back(makeMovie(colours[i], sizes[i % 3][0], sizes[i % 3][1], 30, int(i)));
        if (files.back().empty())
            return 1;
    }
    const int rounds = o.rounds > 0 ? o.rounds : 3;
    const int perBlock = 10;
    Programs programs(o);
    std::vector<double> times[2];
    int failures[2] = {0, 0}, oldAgain[2] = {0, 0};
    printf("switch: %zu movies of 640x360, 960x540 and 1280x720, %d rounds of %d switches each, "
           "player and mpv in turn\n", files.size(), rounds, perBlock);
    fflush(stdout);
    for (int round = 0; round < rounds; ++round) {
        for (int p = 0; p < 2; ++p) {
            const bool isPlayer = (p == 0) == (round % 2 == 0);
            const std::set<Window> before = screen.frames();
            pid_t pid = -1;
            const Launch l = launch(screen, [&] { return programs.start(isPlayer, files); }, colours[0], 30, &pid);
            if (l.frame < 0) {
                fprintf(stderr, "%s did not show the first movie\n", isPlayer ? "the player" : "mpv");
                finish(screen, pid, before);
                return 1;
            }
            const Window frame = screen.newFrame(before);
            screen.activate(frame);
            sleepMs(700);   // past the start's own work
            int at = 0, step = 1;
            for (int i = 0; i < perBlock; ++i) {
                if (at + step < 0 || at + step >= int(files.size()))
                    step = -step;
                at += step;
                const Rgb old = colours[size_t(at - step)];
                const double t0 = isPlayer ? screen.press(step > 0 ? XK_Right : XK_Left, {XK_Control_L, XK_Shift_L})
                                           : screen.press(step > 0 ? XK_greater : XK_less, {});
                double took = -1;
                while (now() - t0 < 5) {
                    if (screen.shows(frame, colours[size_t(at)])) {
                        took = (now() - t0) * 1000;
                        break;
                    }
                    usleep(PollMicroseconds);
                }
                if (took < 0) {
                    ++failures[isPlayer ? 0 : 1];
                    fprintf(stderr, "%s: no %s on screen 5 s after the key\n", isPlayer ? "player" : "mpv",
                            hex(colours[size_t(at)]).c_str());
                    break;
                }
                times[isPlayer ? 0 : 1].push_back(took);
                // The wait before the next key (not in step with either program's frame clock)
                // watches that the old movie does not come back once the new one has shown.
                const double until = now() + (300 + (i * 53) % 200) / 1000.0;
                bool cameBack = false;
                while (now() < until) {
                    cameBack = cameBack || screen.shows(frame, old);
                    usleep(PollMicroseconds);
                }
                oldAgain[isPlayer ? 0 : 1] += cameBack;
            }
            finish(screen, pid, before);
        }
    }
    const onscreen::Summary player = onscreen::summarize(times[0], 100);
    const onscreen::Summary mpv = onscreen::summarize(times[1], 100);
    printFigure("switch, key → new picture, player:", player, 100);
    printFigure("switch, key → new picture, mpv:", mpv, 100);
    printf("switch: old movie back on screen after the new one: player %d, mpv %d\n", oldAgain[0], oldAgain[1]);
    if (failures[0] || failures[1])
        printf("switch: switches that never showed: player %d, mpv %d\n", failures[0], failures[1]);
    printf("switch ratio player/mpv (medians): %.2f\n", mpv.median > 0 ? player.median / mpv.median : 0.0);
    return failures[0] || failures[1] ? 1 : 0;
}

bool dropCaches()
{
    sync();
    FILE *f = fopen("/proc/sys/vm/drop_caches", "w");
    if (!f)
        return false;
    const bool ok = fputs("3\n", f) >= 0;
    return fclose(f) == 0 && ok;
}

int benchFirstFrame(XServer &screen, const Options &o)
{
    if (o.cold && geteuid() != 0) {
        fprintf(stderr, "--cold drops the page cache and needs root\n");
        return 1;
    }
    const Rgb colour{40, 200, 60};
    const std::string movie = makeMovie(colour, 1280, 720, 10);
    if (movie.empty())
        return 1;
    const int rounds = o.rounds > 0 ? o.rounds : 10;
    Programs programs(o);
    std::vector<double> frames[2], mapped[2], cpu[2];
    std::string sizes[2];
    printf("first-frame (%s): exec → a 1280x720 movie's first frame on screen, %d rounds, player and mpv in turn\n",
           o.cold ? "cold, page cache dropped before each start" : "warm", rounds);
    fflush(stdout);
    for (int round = -1; round < rounds; ++round) {   // round -1 warms the caches, untimed
        for (int p = 0; p < 2; ++p) {
            const bool isPlayer = (p == 0) == (round % 2 == 0);
            if (o.cold && round >= 0 && !dropCaches()) {
                fprintf(stderr, "could not drop the page cache\n");
                return 1;
            }
            const std::set<Window> before = screen.frames();
            pid_t pid = -1;
            const Launch l = launch(screen, [&] { return programs.start(isPlayer, {movie}); }, colour, 30, &pid);
            finish(screen, pid, before);
            if (l.frame < 0) {
                fprintf(stderr, "%s did not show the movie\n", isPlayer ? "the player" : "mpv");
                return 1;
            }
            if (round >= 0) {
                frames[isPlayer ? 0 : 1].push_back(l.frame * 1000);
                mapped[isPlayer ? 0 : 1].push_back(l.mapped * 1000);
                cpu[isPlayer ? 0 : 1].push_back(l.cpu * 1000);
                sizes[isPlayer ? 0 : 1] = l.size;
            }
        }
    }
    const char *kind = o.cold ? "cold" : "warm";
    const onscreen::Summary player = onscreen::summarize(frames[0], 100);
    const onscreen::Summary mpv = onscreen::summarize(frames[1], 100);
    const char *const names[2] = {"player:", "mpv:   "};
    for (int i : {0, 1}) {
        const onscreen::Summary f = onscreen::summarize(frames[i], 100);
        printf("first frame %s, %s median %7.1f ms  max %7.1f ms  (window mapped %5.1f ms, CPU %5.1f ms, frame %s)\n",
               kind, names[i], f.median, f.max, onscreen::summarize(mapped[i], 0).median,
               onscreen::summarize(cpu[i], 0).median, sizes[i].c_str());
    }
    printf("first frame %s ratio player/mpv (medians): %.2f\n", kind, mpv.median > 0 ? player.median / mpv.median : 0.0);
    return 0;
}

// ---------------------------------------------------------------------------------------------

constexpr int TopFolders = 40, SubFolders = 50, FilesPerFolder = 100, MoviesPerFolder = 10;

// Names of the kinds people keep: words, numbers of several widths, mixed case.
std::string name(unsigned &seed, int index)
{
    static const char *const words[] = {"holiday", "Beach", "clip", "Birthday", "trip", "IMG", "Garden",
                                        "concert", "Snow", "family", "video", "Take", "rehearsal", "Party"};
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    std::string s = words[next() % 14];
    s += next() % 2 ? " " : "_";
    s += words[next() % 14];
    s += " " + std::to_string(next() % (next() % 2 ? 100 : 10000)) + "-" + std::to_string(index);
    return s;
}

// Builds the tree once (hard links of a tiny movie and a small text file, a pair of them per
// top folder to stay under the file system's links per file, so it costs directory entries,
// not disk); returns its root. It is built aside and renamed into place, so a run beside
// this one never sees half of it.
std::string makeTree(const std::string &movie)
{
    const std::string root = std::string(Cache) + "/tree-200k";
    if (exists(root + "/.complete"))
        return root;
    printf("launch-tree: making %d files in %d folders under %s (once)\n", TopFolders * SubFolders * FilesPerFolder,
           TopFolders * SubFolders, root.c_str());
    fflush(stdout);
    const std::string partial = root + ".part-" + std::to_string(getpid());
    const std::string sources = partial + "-sources";
    mkdir(sources.c_str(), 0755);
    const auto fail = [&] {
        run({"rm", "-rf", partial, sources});
        return std::string();
    };
    // Kinds the name settles, as most of a real folder is.
    static const char *const others[] = {".txt", ".jpg", ".log", ".json", ".png", ".pdf"};
    unsigned seed = 7;
    mkdir(partial.c_str(), 0755);
    for (int t = 0; t < TopFolders; ++t) {
        const std::string top = partial + "/" + name(seed, t);
        mkdir(top.c_str(), 0755);
        const std::string movieSource = sources + "/" + std::to_string(t) + ".mp4";
        const std::string text = sources + "/" + std::to_string(t) + ".txt";
        if (FILE *f = fopen(text.c_str(), "w")) {
            fputs("not a movie\n", f);
            fclose(f);
        }
        if (run({"cp", movie, movieSource}) != 0)
            return fail();
        for (int s = 0; s < SubFolders; ++s) {
            const std::string sub = top + "/" + name(seed, s);
            mkdir(sub.c_str(), 0755);
            for (int f = 0; f < FilesPerFolder; ++f) {
                const bool isMovie = f % (FilesPerFolder / MoviesPerFolder) == 0;
                const std::string path = sub + "/" + name(seed, f) + (isMovie ? ".mp4" : others[f % 6]);
                if (link(isMovie ? movieSource.c_str() : text.c_str(), path.c_str()) != 0) {
                    fprintf(stderr, "could not link %s: %s\n", path.c_str(), strerror(errno));
                    return fail();
                }
            }
        }
    }
    close(::open((partial + "/.complete").c_str(), O_WRONLY | O_CREAT, 0644));
    run({"rm", "-rf", sources});   // the links keep the files
    if (exists(root + "/.complete"))
        return fail(), root;       // another run's came first
    run({"rm", "-rf", root});      // an older, unfinished one
    if (rename(partial.c_str(), root.c_str()) != 0)
        return fail();
    return root;
}

// One movie of the tree, for the single-file start.
std::string firstMovie(const std::string &root)
{
    static std::string found;
    found.clear();
    nftw(root.c_str(), [](const char *path, const struct stat *, int type, FTW *) {
        const size_t n = strlen(path);
        if (type == FTW_F && n > 4 && strcmp(path + n - 4, ".mp4") == 0) {
            found = path;
            return 1;
        }
        return 0;
    }, 32, FTW_PHYS);
    return found;
}

// Wall and CPU seconds of a program run to its end.
std::pair<double, double> timedRun(const std::vector<std::string> &argv)
{
    const double t0 = now();
    const pid_t pid = spawn(argv, {}, "/dev/null");
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {-1, -1};
    const double wall = now() - t0;
    return {wall, double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                      + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6};
}

int benchLaunchTree(XServer &screen, const Options &o)
{
    const Rgb colour{230, 120, 30};
    const std::string movie = makeMovie(colour, 320, 240, 1);
    const std::string tree = movie.empty() ? std::string() : makeTree(movie);
    const std::string one = tree.empty() ? std::string() : firstMovie(tree);
    if (one.empty())
        return 1;
    const int rounds = o.rounds > 0 ? o.rounds : 5;
    Programs programs(o);
    // Wall and CPU milliseconds: find, the window shown, the first frame with the tree and
    // with the one movie.
    std::vector<double> wall[4], cpu[4];
    // `find -printf %s` stats every entry, as the player must to know files from folders.
    const std::vector<std::string> find{"find", tree, "-printf", "%s\\n"};
    printf("launch-tree: %s, %d rounds of find, the player with the tree, the player with one movie\n",
           tree.c_str(), rounds);
    fflush(stdout);
    timedRun(find);   // warms the directory cache
    for (int round = -1; round < rounds; ++round) {
        const auto [findWall, findCpu] = timedRun(find);
        if (findWall < 0) {
            fprintf(stderr, "find failed\n");
            return 1;
        }
        Launch l[2];
        for (int i : {0, 1}) {
            const std::set<Window> before = screen.frames();
            pid_t pid = -1;
            l[i] = launch(screen, [&] { return programs.player({i == 0 ? tree : one}); }, colour, 60, &pid);
            finish(screen, pid, before);
            if (l[i].frame < 0) {
                fprintf(stderr, "the player did not show the movie (%s)\n", i == 0 ? "tree" : "one movie");
                return 1;
            }
        }
        if (round < 0)
            continue;
        const double walls[4] = {findWall, l[0].mapped, l[0].frame, l[1].frame};
        const double cpus[4] = {findCpu, -1, l[0].cpu, l[1].cpu};
        for (int i = 0; i < 4; ++i) {
            wall[i].push_back(walls[i] * 1000);
            cpu[i].push_back(cpus[i] * 1000);
        }
    }
    double a, b, c, d, cpuA, cpuC, cpuD;
    {
        auto median = [](const std::vector<double> &v) { return onscreen::summarize(v, 0).median; };
        a = median(wall[0]), b = median(wall[1]), c = median(wall[2]), d = median(wall[3]);
        cpuA = median(cpu[0]), cpuC = median(cpu[2]), cpuD = median(cpu[3]);
    }
    printf("launch-tree (a) find + stat of the tree:             %7.1f ms  (CPU %6.1f ms)\n", a, cpuA);
    printf("launch-tree (b) exec → window shown, tree:           %7.1f ms  (goal ≤ 300 ms)\n", b);
    printf("launch-tree (c) exec → first frame, tree:            %7.1f ms  (CPU %6.1f ms)\n", c, cpuC);
    printf("launch-tree (d) exec → first frame, one movie:       %7.1f ms  (CPU %6.1f ms)\n", d, cpuD);
    printf("launch-tree over one file (c)-(d):                   %7.1f ms  (goal < 600 ms; CPU %6.1f ms)\n", c - d,
           cpuC - cpuD);
    printf("launch-tree ratio over one file/find ((c)-(d))/(a):   %6.2f  (goal ≤ 1.5)\n", a > 0 ? (c - d) / a : 0.0);
    printf("launch-tree ratio (c)/(a):                            %6.2f\n", a > 0 ? c / a : 0.0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc)
            o.rounds = std::max(1, atoi(argv[++i]));
        else if (a == "--player" && i + 1 < argc)
            o.player = argv[++i];
        else if (a == "--cold")
            o.cold = true;
        else if (a == "switch" || a == "first-frame" || a == "launch-tree")
            o.mode = a;
        else {
            fprintf(stderr, "usage: bench_onscreen switch|first-frame|launch-tree [--rounds N] [--cold] [--player path]\n");
            return 2;
        }
    }
    if (o.mode.empty()) {
        fprintf(stderr, "usage: bench_onscreen switch|first-frame|launch-tree [--rounds N] [--cold] [--player path]\n");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    mkdir(Cache, 0755);
    XServer screen;
    if (!screen.open())
        return 1;
    const pid_t wm = screen.startWindowManager();
    if (wm < 0)
        return 1;
    int result = 1;
    if (o.mode == "switch")
        result = benchSwitch(screen, o);
    else if (o.mode == "first-frame")
        result = benchFirstFrame(screen, o);
    else
        result = benchLaunchTree(screen, o);
    stop(wm);
    return result;
}
