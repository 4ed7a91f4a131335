#include "playlist/QXMovieDownload.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

#include <csignal>
#include <unistd.h>

// ---------------------------------------------------------------------------------------------

QXMovieDownload::~QXMovieDownload() = default;

void QXMovieDownload::begin()
{
    m_running = true;
    ++m_runs;
    m_received = 0;
    m_expected = -1;
    m_lastProgress.invalidate();
}

void QXMovieDownload::setProgress(qint64 received, qint64 expected)
{
    m_received = received;
    m_expected = expected;
    if (m_lastProgress.isValid() && m_lastProgress.elapsed() < ProgressIntervalMs)
        return;
    m_lastProgress.start();
    emit progressed(received, expected);
}

void QXMovieDownload::succeed(const QString &savedPath)
{
    m_running = false;
    emit finished(savedPath);
}

void QXMovieDownload::fail(const QString &reason)
{
    m_running = false;
    emit failed(reason);
}

void QXMovieDownload::failLater(const QString &reason)
{
    QMetaObject::invokeMethod(this, [this, reason, run = m_runs] {
        if (m_running && m_runs == run)
            fail(reason);
    }, Qt::QueuedConnection);
}

QString QXMovieDownload::cannotWrite(const QString &folder)
{
    return tr("download failed: cannot write %1").arg(QDir::toNativeSeparators(folder));
}

// ---------------------------------------------------------------------------------------------

QXHttpDownload::QXHttpDownload(const QUrl &video, const QString &targetPath, QObject *parent,
                               int stallMs)
    : QXMovieDownload(parent), m_video(video), m_target(QFileInfo(targetPath).absoluteFilePath()),
      m_stallMs(stallMs)
{
    m_stall.setSingleShot(true);
    connect(&m_stall, &QTimer::timeout, this, [this] {
        discard();
        fail(tr("download failed: nothing received for %1 seconds")
                 .arg(QLocale().toString(m_stallMs / 1000.0)));
    });
}

QXHttpDownload::~QXHttpDownload() { QXHttpDownload::cancel(); }

void QXHttpDownload::start()
{
    if (isRunning())
        return;
    begin();
    const QString scheme = m_video.scheme();
    if (!m_video.isValid() || m_video.host().isEmpty() || (scheme != "http" && scheme != "https")) {
        failLater(tr("download failed: %1 is no web address").arg(m_video.toDisplayString()));
        return;
    }
    const QString folder = QFileInfo(m_target).path();
    m_file = new QSaveFile(m_target, this);
    // A direct write would leave half a file under the final name.
    m_file->setDirectWriteFallback(false);
    if (!QDir().mkpath(folder) || !m_file->open(QIODevice::WriteOnly)) {
        discard();
        failLater(cannotWrite(folder));
        return;
    }

    if (!m_manager) {
        m_manager = new QNetworkAccessManager(this);
        m_manager->setCache(nullptr);
    }
    QNetworkRequest request(m_video);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // The announced length must be the length of what is saved.
    request.setRawHeader("Accept-Encoding", "identity");
    m_reply = m_manager->get(request);
    // The network thread stops reading once this much waits here: memory stays bounded
    // however fast the server sends.
    m_reply->setReadBufferSize(ReadBufferBytes);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] { m_stall.start(m_stallMs); });
    connect(m_reply, &QNetworkReply::readyRead, this, &QXHttpDownload::takeOrFail);
    connect(m_reply, &QNetworkReply::finished, this, &QXHttpDownload::end);
    m_stall.start(m_stallMs);
}

void QXHttpDownload::cancel()
{
    if (!isRunning())
        return;
    discard();
    stop();
}

// Drops the transfer and the temporary file.
void QXHttpDownload::discard(bool abort)
{
    m_stall.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        if (abort)
            m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    if (m_file) {
        m_file->cancelWriting();
        delete m_file; // removes the temporary file
        m_file = nullptr;
    }
}

void QXHttpDownload::takeOrFail()
{
    const QString reason = take();
    if (reason.isEmpty())
        return;
    // Qt reports an error status as an error of its own a moment later; an abort before that
    // only makes it warn. The reply ends when it is deleted.
    discard(false);
    fail(reason);
}

// Writes what has arrived; the reason when the download cannot go on.
QString QXHttpDownload::take()
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400)
        return {}; // a redirect's own body; what it leads to comes next
    if (status < 200 || status >= 300)
        return tr("download failed: server answered %1").arg(status);
    m_stall.start(m_stallMs);
    const QByteArray bytes = m_reply->readAll();
    if (bytes.isEmpty())
        return {};
    if (m_file->write(bytes) != bytes.size())
        return cannotWrite(QFileInfo(m_target).path());
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    setProgress(bytesReceived() + bytes.size(), announced.isValid() ? announced.toLongLong() : -1);
    return {};
}

// Why a transfer that has ended is no complete download, or empty.
QString QXHttpDownload::endReason() const
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const bool ok = status >= 200 && status < 300;
    if (status != 0 && (status < 200 || status >= 400))
        return tr("download failed: server answered %1").arg(status);
    // Before the error: a connection closed early is said more plainly this way.
    if (ok && announced.isValid() && bytesReceived() != announced.toLongLong())
        return tr("download failed: the connection ended after %1 of %2 bytes")
            .arg(bytesReceived())
            .arg(announced.toLongLong());
    if (m_reply->error() != QNetworkReply::NoError)
        return tr("download failed: %1").arg(m_reply->errorString());
    if (!ok) // a redirect not followed
        return tr("download failed: server answered %1").arg(status);
    return {};
}

void QXHttpDownload::end()
{
    QString reason = m_reply->bytesAvailable() ? take() : QString();
    if (reason.isEmpty())
        reason = endReason();
    if (!reason.isEmpty()) {
        discard();
        fail(reason);
        return;
    }
    m_stall.stop();
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;
    const bool committed = m_file->commit();
    delete m_file;
    m_file = nullptr;
    if (!committed) {
        fail(cannotWrite(QFileInfo(m_target).path()));
        return;
    }
    succeed(m_target);
}

// ---------------------------------------------------------------------------------------------

namespace {

const QString ProgressMark = QStringLiteral("vistrel-progress ");
const QString SavedMark = QStringLiteral("vistrel-saved ");
const QString ErrorMark = QStringLiteral("ERROR: ");
// A line longer than this is no line of ours; its rest is read as further lines.
constexpr qint64 MaxLineBytes = 64 << 10;

// A byte count as yt-dlp prints it: an integer, or a real for an estimate; "NA" when unknown.
qint64 byteCount(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value >= 0 && value < 9e18 ? qint64(value) : -1;
}

} // namespace

QXYtDlpDownload::QXYtDlpDownload(const QUrl &page, const QString &outputFolder,
                                 const QString &program, QObject *parent)
    : QXMovieDownload(parent), m_page(page), m_folder(QFileInfo(outputFolder).absoluteFilePath()),
      m_program(program)
{
}

QXYtDlpDownload::~QXYtDlpDownload() { QXYtDlpDownload::cancel(); }

QString QXYtDlpDownload::program()
{
    const QString chosen = qEnvironmentVariable("VISTREL_YTDLP");
    if (chosen.isEmpty())
        return QStandardPaths::findExecutable(QStringLiteral("yt-dlp"));
    const QFileInfo file(chosen);
    return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
}

QStringList QXYtDlpDownload::arguments(const QUrl &page, const QString &outputFolder,
                                       const QString &tempFolder)
{
    return {
        // Only what is asked here: a user's configuration could add a playlist, other folders
        // or another output.
        "--ignore-config", "--no-playlist", "--newline", "--progress",
        // Printing implies a quiet, simulated run; the download must still happen.
        "--no-simulate",
        "--progress-template",
        "download:" + ProgressMark
            + "%(progress.downloaded_bytes)s %(progress.total_bytes)s %(progress.total_bytes_estimate)s",
        "-P", "home:" + outputFolder, "-P", "temp:" + tempFolder,
        // yt-dlp replaces "/" in field values, so the name stays in the folder; both fields cut
        // by bytes so the name and its temporary suffixes stay under 255 bytes.
        "-o", "%(title).120B [%(id).40B].%(ext)s",
        "--print", "after_move:" + SavedMark + "%(filepath)s",
        "--", page.toString(QUrl::FullyEncoded)};
}

QXYtDlpDownload::Line QXYtDlpDownload::parseLine(const QString &text)
{
    Line line;
    QString s = text;
    while (s.endsWith('\n') || s.endsWith('\r'))
        s.chop(1);
    if (s.startsWith(ProgressMark)) {
        const QStringList fields = s.sliced(ProgressMark.size()).split(' ');
        if (fields.size() != 3)
            return line;
        const qint64 received = byteCount(fields[0]);
        if (received < 0)
            return line;
        line.kind = Line::Progress;
        line.received = received;
        line.expected = byteCount(fields[1]);
        if (line.expected < 0)
            line.expected = byteCount(fields[2]);
    } else if (s.startsWith(SavedMark) && s.size() > SavedMark.size()) {
        line.kind = Line::Saved;
        line.text = s.sliced(SavedMark.size());
    } else if (s.startsWith(ErrorMark)) {
        line.kind = Line::Error;
        line.text = s.sliced(ErrorMark.size()).trimmed();
    }
    return line;
}

void QXYtDlpDownload::start()
{
    if (isRunning())
        return;
    begin();
    m_savedPath.clear();
    m_lastError.clear();
    m_lastErrorLine.clear();
    if (!QDir().mkpath(m_folder)) {
        failLater(cannotWrite(m_folder));
        return;
    }
    // A fresh hidden folder for the parts: whatever a stopped run leaves goes with it.
    m_tempFolder = QDir(m_folder).filePath(
        ".vistrel-" + QUuid::createUuid().toString(QUuid::WithoutBraces));
    if (!QDir().mkdir(m_tempFolder)) {
        m_tempFolder.clear();
        failLater(cannotWrite(m_folder));
        return;
    }

    m_process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PYTHONIOENCODING", "utf-8");
    environment.insert("PYTHONUNBUFFERED", "1");
    m_process->setProcessEnvironment(environment);
    // Its own process group, so that ending it ends what it started (ffmpeg) too.
    m_process->setChildProcessModifier([] { ::setpgid(0, 0); });
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process, &QProcess::readyReadStandardOutput, this, &QXYtDlpDownload::readOutput);
    connect(m_process, &QProcess::readyReadStandardError, this, &QXYtDlpDownload::readErrors);
    connect(m_process, &QProcess::started, this, [this] { m_pid = m_process->processId(); });
    connect(m_process, &QProcess::finished, this, &QXYtDlpDownload::end);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        discard();
        fail(tr("download failed: cannot run %1").arg(m_program));
    });
    m_process->start(m_program, arguments(m_page, m_folder, m_tempFolder));
}

void QXYtDlpDownload::cancel()
{
    if (!isRunning())
        return;
    discard();
    stop();
}

// Ends the process and its group and removes the parts.
void QXYtDlpDownload::discard()
{
    if (m_process) {
        m_process->disconnect(this);
        // The group too when yt-dlp itself has ended: a helper it started may still write.
        const qint64 pid = m_pid > 0 ? m_pid : m_process->processId();
        // Before the child has made its group, the group is not there yet.
        if (pid > 0 && ::kill(-pid_t(pid), SIGKILL) != 0 && m_process->state() != QProcess::NotRunning)
            ::kill(pid_t(pid), SIGKILL);
        // Reaped before its folder goes, so nothing more lands there.
        if (m_process->state() != QProcess::NotRunning)
            m_process->waitForFinished(5000);
        m_process->deleteLater();
        m_process = nullptr;
        m_pid = 0;
    }
    if (!m_tempFolder.isEmpty()) {
        QDir(m_tempFolder).removeRecursively();
        m_tempFolder.clear();
    }
}

void QXYtDlpDownload::readOutput()
{
    m_process->setReadChannel(QProcess::StandardOutput);
    while (m_process->canReadLine() || m_process->bytesAvailable() >= MaxLineBytes) {
        const Line line = parseLine(QString::fromUtf8(m_process->readLine(MaxLineBytes)));
        if (line.kind == Line::Progress)
            setProgress(line.received, line.expected);
        else if (line.kind == Line::Saved)
            m_savedPath = line.text;
    }
}

void QXYtDlpDownload::readErrors()
{
    m_process->setReadChannel(QProcess::StandardError);
    while (m_process->canReadLine() || m_process->bytesAvailable() >= MaxLineBytes) {
        const QString text = QString::fromUtf8(m_process->readLine(MaxLineBytes)).trimmed();
        if (text.isEmpty())
            continue;
        m_lastErrorLine = text;
        const Line line = parseLine(text);
        if (line.kind == Line::Error && !line.text.isEmpty())
            m_lastError = line.text;
    }
}

void QXYtDlpDownload::end()
{
    // What is left without a final newline counts as a line.
    readOutput();
    readErrors();
    for (const auto channel : {QProcess::StandardOutput, QProcess::StandardError}) {
        m_process->setReadChannel(channel);
        const QString rest = QString::fromUtf8(m_process->readAll());
        if (!rest.trimmed().isEmpty()) {
            const Line line = parseLine(rest);
            if (channel == QProcess::StandardOutput && line.kind == Line::Saved)
                m_savedPath = line.text;
            if (channel == QProcess::StandardError) {
                m_lastErrorLine = rest.trimmed();
                if (line.kind == Line::Error)
                    m_lastError = line.text;
            }
        }
    }
    const bool crashed = m_process->exitStatus() != QProcess::NormalExit;
    const int exitCode = m_process->exitCode();
    const QFileInfo saved(m_savedPath);
    const bool inside = !m_savedPath.isEmpty() && saved.isFile()
        && QFileInfo(saved.absolutePath()).canonicalFilePath() == QFileInfo(m_folder).canonicalFilePath();
    discard();
    if (!crashed && exitCode == 0 && inside) {
        succeed(saved.absoluteFilePath());
        return;
    }
    if (crashed)
        fail(tr("download failed: yt-dlp stopped unexpectedly"));
    else if (!m_lastError.isEmpty())
        fail(m_lastError);
    else if (exitCode != 0 && !m_lastErrorLine.isEmpty())
        fail(m_lastErrorLine);
    else if (exitCode == 0)
        fail(tr("download failed: yt-dlp saved no file"));
    else
        fail(tr("download failed: yt-dlp stopped unexpectedly"));
}
