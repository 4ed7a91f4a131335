#pragma once
// Web pages the player hands to the user's browser: the donation and home pages and the
// update's product page.
#include <QCoreApplication>
#include <QUrl>

class QMessageBox;
class QWidget;

class QXWebLink
{
    Q_DECLARE_TR_FUNCTIONS(QXWebLink)
public:
    // Opens the address in the browser. With no browser to take it, shows the address in a
    // message whose "Copy Address" button puts it on the clipboard, and answers that message
    // (null when the browser took it).
    static QMessageBox *open(const QUrl &url, QWidget *parent);
};
