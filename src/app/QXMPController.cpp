// The controller's core: launch, session switching, re-activation, files handed over,
// the own-scheme address command, closing the window and quitting.
#include "app/QXMPController.h"
#include "player/QXControlBar.h"

#include "app/QXApplication.h"
#include "app/QXLaunchArguments.h"
#include "app/QXPreferences.h"
#include "app/QXResumePositions.h"
#include "app/QXSessionWatcher.h"
#include "app/QXSettings.h"
#include "controls/QXImages.h"
#include "engine/QXFileNames.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"
#include "player/QXMenuValidation.h"
#include "player/QXTrackMenus.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowSizer.h"
#include "playlist/QXOnlineVideoDownloads.h"
#include "playlist/QXPlaylistModel.h"
#include "update/QXRWUpdateChecker.h"
#include "util/QXMovieCollector.h"
#include "util/QXPathInfo.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include "controls/QXSliders.h"
#include <QSystemTrayIcon>
#include "playlist/QXMovieTableView.h"
#include <QTimer>

#include <cstdlib>
#include <ctime>
#include <utility>


QXMPController::QXMPController()
{
    // Every way out (the Quit command, a signal, the end of the desktop session) saves alike.
    if (qApp)
        connect(qApp, &QCoreApplication::aboutToQuit, this, &QXMPController::runQuitSteps);
    connect(&m_playlist, &QXPlaylist::changed, this, &QXMPController::playlistChanged);
    wireOnlineVideoDownloads();
}

QXMPController::~QXMPController()
{
    if (auto *app = qobject_cast<QXApplication *>(qApp))
        app->watchPointerFor(nullptr, {});
    if (m_ui.playerView)
        m_ui.playerView->setMovie(nullptr);
    // The window's views go below, not the controller: it stops following the list first.
    disconnect(&m_playlist, nullptr, this, nullptr);
    m_playlist.clear();
    // While presenting, the movie view is in the presentation window, which goes with it.
    delete m_presentation;
    m_presentation = nullptr;
    delete m_ui.playerWindow;
}

QScreen *QXMPController::presentationScreen() const { return m_windowSizer->playerWindowScreen(); }
QSizeF QXMPController::pictureAreaSize() const { return m_windowSizer->playerAreaSize(); }
void QXMPController::showPlayerWindowAfterPresentation() { m_windowSizer->showPlayerWindow(); }

void QXMPController::beep()
{
    ++m_beepCount;
    QApplication::beep();
}

QXMovie *QXMPController::currentMovie() const
{
    return m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
}

bool QXMPController::isPlaying() const
{
    return m_ui.playerView->isPlaying();
}

void QXMPController::applicationDidFinishLaunching()
{
    QXSettings &settings = QXSettings::standard();

    // 1. The shuffle draws from random().
    srandom(unsigned(time(nullptr)));
    QXMovieEngine::setHardwareDecoding(!settings.boolForKey(QXKeys::DoNotUseHardwareDecoding));

    // 2. The player interface.
    if (!loadPlayerInterface(this)) {
        qCritical("cannot load <Player>");
        beep();
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return;
    }

    // 3.
    m_ui.playerHistoryNameField->setText(tr("Playlist"));

    // 4. Menu items act through the controls they mirror.
    setTargetControl(m_ui.playlistVisibilityMenuItem, m_controlBar->playlistVisibilitySwitch());
    setTargetControl(m_ui.clearPlaylistMenuItem, m_ui.playlistClearButton);
    setTargetControl(m_ui.forwardPlaylistMenuItem, m_ui.playlistForwardButton);
    setTargetControl(m_ui.backwardPlaylistMenuItem, m_ui.playlistBackwardButton);
    setTargetControl(m_ui.rotateMenuItem, m_controlBar->rotateButton());
    setTargetControl(m_ui.aspectRatioLockMenuItem, m_controlBar->aspectRatioLockSwitch());
    setTargetControl(m_ui.presentationMenuItem, m_controlBar->presentationSwitch());
    setTargetControl(m_ui.playPauseMenuItem, m_controlBar->playPauseSwitch());
    m_ui.playPauseMenuItem->setText(tr("Play"));

    // 6.-7. Entries stored while their online video downloaded download again.
    m_playlist.restore();
    startOnlineVideos(m_playlist.entries());
    m_ui.playlistModel->setDownloadProgress([this](const QXMovieRepresentation *r) { return m_downloads->progressText(r); });

    // 8.
    if (settings.boolForKey(QXKeys::ForgetRotation))
        settings.tryToRemoveObjectForKey(QXKeys::RotatedMovies);

    // 9.

    // 10.
    m_ui.playerWindow->setWindowTitle(QStringLiteral("Vistrel"));

    // 11.
    m_ui.playlistModel->reloadData();

    // 12.
    m_ui.playerView->setControllerVisible(false);
    m_ui.playerView->setPreservesAspectRatio(false);
    m_ui.playerView->setMessageProvider([this] { return QXViewMessage(selectionMessage(), selectionMessageIsFailure()); });

    // 13. Locked while "Variable Aspect Ratio" is false.
    const bool locked = !settings.boolForKey(QXKeys::VariableAspectRatio);
    m_controlBar->setAspectRatioLocked(locked);
    m_ui.aspectRatioLockMenuItem->setChecked(locked);

    // 14.
    if (QAction *overlayItem = m_preferences->overlayMenuItem)
        overlayItem->setChecked(settings.boolForKey(QXKeys::OverlayControlsInWindowMode));

    // 15.
    showRotateButtonImage();

    // 16. Hidden wind buttons leave their room to the time slider.
    if (!settings.boolForKey(QXKeys::ShowWindButtons))
        m_controlBar->setWindButtonsVisible(false);

    // 18. Size the window for the empty view, where the user left it last time.
    m_windowSizer->restorePlayerWindowPosition();
    m_windowSizer->resizePlayerWindowForSize(QXMovieView::defaultSize());

    // 19.-20. The control bar: floating and hidden until the pointer moves, or static below
    // the picture (the window grows by it).
    QXOverlayHost host{m_ui.playerWindow, m_ui.playerContainerView, m_ui.playerView,
                       [this](const QRect &client) { m_windowSizer->setPlayerWindowClientRect(client); },
                       [this] { return m_playlist.current() && m_playlist.current()->openedMovie(); }};
    m_overlay = new QXPlayerOverlay(host, m_controlBar, this);
    if (settings.boolForKey(QXKeys::OverlayControlsInWindowMode))
        m_overlay->vanishOverlayByFadingOut(false, false);
    else
        m_overlay->setStaticOverlay(true, true);
    m_overlay->updateOverlayFrameAndCheckToolbarVisibility(false, false);
    QXPresentationParts parts{m_ui.playerWindow, m_ui.playerContainerView, m_ui.playerView, m_overlay, m_controlBar, m_ui.presentationMenuItem,
                              [this] { return QXMenuItems(m_ui.playerWindow->menuBar(), {m_ui.playlistMenu}); }};
    m_presentation = new QXPresentation(this, parts, this);
    // The scale items and the commands follow the mode.
    connect(m_presentation, &QXPresentation::presentingChanged, this, [this] {
        m_windowSizer->selectCurrentMagnificationMenuItem();
        updateButtons();
    });
    connect(m_controlBar, &QXControlBar::presentationClicked, m_presentation, &QXPresentation::togglePresentation);

    // 21.
    setPlaylistVisible(!settings.boolForKey(QXKeys::HidePlaylist), false, true);
    m_windowSizer->updatePlayerWindowMinimumSize();

    // 22.
    m_controlBar->setVolume(double(m_transport->volume()));

    // 23.
    updateButtons();
    m_transport->updateTimeField(0, 0);

    // 24. At most once a week, and only when the user asked for it; the window does not wait
    // for the answer. The alert belongs to the player window, so the window does not cover it.
    QXRWUpdateChecker *checker = QXRWUpdateChecker::updateChecker();
    checker->setAlertParent(m_ui.playerWindow);
    if (checker->checkAtStartup())
        checker->checkForUpdatesWithAutomaticRequest(true);

    // 25. A window kept hidden waits in the tray; without one it is shown, or no one could
    // reach the player.
    if (!m_openWindowAfterDelay && (!settings.boolForKey(QXKeys::DoNotShowWindowOnStartup) || !showTrayIcon()))
        m_windowSizer->showPlayerWindow();
    checker->showAlertAgainIfShown();

    // 26.
    installObservers();
    startMpris();

    // 27. The display tick runs for the life of the process (QXTransport).

    // 28.
    m_ui.playerWindow->setMouseTracking(true);
    m_launched = true;
    if (auto *app = qobject_cast<QXApplication *>(qApp)) {
        app->watchPointerFor(m_overlay, [this](const QWidget *window) {
            return window == m_ui.playerWindow || window == m_presentation->window() || window == overlay()->overlayWindow();
        });
    }
}

void QXMPController::installObservers()
{
    m_sessionWatcher = new QXSessionWatcher(this);
    connect(m_sessionWatcher, &QXSessionWatcher::sessionDidResignActive, this, &QXMPController::userSessionDidResign);
    connect(m_sessionWatcher, &QXSessionWatcher::sessionDidBecomeActive, this,
            &QXMPController::userSessionDidBecomeActive);
    connect(QXMovieCenter::shared(), &QXMovieCenter::movieLoadStateDidChange, this,
            [this](QXMovie *) { movieLoadStateDidChange(); });
    // A seek the stream could not make is a command that could not act.
    connect(QXMovieCenter::shared(), &QXMovieCenter::seekRefused, this, [this](QXMovie *m) {
        if (m_playlist.current() && m_playlist.current()->openedMovie() == m) {
            beep();
            m_transport->updateTimeDisplay();
        }
    });
    for (QScreen *screen : QGuiApplication::screens())
        connect(screen, &QScreen::availableGeometryChanged, this, &QXMPController::applicationDidChangeScreenParameters);
    connect(qApp, &QGuiApplication::screenAdded, this, &QXMPController::applicationDidChangeScreenParameters);
    connect(qApp, &QGuiApplication::screenRemoved, this, &QXMPController::applicationDidChangeScreenParameters);
}

void QXMPController::userSessionDidResign()
{
    if (QXSettings::standard().boolForKey(QXKeys::DoNotPauseOnUserSwitch))
        return;
    m_wasPlayingBeforeFastUserSwitch = m_ui.playerView && m_ui.playerView->isPlaying();
    if (m_wasPlayingBeforeFastUserSwitch)
        pause();
}

void QXMPController::userSessionDidBecomeActive()
{
    if (QXSettings::standard().boolForKey(QXKeys::DoNotPauseOnUserSwitch))
        return;
    if (m_wasPlayingBeforeFastUserSwitch)
        play();
}

void QXMPController::applicationDidChangeScreenParameters()
{
    if (isPresenting())
        m_presentation->updatePresentationWindow();
}

bool QXMPController::applicationShouldHandleReopen(bool)
{
    // A window hidden at startup comes too: a launch with nothing to open may be the only way
    // back to it.
    if (isPresenting())
        return false;
    m_windowSizer->showPlayerWindow();
    return true;
}

bool QXMPController::applicationOpenFile(const QString &path)
{
    m_openWindowAfterDelay = true;
    const QList<QUrl> urls{QXFileNames::fileURL(QXFileNames::absolutePath(path))};
    // Posted, not timed: what arrives first opens first, also ahead of a quit asked for later.
    QMetaObject::invokeMethod(this, [this, urls] { openMovies(urls); }, Qt::QueuedConnection);
    return true;
}

void QXMPController::applicationOpenFiles(const QStringList &paths)
{
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls.append(QXFileNames::fileURL(QXFileNames::absolutePath(p)));
    applicationOpenURLs(urls);
}

void QXMPController::applicationOpenURLs(const QList<QUrl> &handed)
{
    QList<QUrl> urls = handed;
    const QStringList subtitles = QXTakeSubtitleFiles(urls);
    if (!urls.isEmpty())
        m_openWindowAfterDelay = true;
    // Posted, not timed: what arrives first opens first, also ahead of a quit asked for later.
    // One opening for all, so the first of them in the playlist is the one chosen; subtitle
    // files join the current movie.
    QMetaObject::invokeMethod(this, [this, urls, subtitles] {
        if (!urls.isEmpty())
            openMovies(urls);
        if (!subtitles.isEmpty() && m_trackMenus)
            m_trackMenus->addSubtitleFiles(subtitles);
    }, Qt::QueuedConnection);
}

void QXMPController::handleURLCommand(const QString &text)
{
    const QUrl url = QXURLHandlerAddress(text);
    if (url.isValid() && !url.isEmpty()) {
        openURLs({url});
        return;
    }
    // An address that makes no address cannot open, like any other.
    beep();
    m_windowSizer->showPlayerWindowIfNotVisible();
}

void QXMPController::applicationShouldTerminate()
{
    QXSettings &settings = QXSettings::standard();
    m_playlist.save();
    if (settings.boolForKey(QXKeys::ForgetRotation))
        settings.tryToRemoveObjectForKey(QXKeys::RotatedMovies);
    // Changes still waiting for their write (a volume set a moment ago) reach the disk now.
    settings.flush();
}

void QXMPController::runQuitSteps()
{
    if (m_terminated)
        return;
    m_terminated = true;
    // Downloads end with their temporary files; their entries keep their page addresses, so
    // they are stored as such and download again at the next launch.
    m_downloads->cancelAll();
    if (m_transport)
        m_transport->finish();
    if (m_windowSizer)
        m_windowSizer->savePlayerWindowPosition();
    if (m_resume)
        m_resume->leaveCurrentMovie();
    applicationShouldTerminate();
}

void QXMPController::terminate()
{
    // A folder walk under way ends with the player and adds nothing, as a walk cut short by
    // a signal; openings that waited behind it came before the quit and are still made.
    delete std::exchange(m_collector, nullptr);
    for (const PendingOpening &p : std::exchange(m_pendingOpenings, {}))
        openMovies(p.urls, p.revealPackageContents);
    runQuitSteps();
    QCoreApplication::quit();
}

bool QXMPController::windowShouldClose(QWidget *window)
{
    if (window != m_ui.playerWindow)
        return true;
    QXSettings &settings = QXSettings::standard();
    const bool forgetOnClose = settings.boolForKey(QXKeys::ForgetPlaylistOnClose);
    const bool quitOnClose = settings.boolForKey(QXKeys::QuitOnClose);
    if (forgetOnClose) {
        if (!m_playlist.isEmpty())
            clearPlaylist();
    } else if (quitOnClose || !settings.boolForKey(QXKeys::DoNotPauseOnClose)) {
        pause();
    }
    if (quitOnClose || !showTrayIcon()) {
        // No tray: a closed window would leave a player no one can reach.
        QTimer::singleShot(0, this, &QXMPController::terminate);
    }
    return true;
}

bool QXMPController::showTrayIcon()
{
    // Nothing on this desktop brings a hidden window back but a tray icon (or a launch).
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    if (!m_trayIcon) {
        m_trayIcon = new QSystemTrayIcon(m_ui.playerWindow->windowIcon(), this);
        m_trayIcon->setToolTip(QStringLiteral("Vistrel"));
        auto *menu = new QMenu(m_ui.playerWindow);
        menu->addAction(tr("Show Player"), m_windowSizer, &QXWindowSizer::showPlayerWindow);
        menu->addAction(tr("Quit"), this, &QXMPController::terminate);
        m_trayIcon->setContextMenu(menu);
        connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
            if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
                m_windowSizer->showPlayerWindow();
        });
    }
    m_trayIcon->show();
    return true;
}
