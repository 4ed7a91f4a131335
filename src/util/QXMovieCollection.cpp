#include "util/QXMovieCollection.h"

#include "engine/QXFileNames.h"
#include "util/QXNetwork.h"
#include "util/QXPathInfo.h"

#include <QSet>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
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
    QList<QUrl> *into = nullptr;
    bool added = false;
    bool enteredFolder = false;   // the top-level entry being visited is a folder

    bool cancelled() const { return walkCancelled.load(std::memory_order_relaxed); }
};

struct Entry
{
    QString name;
    bool isFolder; // a folder itself, not a link to one
};

QString realPath(const QString &path)
{
    char buffer[PATH_MAX];
    return ::realpath(QXFileNames::encode(path).constData(), buffer)
        ? QXFileNames::decode(QByteArray(buffer)) : QString();
}

// Every name in the folder except "." and "..", hidden ones included, in the order the file
// system gives them; empty when the folder cannot be read. readdir rather than QDir, which
// would stat every entry once more and loses names that are not UTF-8.
QList<Entry> folderEntries(const Walk &walk, const QString &path)
{
    QList<Entry> entries;
    DIR *dir = ::opendir(QXFileNames::encode(path).constData());
    if (!dir)
        return entries;
    while (const dirent *entry = ::readdir(dir)) {
        if (walk.cancelled())
            break;
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        entries.append({QXFileNames::decode(QByteArray(name)), entry->d_type == DT_DIR});
    }
    ::closedir(dir);
    return entries;
}

// resolved: the path without links when the caller knows it (a plain folder inside a folder
// whose resolved path is known), else null and worked out here for folders.
void visit(Walk &walk, const QString &path, QString resolved)
{
    using namespace QXPathInfo;
    if (isNetworkPath(path) || isTabooSystemPath(path))
        return;

    // One stat (links followed) answers both the folder test and the folder's identity.
    struct stat st;
    if (::stat(QXFileNames::encode(path).constData(), &st) != 0)
        return; // missing, a dangling link, or unreadable: nothing to collect
    if (S_ISREG(st.st_mode)) {
        if (isMoviePath(path)) {
            walk.into->append(QXFileNames::fileURL(path));
            walk.added = true;
        }
        return;
    }
    // A quit stops folder walks; files named on their own are still taken.
    if (!S_ISDIR(st.st_mode) || walk.cancelled())
        return;
    const FolderId id{st.st_dev, st.st_ino};
    if (walk.visited.contains(id))
        return;
    walk.visited.insert(id);
    walk.enteredFolder = true;
    if (resolved.isNull())
        resolved = realPath(path);
    if (resolved.isEmpty() || isKernelTreePath(resolved))
        return;
    if (walk.enterFolder && *walk.enterFolder && !(*walk.enterFolder)(path))
        return;
    // Listed whole before going down, so a deep tree holds one open folder at a time.
    const QList<Entry> entries = folderEntries(walk, path);
    for (const Entry &e : entries) {
        if (walk.cancelled())
            return;
        visit(walk, stringByAppendingPathComponent(path, e.name),
              e.isFolder ? stringByAppendingPathComponent(resolved, e.name) : QString());
    }
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

bool QXAddMovieURLs(QList<QUrl> &into, const QList<QUrl> &urls, bool revealPackageContents)
{
    const qsizetype before = into.size();
    bool added = false;
    for (const QUrl &url : urls) {
        if (url.isLocalFile()) {
            if (QXAddMovieURLsFromPaths(into, {QXFileNames::localPath(url)}, QString(),
                                        revealPackageContents))
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
                             const QXFolderVisitor &enterFolder)
{
    const qsizetype before = into.size();
    Walk walk;
    walk.enterFolder = &enterFolder;
    walk.into = &into;
    for (const QString &entry : paths) {
        if (entry.isEmpty())
            continue;
        const qsizetype mark = into.size();
        visit(walk, basePath.isEmpty() ? entry : QXPathInfo::stringByAppendingPathComponent(basePath, entry),
              QString());
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
