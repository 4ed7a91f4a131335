#pragma once
// Finds out whether a newer Vistrel exists: fetches the version list from the update server in
// the background, records the outcome as a status line with a date and a colour in the
// settings, shows it in the Updates pane of the preferences and, for a newer version, opens an
// alert with the release notes and a download button. A check the user asked for also ends in
// a small message when there is no update or the check failed.
#include <QColor>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include "update/QXRWUpdateParsing.h"

#include <functional>

class QAbstractButton;
class QBoxLayout;
class QCheckBox;
class QDialog;
class QLabel;
class QMessageBox;
class QPushButton;
class QTextBrowser;
class QWidget;
class QXRWUpdateFetch;

class QXRWUpdateChecker : public QObject
{
    Q_OBJECT
public:
    // The shared checker, made on first use and kept for the life of the process.
    static QXRWUpdateChecker *updateChecker();

    // The running player's version, as `vistrel --version` prints it.
    static QString ownVersion();
    // The update server's origin: $VISTREL_UPDATE_SERVER when it is an accepted address, else
    // the one built in; no trailing slash.
    static QString updateServer();
    static QUrl versionListURL();

    bool checkAtStartup() const;
    // The switch's action: stores its state and forgets the last check, so the next launch
    // with the switch on checks at once.
    void toggleCheckAtStartup(QAbstractButton *sender);

    // Whether the stored status was written by this version; statuses of other versions are
    // not shown.
    bool isCurrentStatus() const;
    QString status() const;
    QString statusDate() const;
    QColor statusColor() const; // the standard text colour when none is stored
    // Records a status (an empty one removes it) dated now by dateFormat (see
    // QXUpdate::formatDate), then refreshes the Updates pane.
    void setStatus(const QString &status, const QString &dateFormat, const QColor &color);

    // Starts a check and returns at once; its outcome arrives within VersionListTimeoutMs. An
    // automatic check runs only with the switch on and at most once every 7 days. One check
    // runs at a time: asking while one is under way makes that one report as the user's.
    void checkForUpdatesWithAutomaticRequest(bool automatic);
    void checkForUpdates();
    bool isChecking() const;

    static QUrl URLFromAddress(const QUrl &address, const QString &defaultURLString);
    QUrl productPageURL() const;
    QUrl releaseNotesURL() const;
    void visitWebSite();
    void showAlert();
    // The window the alert stays in front of (it is not on top of other windows).
    void setAlertParent(QWidget *parent);
    // Brings a shown alert back in front of its parent when that was shown after it.
    void showAlertAgainIfShown();

    // Puts the Updates pane's controls into a preferences page (the switch, "Check Now", the
    // status and date lines) and fills them from the settings.
    void installUpdatesPane(QWidget *page, QBoxLayout *layout);
    void awakeFromNib();

    // The clock the checker reads (tests); an empty function restores the system clock.
    void setClock(std::function<QDateTime()> clock);
    QDateTime now() const;

    static constexpr double CheckInterval = 604800.0; // 7 days
    static constexpr int VersionListTimeoutMs = 5000;
    static constexpr qint64 MaxVersionListBytes = 1 << 20;
    static constexpr int ReleaseNotesTimeoutMs = 10000;
    static constexpr qint64 MaxReleaseNotesBytes = 2 << 20;

    // Outlets: the Updates pane's, then the alert's.
    QPointer<QCheckBox> autoUpdateCheckingSwitch;
    QPointer<QLabel> statusTextField;
    QPointer<QLabel> statusDateTextField;
    QPointer<QDialog> alertWindow;
    QLabel *alertWindowMessageTextField = nullptr;
    QTextBrowser *alertWindowReleaseNotesWebView = nullptr;
    QPushButton *alertWindowDownloadButton = nullptr;
    QPushButton *alertWindowCancelButton = nullptr;
    // The message ending a check the user asked for that found no update.
    QPointer<QMessageBox> outcomeAlert;
    // Named by the last version list that named them; empty until then.
    QUrl productPageAddress;
    QUrl releaseNotesAddress;

private:
    QXRWUpdateChecker();
    bool automaticCheckIsDue() const;
    void finishCheck(const QXUpdate::VersionList &list, QXUpdate::Failure failure, int httpStatus);
    void showOutcome(const QString &text, bool failed);
    void loadAlertWindow();
    void showStatus();
    void loadReleaseNotes();

    std::function<QDateTime()> m_clock;
    QPointer<QWidget> m_alertParent;
    QPointer<QXRWUpdateFetch> m_releaseNotesFetch;
    QPointer<QXRWUpdateFetch> m_versionListFetch;
    bool m_checkIsAutomatic = false;
    bool m_checkIsReported = false;
};
