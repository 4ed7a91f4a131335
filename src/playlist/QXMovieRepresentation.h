#pragma once
// One playlist entry: an address, its movie once opened, and the player-area size and lock
// it was left with. Entries are shared (playlist, current entry, menu items), hence the
// shared pointer.
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QSizeF>
#include <QUrl>

class QXMovie;
class QXMovieRepresentation;
using QXMovieRepresentationRef = QSharedPointer<QXMovieRepresentation>;

class QXMovieRepresentation : public QObject
{
    Q_OBJECT
public:
    static QXMovieRepresentationRef movieRepresentationWithURL(const QUrl &url);
    // None when the text makes no valid absolute address.
    static QXMovieRepresentationRef movieRepresentationWithURLString(const QString &text);
    static QXMovieRepresentationRef movieRepresentationWithPath(const QString &path);
    ~QXMovieRepresentation() override;

    QUrl URL() const { return m_URL; }
    QString URLString() const;
    // The file path for a file address; empty for every other address.
    QString path() const;
    // The path with the home folder as "~", or the address text without a path.
    QString locationKey() const;
    QString displayName() const;
    QIcon icon() const;

    // Opened on first use; nullptr when the engine cannot open the address (tried again on
    // the next call).
    QXMovie *movie();
    // The open movie without opening it.
    QXMovie *openedMovie() const { return m_movie; }
    bool hasMovieState() const { return m_movie != nullptr; }
    bool isDownloadingOnlineFlashMovie() const { return m_isDownloadingOnlineFlashMovie; }

    void setLastMovieSize(const QSizeF &size, bool isLocked);
    QSizeF lastMovieSize() const { return m_lastMovieSize; }
    bool lastMovieIsLocked() const { return m_lastMovieIsLocked; }

    // Turns the open movie to the angle remembered for this location (when it has a picture).
    void adjustMovieRotation();
    // Turns the movie by the angle and remembers the new angle for this location.
    void rotateByAngle(int degrees);

private:
    explicit QXMovieRepresentation(const QUrl &url);

    QUrl m_URL;
    QUrl m_decodedFlashMovieURL;
    QXMovie *m_movie = nullptr;   // owned
    bool m_isDownloadingOnlineFlashMovie = false;
    QSizeF m_lastMovieSize;
    bool m_lastMovieIsLocked = false;
    mutable QIcon m_icon;
};

// Both order by QXCompareNames (util/QXMovieCollection.h); <0, 0, >0.
int QXSortMovieRepresentationsByLocation(const QXMovieRepresentationRef &a, const QXMovieRepresentationRef &b);
int QXSortMovieRepresentationsByDisplayName(const QXMovieRepresentationRef &a, const QXMovieRepresentationRef &b);
