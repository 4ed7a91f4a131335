#pragma once
// The preferences window: a toolbar of four sections ("General", "Controls", "Playlist",
// "Updates") over a stack of pages whose check boxes, fields and pop-up mirror the settings.
// Every change is stored at once; the couplings between the close and quit settings are kept
// here. The overlay menu item and the presentation-mode menu reach the same settings.
#include <QObject>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QRadioButton;
class QStackedWidget;
class QToolBar;
class QWidget;
class QXMPController;

// An interval as typed: its leading whole number (after blanks and a sign), kept within
// 1 ... MaxInterval; no number, 0 or less gives 1, a number too long for any integer gives
// MaxInterval.
constexpr qint64 QXMaxInterval = 86400;
qint64 QXIntervalFromText(const QString &text);

// How far the bottom edge of a window of the given height moves up so that the lowest
// control, whose bottom lies at lowestBottom (both from the window's top), sits 20 px above
// it; 0 when that is 0.9 px or less.
double QXPreferencesHeightChange(double windowHeight, double lowestBottom);

class QXPreferences : public QObject
{
    Q_OBJECT
public:
    explicit QXPreferences(QXMPController *controller);
    ~QXPreferences() override;

    // Builds the window on first use and fills it from the settings, then brings it forward.
    void showPreferences();
    bool isLoaded() const { return preferencesWindow != nullptr; }

    // Keeps the window's top edge and moves its bottom so the shown section fits.
    void updatePreferencesWindowFrame();
    void changePreferencesSection(QAction *item);
    static QStringList toolbarDefaultItemIdentifiers();

    void toggleBooleanPreference(QAbstractButton *control);
    void setBooleanSettingFromMenuItem(QAction *item, bool wasChecked);
    void changeListPreference(QComboBox *control);
    void controlTextDidChange(QLineEdit *field);
    void setIntervalFromTextField(QLineEdit *field, const QString &key);

    // The menu items acting on these settings, made with the player's menus.
    QPointer<QAction> overlayMenuItem;
    QPointer<QMenu> presentationModeMenu;
    // The titles of the presentation modes, by mode.
    static QStringList presentationModeTitles();

    // Outlets, made with the window.
    QWidget *preferencesWindow = nullptr;
    QToolBar *preferencesToolbar = nullptr;
    QActionGroup *preferencesSections = nullptr;
    QStackedWidget *preferencesTabView = nullptr;
    QCheckBox *overlaySwitch = nullptr;
    QLineEdit *controlIntervalField = nullptr;
    QLineEdit *stepIntervalField = nullptr;
    QCheckBox *showFileExtensionsSwitch = nullptr;
    QCheckBox *forgetOnOpenSwitch = nullptr;
    QCheckBox *forgetOnCloseSwitch = nullptr;
    QCheckBox *forgetOnQuitSwitch = nullptr;
    QCheckBox *rememberRotatationSwitch = nullptr;
    QCheckBox *playOnOpenSwitch = nullptr;
    QCheckBox *playOnPresentSwitch = nullptr;
    QCheckBox *pauseOnWindowSwitch = nullptr;
    QCheckBox *pauseOnUserSwitchSwitch = nullptr;
    QCheckBox *pauseOnCloseSwitch = nullptr;
    QCheckBox *quitOnCloseSwitch = nullptr;
    QCheckBox *showOnStartupSwitch = nullptr;
    QComboBox *presentationModeSelector = nullptr;
    QRadioButton *rotateClockwiseButton = nullptr;
    QRadioButton *rotateCounterclockwiseButton = nullptr;

private:
    void loadWindow();
    void fillControls();
    // The overlay steps shared by the switch and the menu item, screen updates held.
    void applyOverlaySetting(bool floating);

    QXMPController *m_c;
};
