#pragma once
// The player's texts and Qt's own (standard dialogs and buttons) in the user's language.
#include <QLocale>
#include <QString>

struct QXLoadedTranslations
{
    QString language;      // the catalogue's language code ("de"), empty when English stays
    bool player = false;   // the player's own catalogue
    bool qt = false;       // Qt's qtbase catalogue
};

class QXTranslations
{
public:
    // Installs into the running application the catalogues for the first of the locale's
    // languages the player has one for; an English language met first, or none found, leaves
    // every text English. Replaces what an earlier call installed.
    static QXLoadedTranslations install(const QLocale &locale = QLocale::system());

    // Where the player's catalogues are compiled in.
    static QString resourceFolder();
};
