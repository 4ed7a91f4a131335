#pragma once
// One playlist entry: an address, its movie once opened, and the player-area size and lock
// it was left with. Entries are shared (playlist, current entry), hence the shared pointer.
// A playlist may hold hundreds of thousands of them, so an entry keeps its address once, as
// the fully encoded bytes, and nothing derived from it (names and icons are made on demand).
#include <QByteArray>
#include <QIcon>
#include <QSharedPointer>
#include <QSizeF>
#include <QStringView>
#include <QUrl>

class QXMovie;
class QXMovieRepresentation;
using QXMovieRepresentationRef = QSharedPointer<QXMovieRepresentation>;

class QXMovieRepresentation
{
    struct Key {};   // made only through the factories below

public:
    static QXMovieRepresentationRef movieRepresentationWithURL(const QUrl &url);
    // None when the text makes no valid absolute address.
    static QXMovieRepresentationRef movieRepresentationWithURLString(const QString &text);
    static QXMovieRepresentationRef movieRepresentationWithPath(const QString &path);
    QXMovieRepresentation(Key, QByteArray address) : m_address(std::move(address)) {}
    ~QXMovieRepresentation();
    QXMovieRepresentation(const QXMovieRepresentation &) = delete;
    QXMovieRepresentation &operator=(const QXMovieRepresentation &) = delete;

    // The address as QUrl::toEncoded(QUrl::FullyEncoded) gives it: what lookups compare.
    static QByteArray addressOfURL(const QUrl &url) { return url.toEncoded(QUrl::FullyEncoded); }
    const QByteArray &address() const { return m_address; }
    QUrl URL() const;
    QString URLString() const { return QString::fromLatin1(m_address); }
    bool isFile() const { return m_address.startsWith("file:"); }
    // The file path for a file address; empty for every other address.
    QString path() const;
    // The path with the home folder as "~", or the address text without a path.
    QString locationKey() const;
    // The file name (without its extension while "Hide File Extensions" is on), or the
    // address text for an address that is no file.
    QString displayName() const;
    QString displayName(bool hideFileExtensions) const;
    // Shared by every entry of a kind: a file or a web address (a download under way keeps
    // its page's globe; the table adds the loading mark).
    QIcon icon() const;

    // Opened on first use; nullptr when the engine cannot open the address (tried again on
    // the next call).
    QXMovie *movie();
    // The open movie without opening it.
    QXMovie *openedMovie() const { return m_movie; }
    bool hasMovieState() const { return m_movie != nullptr; }
    // Lets the open movie go (the address it was opened from no longer plays).
    void forgetMovie();
    bool isDownloadingOnlineFlashMovie() const { return m_isDownloadingOnlineFlashMovie; }
    // Set while the online video download runs; the table shows the loading mark.
    void setDownloadingOnlineFlashMovie(bool downloading) { m_isDownloadingOnlineFlashMovie = downloading; }

    void setLastMovieSize(const QSizeF &size, bool isLocked);
    QSizeF lastMovieSize() const { return m_lastMovieSize; }
    bool lastMovieIsLocked() const { return m_lastMovieIsLocked; }

    // Turns the open movie to the angle remembered for this location (when it has a picture).
    void adjustMovieRotation();
    // Turns the movie by the angle and remembers the new angle for this location.
    void rotateByAngle(int degrees);

private:
    // Only the playlist changes an address, as it keeps the index of them.
    friend class QXPlaylist;
    void setAddress(const QUrl &url);

    // "file:///..." with neither query nor fragment, as every address made from a path.
    bool isPlainFileAddress() const;

    QByteArray m_address;
    QXMovie *m_movie = nullptr;   // owned
    QSizeF m_lastMovieSize;
    bool m_lastMovieIsLocked = false;
    bool m_isDownloadingOnlineFlashMovie = false;
};
