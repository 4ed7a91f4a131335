#include "app/QXPreferences.h"

#include "app/QXSettings.h"
#include "controls/QXImages.h"
#include "controls/QXViews.h"
#include "update/QXRWUpdateChecker.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

qint64 QXIntervalFromText(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    qint64 value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        digits = true;
        // Past the cap the rest of a long number changes nothing.
        value = qMin<qint64>(value * 10 + (text[i].unicode() - u'0'), QXMaxInterval + 1);
    }
    if (!digits || negative || value < 1)
        return 1;
    return qMin(value, QXMaxInterval);
}

double QXPreferencesHeightChange(double windowHeight, double lowestBottom)
{
    const double change = (windowHeight - lowestBottom) - 20.0;
    return std::fabs(change) <= 0.9 ? 0.0 : change;
}

namespace {

struct Section
{
    const char *identifier;
    const char *image;
};
const Section sections[] = {
    {QT_TRANSLATE_NOOP("QXPreferences", "General"), "QXTPGeneral"},
    {QT_TRANSLATE_NOOP("QXPreferences", "Controls"), "QXTPControls"},
    {QT_TRANSLATE_NOOP("QXPreferences", "Playlist"), "QXTPHistory"},
    {QT_TRANSLATE_NOOP("QXPreferences", "Updates"), "QXTPUpdates"},
};

void setOnState(QAbstractButton *control, bool flag) { control->setChecked(flag); }
void setOffState(QAbstractButton *control, bool flag) { control->setChecked(!flag); }

} // namespace

QXPreferences::QXPreferences(std::function<bool()> isPresenting, QObject *parent)
    : QObject(parent), m_isPresenting(std::move(isPresenting))
{
}

QXPreferences::~QXPreferences() { delete preferencesWindow; }

QStringList QXPreferences::toolbarDefaultItemIdentifiers()
{
    QStringList ids;
    for (const Section &s : sections)
        ids << QString::fromLatin1(s.identifier);
    return ids;
}

QStringList QXPreferences::presentationModeTitles()
{
    // By mode: 1 fills the screen, any other fits the picture inside it.
    return {tr("Fit Picture to Screen"), tr("Fill Screen")};
}

void QXPreferences::showPreferences()
{
    if (!preferencesWindow) {
        loadWindow();
        fillControls();
        updatePreferencesWindowFrame();
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), preferencesWindow->size());
            frame.moveCenter(screen->availableGeometry().center());
            preferencesWindow->move(frame.topLeft());
        }
    }
    preferencesWindow->show();
    preferencesWindow->raise();
    preferencesWindow->activateWindow();
}

void QXPreferences::loadWindow()
{
    auto *window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QStringLiteral("Preferences"));
    window->setWindowTitle(tr("Preferences"));
    // Closed by the keys that close the player's window and dialogs.
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, window), &QShortcut::activated, window, &QWidget::close);
    auto *windowLayout = new QVBoxLayout(window);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->setSpacing(0);

    // Sections: one checkable, exclusive item each; no customising. They sit on the window's
    // dark blue head.
    auto *head = new QXDarkBlueGradientView(window);
    auto *headLayout = new QHBoxLayout(head);
    headLayout->setContentsMargins(0, 0, 0, 0);
    auto *toolbar = new QToolBar(head);
    toolbar->setStyleSheet(QStringLiteral("QToolBar { background: transparent; border: none; }"
                                          "QToolButton { color: white; }"
                                          "QToolButton:checked { background: rgba(255, 255, 255, 60); border: none; }"));
    headLayout->addWidget(toolbar);
    toolbar->setObjectName(QStringLiteral("Preferences Toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(32, 32));
    auto *group = new QActionGroup(toolbar);
    group->setExclusive(true);
    for (const Section &s : sections) {
        const QString id = QString::fromLatin1(s.identifier);
        QAction *item = toolbar->addAction(QXNamedImage(QString::fromLatin1(s.image)), tr(s.identifier));
        item->setObjectName(id);
        item->setToolTip(tr(s.identifier));
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { changePreferencesSection(item); });
    }
    windowLayout->addWidget(head);

    auto *stack = new QStackedWidget(window);
    stack->setObjectName(QStringLiteral("preferencesTabView"));
    // The window's height follows the shown section, never the tallest one.
    stack->setMinimumSize(1, 1);
    windowLayout->addWidget(stack, 1);

    const auto page = [stack](const char *identifier) {
        auto *p = new QWidget(stack);
        p->setObjectName(QString::fromLatin1(identifier));
        auto *layout = new QVBoxLayout(p);
        layout->setContentsMargins(20, 16, 20, 0);
        layout->setSpacing(8);
        stack->addWidget(p);
        return std::make_pair(p, layout);
    };
    const auto checkBox = [this](QWidget *p, QBoxLayout *layout, const QString &title, const char *name) {
        auto *box = new QCheckBox(title, p);
        box->setObjectName(QString::fromLatin1(name));
        layout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this, box] { toggleBooleanPreference(box); });
        return box;
    };
    const auto intervalRow = [this](QWidget *p, QBoxLayout *layout, const QString &before, const char *name) {
        auto *row = new QHBoxLayout;
        auto *field = new QLineEdit(p);
        field->setObjectName(QString::fromLatin1(name));
        field->setFixedWidth(70);
        field->setAlignment(Qt::AlignRight);
        row->addWidget(new QLabel(before, p));
        row->addWidget(field);
        row->addWidget(new QLabel(tr("seconds"), p));
        row->addStretch(1);
        layout->addLayout(row);
        // Each edit by the user is stored at once, without leaving the field.
        connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });
        return field;
    };

    auto [general, generalLayout] = page(sections[0].identifier);
    showOnStartupSwitch = checkBox(general, generalLayout, tr("Show the player window at startup"), "showOnStartupSwitch");
    showFileExtensionsSwitch = checkBox(general, generalLayout, tr("Show file name extensions"), "showFileExtensionsSwitch");
    pauseOnUserSwitchSwitch = checkBox(general, generalLayout, tr("Pause when another user takes over the screen"),
                                       "pauseOnUserSwitchSwitch");
    rememberRotatationSwitch = checkBox(general, generalLayout, tr("Remember how each movie is rotated"),
                                        "rememberRotatationSwitch");
    auto *rotateRow = new QHBoxLayout;
    rotateRow->addWidget(new QLabel(tr("The Rotate button turns the picture"), general));
    rotateClockwiseButton = new QRadioButton(tr("clockwise"), general);
    rotateClockwiseButton->setObjectName(QStringLiteral("rotateClockwiseButton"));
    rotateCounterclockwiseButton = new QRadioButton(tr("counterclockwise"), general);
    rotateCounterclockwiseButton->setObjectName(QStringLiteral("rotateCounterclockwiseButton"));
    auto *directions = new QButtonGroup(general);
    for (QRadioButton *b : {rotateClockwiseButton, rotateCounterclockwiseButton}) {
        directions->addButton(b);
        rotateRow->addWidget(b);
        connect(b, &QRadioButton::clicked, this, [this, b] { toggleBooleanPreference(b); });
    }
    rotateRow->addStretch(1);
    generalLayout->addLayout(rotateRow);
    resumeSwitch = checkBox(general, generalLayout, tr("Resume movies where they were left"), "resumeSwitch");
    hardwareDecodingSwitch = checkBox(general, generalLayout, tr("Use hardware decoding"), "hardwareDecodingSwitch");
    generalLayout->addStretch(1);

    auto [controls, controlsLayout] = page(sections[1].identifier);
    playOnOpenSwitch = checkBox(controls, controlsLayout, tr("Play movies as they open"), "playOnOpenSwitch");
    pauseOnCloseSwitch = checkBox(controls, controlsLayout, tr("Pause when the window closes"), "pauseOnCloseSwitch");
    quitOnCloseSwitch = checkBox(controls, controlsLayout, tr("Quit when the window closes"), "quitOnCloseSwitch");
    overlaySwitch = checkBox(controls, controlsLayout, tr("Show the controls over the picture in window mode"),
                             "overlaySwitch");
    controlIntervalField = intervalRow(controls, controlsLayout, tr("Hide the controls over the picture after"),
                                       "controlIntervalField");
    stepIntervalField = intervalRow(controls, controlsLayout, tr("The wind buttons move by"), "stepIntervalField");
    playOnPresentSwitch = checkBox(controls, controlsLayout, tr("Play when presentation mode starts"), "playOnPresentSwitch");
    pauseOnWindowSwitch = checkBox(controls, controlsLayout, tr("Pause when presentation mode ends"), "pauseOnWindowSwitch");
    auto *modeRow = new QHBoxLayout;
    modeRow->addWidget(new QLabel(tr("Presentation mode:"), controls));
    presentationModeSelector = new QComboBox(controls);
    presentationModeSelector->setObjectName(QStringLiteral("presentationModeSelector"));
    presentationModeSelector->addItems(presentationModeTitles());
    connect(presentationModeSelector, &QComboBox::activated, this, [this] { changeListPreference(presentationModeSelector); });
    modeRow->addWidget(presentationModeSelector);
    modeRow->addStretch(1);
    controlsLayout->addLayout(modeRow);
    controlsLayout->addStretch(1);

    auto [playlist, playlistLayout] = page(sections[2].identifier);
    forgetOnOpenSwitch = checkBox(playlist, playlistLayout, tr("Start a new playlist when movies are opened"),
                                  "forgetOnOpenSwitch");
    forgetOnCloseSwitch = checkBox(playlist, playlistLayout, tr("Clear the playlist when the window closes"),
                                   "forgetOnCloseSwitch");
    forgetOnQuitSwitch = checkBox(playlist, playlistLayout, tr("Forget the playlist when quitting"), "forgetOnQuitSwitch");
    playlistLayout->addStretch(1);

    auto [updates, updatesLayout] = page(sections[3].identifier);
    QXRWUpdateChecker::updateChecker()->installUpdatesPane(updates, updatesLayout);
    updatesLayout->addStretch(1);

    // As wide as the widest section needs.
    int width = 440;
    for (int i = 0; i < stack->count(); ++i)
        width = qMax(width, stack->widget(i)->sizeHint().width());
    window->setFixedWidth(qMax(width, toolbar->sizeHint().width()));
    window->resize(window->width(), 400);

    preferencesWindow = window;
    preferencesToolbar = toolbar;
    preferencesSections = group;
    preferencesTabView = stack;
    // The toolbar marks "General" chosen and the stack shows it.
    group->actions().constFirst()->setChecked(true);
    stack->setCurrentIndex(0);
}

void QXPreferences::fillControls()
{
    QXSettings &settings = QXSettings::standard();
    const auto flag = [&settings](const QString &key) { return settings.boolForKey(key); };
    setOnState(overlaySwitch, flag(QXKeys::OverlayControlsInWindowMode));
    controlIntervalField->setText(QString::number(qMin<qint64>(qint64(QXControlInterval(settings)), QXMaxInterval)));
    stepIntervalField->setText(QString::number(qMin<qint64>(QXStepInterval(settings), QXMaxInterval)));
    setOffState(showFileExtensionsSwitch, flag(QXKeys::HideFileExtensions));
    setOnState(forgetOnOpenSwitch, flag(QXKeys::ForgetPlaylistOnOpen));
    setOnState(forgetOnCloseSwitch, flag(QXKeys::ForgetPlaylistOnClose));
    setOffState(forgetOnQuitSwitch, flag(QXKeys::DoNotForgetPlaylistOnQuit));
    setOffState(rememberRotatationSwitch, flag(QXKeys::ForgetRotation));
    setOffState(resumeSwitch, flag(QXKeys::DoNotResumeMovies));
    setOffState(hardwareDecodingSwitch, flag(QXKeys::DoNotUseHardwareDecoding));
    setOffState(playOnOpenSwitch, flag(QXKeys::DoNotPlayOnOpen));
    setOffState(playOnPresentSwitch, flag(QXKeys::DoNotPlayOnPresent));
    setOnState(pauseOnWindowSwitch, flag(QXKeys::PauseOnWindow));
    setOnState(quitOnCloseSwitch, flag(QXKeys::QuitOnClose));
    setOffState(pauseOnCloseSwitch, flag(QXKeys::DoNotPauseOnClose));
    setOffState(pauseOnUserSwitchSwitch, flag(QXKeys::DoNotPauseOnUserSwitch));
    setOffState(showOnStartupSwitch, flag(QXKeys::DoNotShowWindowOnStartup));
    const qint64 mode = settings.integerForKey(QXKeys::PresentationMode);
    if (mode >= 0 && mode < presentationModeSelector->count())
        presentationModeSelector->setCurrentIndex(int(mode));
    const bool counterclockwise = flag(QXKeys::RotateCounterclockwise);
    rotateCounterclockwiseButton->setChecked(counterclockwise);
    rotateClockwiseButton->setChecked(!counterclockwise);

    // Forgetting the playlist on close leaves nothing to keep at quit; closing it or quitting
    // on close leaves nothing to leave playing.
    if (flag(QXKeys::ForgetPlaylistOnClose)) {
        forgetOnQuitSwitch->setEnabled(false);
        forgetOnQuitSwitch->setChecked(true);
        settings.setBool(false, QXKeys::DoNotForgetPlaylistOnQuit);
    }
    if (flag(QXKeys::QuitOnClose) || flag(QXKeys::ForgetPlaylistOnClose)) {
        pauseOnCloseSwitch->setEnabled(false);
        pauseOnCloseSwitch->setChecked(true);
        settings.setBool(false, QXKeys::DoNotPauseOnClose);
    }
}

void QXPreferences::updatePreferencesWindowFrame()
{
    QWidget *section = preferencesTabView ? preferencesTabView->currentWidget() : nullptr;
    if (!section)
        return;
    // Lay the section out at no less than its natural height, so its controls sit where they
    // will sit in the fitted window even when the window is still too short for them.
    preferencesWindow->layout()->setGeometry(preferencesWindow->rect());
    section->setGeometry(0, 0, preferencesTabView->width(),
                         qMax(preferencesTabView->height(), section->sizeHint().height()));
    section->layout()->setGeometry(section->rect());
    double lowest = preferencesTabView->mapTo(preferencesWindow, QPoint(0, 0)).y();
    for (QWidget *control : section->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!control->isHidden())
            lowest = qMax<double>(lowest, control->mapTo(preferencesWindow, QPoint(0, control->height())).y());
    }
    const double change = QXPreferencesHeightChange(preferencesWindow->height(), lowest);
    if (change == 0.0)
        return;
    // The top edge stays; the bottom edge moves.
    preferencesWindow->resize(preferencesWindow->width(), qRound(preferencesWindow->height() - change));
}

void QXPreferences::changePreferencesSection(QAction *item)
{
    if (!item || !preferencesTabView)
        return;
    QWidget *section = preferencesTabView->findChild<QWidget *>(item->objectName(), Qt::FindDirectChildrenOnly);
    if (!section)
        return;
    preferencesTabView->setCurrentWidget(section);
    updatePreferencesWindowFrame();
}

void QXPreferences::toggleBooleanPreference(QAbstractButton *control)
{
    if (!control || !preferencesWindow)
        return;
    QXSettings &settings = QXSettings::standard();
    const bool on = control->isChecked();
    const auto keepPauseOnCloseOn = [&] {
        pauseOnCloseSwitch->setEnabled(false);
        pauseOnCloseSwitch->setChecked(true);
        settings.setBool(false, QXKeys::DoNotPauseOnClose);
    };

    if (control == overlaySwitch) {
        settings.setBool(on, QXKeys::OverlayControlsInWindowMode);
        // While presenting the controls float anyway; the window shows the change on return.
        if (m_isPresenting())
            return;
        emit overlaySettingChanged(on);
        if (overlayMenuItem)
            overlayMenuItem->setChecked(on);
    } else if (control == showFileExtensionsSwitch) {
        settings.setBool(!on, QXKeys::HideFileExtensions);
        emit playlistNamesChanged();
    } else if (control == forgetOnOpenSwitch) {
        settings.setBool(on, QXKeys::ForgetPlaylistOnOpen);
    } else if (control == forgetOnCloseSwitch) {
        settings.setBool(on, QXKeys::ForgetPlaylistOnClose);
        if (on) {
            keepPauseOnCloseOn();
            forgetOnQuitSwitch->setEnabled(false);
            forgetOnQuitSwitch->setChecked(true);
            settings.setBool(false, QXKeys::DoNotForgetPlaylistOnQuit);
        } else {
            pauseOnCloseSwitch->setEnabled(!quitOnCloseSwitch->isChecked());
            forgetOnQuitSwitch->setEnabled(true);
        }
    } else if (control == forgetOnQuitSwitch) {
        settings.setBool(!on, QXKeys::DoNotForgetPlaylistOnQuit);
    } else if (control == rememberRotatationSwitch) {
        settings.setBool(!on, QXKeys::ForgetRotation);
    } else if (control == resumeSwitch) {
        settings.setBool(!on, QXKeys::DoNotResumeMovies);
    } else if (control == hardwareDecodingSwitch) {
        settings.setBool(!on, QXKeys::DoNotUseHardwareDecoding);
        emit hardwareDecodingChanged(on);
    } else if (control == playOnOpenSwitch) {
        settings.setBool(!on, QXKeys::DoNotPlayOnOpen);
    } else if (control == playOnPresentSwitch) {
        settings.setBool(!on, QXKeys::DoNotPlayOnPresent);
    } else if (control == pauseOnWindowSwitch) {
        settings.setBool(on, QXKeys::PauseOnWindow);
    } else if (control == pauseOnCloseSwitch) {
        settings.setBool(!on, QXKeys::DoNotPauseOnClose);
    } else if (control == quitOnCloseSwitch) {
        settings.setBool(on, QXKeys::QuitOnClose);
        if (on)
            keepPauseOnCloseOn();
        else
            pauseOnCloseSwitch->setEnabled(!forgetOnCloseSwitch->isChecked());
    } else if (control == pauseOnUserSwitchSwitch) {
        settings.setBool(!on, QXKeys::DoNotPauseOnUserSwitch);
    } else if (control == showOnStartupSwitch) {
        settings.setBool(!on, QXKeys::DoNotShowWindowOnStartup);
    } else if (control == rotateClockwiseButton || control == rotateCounterclockwiseButton) {
        const bool counterclockwise = control == rotateCounterclockwiseButton;
        settings.setBool(counterclockwise, QXKeys::RotateCounterclockwise);
        (counterclockwise ? rotateClockwiseButton : rotateCounterclockwiseButton)->setChecked(false);
        emit rotateDirectionChanged();
    }
}

void QXPreferences::setBooleanSettingFromMenuItem(QAction *item)
{
    if (!item)
        return;
    QXSettings &settings = QXSettings::standard();
    if (item == overlayMenuItem) {
        // While presenting the item changes nothing, its own check mark (turned over on its
        // way here) included.
        if (m_isPresenting()) {
            if (item->isCheckable())
                item->setChecked(!item->isChecked());
            return;
        }
        const bool floating = !settings.boolForKey(QXKeys::OverlayControlsInWindowMode);
        settings.setBool(floating, QXKeys::OverlayControlsInWindowMode);
        emit overlaySettingChanged(floating);
        item->setChecked(floating);
        if (overlaySwitch)
            overlaySwitch->setChecked(floating);
    } else if (presentationModeMenu && item->parent() == presentationModeMenu) {
        const int tag = item->data().toInt();
        settings.setInteger(tag, QXKeys::PresentationMode);
        emit presentationModeChanged();
        if (presentationModeSelector && tag >= 0 && tag < presentationModeSelector->count())
            presentationModeSelector->setCurrentIndex(tag);
    }
}

void QXPreferences::changeListPreference(QComboBox *control)
{
    if (!control || control != presentationModeSelector)
        return;
    QXSettings::standard().setInteger(control->currentIndex(), QXKeys::PresentationMode);
    emit presentationModeChanged();
}

void QXPreferences::controlTextDidChange(QLineEdit *field)
{
    if (!field)
        return;
    if (field == controlIntervalField)
        setIntervalFromTextField(field, QXKeys::ControlInterval);
    else if (field == stepIntervalField)
        setIntervalFromTextField(field, QXKeys::StepInterval);
}

void QXPreferences::setIntervalFromTextField(QLineEdit *field, const QString &key)
{
    const qint64 value = QXIntervalFromText(field->text());
    // What is stored is what the field shows: 1 for nothing usable, the cap for too much.
    if (QString::number(value) != field->text().trimmed() && (value == 1 || value == QXMaxInterval))
        field->setText(QString::number(value));
    QXSettings::standard().setInteger(value, key);
}
