// The install target puts the player, its desktop entry and its icon where desktops look, and
// the entry names that icon.
#include <QImage>
#include <QtTest>

class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void iconAndDesktopEntry()
    {
        const QString build = qEnvironmentVariable("VISTREL_TEST_BINARY_DIR");
        QVERIFY(!build.isEmpty());
        QTemporaryDir prefix;
        QProcess install;
        install.start("cmake", {"--install", build, "--prefix", prefix.path()});
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
        const QDir share(prefix.filePath("share"));
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
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "test_install.moc"
