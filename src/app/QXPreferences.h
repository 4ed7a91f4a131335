#pragma once
// The preferences window: a toolbar of four sections ("General", "Controls", "Playlist",
// "Updates") over a stack of pages whose check boxes, fields and pop-up mirror the settings.
// Every change is stored at once; the couplings between the close and quit settings are kept
// here. The overlay menu item and the presentation-mode menu reach the same settings. What the
// rest of the player must follow is told by signals.
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

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
    // isPresenting tells whether the player presents: the bar floats then whatever the
    // overlay setting says, and the window takes a new form only on return.
    QXPreferences(std::function<bool()> isPresenting, QObject *parent);
    ~QXPreferences() override;

    // Builds the window on first use and fills it from the settings, then brings it forward.
    void showPreferences();
    bool isLoaded() const { return preferencesWindow != nullptr; }

    // Keeps the window's top edge and moves its bottom so the shown section fits.
    void updatePreferencesWindowFrame();
    void changePreferencesSection(QAction *item);
    static QStringList toolbarDefaultItemIdentifiers();

    void toggleBooleanPreference(QAbstractButton *control);
    // The action of the overlay menu item and of the presentation-mode menu's items, sent
    // after a checkable item has flipped its own check mark.
    void setBooleanSettingFromMenuItem(QAction *item);
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
    QCheckBox *resumeSwitch = nullptr;
    QCheckBox *hardwareDecodingSwitch = nullptr;
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

signals:
    // The bar floats over the picture, or not, from now on (never sent while presenting).
    void overlaySettingChanged(bool floating);
    // Names show their extensions, or not, from now on.
    void playlistNamesChanged();
    void rotateDirectionChanged();
    void presentationModeChanged();
    void hardwareDecodingChanged(bool on);

private:
    void loadWindow();
    void fillControls();

    std::function<bool()> m_isPresenting;
};
