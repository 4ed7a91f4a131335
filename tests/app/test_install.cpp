// The install target puts the player, its desktop entry, its icon and its software-centre
// description where desktops look; the entry names that icon, the description that entry, and
// the desktops' own validators find nothing to say about either.
#include "TestSupport.h"

#include <QImage>
#include <QtTest>

namespace {

// A validator's exit status and everything it printed.
QPair<int, QString> validate(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(60000))
        return {-1, program + " did not finish"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll()).trimmed()};
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT
    QTemporaryDir prefix;
    QDir share;

private slots:
    void initTestCase()
    {
        const QString build = qEnvironmentVariable("VISTREL_TEST_BINARY_DIR");
        QVERIFY(!build.isEmpty());
        QProcess install;
        install.start("cmake", {"--install", build, "--prefix", prefix.path()});
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
        share.setPath(prefix.filePath("share"));
    }

    void iconAndDesktopEntry()
    {
        QVERIFY(QFileInfo(prefix.filePath("bin/vistrel")).isExecutable());

        QFile desktop(share.filePath("applications/vistrel.desktop"));
        QVERIFY(desktop.open(QIODevice::ReadOnly | QIODevice::Text));
        QHash<QString, QString> entry;
        for (const QByteArray &line : desktop.readAll().split('\n'))
            if (const qsizetype eq = line.indexOf('='); eq > 0)
                entry.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
        const QString icon = entry.value("Icon");
        QCOMPARE(entry.value("Exec").section(' ', 0, 0), QString("vistrel"));
        // Both of the player's own schemes reach it.
        for (const char *scheme : {"vistrelx", "vistrelxs"})
            QVERIFY2(entry.value("MimeType").split(';').contains(QString("x-scheme-handler/") + scheme), scheme);
        for (int size : {16, 32, 48, 64, 128, 256}) {
            const QImage png(share.filePath(QString("icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon)));
            QCOMPARE(png.size(), QSize(size, size));
            QVERIFY(png.hasAlphaChannel() && qAlpha(png.pixel(0, 0)) == 0 && qAlpha(png.pixel(size / 2, size / 2)) == 255);
        }
        QFile svg(share.filePath(QString("icons/hicolor/scalable/apps/%1.svg").arg(icon)));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&svg);
        int elements = 0;
        while (!xml.atEnd())
            elements += xml.readNext() == QXmlStreamReader::StartElement;
        QVERIFY2(!xml.hasError() && elements >= 5, qPrintable(xml.errorString()));

        const auto [status, said] = validate("desktop-file-validate", {desktop.fileName()});
        QVERIFY2(status == 0 && said.isEmpty(), qPrintable(said));
    }

    // What software centres read: valid without a single warning, naming the desktop entry,
    // the entry's types, and screenshots the size of the committed pictures they stand for.
    void softwareCentreDescription()
    {
        const QString path = share.filePath("metainfo/vistrel.metainfo.xml");
        QVERIFY(QFileInfo::exists(path));
        const auto [status, said] = validate("appstreamcli", {"validate", "--no-net", "--no-color", path});
        QVERIFY2(status == 0 && !said.contains(QRegularExpression("^[WE]:", QRegularExpression::MultilineOption)), qPrintable(said));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString launchable;
        QStringList mediaTypes;
        int screenshots = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"launchable") {
                launchable = xml.readElementText();
            } else if (xml.name() == u"mediatype") {
                mediaTypes << xml.readElementText();
            } else if (xml.name() == u"image") {
                const QSize size(xml.attributes().value("width").toInt(), xml.attributes().value("height").toInt());
                const QUrl url(xml.readElementText());
                QCOMPARE(url.scheme(), QString("https"));
                const QImage committed(testsupport::supportFile("../../resources/screenshots/" + url.fileName()));
                QVERIFY2(!committed.isNull(), qPrintable(url.fileName()));
                QCOMPARE(committed.size(), size);
                ++screenshots;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(launchable, QString("vistrel.desktop"));
        QVERIFY(screenshots >= 2);

        QFile desktop(share.filePath("applications/vistrel.desktop"));
        QVERIFY(desktop.open(QIODevice::ReadOnly | QIODevice::Text));
        const QByteArray entry = desktop.readAll();
        const qsizetype at = entry.indexOf("\nMimeType=") + 10;
        QStringList declared = QString::fromUtf8(entry.mid(at, entry.indexOf('\n', at) - at)).split(';', Qt::SkipEmptyParts);
        declared.removeIf([](const QString &t) { return t.startsWith("x-scheme-handler/"); });
        QCOMPARE(mediaTypes, declared);
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "test_install.moc"
