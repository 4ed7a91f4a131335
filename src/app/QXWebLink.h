#pragma once
// Web pages the player hands to the user's browser: the donation and home pages and the
// update's product page; and the Help menu's actions that lead there.
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

    // The donation and home pages: built in, or the servers named in the environment.
    static QString donationURLString();
    static QUrl homePageURL();
    // Open those pages over the parent window, or show their address when no browser takes it.
    static void donate(QWidget *parent);
    static void goHome(QWidget *parent);
    // A message box over the parent window: there is no help yet.
    static void help(QWidget *parent);
};
