#include "app/QXTranslations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QList>
#include <QTranslator>

namespace {

QList<QTranslator *> &installed()
{
    static QList<QTranslator *> translators;
    return translators;
}

void removeInstalled()
{
    for (QTranslator *t : installed()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    installed().clear();
}

bool installCatalogue(const QString &name, const QString &folder)
{
    auto *t = new QTranslator;
    // An exact name only: QTranslator's own fallbacks would take "vistrel.qm" or "qtbase.qm".
    if (!QFileInfo::exists(folder + QLatin1Char('/') + name + QLatin1String(".qm")) || !t->load(name, folder)
        || !QCoreApplication::installTranslator(t)) {
        delete t;
        return false;
    }
    installed().append(t);
    return true;
}

// "de-AT" → {"de_AT", "de"}: a regional catalogue first, then the language's.
QStringList candidates(const QString &uiLanguage)
{
    QString name = uiLanguage;
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    QStringList names{name};
    const qsizetype cut = name.indexOf(QLatin1Char('_'));
    if (cut > 0)
        names << name.left(cut);
    return names;
}

} // namespace

QString QXTranslations::resourceFolder() { return QStringLiteral(":/i18n"); }

QXLoadedTranslations QXTranslations::install(const QLocale &locale)
{
    removeInstalled();
    QXLoadedTranslations loaded;
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString &uiLanguage : locale.uiLanguages()) {
        const QStringList names = candidates(uiLanguage);
        // The texts are written in English: a user who puts English before German gets English.
        if (names.constLast() == QLatin1String("en") || names.constLast() == QLatin1String("C"))
            return loaded;
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (!installCatalogue(QStringLiteral("vistrel_") + names[i], resourceFolder()))
                continue;
            loaded.language = names[i];
            loaded.player = true;
            // Qt may have only the language's catalogue where the player has a regional one.
            for (qsizetype j = i; j < names.size() && !loaded.qt; ++j)
                loaded.qt = installCatalogue(QStringLiteral("qtbase_") + names[j], qtFolder);
            return loaded;
        }
    }
    return loaded;
}
