#include "app/QXLaunchArguments.h"

#include "engine/QXFileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QUrl>

QXLaunchArguments QXParseLaunchArguments(const QStringList &arguments, const QString &workingDirectory)
{
    QXLaunchArguments a;
    bool optionsEnded = false;
    const QDir cwd(workingDirectory);
    for (const QString &arg : arguments) {
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            a.help = true;
            continue;
        }
        if (!optionsEnded && (arg == QLatin1String("--version") || arg == QLatin1String("-v"))) {
            a.version = true;
            continue;
        }
        if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            if (a.error.isEmpty())
                a.error = arg;
            continue;
        }
        if (arg.isEmpty())
            continue;
        if (arg.startsWith(QLatin1String(QXOwnScheme) + QLatin1Char(':'), Qt::CaseInsensitive)
            || arg.startsWith(QLatin1String(QXOwnSecureScheme) + QLatin1Char(':'), Qt::CaseInsensitive)) {
            a.ownAddresses.append(arg);
            continue;
        }
        // A scheme of two letters or more (a single letter may be a relative path like "c:x").
        const qsizetype colon = arg.indexOf(QLatin1Char(':'));
        const QUrl url(arg, QUrl::StrictMode);
        if (colon > 1 && !arg.startsWith(QLatin1Char('/')) && url.isValid() && !url.scheme().isEmpty()
            && arg.mid(colon, 3) == QLatin1String("://")) {
            if (url.isLocalFile())
                a.files.append(QDir::cleanPath(QXFileNames::localPath(url)));
            else
                a.webAddresses.append(arg);
            continue;
        }
        a.files.append(QDir::cleanPath(cwd.absoluteFilePath(arg)));
    }
    return a;
}

QByteArray QXLaunchArguments::toMessage() const
{
    QByteArray out;
    const auto add = [&out](const char *kind, const QStringList &items) {
        for (const QString &s : items) {
            // Newlines in a name would split the record; percent-encode the bytes (a name
            // that is not UTF-8 keeps them).
            out += kind;
            out += '\t';
            out += QXFileNames::encode(s).toPercentEncoding("/:~");
            out += '\n';
        }
    };
    add("file", files);
    add("own", ownAddresses);
    add("web", webAddresses);
    return out;
}

QXLaunchArguments QXLaunchArguments::fromMessage(const QByteArray &message)
{
    QXLaunchArguments a;
    for (const QByteArray &line : message.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab < 0)
            continue;
        const QByteArray kind = line.left(tab);
        const QString text = QXFileNames::decode(QByteArray::fromPercentEncoding(line.mid(tab + 1)));
        if (text.isEmpty())
            continue;
        if (kind == "file" && text.startsWith(QLatin1Char('/')))
            a.files.append(text);
        else if (kind == "own")
            a.ownAddresses.append(text);
        else if (kind == "web")
            a.webAddresses.append(text);
    }
    return a;
}

QString QXUsageText()
{
    return QCoreApplication::translate("QXLaunchArguments",
        "Usage: vistrel [options] [file or address ...]\n"
        "\n"
        "Plays movie files, folders of movies and web addresses. When Vistrel is already\n"
        "running, the files and addresses are handed to it and this launch exits.\n"
        "\n"
        "Arguments:\n"
        "  file or folder    a movie file, or a folder whose movies are all opened\n"
        "  http(s)://...     a web address the player can stream\n"
        "  vistrelx://...    the player's own scheme: opened as http://...\n"
        "  vistrelxs://...   opened as https://...\n"
        "\n"
        "Options:\n"
        "  -h, --help        show this text\n"
        "  -v, --version     print the version\n");
}
