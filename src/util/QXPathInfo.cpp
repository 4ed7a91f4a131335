#include "util/QXPathInfo.h"

#include "app/QXSettings.h"
#include "engine/QXFileNames.h"
#include "util/QXImage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QXPathInfo {

namespace {

bool statPath(const QString &path, struct stat *st, bool followLinks)
{
    if (path.isEmpty())
        return false;
    const QByteArray native = QXFileNames::encode(path);
    return (followLinks ? ::stat(native.constData(), st) : ::lstat(native.constData(), st)) == 0;
}

// Existence with links followed; stores the directory flag like the file manager's test.
bool fileExists(const QString &path, bool *isDirectory)
{
    struct stat st;
    const bool exists = statPath(path, &st, true);
    if (isDirectory)
        *isDirectory = exists && S_ISDIR(st.st_mode);
    return exists;
}

QString readLinkText(const QString &path)
{
    const QByteArray native = QXFileNames::encode(path);
    QByteArray buffer(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(native.constData(), buffer.data(), size_t(buffer.size()));
        if (n < 0)
            return {};
        if (n < buffer.size())
            return QXFileNames::decode(buffer.left(n));
        buffer.resize(buffer.size() * 2);
    }
}

constexpr int IconSide = 16;

// Only regular files are read: opening a named pipe would block until someone writes to it.
bool isRegularFile(const QString &path)
{
    struct stat st;
    return statPath(path, &st, true) && S_ISREG(st.st_mode);
}

QImage iconImageFromFile(const QString &path)
{
    if (!isRegularFile(path))
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // Decode large pictures at a small size when the format can: only 16×16 is kept.
    const QSize full = reader.size();
    constexpr int Decode = IconSide * 4;
    if (full.isValid() && (full.width() > Decode || full.height() > Decode)
        && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(full.scaled(Decode, Decode, Qt::KeepAspectRatio).expandedTo({1, 1}));
    return reader.read();
}

QImage iconImageForType(const QString &path)
{
    if (!qGuiApp)
        return {};
    // Content is looked at only where it can be read without blocking.
    const bool readable = isRegularFile(path) || isFolderPath(path);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(
        path, readable ? QMimeDatabase::MatchDefault : QMimeDatabase::MatchExtension);
    QIcon icon;
    if (type.isValid())
        icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull() && qobject_cast<QApplication *>(qGuiApp)) {
        const QFileIconProvider provider;
        icon = provider.icon(QFileInfo(path));
        // Pipes, sockets and devices have none of their own: any path has an icon.
        if (icon.isNull())
            icon = provider.icon(QAbstractFileIconProvider::File);
    }
    if (icon.isNull())
        return {};
    return icon.pixmap(QSize(IconSide, IconSide)).toImage();
}

} // namespace

bool isTabooSystemPath(const QString &path)
{
    static const QStringList taboo{
        QStringLiteral("/automount"), QStringLiteral("/Desktop Folder"), QStringLiteral("/dev"),
        QStringLiteral("/etc"), QStringLiteral("/mach"), QStringLiteral("/mach.sym"),
        QStringLiteral("/mach_kernel"), QStringLiteral("/opt"), QStringLiteral("/tmp"),
        QStringLiteral("/var"),
        // This system's own kernel and runtime trees (walking them never ends or hangs).
        QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/run"),
        QStringLiteral("/snap")};
    for (const QString &t : taboo)
        if (path == t)
            return true;
    return false;
}

bool isKernelTreePath(const QString &resolvedPath)
{
    // Walking these never ends (/proc/self/root leads back to "/") or hangs on device files.
    // /tmp, /var, /opt and /run are matched whole only: movies are opened from /tmp, and
    // removable drives mount under /run/media.
    for (const QLatin1String root : {QLatin1String("/proc"), QLatin1String("/sys"), QLatin1String("/dev")})
        if (resolvedPath.startsWith(root)
            && (resolvedPath.size() == root.size() || resolvedPath.at(root.size()) == QLatin1Char('/')))
            return true;
    return false;
}

bool isNetworkPath(const QString &path)
{
    return path == QLatin1String("Network") || path == QLatin1String("Network/")
        || path == QLatin1String("/Network") || path == QLatin1String("/Network/");
}

bool isFolderPath(const QString &path)
{
    bool isDirectory = false;
    return fileExists(path, &isDirectory) && isDirectory;
}

bool checkFolderPathAndCreateIfNecessary(const QString &path)
{
    const QString expanded = stringByExpandingTildeInPath(path);
    if (isFolderPath(expanded))
        return true;
    if (expanded.isEmpty())
        return false;
    return ::mkdir(QXFileNames::encode(expanded).constData(), 0777) == 0;
}

QString resolvedAliasPath(const QString &)
{
    return {};
}

QString resolvedPathIsDirectory(const QString &path, bool *isDirectory)
{
    if (!fileExists(path, isDirectory))
        return {};
    if (isTabooSystemPath(path))
        return {};
    QString candidate;
    struct stat st;
    if (statPath(path, &st, false) && S_ISLNK(st.st_mode)) {
        const QString text = readLinkText(path);
        if (text.startsWith(QLatin1Char('/')))
            candidate = text;
        else if (!text.isEmpty())
            candidate = stringByAppendingPathComponent(stringByDeletingLastPathComponent(path), text);
    } else {
        candidate = resolvedAliasPath(path);
    }
    if (!candidate.isNull() && fileExists(candidate, isDirectory))
        return candidate;
    return path;
}

QImage iconFromPath(const QString &path)
{
    QImage image = iconImageFromFile(path);
    if (image.isNull())
        image = iconImageForType(path);
    if (image.isNull())
        return {};
    // A copy: the fitted image was painted on and would keep its paint engine alive.
    return QXImage::imageWithMaxSize(image, QSize(IconSide, IconSide)).copy();
}

QImage cachedIconFromPath(const QString &path)
{
    // Main thread only, like every caller; entries live as long as the process.
    static QHash<QString, QImage> singletonIconCache;
    const auto it = singletonIconCache.constFind(path);
    if (it != singletonIconCache.constEnd())
        return it.value();
    const QImage icon = iconFromPath(path);
    if (!icon.isNull())
        singletonIconCache.insert(path, icon);
    return icon;
}

QString displayFileName(const QString &path)
{
    const QString name = lastPathComponent(path);
    if (QXSettings::standard().boolForKey(QXKeys::HideFileExtensions))
        return stringByDeletingPathExtension(name);
    return name;
}

QString stringByFixingSlashes(const QString &path)
{
    QString out;
    out.reserve(path.size());
    for (const QChar c : path) {
        if (c == QLatin1Char('/') && out.endsWith(QLatin1Char('/')))
            continue;
        out.append(c);
    }
    if (out.size() > 1 && out.endsWith(QLatin1Char('/')))
        out.chop(1);
    if (out.isNull())
        out = path; // keeps "" as "" and null as null
    return out;
}

QString stringByAbbreviatingWithTildeInPath(const QString &path)
{
    if (path.isEmpty() || path == QLatin1String("/"))
        return path;
    const QString home = QDir::homePath();
    if (home.isEmpty() || home == QLatin1String("/") || !path.startsWith(home))
        return path;
    if (path.size() != home.size() && path.at(home.size()) != QLatin1Char('/'))
        return path; // /home/ab is not inside /home/a
    return QLatin1Char('~') + path.mid(home.size());
}

QString stringByExpandingTildeInPath(const QString &path)
{
    if (!path.startsWith(QLatin1Char('~')))
        return path;
    qsizetype slash = path.indexOf(QLatin1Char('/'));
    if (slash < 0)
        slash = path.size();
    const QString user = path.mid(1, slash - 1);
    QString home;
    if (user.isEmpty()) {
        home = QDir::homePath();
    } else {
        const struct passwd *pw = ::getpwnam(QXFileNames::encode(user).constData());
        if (!pw || !pw->pw_dir)
            return path;
        home = QXFileNames::decode(pw->pw_dir);
    }
    if (home.isEmpty())
        return path;
    return stringByFixingSlashes(home + path.mid(slash));
}

QString stringByAppendingPathComponent(const QString &path, const QString &component)
{
    if (path.isEmpty())
        return stringByFixingSlashes(component);
    if (component.isEmpty())
        return stringByFixingSlashes(path);
    return stringByFixingSlashes(path + QLatin1Char('/') + component);
}

QString stringByDeletingLastPathComponent(const QString &path)
{
    const QString fixed = stringByFixingSlashes(path);
    if (fixed.isEmpty() || fixed == QLatin1String("/"))
        return fixed;
    const qsizetype slash = fixed.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral("");
    if (slash == 0)
        return QStringLiteral("/");
    return fixed.left(slash);
}

QString lastPathComponent(const QString &path)
{
    const QString fixed = stringByFixingSlashes(path);
    if (fixed.size() <= 1)
        return fixed;
    return fixed.mid(fixed.lastIndexOf(QLatin1Char('/')) + 1);
}

QString stringByDeletingPathExtension(const QString &path)
{
    const QString fixed = stringByFixingSlashes(path);
    if (fixed == QLatin1String("/"))
        return fixed;
    const qsizetype nameStart = fixed.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = fixed.lastIndexOf(QLatin1Char('.'));
    // A dot that starts the name (".hidden", "..x") marks no extension.
    if (dot < nameStart || dot == nameStart
        || (dot == nameStart + 1 && fixed.at(nameStart) == QLatin1Char('.')))
        return fixed;
    return fixed.left(dot);
}

} // namespace QXPathInfo
