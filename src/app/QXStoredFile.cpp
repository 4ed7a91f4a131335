#include "app/QXStoredFile.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QXStoredFile {

namespace {

const char TempInfix[] = ".tmp-";
constexpr int TempSuffixLength = 6; // the XXXXXX of mkstemp

QString errorText(int error)
{
    return qt_error_string(error);
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// The file a write lands in: symbolic links followed, so a link to a file kept elsewhere (a
// dotfile repository, say) stays a link. Empty, with the reason, when the links loop.
QByteArray writeTarget(QByteArray path, QString *problem)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), link, sizeof link);
        if (n < 0 || n == ssize_t(sizeof link)) {
            *problem = errorText(n < 0 ? errno : ENAMETOOLONG);
            return {};
        }
        const QByteArray target(link, n);
        path = target.startsWith('/') ? target : folderOf(path) + '/' + target;
    }
    *problem = errorText(ELOOP);
    return {};
}

// What a non-regular file is, or nothing for a regular one.
Contents classify(const struct stat &st, qint64 maxBytes)
{
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return {Kind::Device, {}, QStringLiteral("is a device, not a file")};
    if (S_ISFIFO(st.st_mode))
        return {Kind::NotAFile, {}, QStringLiteral("is a named pipe, not a file")};
    if (S_ISDIR(st.st_mode))
        return {Kind::NotAFile, {}, QStringLiteral("is a folder, not a file")};
    if (!S_ISREG(st.st_mode))
        return {Kind::NotAFile, {}, QStringLiteral("is not a regular file")};
    if (st.st_size > maxBytes) {
        const QString limit = maxBytes % (1 << 20) == 0
            ? QStringLiteral("%1 MiB").arg(maxBytes >> 20)
            : QStringLiteral("%1 bytes").arg(maxBytes);
        return {Kind::TooLarge, {}, QStringLiteral("is larger than %1").arg(limit)};
    }
    return {Kind::File, {}, {}};
}

} // namespace

Contents read(const QString &path, qint64 maxBytes)
{
    const QByteArray native = QFile::encodeName(path);
    const auto unreadable = [](int error) {
        return Contents{Kind::Unreadable, {}, QStringLiteral("cannot be read (%1)").arg(errorText(error))};
    };
    // Looked at before opening: opening a device can have effects of its own.
    struct stat st;
    if (::stat(native.constData(), &st) != 0) {
        const int error = errno;
        struct stat link;
        if (::lstat(native.constData(), &link) != 0 && (errno == ENOENT || errno == ENOTDIR))
            return {};
        return unreadable(error); // a link to nothing, a folder we may not enter
    }
    Contents contents = classify(st, maxBytes);
    if (contents.kind != Kind::File)
        return contents;
    // Non-blocking in case a pipe took the file's place since the look above.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return unreadable(errno);
    if (::fstat(fd, &st) != 0 || (contents = classify(st, maxBytes)).kind != Kind::File) {
        const int error = errno;
        ::close(fd);
        return contents.kind == Kind::File ? unreadable(error) : contents;
    }
    // One byte past the limit tells a file that grew since fstat.
    QByteArray bytes(qsizetype(qMin<qint64>(st.st_size, maxBytes) + 1), Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > maxBytes)
                break;
            bytes.resize(qsizetype(qMin<qint64>(qint64(used) * 2, maxBytes + 1)));
        }
        const ssize_t n = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return unreadable(error);
        }
        if (n == 0)
            break;
        used += n;
    }
    ::close(fd);
    if (used > maxBytes) {
        st.st_size = used;
        return classify(st, maxBytes);
    }
    bytes.truncate(used);
    contents.bytes = bytes;
    return contents;
}

QString write(const QString &path, const QByteArray &bytes)
{
    QString problem;
    const QByteArray target = writeTarget(QFile::encodeName(path), &problem);
    if (target.isEmpty())
        return problem;
    const QString shown = QFile::decodeName(target);
    mode_t mode = S_IRUSR | S_IWUSR;
    struct stat st;
    if (::lstat(target.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return QStringLiteral("%1 is not a regular file").arg(shown);
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return QStringLiteral("%1: %2").arg(shown, errorText(errno));
    }

    QByteArray temp = target + TempInfix + QByteArray(TempSuffixLength, 'X');
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("cannot create a file beside %1: %2").arg(shown, errorText(errno));
    const auto fail = [&](const char *step) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.constData());
        return QStringLiteral("%1 %2: %3").arg(QLatin1String(step), QFile::decodeName(temp), errorText(error));
    };
    if (::fchmod(fd, mode) != 0)
        return fail("setting the permissions of");
    for (const char *p = bytes.constData(), *end = p + bytes.size(); p < end;) {
        const ssize_t n = ::write(fd, p, size_t(end - p));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return fail("writing");
        }
        p += n;
    }
    int rc;
    while ((rc = ::fdatasync(fd)) != 0 && errno == EINTR) {}
    if (rc != 0)
        return fail("syncing");
    // close() reports what a network file system could not store; the descriptor is gone
    // whatever it answers.
    rc = ::close(fd);
    fd = -1;
    if (rc != 0)
        return fail("closing");
    if (::rename(temp.constData(), target.constData()) != 0)
        return fail("renaming");
    // The rename itself reaches the disk only with the folder.
    const int dir = ::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        rc = ::fsync(dir);
        const int error = errno;
        ::close(dir);
        if (rc != 0 && error != EINVAL) // some file systems cannot sync a folder
            return QStringLiteral("syncing the folder of %1: %2").arg(shown, errorText(error));
    }
    return {};
}

QString renameAside(const QString &path, const QString &label, QString *reason)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = path + label + stamp;
    for (int n = 1; n <= 100; ++n) {
        const QString name = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        struct stat st;
        if (::lstat(QFile::encodeName(name).constData(), &st) == 0)
            continue;
        // rename(2) itself: QFile::rename falls back to copying, which would block on a pipe.
        if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(name).constData()) == 0)
            return name;
        *reason = errorText(errno);
        return {};
    }
    *reason = QStringLiteral("every name for the old copy is taken");
    return {};
}

void removeLeftovers(const QString &path)
{
    QString problem;
    const QByteArray target = writeTarget(QFile::encodeName(path), &problem);
    if (target.isEmpty())
        return;
    const QByteArray folder = folderOf(target);
    const QByteArray prefix = target.mid(target.lastIndexOf('/') + 1) + TempInfix;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (name.size() != prefix.size() + TempSuffixLength || !name.startsWith(prefix))
            continue;
        bool ours = true;
        for (const char c : name.sliced(prefix.size()))
            ours = ours && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
        struct stat st;
        if (ours && ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace QXStoredFile
