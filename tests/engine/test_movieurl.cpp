// Web addresses: dead and silent servers give no movie in bounded time, and a movie served
// over HTTP loads through the load states while attached.
#include "TestSupport.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using namespace testsupport;

namespace {

// A listening socket on the loopback address (the kernel completes connections to it, so a
// server that never reads is just this).
struct Listener
{
    int fd = -1;
    quint16 port = 0;
    Listener()
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&addr), len) < 0 || ::listen(fd, 8) < 0
            || ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) < 0)
            return;
        port = ntohs(addr.sin_port);
    }
    ~Listener() { close(); }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

// Serves one file to every request on its own thread (the probe blocks the main thread).
// Range requests get the whole file; the demuxers cope.
class FileServer
{
public:
    explicit FileServer(QByteArray body) : m_body(std::move(body))
    {
        m_thread = std::thread([this] { serve(); });
    }
    ~FileServer()
    {
        m_stop = true;
        m_thread.join();
    }
    quint16 port() const { return m_listener.port; }

private:
    void serve()
    {
        for (int rounds = 0; !m_stop && rounds < 3000; ++rounds) {   // bounded: 30 s at most
            pollfd p{m_listener.fd, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            const int client = ::accept(m_listener.fd, nullptr, nullptr);
            if (client < 0)
                continue;
            QByteArray request;
            char buffer[4096];
            while (!request.contains("\r\n\r\n")) {
                pollfd c{client, POLLIN, 0};
                if (::poll(&c, 1, 2000) <= 0)
                    break;
                const ssize_t n = ::read(client, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                request.append(buffer, n);
            }
            QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: video/x-matroska\r\nContent-Length: "
                + QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n";
            if (!request.startsWith("HEAD"))
                reply += m_body;
            for (qsizetype sent = 0; sent < reply.size();) {
                const ssize_t n = ::send(client, reply.constData() + sent, reply.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += n;
            }
            ::close(client);
        }
    }

    QByteArray m_body;
    Listener m_listener;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace

class TestMovieURL : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        qputenv("VISTREL_VO", "null");
        qputenv("VISTREL_AO", "null");
        QVERIFY(m_dir.isValid());
    }

    void closedPortFailsAtOnce()
    {
        Listener closed;
        const quint16 port = closed.port;
        QVERIFY(port);
        closed.close();
        QElapsedTimer timer;
        timer.start();
        const QUrl url(QString("http://127.0.0.1:%1/clip.mp4").arg(port));
        QVERIFY(QXMovie::canInitWithURL(url));   // by its form
        QVERIFY(!QXMovie::movieWithURL(url));
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    }

    void silentServerTimesOut()
    {
        Listener silent;   // the kernel accepts; nobody ever answers
        QVERIFY(silent.port);
        const QUrl url(QString("http://127.0.0.1:%1/clip.mp4").arg(silent.port));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!QXProbeMovieURL(url, 800).canOpen);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        timer.restart();
        QVERIFY(!QXMovie::movieWithURL(url));
        QVERIFY2(timer.elapsed() < 6500, qPrintable(QString::number(timer.elapsed())));
    }

    void servedMovieLoadsWhenAttached()
    {
        const QString clip = makeVideo(m_dir.path(), "served.mkv", 160, 120, 2.0);
        QFile file(clip);
        QVERIFY(file.open(QIODevice::ReadOnly));
        FileServer server(file.readAll());
        const quint16 port = server.port();
        QVERIFY(port);

        std::unique_ptr<QXMovie> movie(
            QXMovie::movieWithURL(QUrl(QString("http://127.0.0.1:%1/served.mkv").arg(port))));
        QVERIFY(movie);
        QVERIFY(movie->hasVideo());
        QCOMPARE(movie->naturalSize(), QSizeF(160, 120));
        QVERIFY(qAbs(movie->duration().seconds() - 2.0) < 0.1);
        // Not playable until the player has it; a detached stream never loads.
        QCOMPARE(movie->loadState(), long(QXMovieLoadStateLoading));

        QSignalSpy any(QXMovieCenter::shared(), &QXMovieCenter::movieLoadStateDidChange);
        QXMovieView view;
        view.setMovie(movie.get());
        movie->play();
        QTRY_VERIFY_WITH_TIMEOUT(movie->loadState() >= QXMovieLoadStatePlayable, 5000);
        QVERIFY(any.count() >= 1);
        QCOMPARE(any.last().first().value<QXMovie *>(), movie.get());
        QTRY_VERIFY_WITH_TIMEOUT(movie->maxLoadedTime() > 1.0, 3000);

        int ended = 0;
        QVERIFY(movie->armStopCallback([&] { ++ended; }));
        QTRY_COMPARE_WITH_TIMEOUT(ended, 1, 5000);
        QCOMPARE(movie->loadState(), long(QXMovieLoadStateComplete));
        view.setMovie(nullptr);
    }
};

QTEST_MAIN(TestMovieURL)
#include "test_movieurl.moc"
