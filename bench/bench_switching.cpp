// Switching movies: the time from choosing a playlist entry to its first drawn frame, against
// the mpv command-line player's `loadfile` over its IPC socket to its playback restart, on the
// same two 1280×720 clips under the same X server, interleaved.
//   new:  an entry never played before (a fresh name each time) / `loadfile clip replace`
//   back: the entry left half-played, chosen again / `loadfile clip replace start=<position>`
// mpv runs with the playback benchmark's options: --no-config --vo=gpu --gpu-context=x11egl
// --ao=null --hwdec=no, plus --idle --keep-open --force-window.
//   bash bench/bench_switching.sh [--rounds N]
#include "player/QXWindowSizer.h"
#include "BenchPlayer.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

namespace {

// Waits for events (not spinning: a busy wait would take a core from the players timed).
bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    QTimer tick;
    tick.start(2);
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct Stats
{
    std::vector<double> ms;
    double at(double p) const
    {
        if (ms.empty())
            return 0;
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s[std::min(s.size() - 1, size_t(p * double(s.size())))];
    }
};

class Mpv
{
public:
    bool start(const QString &socketPath)
    {
        m_process.start("mpv", {"--no-config", "--vo=gpu", "--gpu-context=x11egl", "--ao=null", "--hwdec=no",
                                "--idle=yes", "--keep-open=yes", "--force-window=yes", "--really-quiet",
                                "--input-ipc-server=" + socketPath});
        if (!m_process.waitForStarted())
            return false;
        return waitFor([&] {
            m_socket.connectToServer(socketPath);
            return m_socket.waitForConnected(50);
        }, 10000);
    }
    // Milliseconds from sending the command to the player's playback restart.
    double load(const QString &path, double start)
    {
        QJsonArray command{"loadfile", path, "replace"};
        if (start > 0)
            command.append(QString("start=%1").arg(start, 0, 'f', 3));
        QElapsedTimer t;
        t.start();
        m_socket.write(QJsonDocument(QJsonObject{{"command", command}}).toJson(QJsonDocument::Compact) + '\n');
        m_socket.flush();
        bool restarted = false;
        waitFor([&] {
            while (m_socket.canReadLine())
                if (QJsonDocument::fromJson(m_socket.readLine()).object().value("event") == "playback-restart")
                    restarted = true;
            if (!restarted)
                m_socket.waitForReadyRead(2);
            return restarted;
        }, 10000);
        const double ms = t.nsecsElapsed() / 1e6;
        // Paused while the other player is timed, so neither decodes behind the other's back.
        m_socket.write(R"({"command": ["set_property", "pause", true]})" "\n");
        m_socket.flush();
        return ms;
    }
    ~Mpv()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
    QLocalSocket m_socket;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("VISTREL_AO", "null");
    QApplication app(argc, argv);
    int rounds = 15;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--rounds")
            rounds = std::max(1, atoi(argv[i + 1]));
    BenchScratch scratch;

    QStringList clips;
    for (const char *name : {"a", "b"}) {
        const QString path = scratch.filePath(QString("%1.mp4").arg(name));
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                QString("testsrc2=size=1280x720:rate=30:duration=20%1").arg(name[0] == 'b' ? ",hue=h=90" : ""),
                                "-c:v", "libx264", "-preset", "veryfast", "-g", "60", "-pix_fmt", "yuv420p", path});
        if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
            return 1;
        clips << path;
    }

    Mpv mpv;
    if (!mpv.start(scratch.filePath("mpv.socket"))) {
        fprintf(stderr, "mpv did not start (is it installed?)\n");
        return 1;
    }

    QXMPController c;
    c.applicationDidFinishLaunching();
    c.windowSizer()->showPlayerWindow();
    // The player's own switch: from choosing to the drawing of the new file's first frame, which
    // is the last frame drawn before the player reports playback restarted on it (the player
    // waits for that frame to be drawn before it does).
    QElapsedTimer clock;
    clock.start();
    qint64 lastFrameAt = 0, firstFrameAt = 0;
    QObject::connect(c.ui().playerView, &QXMovieView::frameDrawn, [&] { lastFrameAt = clock.nsecsElapsed(); });
    QObject::connect(QXMovieEngine::shared(), &QXMovieEngine::playbackRestarted, [&] { firstFrameAt = lastFrameAt; });
    const auto choose = [&](const QUrl &url) {
        const qint64 start = clock.nsecsElapsed();
        firstFrameAt = 0;
        c.chooseMovie(url, false, true, false);
        waitFor([&] { return firstFrameAt > start; }, 10000);
        const double ms = (firstFrameAt - start) / 1e6;
        c.pause();
        return ms;
    };
    // Both entries half-played first.
    const QUrl a = QUrl::fromLocalFile(clips[0]), b = QUrl::fromLocalFile(clips[1]);
    for (const QUrl &u : {a, b}) {
        choose(u);
        c.playlist().current()->openedMovie()->setCurrentTime(QXTime::fromSeconds(8));
        waitFor([&] { return c.playlist().current()->openedMovie()->currentTime().seconds() > 8.5; }, 5000);
    }

    Stats oursNew, mpvNew, oursBack, mpvBack;
    for (int round = 0; round < rounds; ++round) {
        const QString fresh = scratch.filePath(QString("fresh%1.mp4").arg(round));
        QFile::link(clips[round % 2], fresh);
        mpvNew.ms.push_back(mpv.load(fresh, 0));
        oursNew.ms.push_back(choose(QUrl::fromLocalFile(fresh)));
        // Both resume at the same place: where the player left that entry.
        const QUrl back = round % 2 ? a : b;
        double resume = 8.0;
        for (const QXMovieRepresentationRef &r : std::as_const(c.playlist().entries()))
            if (r->URL() == back && r->openedMovie())
                resume = r->openedMovie()->currentTime().seconds();
        mpvBack.ms.push_back(mpv.load(back.toLocalFile(), resume));
        oursBack.ms.push_back(choose(back));
        waitFor([] { return false; }, 300);   // both settle into playing
    }
    const auto row = [](const char *what, const Stats &ours, const Stats &theirs) {
        printf("%-28s player median %6.1f ms p90 %6.1f | mpv median %6.1f ms p90 %6.1f | ratio %.2f\n", what,
               ours.at(0.5), ours.at(0.9), theirs.at(0.5), theirs.at(0.9), ours.at(0.5) / std::max(0.1, theirs.at(0.5)));
    };
    printf("%d rounds, 1280x720 H.264, software decoding\n", rounds);
    row("never played / loadfile", oursNew, mpvNew);
    row("back to half-played / start=", oursBack, mpvBack);
    return 0;
}
