#include "app/QXWebLink.h"

#include "update/QXRWUpdateParsing.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

QMessageBox *QXWebLink::open(const QUrl &url, QWidget *parent)
{
    if (QDesktopServices::openUrl(url))
        return nullptr;
    const QString address = url.toString(QUrl::FullyEncoded);
    auto *box = new QMessageBox(parent);
    box->setObjectName(QStringLiteral("NoBrowser"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowTitle(QStringLiteral("Vistrel"));
    box->setIcon(QMessageBox::Information);
    box->setText(tr("No web browser could be opened. The page is at this address:"));
    box->setInformativeText(address);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton *copy = box->addButton(tr("Copy Address"), QMessageBox::ActionRole);
    box->addButton(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    QObject::connect(copy, &QPushButton::clicked, box,
                     [address] { QGuiApplication::clipboard()->setText(address); });
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}

QString QXWebLink::donationURLString()
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

QUrl QXWebLink::homePageURL()
{
    return QUrl(QXUpdate::serverOrigin(qEnvironmentVariable("VISTREL_HOME_SERVER"),
                                       QStringLiteral(VISTREL_DEFAULT_HOME_SERVER))
                + QLatin1String("/vistrel/"));
}

void QXWebLink::donate(QWidget *parent) { open(QUrl(donationURLString()), parent); }

void QXWebLink::goHome(QWidget *parent) { open(homePageURL(), parent); }

void QXWebLink::help(QWidget *parent)
{
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("Vistrel"));
    box.setIcon(QMessageBox::Information);
    box.setText(tr("Sorry. No help yet."));
    box.setInformativeText(tr("This beta version does not include documentation. The final Vistrel 1.0 will."));
    box.addButton(tr("OK"), QMessageBox::AcceptRole);
    box.exec();
}
