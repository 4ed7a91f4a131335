#include "player/QXScreenshot.h"

#include "engine/QXMovie.h"
#include "util/QXPathInfo.h"

#include <QDir>
#include <QUrl>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Bytes a name may take: most file systems allow 255; room is left for " (99)" and the time.
constexpr int MaxStemBytes = 200;

} // namespace

QString QXScreenshotFileName(const QString &movieName, double seconds)
{
    QString stem = movieName;
    const qsizetype dot = stem.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        stem.truncate(dot);
    for (QChar &ch : stem)
        if (ch == QLatin1Char('/') || ch == QLatin1Char('\\') || ch.category() == QChar::Other_Control)
            ch = QLatin1Char('_');
    while (stem.startsWith(QLatin1Char('.')) || stem.startsWith(QLatin1Char(' ')))
        stem.remove(0, 1);
    stem = QXPathInfo::truncatedToUtf8Bytes(stem, MaxStemBytes);
    if (stem.isEmpty())
        stem = QStringLiteral("Movie");
    const qint64 ms = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds * 1000) : 0;
    const QString time = QString::asprintf("%lld-%02lld-%02lld.%03lld", ms / 3600000, ms / 60000 % 60,
                                           ms / 1000 % 60, ms % 1000);
    return stem + QLatin1Char(' ') + time + QStringLiteral(".png");
}

QString QXReserveNewFile(const QString &folder, const QString &fileName, QString *problem)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    const QString extension = dot > 0 ? fileName.mid(dot) : QString();
    for (int n = 1; n <= 999; ++n) {
        const QString name = n == 1 ? fileName : QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(extension);
        const QString path = QDir(folder).filePath(name);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) {
            *problem = qt_error_string(errno);
            return {};
        }
    }
    *problem = QObject::tr("every name for it is taken");
    return {};
}

QString QXScreenshotFolder()
{
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath() + QStringLiteral("/Pictures");
    return QDir(pictures).filePath(QStringLiteral("Vistrel"));
}

void QXScreenshotTaker::take(QXMovie *movie)
{
    const QUrl url = movie->url();
    const QString movieName = url.fileName().isEmpty() ? url.host() : url.fileName();
    const QString folder = QXScreenshotFolder();
    const QString shownFolder = QXPathInfo::stringByAbbreviatingWithTildeInPath(folder);
    // Said on the picture either way, later for the file the player writes.
    QPointer<QXMovie> shown(movie);
    QPointer<QXScreenshotTaker> self(this);
    const auto finish = [shown, self, shownFolder](const QString &path, const QString &error) {
        if (!error.isEmpty() && !path.isEmpty())
            QFile::remove(path);   // the empty file that held the name
        if (!self)
            return;
        if (shown)
            shown->showMessage(error.isEmpty() ? tr("Saved %1 to %2").arg(QFileInfo(path).fileName(), shownFolder)
                                               : tr("Cannot save the screenshot: %1").arg(error),
                               error.isEmpty() ? 3000 : 4000);
        if (error.isEmpty())
            emit self->saved(path);
        else
            emit self->failed(error);
    };
    if (!QDir().mkpath(folder))
        return finish({}, tr("the folder %1 cannot be made").arg(shownFolder));
    QString problem;
    const QString path = QXReserveNewFile(folder, QXScreenshotFileName(movieName, movie->currentTime().seconds()), &problem);
    if (path.isEmpty())
        return finish({}, tr("no file can be made in %1 (%2)").arg(shownFolder, problem));
    movie->saveFrame(path, [finish, path](const QString &error) { finish(path, error); });
}
