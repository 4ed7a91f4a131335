// The controller's side of the preferences window and its small informational actions:
// help, the donation page and the home page.
#include "app/QXMPController.h"
#include "app/QXPreferences.h"
#include "app/QXWebLink.h"
#include "player/QXPlayerWindow.h"
#include "update/QXRWUpdateParsing.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>

QXPreferences *QXMPController::preferences()
{
    if (!m_preferences)
        m_preferences = new QXPreferences(this);
    return m_preferences;
}

void QXMPController::showPreferences() { preferences()->showPreferences(); }

void QXMPController::setBooleanSettingFromMenuItem(QAction *item)
{
    // A checkable item has turned its mark over on its way here.
    preferences()->setBooleanSettingFromMenuItem(item, item && item->isCheckable() ? !item->isChecked() : false);
}

void QXMPController::help()
{
    // These texts are not translated.
    QMessageBox box(playerWindow);
    box.setWindowTitle(QStringLiteral("Vistrel"));
    box.setIcon(QMessageBox::Information);
    box.setText(QStringLiteral("Sorry. No help yet."));
    box.setInformativeText(QStringLiteral("This beta version does not include documentation. The final Vistrel 1.0 will."));
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

QString QXMPController::donationURLString()
{
    const QString server = QXUpdate::serverOrigin(qEnvironmentVariable("VISTREL_PAYMENT_SERVER"),
                                                  QStringLiteral(VISTREL_DEFAULT_PAYMENT_SERVER));
    QString account = qEnvironmentVariable("VISTREL_PAYMENT_ACCOUNT").trimmed();
    if (account.isEmpty())
        account = QStringLiteral(VISTREL_DEFAULT_PAYMENT_ACCOUNT);
    // A translation may name its own currency.
    return server + QLatin1String("/xclick/business=") + account.replace(QLatin1Char('@'), QLatin1String("%40"))
        + QLatin1String("&item_name=Vistrel&no_shipping=1&tax=0&currency_code=") + tr("USD");
}

void QXMPController::donate() { QXWebLink::open(QUrl(donationURLString()), playerWindow); }

QUrl QXMPController::homePageURL()
{
    return QUrl(QXUpdate::serverOrigin(qEnvironmentVariable("VISTREL_HOME_SERVER"),
                                       QStringLiteral(VISTREL_DEFAULT_HOME_SERVER))
                + QLatin1String("/vistrel/"));
}

void QXMPController::goHome() { QXWebLink::open(homePageURL(), playerWindow); }
