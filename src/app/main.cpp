// vistrel: the movie player's entry point. Parses the arguments, hands them to a running
// player when there is one, otherwise launches the controller.
#include "app/QXApplication.h"
#include "app/QXLaunchArguments.h"
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "app/QXSingleInstance.h"
#include "app/QXTranslations.h"
#include "engine/QXFileNames.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "util/QXMovieCollection.h"

#include <QApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

static int signalPipe[2] = {-1, -1};

static void onSignal(int)
{
    // A folder walk sees this flag on its next entry and stops.
    QXRequestWalkCancel();
    const char c = 1;
    [[maybe_unused]] ssize_t n = write(signalPipe[1], &c, 1);
}

// SIGTERM, SIGINT and SIGHUP quit through the same steps as the Quit command.
static void installSignalHandlers(QXMPController *controller, QXSingleInstance *instance)
{
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, controller);
    QObject::connect(notifier, &QSocketNotifier::activated, controller, [controller, notifier, instance] {
        char c;
        [[maybe_unused]] ssize_t n = read(signalPipe[0], &c, 1);
        notifier->setEnabled(false);
        // A walk under way has stopped or ends with the player; what launches already handed
        // over is still opened.
        QXRequestWalkCancel(false);
        // Launches already acknowledged reach the playlist before it is stored (the quit is
        // queued behind the files they open); later ones wait and become the next player.
        instance->stopServing();
        QMetaObject::invokeMethod(controller, [controller] { controller->terminate(); }, Qt::QueuedConnection);
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

// Everything a launch names is opened at once, so the first of it in the playlist plays.
static void deliver(QXMPController *c, const QXLaunchArguments &a)
{
    QList<QUrl> urls;
    for (const QString &file : a.files)
        urls.append(QXFileNames::fileURL(file));
    for (const QString &own : a.ownAddresses) {
        const QUrl url = QXURLHandlerAddress(own);
        if (url.isEmpty()) // beeps and shows the window, as the command does
            QMetaObject::invokeMethod(c, [c, own] { c->handleURLCommand(own); }, Qt::QueuedConnection);
        else
            urls.append(url);
    }
    for (const QString &web : a.webAddresses)
        urls.append(QUrl(web));
    if (!urls.isEmpty())
        c->applicationOpenURLs(urls);
}

// A launch that names one movie file hands it to the player before the window is made: the
// player opens and decodes it meanwhile, and the movie the launch then chooses takes it over.
static void loadAhead(const QXLaunchArguments &a)
{
    if (a.files.size() != 1 || !a.ownAddresses.isEmpty() || !a.webAddresses.isEmpty()
        || !QXMovie::canInitWithFile(a.files.first()))
        return;
    if (QXMovieEngine *engine = QXMovieEngine::shared())
        engine->loadAhead(QXFileNames::fileURL(a.files.first()));
}

int main(int argc, char *argv[])
{
    // Names are bytes: those that are not UTF-8 are kept as they are, not replaced.
    QStringList rawArgs;
    for (int i = 1; i < argc; ++i)
        rawArgs.append(QXFileNames::decode(QByteArray(argv[i])));
    const QXLaunchArguments args =
        QXParseLaunchArguments(rawArgs, QDir::cleanPath(QXFileNames::absolutePath(QStringLiteral("."))));
    if (args.help) {
        QCoreApplication helpApp(argc, argv);
        QXTranslations::install();
        fputs(qPrintable(QXUsageText()), stdout);
        return 0;
    }
    if (args.version) {
        printf("%s\n", VISTREL_VERSION);
        return 0;
    }
    if (!args.error.isEmpty()) {
        fprintf(stderr, "vistrel: unknown option %s\n\n%s", qPrintable(args.error), qPrintable(QXUsageText()));
        return 2;
    }

    // Before any window: a launch that finds a player running only hands its message over.
    QXSingleInstance instance;
    QString problem;
    const QXSingleInstance::Role role = instance.claim(args.toMessage(), &problem);
    if (role == QXSingleInstance::Role::HandedOver)
        return 0;
    if (role == QXSingleInstance::Role::Refused) {
        fprintf(stderr, "vistrel: %s\n", qPrintable(problem));
        return 1;
    }
    if (role == QXSingleInstance::Role::Alone)
        fprintf(stderr, "vistrel: %s; later launches start players of their own\n", qPrintable(problem));

    // Where both are there, the X11 side of a Wayland desktop: the floating control bar is a
    // window that must sit on the picture, which only X lets a program place. A choice made
    // with QT_QPA_PLATFORM stands; a Wayland-only session gets Wayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")
        && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QXApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vistrel"));
    QApplication::setApplicationVersion(QStringLiteral(VISTREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vistrel"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Before any widget takes its texts.
    QXTranslations::install();
    // QApplication resets the locale; the engine needs C numbers.
    setlocale(LC_NUMERIC, "C");
    // Before the player is made, which a file opened ahead makes.
    QXMovieEngine::setHardwareDecoding(!QXSettings::standard().boolForKey(QXKeys::DoNotUseHardwareDecoding));
    loadAhead(args);

    QXMPController controller;
    installSignalHandlers(&controller, &instance);
    QObject::connect(&instance, &QXSingleInstance::messageReceived, &controller, [&controller](const QByteArray &m) {
        const QXLaunchArguments a = QXLaunchArguments::fromMessage(m);
        if (a.isEmpty())
            controller.applicationShouldHandleReopen(true);
        else
            deliver(&controller, a);
    });
    // Serving starts before the launch steps, which may take a while; what arrives meanwhile
    // is acknowledged at once and opened when the event loop runs.
    if (role == QXSingleInstance::Role::Serve && !instance.serve(&problem))
        fprintf(stderr, "vistrel: %s; later launches start players of their own\n", qPrintable(problem));
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &instance, &QXSingleInstance::stopServing);
    deliver(&controller, args);
    // Queued behind the launch's opening: a file opened ahead that it did not take is closed.
    QMetaObject::invokeMethod(&controller, [] {
        if (QXMovieEngine *engine = QXMovieEngine::existing())
            engine->dropLoadAhead();
    }, Qt::QueuedConnection);
    controller.applicationDidFinishLaunching();
    if (!controller.hasLaunched()) {
        instance.stopServing();
        return 1;
    }
    return app.exec();
}
