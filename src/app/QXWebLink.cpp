#include "app/QXWebLink.h"

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
