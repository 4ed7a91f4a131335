#include "update/QXRWUpdateChecker.h"

#include "app/QXSettings.h"
#include "app/QXWebLink.h"
#include "update/QXRWUpdateFetch.h"
#include "update/QXRWUpdateParsing.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStringDecoder>
#include <QTextBrowser>

namespace {

const char *const VersionListPath = "/vistrel/version.plist";
const char *const ProductPagePath = "/vistrel";
const char *const ReleaseNotesPath = "/vistrel/log.html";

// Shows the fetched page and nothing else: no image, style sheet or file it names is loaded,
// and a link leaves for the browser only when it is a web address.
class QXReleaseNotesView : public QTextBrowser
{
public:
    explicit QXReleaseNotesView(QWidget *parent) : QTextBrowser(parent)
    {
        setOpenLinks(false);
        setOpenExternalLinks(false);
        connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
            const QUrl url = m_base.resolved(link);
            const QString scheme = url.scheme().toLower();
            if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty())
                QDesktopServices::openUrl(url);
        });
    }
    void showPage(const QByteArray &body, const QUrl &base)
    {
        m_base = base;
        QStringDecoder decode(QStringConverter::encodingForHtml(body).value_or(QStringConverter::Utf8));
        setHtml(decode(body));
    }
    // An empty answer, not a null one: the document would read a file address it names itself.
    QVariant loadResource(int type, const QUrl &) override
    {
        if (type == QTextDocument::ImageResource)
            return QImage();
        if (type == QTextDocument::StyleSheetResource)
            return QString(QLatin1String(""));
        return QByteArray("", 0);
    }

private:
    QUrl m_base;
};

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QString checkDateFormat() { return QXRWUpdateChecker::tr("Last check: %B %1d, %Y - %1I:%M%p"); }

} // namespace

QXRWUpdateChecker::QXRWUpdateChecker()
{
    // A check under way at quit ends there, its connection closed while the application is
    // still there to close it.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            for (QXRWUpdateFetch *fetch : {m_versionListFetch.data(), m_releaseNotesFetch.data()})
                delete fetch;
        });
    }
}

QXRWUpdateChecker *QXRWUpdateChecker::updateChecker()
{
    static QXRWUpdateChecker *const singletonQXRWUpdateChecker = new QXRWUpdateChecker;
    return singletonQXRWUpdateChecker;
}

QString QXRWUpdateChecker::ownVersion() { return QStringLiteral(VISTREL_VERSION); }

QString QXRWUpdateChecker::updateServer()
{
    return QXUpdate::serverOrigin(qEnvironmentVariable("VISTREL_UPDATE_SERVER"),
                                  QStringLiteral(VISTREL_DEFAULT_UPDATE_SERVER));
}

QUrl QXRWUpdateChecker::versionListURL() { return QUrl(updateServer() + QLatin1String(VersionListPath)); }

bool QXRWUpdateChecker::checkAtStartup() const
{
    return QXSettings::standard().boolForKey(QXKeys::UpdateCheckAtStartup);
}

void QXRWUpdateChecker::toggleCheckAtStartup(QAbstractButton *sender)
{
    QXSettings &settings = QXSettings::standard();
    settings.setObject(QJsonValue(sender && sender->isChecked()), QXKeys::UpdateCheckAtStartup);
    settings.setObject(QJsonValue(0.0), QXKeys::UpdateLastCheckDate);
}

bool QXRWUpdateChecker::isCurrentStatus() const
{
    const QJsonValue stored = QXSettings::standard().objectForKey(QXKeys::UpdateStatusVersion);
    return stored.isString() && stored.toString() == ownVersion();
}

QString QXRWUpdateChecker::status() const
{
    const QJsonValue v = QXSettings::standard().objectForKey(QXKeys::UpdateStatus);
    return v.isString() && isCurrentStatus() ? v.toString() : QString();
}

QString QXRWUpdateChecker::statusDate() const
{
    const QJsonValue v = QXSettings::standard().objectForKey(QXKeys::UpdateStatusDate);
    return v.isString() && isCurrentStatus() ? v.toString() : QString();
}

QColor QXRWUpdateChecker::statusColor() const
{
    const QColor stored = QXSettings::standard().colorForKey(QXKeys::UpdateStatusColor);
    return stored.isValid() && isCurrentStatus() ? stored : QGuiApplication::palette().color(QPalette::WindowText);
}

void QXRWUpdateChecker::setStatus(const QString &text, const QString &dateFormat, const QColor &color)
{
    QXSettings &settings = QXSettings::standard();
    if (text.isEmpty()) {
        settings.tryToRemoveObjectForKey(QXKeys::UpdateStatus);
        settings.tryToRemoveObjectForKey(QXKeys::UpdateStatusDate);
        settings.tryToRemoveObjectForKey(QXKeys::UpdateStatusVersion);
        settings.tryToRemoveObjectForKey(QXKeys::UpdateStatusColor);
    } else {
        settings.setObject(text, QXKeys::UpdateStatus);
        settings.setObject(QXUpdate::formatDate(dateFormat, now().toLocalTime(), QLocale::system()),
                           QXKeys::UpdateStatusDate);
        settings.setObject(ownVersion(), QXKeys::UpdateStatusVersion);
        // Portable text, "#rrggbb".
        if (color.isValid())
            settings.setObject(color.name(), QXKeys::UpdateStatusColor);
        else
            settings.tryToRemoveObjectForKey(QXKeys::UpdateStatusColor);
    }
    showStatus();
}

bool QXRWUpdateChecker::automaticCheckIsDue() const
{
    if (!checkAtStartup())
        return false;
    const QJsonValue last = QXSettings::standard().objectForKey(QXKeys::UpdateLastCheckDate);
    if (!last.isDouble())
        return true;
    const double since = QXUpdate::secondsSinceReferenceDate(now()) - last.toDouble();
    // A date ahead of the clock (a clock set back, an edited file) holds nothing off.
    return since < 0 || since >= CheckInterval;
}

void QXRWUpdateChecker::checkForUpdatesWithAutomaticRequest(bool automatic)
{
    if (automatic && !automaticCheckIsDue())
        return;
    if (m_versionListFetch) {
        m_checkIsReported = m_checkIsReported || !automatic;
        return;
    }
    m_checkIsAutomatic = automatic;
    m_checkIsReported = !automatic;
    auto *fetch = new QXRWUpdateFetch(versionListURL(), MaxVersionListBytes, VersionListTimeoutMs, this);
    m_versionListFetch = fetch;
    connect(fetch, &QXRWUpdateFetch::finished, this, [this, fetch](const QByteArray &body, bool ok) {
        fetch->deleteLater();
        m_versionListFetch = nullptr;
        const QXUpdate::VersionList list = ok ? QXUpdate::parseVersionList(body) : QXUpdate::VersionList();
        finishCheck(list, ok ? QXUpdate::Failure::NotAVersionList : fetch->failure(), fetch->httpStatus());
    });
}

bool QXRWUpdateChecker::isChecking() const { return m_versionListFetch; }

void QXRWUpdateChecker::finishCheck(const QXUpdate::VersionList &list, QXUpdate::Failure failure, int httpStatus)
{
    if (!list.ok) {
        const QString text = tr("The check for updates failed: %1.")
                                 .arg(QXUpdate::failureReason(failure, httpStatus, VersionListTimeoutMs,
                                                              MaxVersionListBytes));
        setStatus(text, tr("Last attempt: %B %1d, %Y - %1I:%M%p"), QColor::fromRgbF(0.4, 0, 0));
        if (m_checkIsReported)
            showOutcome(text, true);
        return;
    }
    if (!list.productPage.isEmpty())
        productPageAddress = list.productPage;
    if (!list.releaseNotes.isEmpty())
        releaseNotesAddress = list.releaseNotes;
    if (m_checkIsAutomatic)
        QXSettings::standard().setObject(QXUpdate::secondsSinceReferenceDate(now()), QXKeys::UpdateLastCheckDate);

    // Only a newer version is an update: an older one offered would be a downgrade.
    const std::optional<int> order = QXUpdate::compareVersions(list.productVersion, ownVersion());
    if (order && *order > 0) {
        setStatus(tr("Vistrel %1 is now available!").arg(list.productVersion), checkDateFormat(),
                  QColor::fromRgbF(0, 0.3, 0));
        showAlert();
    } else {
        setStatus(tr("Vistrel is up to date."), checkDateFormat(), QColor());
        if (m_checkIsReported)
            showOutcome(tr("Vistrel %1 is the newest version.").arg(ownVersion()), false);
    }
}

void QXRWUpdateChecker::showOutcome(const QString &text, bool failed)
{
    // One message at a time: a later check's replaces an earlier one's.
    if (!outcomeAlert) {
        auto *box = new QMessageBox(m_alertParent);
        box->setObjectName(QStringLiteral("UpdateOutcome"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->setWindowTitle(tr("Software Update"));
        box->setStandardButtons(QMessageBox::Ok);
        outcomeAlert = box;
    }
    outcomeAlert->setIcon(failed ? QMessageBox::Warning : QMessageBox::Information);
    outcomeAlert->setText(text);
    outcomeAlert->show();
    outcomeAlert->raise();
    outcomeAlert->activateWindow();
}

void QXRWUpdateChecker::checkForUpdates() { checkForUpdatesWithAutomaticRequest(false); }

QUrl QXRWUpdateChecker::URLFromAddress(const QUrl &address, const QString &defaultURLString)
{
    return address.isValid() && !address.isEmpty() ? address : QUrl(defaultURLString);
}

QUrl QXRWUpdateChecker::productPageURL() const
{
    return URLFromAddress(productPageAddress, updateServer() + QLatin1String(ProductPagePath));
}

QUrl QXRWUpdateChecker::releaseNotesURL() const
{
    return URLFromAddress(releaseNotesAddress, updateServer() + QLatin1String(ReleaseNotesPath));
}

void QXRWUpdateChecker::visitWebSite() { QXWebLink::open(productPageURL(), alertWindow); }

void QXRWUpdateChecker::setAlertParent(QWidget *parent)
{
    m_alertParent = parent;
    if (alertWindow && alertWindow->parentWidget() != parent)
        alertWindow->setParent(parent, Qt::Dialog);
}

void QXRWUpdateChecker::showAlertAgainIfShown()
{
    if (!alertWindow || !alertWindow->isVisible())
        return;
    // Mapped again after its parent, the window manager stacks it above the parent.
    alertWindow->hide();
    alertWindow->show();
    alertWindow->raise();
    alertWindow->activateWindow();
}

void QXRWUpdateChecker::loadAlertWindow()
{
    auto *alert = new QDialog(m_alertParent, Qt::Dialog);
    alert->setObjectName(QStringLiteral("Update"));
    alert->setWindowTitle(tr("Software Update"));
    alert->setModal(false);
    auto *layout = new QVBoxLayout(alert);
    alertWindowMessageTextField = new QLabel(alert);
    alertWindowMessageTextField->setTextFormat(Qt::PlainText);
    alertWindowMessageTextField->setWordWrap(true);
    QFont bold = alertWindowMessageTextField->font();
    bold.setBold(true);
    alertWindowMessageTextField->setFont(bold);
    layout->addWidget(alertWindowMessageTextField);
    alertWindowReleaseNotesWebView = new QXReleaseNotesView(alert);
    alertWindowReleaseNotesWebView->setMinimumSize(460, 260);
    layout->addWidget(alertWindowReleaseNotesWebView, 1);
    auto *buttons = new QDialogButtonBox(alert);
    alertWindowCancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    alertWindowDownloadButton = buttons->addButton(tr("Download..."), QDialogButtonBox::AcceptRole);
    alertWindowDownloadButton->setDefault(true);
    layout->addWidget(buttons);
    connect(alertWindowDownloadButton, &QPushButton::clicked, this, &QXRWUpdateChecker::visitWebSite);
    connect(alertWindowCancelButton, &QPushButton::clicked, alert, &QDialog::close);
    alert->resize(alert->sizeHint());
    alertWindow = alert;
}

void QXRWUpdateChecker::showAlert()
{
    if (!alertWindow)
        loadAlertWindow();
    if (!alertWindow->isVisible()) {
        QScreen *screen = QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame(QPoint(), alertWindow->size());
            frame.moveCenter(screen->availableGeometry().center());
            alertWindow->move(frame.topLeft());
        }
    }
    alertWindowMessageTextField->setText(status());
    loadReleaseNotes();
    alertWindow->show();
    alertWindow->raise();
    alertWindow->activateWindow();
}

void QXRWUpdateChecker::loadReleaseNotes()
{
    // A newer alert's notes replace an older one's still under way.
    if (m_releaseNotesFetch) {
        m_releaseNotesFetch->abort();
        m_releaseNotesFetch->deleteLater();
    }
    auto *view = static_cast<QXReleaseNotesView *>(alertWindowReleaseNotesWebView);
    view->clear();
    const QUrl url = releaseNotesURL();
    auto *fetch = new QXRWUpdateFetch(url, MaxReleaseNotesBytes, ReleaseNotesTimeoutMs, this);
    m_releaseNotesFetch = fetch;
    connect(fetch, &QXRWUpdateFetch::finished, view, [view, fetch, url](const QByteArray &body, bool ok) {
        fetch->deleteLater();
        if (ok)
            view->showPage(body, url);
        else
            view->setPlainText(tr("The release notes could not be loaded."));
    });
}

void QXRWUpdateChecker::installUpdatesPane(QWidget *page, QBoxLayout *layout)
{
    auto *autoSwitch = new QCheckBox(tr("Check for updates automatically at startup"), page);
    autoSwitch->setObjectName(QStringLiteral("autoUpdateCheckingSwitch"));
    connect(autoSwitch, &QCheckBox::clicked, this, [this, autoSwitch] { toggleCheckAtStartup(autoSwitch); });
    layout->addWidget(autoSwitch);
    auto *checkNow = new QPushButton(tr("Check Now"), page);
    checkNow->setObjectName(QStringLiteral("checkNowButton"));
    connect(checkNow, &QPushButton::clicked, this, &QXRWUpdateChecker::checkForUpdates);
    layout->addWidget(checkNow, 0, Qt::AlignLeft);
    auto *statusLine = new QLabel(page);
    auto *dateLine = new QLabel(page);
    for (QLabel *label : {statusLine, dateLine}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    statusLine->setObjectName(QStringLiteral("statusTextField"));
    dateLine->setObjectName(QStringLiteral("statusDateTextField"));
    autoUpdateCheckingSwitch = autoSwitch;
    statusTextField = statusLine;
    statusDateTextField = dateLine;
    awakeFromNib();
}

void QXRWUpdateChecker::awakeFromNib()
{
    if (autoUpdateCheckingSwitch)
        autoUpdateCheckingSwitch->setChecked(checkAtStartup());
    showStatus();
}

void QXRWUpdateChecker::showStatus()
{
    if (statusTextField) {
        statusTextField->setText(status());
        setTextColor(statusTextField, statusColor());
    }
    if (statusDateTextField)
        statusDateTextField->setText(statusDate());
}

void QXRWUpdateChecker::setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

QDateTime QXRWUpdateChecker::now() const { return m_clock ? m_clock() : QDateTime::currentDateTime(); }
