// The user's language: which catalogues the loader takes for a locale, the player's window,
// preferences and messages in German and French (English for a language it has no texts
// for), and the real binary choosing by the environment's locale.
#include "app/QXPreferences.h"
#include "app/QXTranslations.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QMenuBar>
#include <QProcess>
#include <QTcpServer>
#include <QToolBar>
#include <QtTest>

class TestTranslations : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;

    QStringList menuTitles() const
    {
        QStringList titles;
        for (QAction *a : c->ui().playerWindow->menuBar()->actions())
            titles << a->text();
        return titles;
    }
    QString itemText(const char *name) const
    {
        auto *a = c->ui().playerWindow->findChild<QAction *>(QLatin1String(name));
        return a ? a->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
    }

private slots:
    void cleanup()
    {
        c.reset();
        QXTranslations::install(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void loaderChoosesByLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("preferences");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("de_DE") << "de_DE" << "de" << "Einstellungen" << "Abbrechen";
        QTest::newRow("de_AT falls back to de") << "de_AT" << "de" << "Einstellungen" << "Abbrechen";
        QTest::newRow("fr_FR") << "fr_FR" << "fr" << "Préférences" << "Annuler";
        QTest::newRow("en_US") << "en_US" << "" << "Preferences" << "Cancel";
        QTest::newRow("unknown") << "xx_YY" << "" << "Preferences" << "Cancel";
    }
    void loaderChoosesByLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, language);
        QFETCH(QString, preferences);
        QFETCH(QString, cancel);
        const QXLoadedTranslations loaded = QXTranslations::install(QLocale(locale));
        QCOMPARE(loaded.language, language);
        QCOMPARE(loaded.player, !language.isEmpty());
        // Qt's own catalogue comes with the player's, for the standard dialogs and buttons.
        QCOMPARE(loaded.qt, !language.isEmpty());
        QCOMPARE(QXPreferences::tr("Preferences"), preferences);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
        // A text the catalogues lack stays as written.
        QCOMPARE(QXPreferences::tr("no such text"), QStringLiteral("no such text"));
    }

    // Installing again replaces what was installed: German after French leaves no French.
    void laterLocaleReplacesEarlier()
    {
        QXTranslations::install(QLocale("fr_FR"));
        QXTranslations::install(QLocale("de_DE"));
        QCOMPARE(QXPreferences::tr("Preferences"), QStringLiteral("Einstellungen"));
        QXTranslations::install(QLocale("xx_YY"));
        QCOMPARE(QXPreferences::tr("Preferences"), QStringLiteral("Preferences"));
    }

    // The window as it is built: its menus, the preferences and a failure on the picture.
    void windowInTheUsersLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("fileMenu");
        QTest::addColumn<QString>("quit");
        QTest::addColumn<QString>("preferencesTitle");
        QTest::addColumn<QString>("generalSection");
        QTest::addColumn<QString>("hardwareDecoding");
        QTest::addColumn<QString>("notAMovie");
        QTest::addColumn<QString>("refused");
        QTest::newRow("de_DE") << "de_DE" << "&Datei" << "Beenden" << "Einstellungen" << "Allgemein"
                               << "Hardware-Dekodierung verwenden" << QString::fromUtf8("„%1“\nKann nicht geöffnet werden: kein Film")
                               << "Verbindung abgelehnt";
        QTest::newRow("fr_FR") << "fr_FR" << "&Fichier" << "Quitter" << QString::fromUtf8("Préférences") << QString::fromUtf8("Général")
                               << QString::fromUtf8("Utiliser le décodage matériel")
                               << QString::fromUtf8("«\u00a0%1\u00a0»\nImpossible d’ouvrir\u00a0: ce n’est pas une vidéo")
                               << QString::fromUtf8("connexion refusée");
        QTest::newRow("unknown") << "xx_YY" << "&File" << "Quit" << "Preferences" << "General"
                                 << "Use hardware decoding" << "\"%1\"\nCannot open: not a movie"
                                 << "connection refused";
    }
    void windowInTheUsersLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, fileMenu);
        QFETCH(QString, quit);
        QFETCH(QString, preferencesTitle);
        QFETCH(QString, generalSection);
        QFETCH(QString, hardwareDecoding);
        QFETCH(QString, notAMovie);
        QFETCH(QString, refused);
        QXTranslations::install(QLocale(locale));
        const QString notes = testsupport::makeFile(dir.path(), "notes.mp4", "just some words\n");
        c.reset();
        testsupport::useFreshSettings(dir.path());
        c = std::make_unique<QXMPController>();
        c->applicationOpenFiles({notes});
        c->applicationDidFinishLaunching();

        const QStringList titles = menuTitles();
        QVERIFY2(!titles.isEmpty(), "no menus");
        QCOMPARE(titles.first(), fileMenu);
        QCOMPARE(itemText("quitItem"), quit);
        const bool english = fileMenu == QLatin1String("&File");
        for (const char *title : {"&Edit", "&Playlist", "&Movie", "&Sound", "&Help"})
            QCOMPARE(titles.contains(QLatin1String(title)), english);
        QCOMPARE(itemText("openItem") == QLatin1String("Open..."), english);

        c->ui().playerWindow->findChild<QAction *>(QStringLiteral("preferencesItem"))->trigger();
        auto *p = c->findChild<QXPreferences *>();
        QVERIFY(p && p->preferencesWindow);
        QCOMPARE(p->preferencesWindow->windowTitle(), preferencesTitle);
        auto *toolbar = p->preferencesWindow->findChild<QToolBar *>();
        QVERIFY(toolbar);
        QCOMPARE(toolbar->actions().first()->text(), generalSection);
        QCOMPARE(p->preferencesWindow->findChild<QCheckBox *>("hardwareDecodingSwitch")->text(), hardwareDecoding);

        // The failure drawn on the picture, in the same language as the menus.
        VERIFY_SOON(c->selectionMessage().contains(QLatin1Char('\n')), 9000);
        QCOMPARE(c->selectionMessage(), notAMovie.arg("notes.mp4"));

        // A reason the file-head probe gives: a port on which nothing listens.
        if (refused.isEmpty())
            return;
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        c->openMovies({QUrl(QStringLiteral("http://127.0.0.1:%1/clip.mp4").arg(port))});
        VERIFY2_SOON(c->selectionMessage().endsWith(refused), qPrintable(c->selectionMessage()), 9000);
    }

    // The real binary reads the locale from the environment before it writes anything.
    void binaryFollowsTheEnvironment_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("firstWord");
        QTest::newRow("LANG German") << QStringList{"LANG=de_DE.UTF-8"} << "Aufruf:";
        QTest::newRow("LC_ALL over LANG") << QStringList{"LANG=en_US.UTF-8", "LC_ALL=de_AT.UTF-8"} << "Aufruf:";
        QTest::newRow("LC_MESSAGES German") << QStringList{"LANG=C", "LC_MESSAGES=de_CH.UTF-8"} << "Aufruf:";
        QTest::newRow("LANG French") << QStringList{"LANG=fr_FR.UTF-8"} << QString::fromUtf8("Utilisation\u00a0:");
        QTest::newRow("English listed first") << QStringList{"LANG=de_DE.UTF-8", "LANGUAGE=en:de"} << "Usage:";
        QTest::newRow("unknown") << QStringList{"LANG=xx_YY.UTF-8"} << "Usage:";
    }
    void binaryFollowsTheEnvironment()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, firstWord);
        QProcess player;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            env.remove(QLatin1String(name));
        for (const QString &pair : environment)
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        player.setProcessEnvironment(env);
        player.start(testsupport::playerBinary(), {"--help"});
        QVERIFY(player.waitForFinished(10000));
        QCOMPARE(player.exitCode(), 0);
        const QString out = QString::fromUtf8(player.readAllStandardOutput());
        QVERIFY2(out.startsWith(firstWord), qPrintable(out));
    }
};

VISTREL_TEST_MAIN(TestTranslations)
#include "test_translations.moc"
