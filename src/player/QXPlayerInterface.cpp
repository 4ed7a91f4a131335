// Builds the player window, its control bar, the playlist pane and the menus, and connects
// them to the controller.
#include "app/QXMPController.h"
#include "app/QXPreferences.h"
#include "app/QXSettings.h"
#include "controls/QXImages.h"
#include "controls/QXSlider.h"
#include "engine/QXMovieView.h"
#include "playlist/QXPlaylistModel.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"
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
#include <QSlider>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *makeButton(QWidget *parent, const QString &text, const QString &tip, bool checkable = false,
                        QStyle::StandardPixmap icon = QStyle::SP_CustomBase)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    if (icon != QStyle::SP_CustomBase) {
        b->setIcon(parent->style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    b->setToolTip(tip);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setStyleSheet("QToolButton { color: #e8e8e8; font-size: 14px; padding: 2px 3px; }"
                     "QToolButton:checked { color: #8cc8ff; }"
                     "QToolButton:disabled { color: #777; }");
    return b;
}

QLabel *makeTimeField(QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setStyleSheet("color: #e8e8e8; font-family: monospace;");
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    l->setText(QStringLiteral("00:00:00"));
    l->setMinimumWidth(l->sizeHint().width());
    l->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    return l;
}

} // namespace

bool QXMPController::loadPlayerInterface(QXMPController *c)
{
    auto *w = new QXPlayerWindow;
    c->playerWindow = w;
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
    c->playerHistoryNameField = new QLabel(pane);
    c->playerHistoryNameField->setContentsMargins(8, 4, 8, 4);
    c->playerHistoryNameField->setStyleSheet("font-weight: bold; background: #3a3a3a;");
    paneLayout->addWidget(c->playerHistoryNameField);
    auto *table = new QTableView(pane);
    c->playerHistoryList = table;
    c->playlistModel = new QXPlaylistModel(c, table);
    table->setModel(c->playlistModel);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(20);
    table->setShowGrid(false);
    table->setIconSize(QSize(16, 16));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setStyleSheet("QTableView { background: #232323; border: none; }"
                         "QTableView::item:selected { background: #3d6ea8; }");
    paneLayout->addWidget(table, 1);
    auto *paneBar = new QWidget(pane);
    auto *paneBarLayout = new QHBoxLayout(paneBar);
    paneBarLayout->setContentsMargins(4, 2, 4, 2);
    c->playlistClearButton = makeButton(paneBar, QObject::tr("Clear"), QObject::tr("Clear Playlist"));
    c->playlistBackwardButton = makeButton(paneBar, QObject::tr("Previous"), QObject::tr("Previous Movie"), false,
                                           QStyle::SP_MediaSkipBackward);
    c->playlistForwardButton = makeButton(paneBar, QObject::tr("Next"), QObject::tr("Next Movie"), false,
                                          QStyle::SP_MediaSkipForward);
    paneBarLayout->addWidget(c->playlistClearButton);
    paneBarLayout->addStretch(1);
    paneBarLayout->addWidget(c->playlistBackwardButton);
    paneBarLayout->addWidget(c->playlistForwardButton);
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
    c->playerContainerView = new QWidget(area);
    auto *containerLayout = new QVBoxLayout(c->playerContainerView);
    containerLayout->setContentsMargins(0, 0, 0, 0);
    c->playerView = new QXMovieView(c->playerContainerView);
    c->playerView->setMinimumSize(1, 1);
    containerLayout->addWidget(c->playerView);
    areaLayout->addWidget(c->playerContainerView, 1);

    // The control bar; the overlay puts it below the picture or over it.
    auto *bar = new QXPlayerOverlayView(area);
    bar->hide();
    w->controlBar = bar;
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 0, 4, 0);
    barLayout->setSpacing(2);
    QToolButton *listSwitch = makeButton(bar, QObject::tr("Playlist"), QString(), true);
    listSwitch->setToolButtonStyle(Qt::ToolButtonIconOnly);
    c->playlistVisibilitySwitch = listSwitch;
    c->playPauseSwitch = makeButton(bar, QObject::tr("Play"), QObject::tr("Play"), true, QStyle::SP_MediaPlay);
    c->timeWindBackwardButton = makeButton(bar, QObject::tr("Back"), QObject::tr("Wind Backward"), false,
                                           QStyle::SP_MediaSeekBackward);
    c->timeWindForwardButton = makeButton(bar, QObject::tr("Forward"), QObject::tr("Wind Forward"), false,
                                          QStyle::SP_MediaSeekForward);
    c->timeField = makeTimeField(bar);
    c->timeRemainderField = makeTimeField(bar);
    auto *sliderHolder = new QWidget(bar);
    w->timeSliderHolder = sliderHolder;
    auto *sliderLayout = new QHBoxLayout(sliderHolder);
    sliderLayout->setContentsMargins(0, 0, 0, 0);
    c->timeSlider = new QXSlider(sliderHolder);
    c->timeSlider->setRange(0, 0);
    c->timeSlider->setMinimumWidth(12);
    sliderLayout->addWidget(c->timeSlider);
    auto *volumeHolder = new QWidget(bar);
    w->volumeHolder = volumeHolder;
    auto *volumeLayout = new QHBoxLayout(volumeHolder);
    volumeLayout->setContentsMargins(0, 0, 0, 0);
    auto *volumeSlider = new QXSlider(volumeHolder);
    c->volumeSlider = volumeSlider;
    c->volumeSlider->setRange(0, 1000);   // value / 1000 is the volume
    volumeSlider->setWheelStep(100);      // a notch is a tenth, as the volume commands step
    c->volumeSlider->setFixedWidth(48);
    volumeLayout->addWidget(c->volumeSlider);
    c->volumeSlider->setToolTip(QObject::tr("Change Volume"));
    volumeHolder->setToolTip(QObject::tr("Change Volume"));
    QToolButton *lockSwitch = makeButton(bar, QObject::tr("Lock"), QString(), true);
    lockSwitch->setIcon(QXNamedImage(QStringLiteral("QXLock")));
    lockSwitch->setToolButtonStyle(Qt::ToolButtonIconOnly);
    c->aspectRatioLockSwitch = lockSwitch;
    QToolButton *rotate = makeButton(bar, QObject::tr("Rotate"), QObject::tr("Rotate"));
    rotate->setToolButtonStyle(Qt::ToolButtonIconOnly);
    c->rotateButton = rotate;
    QToolButton *presentSwitch = makeButton(bar, QObject::tr("Present"), QObject::tr("Presentation Mode"), true);
    presentSwitch->setIcon(QXNamedImage(QStringLiteral("QXPresent")));
    presentSwitch->setToolButtonStyle(Qt::ToolButtonIconOnly);
    c->presentationSwitch = presentSwitch;
    // Kept for what it reports; empty, it takes no room in the bar.
    c->statusField = new QLabel(bar);
    c->statusField->setStyleSheet("color: #bbb;");
    c->statusField->hide();

    barLayout->addWidget(c->playlistVisibilitySwitch);
    barLayout->addWidget(c->playPauseSwitch);
    barLayout->addWidget(c->timeWindBackwardButton);
    barLayout->addWidget(c->timeField);
    barLayout->addWidget(sliderHolder, 1);
    barLayout->addWidget(c->timeRemainderField);
    barLayout->addWidget(c->timeWindForwardButton);
    barLayout->addWidget(c->statusField);
    barLayout->addWidget(volumeHolder);
    barLayout->addWidget(c->rotateButton);
    barLayout->addWidget(c->aspectRatioLockSwitch);
    barLayout->addWidget(c->presentationSwitch);
    // Icon buttons stay small: a folded bar must fit the narrowest player area.
    for (QToolButton *b : bar->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly))
        b->setFixedSize(24, 24);
    rootLayout->addWidget(area, 1);
    // Pointer movement over the picture and the bar brings the floating bar back.
    for (QWidget *tracked : {static_cast<QWidget *>(area), c->playerContainerView, static_cast<QWidget *>(c->playerView),
                             static_cast<QWidget *>(bar)})
        tracked->setMouseTracking(true);

    // Controls.
    QObject::connect(c->playPauseSwitch, &QAbstractButton::clicked, c, [c] { c->playPause(); });
    QObject::connect(c->playlistVisibilitySwitch, &QAbstractButton::clicked, c, [c] { c->togglePlaylistVisibility(); });
    QObject::connect(c->playlistClearButton, &QAbstractButton::clicked, c, [c] { c->clearPlaylist(); });
    QObject::connect(c->playlistForwardButton, &QAbstractButton::clicked, c, [c] { c->forwardPlaylist(); });
    QObject::connect(c->playlistBackwardButton, &QAbstractButton::clicked, c, [c] { c->backwardPlaylist(); });
    // The user's clicks, drags and wheel turns; the time display's own updates are not actions.
    QObject::connect(c->timeSlider, &QAbstractSlider::actionTriggered, c, [c] {
        c->timeSlide(c->timeSlider->sliderPosition());
    });
    QObject::connect(c->volumeSlider, &QAbstractSlider::actionTriggered, c, [c] {
        c->volumeSlider->setValue(c->volumeSlider->sliderPosition());
        c->changeVolume();
    });
    // Folded, the rotate button is the chevron: its menu opens on the press, at the button's
    // (16, 9), and the button stays pressed while the menu is open.
    QObject::connect(c->rotateButton, &QAbstractButton::pressed, c, [c] {
        if (!c->overlay() || !c->overlay()->hasPrimaryMenu())
            return;
        QMenu *menu = c->overlay()->primaryMenu();
        QObject::connect(menu, &QMenu::aboutToHide, c->rotateButton, [c] { c->rotateButton->setDown(false); });
        menu->popup(c->rotateButton->mapToGlobal(QPoint(16, 9)));
    });
    QObject::connect(c->rotateButton, &QAbstractButton::clicked, c, [c] {
        if (!c->overlay() || !c->overlay()->hasPrimaryMenu())
            c->rotate();
    });
    QObject::connect(c->presentationSwitch, &QAbstractButton::clicked, c, [c] { c->togglePresentation(); });
    QObject::connect(c->aspectRatioLockSwitch, &QAbstractButton::clicked, c, [c] { c->toggleAspectRatioLock(); });
    QObject::connect(c->timeWindForwardButton, &QAbstractButton::clicked, c, [c] { c->wind(true); });
    QObject::connect(c->timeWindBackwardButton, &QAbstractButton::clicked, c, [c] { c->wind(false); });
    QObject::connect(table, &QAbstractItemView::doubleClicked, c, [c](const QModelIndex &index) {
        c->playlistDoubleClicked(index.row());
    });

    // Menus. Items that mirror a button click it, so each command has one implementation.
    QMenuBar *mb = w->menuBar();
    QMenu *file = mb->addMenu(QObject::tr("&File"));
    QAction *open = file->addAction(QObject::tr("Open..."));
    open->setShortcut(QKeySequence::Open);
    QObject::connect(open, &QAction::triggered, c, [c] { c->openDocument(); });
    file->addSeparator();
    // No application menu here: the preferences sit in the File menu, as on most desktops.
    QAction *preferences = file->addAction(QObject::tr("Preferences..."));
    preferences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    preferences->setMenuRole(QAction::PreferencesRole);
    QObject::connect(preferences, &QAction::triggered, c, [c] { c->showPreferences(); });
    file->addSeparator();
    QAction *close = file->addAction(QObject::tr("Close"));
    close->setShortcut(QKeySequence::Close);
    QObject::connect(close, &QAction::triggered, w, &QWidget::close);
    QAction *quit = file->addAction(QObject::tr("Quit"));
    quit->setShortcut(QKeySequence::Quit);
    QObject::connect(quit, &QAction::triggered, c, [c] { c->terminate(); });

    QMenu *playlist = mb->addMenu(QObject::tr("&Playlist"));
    c->playlistMenu = new QMenu(QObject::tr("Movies"), playlist);
    c->playlistMenuItem = playlist->addMenu(c->playlistMenu);
    QObject::connect(c->playlistMenu, &QMenu::aboutToShow, c, [c] { c->buildPlaylistMenuIfNeeded(); });
    c->playlistSortMenu = new QMenu(QObject::tr("Sort"), playlist);
    c->playlistSortMenuItem = playlist->addMenu(c->playlistSortMenu);
    const struct { const char *title; int tag; } sorts[] = {
        {QT_TR_NOOP("By Name"), 1}, {QT_TR_NOOP("By Location"), 2}, {QT_TR_NOOP("Shuffle"), 0}};
    for (const auto &s : sorts) {
        QAction *a = c->playlistSortMenu->addAction(QObject::tr(s.title));
        const int tag = s.tag;
        QObject::connect(a, &QAction::triggered, c, [c, tag] { c->sortPlaylist(tag); });
    }
    playlist->addSeparator();
    c->forwardPlaylistMenuItem = playlist->addAction(QObject::tr("Next Movie"));
    c->forwardPlaylistMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right));
    c->backwardPlaylistMenuItem = playlist->addAction(QObject::tr("Previous Movie"));
    c->backwardPlaylistMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left));
    c->clearPlaylistMenuItem = playlist->addAction(QObject::tr("Clear Playlist"));
    c->playlistVisibilityMenuItem = playlist->addAction(QObject::tr("Hide Playlist"));
    c->playlistVisibilityMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    QMenu *movie = mb->addMenu(QObject::tr("&Movie"));
    c->playPauseMenuItem = movie->addAction(QObject::tr("Play [Space]"));
    movie->addSeparator();
    const struct { const char *title; int tag; int key; } scales[] = {
        {QT_TR_NOOP("Half Size"), 5, Qt::Key_0}, {QT_TR_NOOP("Actual Size"), 10, Qt::Key_1},
        {QT_TR_NOOP("Double Size"), 20, Qt::Key_2}};
    for (const auto &sc : scales) {
        QAction *a = movie->addAction(QObject::tr(sc.title));
        a->setData(sc.tag);
        a->setCheckable(true);
        a->setShortcut(QKeySequence(Qt::CTRL | sc.key));
        const int tag = sc.tag;
        QObject::connect(a, &QAction::triggered, c, [c, tag] { c->setScale(tag); });
        c->scaleMenuItems.append(a);
    }
    QAction *bigger = movie->addAction(QObject::tr("Increase Size"));
    bigger->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus));
    QObject::connect(bigger, &QAction::triggered, c, [c] { c->increaseScale(); });
    QAction *smaller = movie->addAction(QObject::tr("Decrease Size"));
    smaller->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    QObject::connect(smaller, &QAction::triggered, c, [c] { c->decreaseScale(); });
    QAction *fit = movie->addAction(QObject::tr("Fit to Screen"));
    QObject::connect(fit, &QAction::triggered, c, [c] { c->fitPlayerWindowToScreen(); });
    c->presentationMenuItem = movie->addAction(QObject::tr("Presentation Mode"));
    c->presentationMenuItem->setCheckable(true);
    c->presentationMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    // How presentation scales the picture: the item's tag is the mode, its index in the
    // preferences pop-up.
    QMenu *modes = movie->addMenu(QObject::tr("Presentation Scaling"));
    modes->setObjectName(QStringLiteral("presentationModeMenu"));
    auto *modeGroup = new QActionGroup(modes);
    const QStringList modeTitles = QXPreferences::presentationModeTitles();
    for (int tag = 0; tag < modeTitles.size(); ++tag) {
        QAction *a = modes->addAction(modeTitles[tag]);
        a->setData(tag);
        a->setCheckable(true);
        modeGroup->addAction(a);
        QObject::connect(a, &QAction::triggered, c, [c, a] { c->setBooleanSettingFromMenuItem(a); });
    }
    // The check mark follows the setting when the menu opens.
    QObject::connect(modes, &QMenu::aboutToShow, modes, [modes] {
        const qint64 mode = QXSettings::standard().integerForKey(QXKeys::PresentationMode);
        for (QAction *a : modes->actions())
            a->setChecked(a->data().toLongLong() == mode);
    });
    QAction *overlay = movie->addAction(QObject::tr("Controls over the Picture"));
    overlay->setObjectName(QStringLiteral("overlayMenuItem"));
    overlay->setCheckable(true);
    QObject::connect(overlay, &QAction::triggered, c, [c, overlay] { c->setBooleanSettingFromMenuItem(overlay); });
    c->preferences()->overlayMenuItem = overlay;
    c->preferences()->presentationModeMenu = modes;
    movie->addSeparator();
    c->rotateMenuItem = movie->addAction(QObject::tr("Rotate"));
    c->rotateMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    QAction *clockwise = movie->addAction(QObject::tr("Rotate Clockwise"));
    QObject::connect(clockwise, &QAction::triggered, c, [c] { c->rotateClockwise(); });
    QAction *counter = movie->addAction(QObject::tr("Rotate Counterclockwise"));
    QObject::connect(counter, &QAction::triggered, c, [c] { c->rotateCounterclockwise(); });
    movie->addSeparator();
    c->aspectRatioLockMenuItem = movie->addAction(QObject::tr("Lock Aspect Ratio"));
    c->aspectRatioLockMenuItem->setCheckable(true);

    QMenu *sound = mb->addMenu(QObject::tr("&Sound"));
    QAction *louder = sound->addAction(QObject::tr("Increase Volume"));
    louder->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    QObject::connect(louder, &QAction::triggered, c, [c] { c->increaseVolume(); });
    QAction *softer = sound->addAction(QObject::tr("Decrease Volume"));
    softer->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    QObject::connect(softer, &QAction::triggered, c, [c] { c->decreaseVolume(); });
    c->muteMenuItem = sound->addAction(QObject::tr("Mute"));
    c->muteMenuItem->setCheckable(true);
    c->muteMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Down));
    QObject::connect(c->muteMenuItem, &QAction::triggered, c, [c] { c->mute(); });

    QMenu *help = mb->addMenu(QObject::tr("&Help"));
    const struct { const char *name, *title; void (*act)(QXMPController *); } helpItems[] = {
        {"helpItem", QT_TR_NOOP("Vistrel Help"), [](QXMPController *c) { c->help(); }},
        {"donateItem", QT_TR_NOOP("Donate..."), [](QXMPController *c) { c->donate(); }},
        {"homeItem", QT_TR_NOOP("Vistrel Home Page"), [](QXMPController *c) { c->goHome(); }},
        {"checkForUpdatesItem", QT_TR_NOOP("Check for Updates..."),
         [](QXMPController *) { QXRWUpdateChecker::updateChecker()->checkForUpdates(); }}};
    for (const auto &h : helpItems) {
        if (qstrcmp(h.name, "checkForUpdatesItem") == 0)
            help->addSeparator();
        QAction *a = help->addAction(QObject::tr(h.title));
        a->setObjectName(QString::fromLatin1(h.name));
        const auto act = h.act;
        QObject::connect(a, &QAction::triggered, c, [c, act] { act(c); });
    }

    w->setWindowTitle(QStringLiteral("Vistrel"));
    return true;
}
