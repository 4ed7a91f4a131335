// Builds the player window, its control bar, the playlist pane and the menus, and connects
// them to the controller.
#include "app/QXMPController.h"
#include "app/QXPreferences.h"
#include "app/QXResumePositions.h"
#include "app/QXSettings.h"
#include "app/QXWebLink.h"
#include "controls/QXButtons.h"
#include "controls/QXImages.h"
#include "controls/QXSliders.h"
#include "controls/QXTarvelShiftButton.h"
#include "controls/QXViews.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieEngine.h"
#include "engine/QXMovieView.h"
#include "playlist/QXMovieTableView.h"
#include "playlist/QXPlaylistModel.h"
#include "player/QXControlBar.h"
#include "player/QXKeyboard.h"
#include "player/QXMenuValidation.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"
#include "player/QXTransport.h"
#include "player/QXWindowGeometry.h"
#include "player/QXWindowSizer.h"
#include "player/QXPlaylistMenu.h"
#include "player/QXScreenshot.h"
#include "player/QXSpeed.h"
#include "player/QXTrackMenus.h"
#include "update/QXRWUpdateChecker.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

// A chevron in the menu bar's text colour, drawn for the button's few pixels (10 × 10): the
// control bar's chevron scaled down that far blurs to grey.
static QIcon menuOverflowIcon()
{
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(QSize(10, 10) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0xe8, 0xe8, 0xe8), 1.6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        for (const qreal x : {1.5, 5.5}) {
            const QPointF arrow[] = {{x, 1.5}, {x + 3.5, 5}, {x, 8.5}};
            p.drawPolyline(arrow, 3);
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

namespace {

// A menu item with its name, the command whose rule enables it, and its shortcuts.
QAction *addItem(QMenu *menu, const char *name, const QString &title, QXCommand command,
                 const QList<QKeySequence> &keys = {})
{
    QAction *a = menu->addAction(title);
    a->setObjectName(QLatin1String(name));
    a->setShortcuts(keys);
    QXSetMenuCommand(a, command);
    return a;
}

// What the item does. A check mark is the command's to set: Qt's own toggle is undone first,
// so an item whose command cannot act keeps the mark it had.
void onTrigger(QAction *item, QObject *context, std::function<void()> act)
{
    QObject::connect(item, &QAction::triggered, context, [item, act] {
        if (item->isCheckable())
            item->setChecked(!item->isChecked());
        act();
    });
}

// What the window's sizer reads of the player.
class SizerHost final : public QObject, public QXWindowSizerHost
{
public:
    explicit SizerHost(QXMPController *c) : QObject(c), m_c(c) {}
    std::optional<QSizeF> currentPictureSize() const override
    {
        const QXMovie *m = m_c->playlist().current() ? m_c->playlist().current()->openedMovie() : nullptr;
        if (!m)
            return std::nullopt;
        return QXGeometry::naturalSizeForMagnification(m->naturalSize(), m->angle(), 1.0f);
    }
    bool hasCurrentMovie() const override { return bool(m_c->playlist().current()); }
    bool currentMovieHasVideo() const override { return m_c->currentMovieHasVideo(); }
    bool isPresenting() const override { return m_c->isPresenting(); }
    bool controlBarTakesWindowRoom() const override { return m_c->overlay() && m_c->overlay()->takesWindowRoom(); }

private:
    QXMPController *m_c;
};

} // namespace

bool QXMPController::loadPlayerInterface(QXMPController *c)
{
    // Every window of the application shows its icon.
    QApplication::setWindowIcon(QXApplicationIcon());
    auto *w = new QXPlayerWindow;
    c->m_ui.playerWindow = w;
    w->setObjectName("Player");

    auto *root = new QWidget(w);
    auto *rootLayout = new QHBoxLayout(root);
    rootLayout->setContentsMargins(0, 0, 0, 0);
    rootLayout->setSpacing(0);
    w->setCentralWidget(root);

    // Playlist pane.
    auto *pane = new QWidget(root);
    w->playlistPane = pane;
    pane->setFixedWidth(200);
    pane->setStyleSheet("background: #2b2b2b; color: #e8e8e8;");
    auto *paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->setSpacing(0);
    // The pane's header: a table-header strip with the playlist's name.
    auto *paneHeader = new QXFakeTableHeaderView(pane);
    paneHeader->setFixedHeight(19);
    auto *paneHeaderLayout = new QHBoxLayout(paneHeader);
    paneHeaderLayout->setContentsMargins(8, 0, 8, 1);
    c->m_ui.playerHistoryNameField = new QXShadowedTextField(QString(), paneHeader);
    // Its own colour: the pane's style sheet would make it light on the light strip.
    c->m_ui.playerHistoryNameField->setStyleSheet("color: #333333; background: transparent;");
    QFont headerFont = c->m_ui.playerHistoryNameField->font();
    headerFont.setBold(true);
    headerFont.setPixelSize(11);
    c->m_ui.playerHistoryNameField->setFont(headerFont);
    c->m_ui.playerHistoryNameField->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    paneHeaderLayout->addWidget(c->m_ui.playerHistoryNameField);
    paneLayout->addWidget(paneHeader);
    auto *table = new QXMovieTableView(&c->playlist(), c, pane);
    c->m_ui.playerHistoryList = table;
    c->m_ui.playlistModel = new QXPlaylistModel(&c->playlist(), table);
    table->setModel(c->m_ui.playlistModel);
    paneLayout->addWidget(table, 1);
    // The pane's bottom bar, as high as the static control bar beside it; a drag on it moves
    // the window.
    auto *paneBar = new QXDarkGradientView(pane);
    paneBar->setObjectName(QStringLiteral("playlistPaneBar"));
    paneBar->setFixedHeight(QXOverlay::StaticHeight);
    auto *paneBarLayout = new QHBoxLayout(paneBar);
    // No right margin: the divider's grip meets the pane's edge line.
    paneBarLayout->setContentsMargins(8, 0, 0, 0);
    paneBarLayout->setSpacing(6);
    c->m_ui.playlistClearButton = QXMakeImageButton(paneBar, "QXClear", tr("Clear Playlist"));
    c->m_ui.playlistBackwardButton = QXMakeImageButton(paneBar, "QXPrevious", tr("Previous Movie"));
    c->m_ui.playlistForwardButton = QXMakeImageButton(paneBar, "QXNext", tr("Next Movie"));
    paneBarLayout->addWidget(c->m_ui.playlistClearButton);
    paneBarLayout->addStretch(1);
    paneBarLayout->addWidget(c->m_ui.playlistBackwardButton);
    paneBarLayout->addWidget(c->m_ui.playlistForwardButton);
    // The divider's grip at the bar's right end.
    auto *shift = new QXTarvelShiftButton(paneBar);
    paneBarLayout->addWidget(shift);
    paneLayout->addWidget(paneBar);
    rootLayout->addWidget(pane);
    auto *divider = new QWidget(root);
    w->playlistDivider = divider;
    divider->setFixedWidth(1);
    divider->setStyleSheet("background: #111;");
    rootLayout->addWidget(divider);

    // Player area: movie view over the control bar.
    auto *area = new QWidget(root);
    w->playerArea = area;
    // Its own ground only: a style sheet here would paint every part of the bar too.
    QPalette areaPalette = area->palette();
    areaPalette.setColor(QPalette::Window, QColor(0x1e, 0x1e, 0x1e));
    area->setPalette(areaPalette);
    area->setAutoFillBackground(true);
    auto *areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->setSpacing(0);
    // Dark grey wherever the picture leaves room.
    c->m_ui.playerContainerView = new QXGrayView(area);
    auto *containerLayout = new QVBoxLayout(c->m_ui.playerContainerView);
    containerLayout->setContentsMargins(0, 0, 0, 0);
    c->m_ui.playerView = new QXMovieView(c->m_ui.playerContainerView);
    c->m_ui.playerView->setMinimumSize(1, 1);
    containerLayout->addWidget(c->m_ui.playerView);
    areaLayout->addWidget(c->m_ui.playerContainerView, 1);

    // The control bar; the overlay puts it below the picture or over it.
    auto *bar = new QXControlBar(area);
    bar->hide();
    c->m_controlBar = bar;
    auto *transport = new QXTransport(c, bar, QXSettings::standard(), nullptr, c);
    c->m_transport = transport;
    QObject::connect(transport, &QXTransport::timeSet, c->m_ui.playerView, qOverload<>(&QWidget::update));
    QObject::connect(transport, &QXTransport::playbackStopped, c, &QXMPController::updatePlayPauseControls);
    auto *sizer = new QXWindowSizer(new SizerHost(c), w, c->m_ui.playerView, bar, c);
    c->m_windowSizer = sizer;
    QObject::connect(sizer, &QXWindowSizer::refused, c, &QXMPController::beep);
    QObject::connect(sizer, &QXWindowSizer::windowWillShow, c, [c] {
        if (c->m_trayIcon)
            c->m_trayIcon->hide();
    });
    // Whether the window shows is read by the commands' rules.
    QObject::connect(w, &QXPlayerWindow::visibilityChanged, c, &QXMPController::updateButtons);
    w->shouldClose = [c, w] { return c->windowShouldClose(w); };
    rootLayout->addWidget(area, 1);
    shift->leftView = pane;
    shift->rightView = area;
    shift->visibilityTogglerControl = bar->playlistVisibilitySwitch();
    shift->leftMinimumWidthQuery = [] { return 100.0; };
    shift->autoSaveNameQuery = [] { return QXKeys::PlaylistDividerName; };
    // The pane and the window's right edge move together, so the movie area keeps its size.
    shift->applyTiling = [c, w, sizer](int left, int width) {
        w->setMinimumSize(0, 0);
        w->playlistPane->setFixedWidth(left);
        sizer->setPlayerWindowClientRect(QRect(w->geometry().topLeft(), QSize(width, w->height())));
        if (c->overlay())
            c->overlay()->updateOverlayFrameAndCheckToolbarVisibility(false, true);
        sizer->updatePlayerWindowMinimumSize();
    };
    shift->awakeFromNib();
    // Files, folders and addresses dropped on the picture open.
    QXInstallPictureDrops(c);
    // Pointer movement over the picture and the bar brings the floating bar back.
    for (QWidget *tracked : {area, c->m_ui.playerContainerView, static_cast<QWidget *>(c->m_ui.playerView)})
        tracked->setMouseTracking(true);

    // Controls.
    QObject::connect(bar, &QXControlBar::playPauseClicked, c, [c] { c->playPause(); });
    QObject::connect(bar, &QXControlBar::playlistVisibilityClicked, c, [c, bar] {
        c->togglePlaylistVisibility();
        // Refused while presenting: the switch gives back the state it took on the click.
        bar->setPlaylistVisible(!QXSettings::standard().boolForKey(QXKeys::HidePlaylist));
        c->validateMenuItems();
    });
    QObject::connect(c->m_ui.playlistClearButton, &QAbstractButton::clicked, c, [c] { c->clearPlaylist(); });
    QObject::connect(c->m_ui.playlistForwardButton, &QAbstractButton::clicked, c, [c] { c->forwardPlaylist(); });
    QObject::connect(c->m_ui.playlistBackwardButton, &QAbstractButton::clicked, c, [c] { c->backwardPlaylist(); });
    QObject::connect(bar, &QXControlBar::timeSlid, transport, &QXTransport::timeSlide);
    QObject::connect(bar, &QXControlBar::volumeChanged, transport, &QXTransport::changeVolume);
    QObject::connect(bar, &QXControlBar::rotateClicked, c, [c] { c->rotate(); });
    QObject::connect(bar, &QXControlBar::aspectRatioLockClicked, sizer, &QXWindowSizer::toggleAspectRatioLock);
    QObject::connect(bar, &QXControlBar::windClicked, transport, &QXTransport::wind);
    QObject::connect(table, &QAbstractItemView::doubleClicked, c, [c](const QModelIndex &index) {
        c->playlistDoubleClicked(index.row());
    });

    // Menus. Items that mirror a button click it (setTargetControl), so each command has one
    // implementation; every item carries the command whose rule enables it.
    QMenuBar *mb = w->menuBar();
    // Dark like the rest of the window, not the style's light bar.
    mb->setStyleSheet("QMenuBar { background: #2e2e2e; color: #e8e8e8; border-bottom: 1px solid #1a1a1a; }"
                      "QMenuBar::item { background: transparent; padding: 3px 8px; }"
                      "QMenuBar::item:selected, QMenuBar::item:pressed { background: #555555; }");
    // The button that holds the menus a narrow window has no room for: the style's arrow is
    // dark, lost on the dark bar.
    if (auto *more = mb->findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button"))) {
        more->setIcon(menuOverflowIcon());
        more->setIconSize(QSize(10, 10));
    }
    QMenu *file = mb->addMenu(tr("&File"));
    onTrigger(addItem(file, "openItem", tr("Open..."), QXCommand::Always, {QKeySequence(Qt::CTRL | Qt::Key_O)}), c,
              [c] { c->openDocument(); });
    onTrigger(addItem(file, "openURLItem", tr("Open Address..."), QXCommand::Always,
                      {QKeySequence(Qt::CTRL | Qt::Key_L)}), c, [c] { c->openURL(); });
    file->addSeparator();
    // No application menu here: the preferences sit in the File menu, as on most desktops.
    QAction *preferences = addItem(file, "preferencesItem", tr("Preferences..."), QXCommand::Always,
                                   {QKeySequence(Qt::CTRL | Qt::Key_Comma)});
    preferences->setMenuRole(QAction::PreferencesRole);
    auto *settingsWindow = new QXPreferences([c] { return c->isPresenting(); }, c);
    c->m_preferences = settingsWindow;
    onTrigger(preferences, settingsWindow, [settingsWindow] { settingsWindow->showPreferences(); });
    // The parts that show what a setting changes follow it.
    QObject::connect(settingsWindow, &QXPreferences::overlaySettingChanged, c, [c, w](bool floating) {
        QXPlayerOverlay *overlay = c->overlay();
        if (!overlay)
            return;
        w->setUpdatesEnabled(false);
        overlay->setStaticOverlay(!floating, false);
        if (floating)
            overlay->vanishOverlayByFadingOut(false, false);
        else
            overlay->showOverlayByFadingIn(false);
        w->setUpdatesEnabled(true);
    });
    QObject::connect(settingsWindow, &QXPreferences::playlistNamesChanged, c, [c] {
        c->m_ui.playlistModel->reloadData();
        c->m_ui.playerView->update();
    });
    // Folded, the button stays the chevron and takes the turn's image when the bar unfolds.
    QObject::connect(settingsWindow, &QXPreferences::rotateDirectionChanged, c, [c] { c->showRotateButtonImage(); });
    QObject::connect(settingsWindow, &QXPreferences::hardwareDecodingChanged, c, &QXMovieEngine::setHardwareDecoding);
    QObject::connect(settingsWindow, &QXPreferences::presentationModeChanged, c, [c] {
        if (c->isPresenting())
            c->presentation()->updatePresentationWindow();
    });
    file->addSeparator();
    onTrigger(addItem(file, "closeItem", tr("Close"), QXCommand::Always, {QKeySequence(Qt::CTRL | Qt::Key_W)}), w,
              [w] { w->close(); });
    onTrigger(addItem(file, "quitItem", tr("Quit"), QXCommand::Always, {QKeySequence(Qt::CTRL | Qt::Key_Q)}), c,
              [c] { c->terminate(); });
    // What the application does, rather than this window, answers its keys in the preferences too.
    for (QAction *a : file->actions())
        if (a->objectName() != QLatin1String("closeItem"))
            a->setShortcutContext(Qt::ApplicationShortcut);

    // The Delete and Backspace keys reach the key table first; the item names the command.
    QMenu *edit = mb->addMenu(tr("&Edit"));
    onTrigger(addItem(edit, "deleteItem", tr("Delete"), QXCommand::Delete, {QKeySequence(Qt::Key_Delete)}), c,
              [c] { c->deleteSelected(); });

    QMenu *playlist = mb->addMenu(tr("&Playlist"));
    auto *movies = new QXPlaylistMenu(&c->playlist(), tr("&Movies"), playlist);
    c->m_ui.playlistMenu = movies->menu();
    c->m_ui.playlistMenuItem = playlist->addMenu(c->m_ui.playlistMenu);
    QXSetMenuCommand(c->m_ui.playlistMenuItem, QXCommand::PlaylistMenu);
    QObject::connect(movies, &QXPlaylistMenu::entryChosen, c, [c](const QUrl &url) {
        c->chooseMovie(url, true, c->m_ui.playerView->isPlaying(), false);
    });
    QObject::connect(movies, &QXPlaylistMenu::showPlaylistRequested, c, &QXMPController::showPlaylistPane);
    QObject::connect(settingsWindow, &QXPreferences::playlistNamesChanged, movies, &QXPlaylistMenu::entriesChanged);
    c->m_ui.playlistSortMenu = new QMenu(tr("&Sort"), playlist);
    c->m_ui.playlistSortMenuItem = playlist->addMenu(c->m_ui.playlistSortMenu);
    QXSetMenuCommand(c->m_ui.playlistSortMenuItem, QXCommand::PlaylistSortMenu);
    const struct { const char *name, *title; int tag; } sorts[] = {
        {"sortByNameItem", QT_TR_NOOP("By Name"), 1}, {"sortByLocationItem", QT_TR_NOOP("By Location"), 2},
        {"shuffleItem", QT_TR_NOOP("Shuffle"), 0}};
    for (const auto &s : sorts) {
        const int tag = s.tag;
        onTrigger(addItem(c->m_ui.playlistSortMenu, s.name, tr(s.title), QXCommand::SortPlaylist), c,
                  [c, tag] { c->sortPlaylist(tag); });
    }
    playlist->addSeparator();
    c->m_ui.forwardPlaylistMenuItem = addItem(playlist, "forwardPlaylistItem", tr("Next Movie"),
                                         QXCommand::WalkPlaylist, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right)});
    c->m_ui.backwardPlaylistMenuItem = addItem(playlist, "backwardPlaylistItem", tr("Previous Movie"),
                                          QXCommand::WalkPlaylist, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left)});
    c->m_ui.clearPlaylistMenuItem = addItem(playlist, "clearPlaylistItem", tr("Clear Playlist"),
                                       QXCommand::ClearPlaylist, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backspace)});
    // Ctrl+L is the address panel's, as in browsers.
    c->m_ui.playlistVisibilityMenuItem = addItem(playlist, "playlistVisibilityItem", tr("Hide Playlist"),
                                            QXCommand::Always, {QKeySequence(Qt::Key_F9)});

    QMenu *movie = mb->addMenu(tr("&Movie"));
    c->m_ui.playPauseMenuItem = addItem(movie, "playPauseItem", tr("Play"), QXCommand::PlayPause,
                                   {QKeySequence(Qt::Key_Space)});
    onTrigger(addItem(movie, "windBackwardItem", tr("Wind Backward"), QXCommand::Wind,
                      {QKeySequence(Qt::CTRL | Qt::Key_Left)}), transport, [transport] { transport->wind(false); });
    onTrigger(addItem(movie, "windForwardItem", tr("Wind Forward"), QXCommand::Wind,
                      {QKeySequence(Qt::CTRL | Qt::Key_Right)}), transport, [transport] { transport->wind(true); });
    movie->addSeparator();
    auto *speed = new QXSpeedControl(bar, [c] { return c->currentMovie(); }, [c] { c->beep(); }, c);
    c->m_speed = speed;
    const struct { const char *name, *title; void (QXSpeedControl::*act)(); Qt::Key key; } speeds[] = {
        {"slowerItem", QT_TR_NOOP("Slower"), &QXSpeedControl::slower, Qt::Key_BracketLeft},
        {"fasterItem", QT_TR_NOOP("Faster"), &QXSpeedControl::faster, Qt::Key_BracketRight},
        {"normalSpeedItem", QT_TR_NOOP("Normal Speed"), &QXSpeedControl::normal, Qt::Key_Equal}};
    for (const auto &sp : speeds)
        onTrigger(addItem(movie, sp.name, tr(sp.title), QXCommand::Speed, {QKeySequence(sp.key)}), speed,
                  [speed, act = sp.act] { (speed->*act)(); });
    movie->addSeparator();
    auto *screenshots = new QXScreenshotTaker(c);
    c->m_screenshots = screenshots;
    onTrigger(addItem(movie, "screenshotItem", tr("Take Screenshot"), QXCommand::Screenshot,
                      {QKeySequence(Qt::Key_S)}), screenshots, [c, screenshots] {
        if (QXMovie *m = c->currentMovie())
            screenshots->take(m);
    });
    // Where each movie was left, kept across launches.
    c->m_resume = new QXResumeKeeper(QXResumeKeeper::standardFilePath(), c);
    QObject::connect(&c->m_playlist, &QXPlaylist::currentChanged, c->m_resume, [c] {
        const QXMovieRepresentationRef &e = c->m_playlist.current();
        c->m_resume->currentMovieChanged(e ? e->openedMovie() : nullptr, e ? e->address() : QByteArray());
    });
    movie->addSeparator();
    QList<QAction *> scaleItems;
    const struct { const char *name, *title; int tag; Qt::Key key; } scales[] = {
        {"halfSizeItem", QT_TR_NOOP("Half Size"), 5, Qt::Key_0}, {"actualSizeItem", QT_TR_NOOP("Actual Size"), 10, Qt::Key_1},
        {"doubleSizeItem", QT_TR_NOOP("Double Size"), 20, Qt::Key_2}};
    for (const auto &sc : scales) {
        QAction *a = addItem(movie, sc.name, tr(sc.title), QXCommand::Scale, {QKeySequence(Qt::CTRL | sc.key)});
        a->setData(sc.tag);
        a->setCheckable(true);
        const int tag = sc.tag;
        onTrigger(a, sizer, [sizer, tag] { sizer->setScale(tag); });
        scaleItems.append(a);
    }
    onTrigger(addItem(movie, "increaseSizeItem", tr("Increase Size"), QXCommand::Scale,
                      {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)}),
              sizer, [sizer] { sizer->increaseScale(); });
    onTrigger(addItem(movie, "decreaseSizeItem", tr("Decrease Size"), QXCommand::Scale,
                      {QKeySequence(Qt::CTRL | Qt::Key_Minus)}), sizer, [sizer] { sizer->decreaseScale(); });
    onTrigger(addItem(movie, "fitToScreenItem", tr("Fit to Screen"), QXCommand::Scale,
                      {QKeySequence(Qt::CTRL | Qt::Key_3)}), sizer, [sizer] { sizer->fitPlayerWindowToScreen(); });
    movie->addSeparator();
    c->m_ui.presentationMenuItem = addItem(movie, "presentationItem", tr("Full Screen"), QXCommand::Presentation,
                                      {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::Key_F11)});
    c->m_ui.presentationMenuItem->setCheckable(true);
    // How presentation scales the picture: the item's tag is the mode, its index in the
    // preferences pop-up.
    QMenu *modes = movie->addMenu(tr("Presentation Scaling"));
    modes->setObjectName(QStringLiteral("presentationModeMenu"));
    QXSetMenuCommand(modes->menuAction(), QXCommand::PresentationModeMenu);
    auto *modeGroup = new QActionGroup(modes);
    const QStringList modeTitles = QXPreferences::presentationModeTitles();
    for (int tag = 0; tag < modeTitles.size(); ++tag) {
        QAction *a = modes->addAction(modeTitles[tag]);
        a->setData(tag);
        a->setCheckable(true);
        modeGroup->addAction(a);
        QObject::connect(a, &QAction::triggered, settingsWindow, [settingsWindow, a] {
            settingsWindow->setBooleanSettingFromMenuItem(a);
        });
    }
    // The check mark follows the setting when the menu opens.
    QObject::connect(modes, &QMenu::aboutToShow, modes, [modes] {
        const qint64 mode = QXSettings::standard().integerForKey(QXKeys::PresentationMode);
        for (QAction *a : modes->actions())
            a->setChecked(a->data().toLongLong() == mode);
    });
    QAction *overlay = addItem(movie, "overlayMenuItem", tr("Controls over the Picture"), QXCommand::Overlay,
                               {QKeySequence(Qt::CTRL | Qt::Key_B)});
    overlay->setCheckable(true);
    QObject::connect(overlay, &QAction::triggered, settingsWindow, [settingsWindow, overlay] {
        settingsWindow->setBooleanSettingFromMenuItem(overlay);
    });
    settingsWindow->overlayMenuItem = overlay;
    settingsWindow->presentationModeMenu = modes;
    movie->addSeparator();
    c->m_ui.rotateMenuItem = addItem(movie, "rotateItem", tr("Rotate"), QXCommand::Rotate,
                                {QKeySequence(Qt::CTRL | Qt::Key_R)});
    onTrigger(addItem(movie, "rotateClockwiseItem", tr("Rotate Clockwise"), QXCommand::Always), c,
              [c] { c->rotateByAngle(90); });
    onTrigger(addItem(movie, "rotateCounterclockwiseItem", tr("Rotate Counterclockwise"), QXCommand::Always), c,
              [c] { c->rotateByAngle(-90); });
    movie->addSeparator();
    c->m_ui.aspectRatioLockMenuItem = addItem(movie, "aspectRatioLockItem", tr("Lock Aspect Ratio"),
                                         QXCommand::AspectRatioLock, {QKeySequence(Qt::CTRL | Qt::Key_K)});
    c->m_ui.aspectRatioLockMenuItem->setCheckable(true);
    sizer->setMenuItems(scaleItems, c->m_ui.aspectRatioLockMenuItem);

    // Window managers keep Ctrl+Alt with the arrows for themselves.
    QMenu *sound = mb->addMenu(tr("&Sound"));
    onTrigger(addItem(sound, "increaseVolumeItem", tr("Increase Volume"), QXCommand::Always,
                      {QKeySequence(Qt::CTRL | Qt::Key_Up)}), transport, [transport] { transport->increaseVolume(); });
    onTrigger(addItem(sound, "decreaseVolumeItem", tr("Decrease Volume"), QXCommand::Always,
                      {QKeySequence(Qt::CTRL | Qt::Key_Down)}), transport, [transport] { transport->decreaseVolume(); });
    c->m_ui.muteMenuItem = addItem(sound, "muteItem", tr("Mute"), QXCommand::Always, {QKeySequence(Qt::CTRL | Qt::Key_M)});
    c->m_ui.muteMenuItem->setCheckable(true);
    onTrigger(c->m_ui.muteMenuItem, transport, [transport] { transport->mute(); });
    QObject::connect(transport, &QXTransport::muteShown, c->m_ui.muteMenuItem, &QAction::setChecked);

    // The current movie's subtitles, sound tracks and chapters.
    auto *trackMenus = new QXTrackMenus(mb, nullptr, [c] { return c->currentMovie(); }, c);
    c->m_trackMenus = trackMenus;
    QObject::connect(trackMenus, &QXTrackMenus::refused, c, &QXMPController::beep);
    QObject::connect(c, &QXMPController::currentMovieChanged, trackMenus, &QXTrackMenus::followCurrentMovie);
    QObject::connect(trackMenus, &QXTrackMenus::chapterStartsChanged, bar->timeSlider(), &QXWhiteSlider::setMarks);
    // The chapter steps are enabled only for a movie that has chapters.
    QObject::connect(trackMenus, &QXTrackMenus::chapterStartsChanged, c, &QXMPController::validateMenuItems);

    // The picture's own menu: playback, size and playlist commands, the same items.
    auto *pictureMenu = new QMenu(w);
    pictureMenu->setObjectName(QStringLiteral("pictureMenu"));
    const char *const pictureItems[] = {
        "playPauseItem", "windBackwardItem", "windForwardItem", nullptr, "backwardPlaylistItem",
        "forwardPlaylistItem", nullptr, "halfSizeItem", "actualSizeItem", "doubleSizeItem", "fitToScreenItem",
        "presentationItem", nullptr, "rotateItem", "aspectRatioLockItem", nullptr, "playlistVisibilityItem"};
    for (const char *name : pictureItems) {
        if (!name)
            pictureMenu->addSeparator();
        else if (QAction *a = mb->findChild<QAction *>(QLatin1String(name)))
            pictureMenu->addAction(a);
    }
    pictureMenu->addMenu(c->m_ui.playlistMenu);
    pictureMenu->addAction(c->m_ui.clearPlaylistMenuItem);
    pictureMenu->addSeparator();
    for (QMenu *menu : {trackMenus->subtitlesMenu(), trackMenus->audioMenu(), trackMenus->chaptersMenu()})
        pictureMenu->addMenu(menu);

    // Items are enabled by their rules and marked when their menu opens.
    QList<QMenu *> menus = mb->findChildren<QMenu *>();
    menus << pictureMenu;
    for (QMenu *menu : std::as_const(menus)) {
        QObject::connect(menu, &QMenu::aboutToShow, c, [c, menu] {
            c->validateMenuItems();
            c->menuNeedsUpdate(menu);
        });
    }
    // What the rules read: the list, the current entry, the selection (and the windows shown,
    // followed by the player window).
    QObject::connect(c, &QXMPController::playlistChanged, c, &QXMPController::updateButtons);
    QObject::connect(c, &QXMPController::currentMovieChanged, c, &QXMPController::updateButtons);
    QObject::connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, c, [c] {
        c->validateMenuItems();
        // The picture's message follows the selection; with a current movie it speaks of that
        // one, and a playing picture is not drawn again for nothing.
        c->m_openFailure.clear();
        if (!c->m_playlist.current())
            c->m_ui.playerView->update();
    });
    QXInstallInputHandling(c);

    QMenu *help = mb->addMenu(tr("&Help"));
    const struct { const char *name, *title; void (*act)(QWidget *); } helpItems[] = {
        {"helpItem", QT_TR_NOOP("Vistrel Help"), &QXWebLink::help},
        {"donateItem", QT_TR_NOOP("Donate..."), &QXWebLink::donate},
        {"homeItem", QT_TR_NOOP("Vistrel Home Page"), &QXWebLink::goHome},
        {"checkForUpdatesItem", QT_TR_NOOP("Check for Updates..."),
         [](QWidget *) { QXRWUpdateChecker::updateChecker()->checkForUpdates(); }}};
    for (const auto &h : helpItems) {
        if (qstrcmp(h.name, "checkForUpdatesItem") == 0)
            help->addSeparator();
        QAction *a = help->addAction(tr(h.title));
        a->setObjectName(QString::fromLatin1(h.name));
        const auto act = h.act;
        QObject::connect(a, &QAction::triggered, w, [w, act] { act(w); });
    }

    w->setWindowTitle(QStringLiteral("Vistrel"));
    return true;
}
