// How fast the player window answers a key press while web addresses that never answer are
// being probed. Five addresses of servers that accept the connection and then stay silent are
// opened one after another, as from a command line; then, for six seconds, a key press is posted
// to the window every 10 ms and the time until the window receives it is recorded.
//   xvfb-run -a build/bench/bench_responsiveness [addresses]
#include "BenchPlayer.h"
#include "player/QXPlayerWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Stamps the key presses the window receives.
class KeyClock : public QObject
{
public:
    QElapsedTimer clock;
    std::vector<qint64> posted, received;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_F35)
            received.push_back(clock.nsecsElapsed());
        return false;
    }
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("VISTREL_AO", "null");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    BenchScratch scratch;

    // Listening sockets that are never served: the kernel completes each connection, and the
    // request then waits for an answer that never comes.
    std::vector<std::unique_ptr<QTcpServer>> silent;
    QList<QUrl> addresses;
    for (int i = 0; i < count; ++i) {
        silent.push_back(std::make_unique<QTcpServer>());
        silent.back()->setMaxPendingConnections(0);
        if (!silent.back()->listen(QHostAddress::LocalHost))
            return 1;
        silent.back()->pauseAccepting();
        addresses << QUrl(QString("http://127.0.0.1:%1/movie%2.mp4").arg(silent.back()->serverPort()).arg(i));
    }

    QXMPController c;
    c.applicationDidFinishLaunching();
    KeyClock keys;
    c.ui().playerWindow->installEventFilter(&keys);
    keys.clock.start();

    QElapsedTimer opening;
    opening.start();
    for (const QUrl &u : std::as_const(addresses))
        c.openURLs({u});
    const double openMs = opening.nsecsElapsed() / 1e6;

    QTimer poster;
    poster.setInterval(10);
    QObject::connect(&poster, &QTimer::timeout, [&] {
        keys.posted.push_back(keys.clock.nsecsElapsed());
        QCoreApplication::postEvent(c.ui().playerWindow, new QKeyEvent(QEvent::KeyPress, Qt::Key_F35, Qt::NoModifier));
    });
    poster.start();
    QTimer::singleShot(6000, &app, &QCoreApplication::quit);
    app.exec();

    std::vector<double> delays;
    for (size_t i = 0; i < std::min(keys.posted.size(), keys.received.size()); ++i)
        delays.push_back((keys.received[i] - keys.posted[i]) / 1e6);
    printf("opening %d silent addresses: %.1f ms in all\n", count, openMs);
    printf("key presses answered: %zu of %zu; delay median %.2f ms, p99 %.2f ms, max %.2f ms\n",
           keys.received.size(), keys.posted.size(), percentile(delays, 0.5), percentile(delays, 0.99),
           percentile(delays, 1.0));
    printf("current entry: %s\n", qPrintable(c.selectionMessage().replace('\n', ' ')));
    return 0;
}
