#include "util/QXMovieCollection.h"

#include "util/QXNetwork.h"
#include "util/QXPathInfo.h"

#include <QFile>
#include <QSet>

#include <dirent.h>
#include <sys/stat.h>

namespace {

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
    QSet<FolderId> beingWalked;
    const QXFolderVisitor *enterFolder = nullptr;
};

// Every name in the folder except "." and "..", hidden ones included, in the order the file
// system gives them; empty when the folder cannot be read. readdir rather than QDir, which
// would stat every entry once more.
QStringList folderEntries(const QString &path)
{
    QStringList names;
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        names.append(QFile::decodeName(name));
    }
    ::closedir(dir);
    return names;
}

bool collectPaths(Walk &walk, QList<QUrl> &into, const QStringList &paths,
                  const QString &basePath, bool revealPackageContents)
{
    using namespace QXPathInfo;
    bool added = false;
    for (const QString &entry : paths) {
        if (entry.isEmpty())
            continue;
        const QString path =
            basePath.isEmpty() ? entry : stringByAppendingPathComponent(basePath, entry);
        if (isNetworkPath(path) || isTabooSystemPath(path))
            continue;

        // One stat (links followed) answers both the folder test and the folder's identity.
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            continue; // missing, a dangling link, or unreadable: nothing to collect
        if (S_ISDIR(st.st_mode)) {
            const FolderId id{st.st_dev, st.st_ino};
            if (walk.beingWalked.contains(id))
                continue;
            if (walk.enterFolder && *walk.enterFolder && !(*walk.enterFolder)(path))
                continue;
            const QStringList names = folderEntries(path);
            walk.beingWalked.insert(id);
            if (collectPaths(walk, into, names, path, revealPackageContents))
                added = true;
            walk.beingWalked.remove(id);
        } else if (S_ISREG(st.st_mode) && isMoviePath(path)) {
            into.append(QUrl::fromLocalFile(path));
            added = true;
        }
    }
    return added;
}

} // namespace

bool QXAddMovieURLs(QList<QUrl> &into, const QList<QUrl> &urls, bool revealPackageContents)
{
    bool added = false;
    for (const QUrl &url : urls) {
        if (url.isLocalFile()) {
            if (QXAddMovieURLsFromPaths(into, {url.toLocalFile()}, QString(),
                                        revealPackageContents))
                added = true;
        } else if (QXNetwork::isMovieURL(url)) {
            into.append(url);
            added = true;
        }
    }
    return added;
}

bool QXAddMovieURLsFromPaths(QList<QUrl> &into, const QStringList &paths,
                             const QString &basePath, bool revealPackageContents)
{
    return QXAddMovieURLsFromPaths(into, paths, basePath, revealPackageContents, {});
}

bool QXAddMovieURLsFromPaths(QList<QUrl> &into, const QStringList &paths,
                             const QString &basePath, bool revealPackageContents,
                             const QXFolderVisitor &enterFolder)
{
    Walk walk;
    walk.enterFolder = &enterFolder;
    return collectPaths(walk, into, paths, basePath, revealPackageContents);
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
