#include "util/QXMovieCollection.h"

#include "engine/QXFileNames.h"
#include "engine/QXMovie.h"
#include "util/QXNetwork.h"
#include "util/QXPathInfo.h"

#include <QSet>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Set from a signal handler: must be lock-free to be async-signal-safe.
std::atomic<bool> walkCancelled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

struct FolderId
{
    dev_t device;
    ino_t inode;
    bool operator==(const FolderId &o) const { return device == o.device && inode == o.inode; }
};

size_t qHash(const FolderId &id, size_t seed = 0)
{
    return qHashMulti(seed, quint64(id.device), quint64(id.inode));
}

struct Walk
{
    QSet<FolderId> visited;
    const QXFolderVisitor *enterFolder = nullptr;
    QXWalkControl *control = nullptr;
    QList<QUrl> *into = nullptr;
    bool added = false;
    bool enteredFolder = false;   // the top-level entry being visited is a folder

    bool cancelled() const { return walkCancelled.load(std::memory_order_relaxed); }
    // Cancelled, or this walk stopped by its caller.
    bool ended() const
    {
        return cancelled() || (control && control->stop.load(std::memory_order_relaxed));
    }
    void found(const QString &path)
    {
        into->append(QXFileNames::fileURL(path));
        added = true;
    }
};

// A movie or a folder found in a folder's listing, kept in the listing's order.
struct Entry
{
    QString path;
    QString resolved;    // a folder's path without links, when known without asking
    FolderId id{};
    bool isFolder = false;
};

QString realPath(const QString &path)
{
    char buffer[PATH_MAX];
    return ::realpath(QXFileNames::encode(path).constData(), buffer)
        ? QXFileNames::decode(QByteArray(buffer)) : QString();
}

// The movies and folders in the folder, hidden ones included, in the order the file system
// lists them (empty when the folder cannot be read). Each entry is looked at relative to the
// open folder, and only as far as needed: the listing's type settles regular files and
// folders, a stat follows links and answers where the type is unknown, and a folder's stat
// gives its identity. A regular file whose name says it is no movie costs no call at all.
QList<Entry> folderEntries(Walk &walk, const QString &path, const QString &resolved)
{
    QList<Entry> entries;
    const int fd = ::open(QXFileNames::encode(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return entries;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return entries;
    }
    const bool atRoot = path == QLatin1String("/");
    const QString prefix = atRoot ? path : path + QLatin1Char('/');
    const QString resolvedPrefix = resolved == QLatin1String("/") ? resolved : resolved + QLatin1Char('/');
    while (const dirent *entry = ::readdir(dir)) {
        if (walk.ended())
            break;
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const unsigned char type = entry->d_type;
        struct stat st;
        bool isFolder = type == DT_DIR;
        if (type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN) {
            // Links followed: a link is what it leads to; a dangling one is nothing.
            if (::fstatat(fd, name, &st, 0) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
                continue;
            isFolder = S_ISDIR(st.st_mode);
        } else if (type != DT_REG) {
            continue;   // pipes, sockets, devices
        }
        if (walk.control && !isFolder)
            walk.control->filesSeen.fetch_add(1, std::memory_order_relaxed);
        const QString entryName = QXFileNames::decode(QByteArray::fromRawData(name, qsizetype(std::strlen(name))));
        // Only names directly below the root can be a system or network root.
        if (atRoot && (QXPathInfo::isNetworkPath(prefix + entryName) || QXPathInfo::isTabooSystemPath(prefix + entryName)))
            continue;
        if (isFolder) {
            entries.append({prefix + entryName, type == DT_DIR ? resolvedPrefix + entryName : QString(),
                            FolderId{st.st_dev, st.st_ino}, true});
        } else if (QXMovie::canInitWithFileAt(fd, name, entryName)) {
            entries.append({prefix + entryName, QString(), FolderId{}, false});
        }
    }
    ::closedir(dir);
    return entries;
}

// path: no repeated or trailing slashes; resolved: the same without links (null when not
// known yet).
void visitFolder(Walk &walk, const QString &path, const FolderId &id, QString resolved)
{
    if (walk.visited.contains(id))
        return;
    walk.visited.insert(id);
    if (resolved.isNull())
        resolved = realPath(path);
    if (resolved.isEmpty() || QXPathInfo::isKernelTreePath(resolved))
        return;
    if (walk.enterFolder && *walk.enterFolder && !(*walk.enterFolder)(path))
        return;
    // Listed whole and closed before going down, so a deep tree holds one open folder at a
    // time; the folder's movies and its folders still come in the listing's order.
    const QList<Entry> entries = folderEntries(walk, path, resolved);
    for (const Entry &e : entries) {
        if (walk.ended())
            return;
        if (e.isFolder)
            visitFolder(walk, e.path, e.id, e.resolved);
        else
            walk.found(e.path);
    }
}

// A path named on its own.
void visit(Walk &walk, const QString &path)
{
    using namespace QXPathInfo;
    if (isNetworkPath(path) || isTabooSystemPath(path))
        return;

    // One stat (links followed) answers the file test, the folder test and the folder's
    // identity.
    const QByteArray native = QXFileNames::encode(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return; // missing, a dangling link, or unreadable: nothing to collect
    if (S_ISREG(st.st_mode)) {
        if (QXMovie::canInitWithFileAt(AT_FDCWD, native.constData(), path.mid(path.lastIndexOf(u'/') + 1)))
            walk.found(path);
        return;
    }
    // A quit stops folder walks; files named on their own are still taken.
    if (!S_ISDIR(st.st_mode) || walk.ended())
        return;
    walk.enteredFolder = true;
    visitFolder(walk, stringByFixingSlashes(path), FolderId{st.st_dev, st.st_ino}, QString());
}

} // namespace

void QXRequestWalkCancel(bool cancel)
{
    walkCancelled.store(cancel, std::memory_order_relaxed);
}

bool QXWalkCancelled()
{
    return walkCancelled.load(std::memory_order_relaxed);
}

bool QXAddMovieURLs(QList<QUrl> &into, const QList<QUrl> &urls, bool revealPackageContents,
                    QXWalkControl *control)
{
    const qsizetype before = into.size();
    bool added = false;
    for (const QUrl &url : urls) {
        if (url.isLocalFile()) {
            if (QXAddMovieURLsFromPaths(into, {QXFileNames::localPath(url)}, QString(),
                                        revealPackageContents, {}, control))
                added = true;
        } else if (QXNetwork::isMovieURL(url)) {
            into.append(url);
            added = true;
        }
    }
    return added && into.size() > before;
}

bool QXAddMovieURLsFromPaths(QList<QUrl> &into, const QStringList &paths,
                             const QString &basePath, bool revealPackageContents)
{
    return QXAddMovieURLsFromPaths(into, paths, basePath, revealPackageContents, {});
}

bool QXAddMovieURLsFromPaths(QList<QUrl> &into, const QStringList &paths,
                             const QString &basePath, bool /*revealPackageContents*/,
                             const QXFolderVisitor &enterFolder, QXWalkControl *control)
{
    const qsizetype before = into.size();
    Walk walk;
    walk.enterFolder = &enterFolder;
    walk.control = control;
    walk.into = &into;
    for (const QString &entry : paths) {
        if (entry.isEmpty())
            continue;
        const qsizetype mark = into.size();
        visit(walk, basePath.isEmpty() ? entry : QXPathInfo::stringByAppendingPathComponent(basePath, entry));
        // The player is quitting: a half-collected folder is opened nowhere.
        if (walk.cancelled() && walk.enteredFolder)
            into.resize(mark);
        walk.enteredFolder = false;
    }
    return into.size() > before;
}

QXUncollected QXWhyUncollected(const QString &path)
{
    const QByteArray name = QXFileNames::encode(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? QXUncollected::Missing : QXUncollected::Unreadable;
    if (S_ISDIR(st.st_mode))
        return QXUncollected::Folder;
    if (S_ISREG(st.st_mode) && ::access(name.constData(), R_OK) != 0)
        return QXUncollected::Unreadable;
    return QXUncollected::NotAMovie;
}

// Compared by hand rather than with QCollator: the same order in every locale, and fast
// enough for sorting thousands of addresses.
static bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

int QXCompareNames(const QString &a, const QString &b)
{
    // Letters compare without case; a run of digits compares by its value.
    qsizetype i = 0, j = 0;
    const qsizetype n = a.size(), m = b.size();
    while (i < n && j < m) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype si = i, sj = j;
            while (si < n && a[si] == u'0') ++si;
            while (sj < m && b[sj] == u'0') ++sj;
            qsizetype ei = si, ej = sj;
            while (ei < n && isDigit(a[ei])) ++ei;
            while (ej < m && isDigit(b[ej])) ++ej;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? -1 : 1;
            for (qsizetype k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k])
                    return a[si + k] < b[sj + k] ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const char32_t ca = QChar::toCaseFolded(a[i].unicode());
        const char32_t cb = QChar::toCaseFolded(b[j].unicode());
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < n) return 1;
    if (j < m) return -1;
    return 0;
}
