#include "playlist/QXMovieRepresentation.h"

#include "app/QXSettings.h"
#include "controls/QXImages.h"
#include "engine/QXFileNames.h"
#include "engine/QXMovie.h"
#include "util/QXMovieCollection.h"
#include "util/QXPathInfo.h"

#include <QPixmap>

QXMovieRepresentationRef QXMovieRepresentation::movieRepresentationWithURL(const QUrl &url)
{
    if (url.isEmpty() || !url.isValid())
        return {};
    // deleteLater: an entry may be dropped from inside one of its own movie's signals.
    return QXMovieRepresentationRef(new QXMovieRepresentation(url), &QObject::deleteLater);
}

QXMovieRepresentationRef QXMovieRepresentation::movieRepresentationWithURLString(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return {};
    return movieRepresentationWithURL(url);
}

QXMovieRepresentationRef QXMovieRepresentation::movieRepresentationWithPath(const QString &path)
{
    if (path.isEmpty())
        return {};
    return movieRepresentationWithURL(QXFileNames::fileURL(path));
}

QXMovieRepresentation::QXMovieRepresentation(const QUrl &url) : m_URL(url) {}

QXMovieRepresentation::~QXMovieRepresentation()
{
    delete m_movie;
}

QString QXMovieRepresentation::URLString() const
{
    return m_URL.toString(QUrl::FullyEncoded);
}

QString QXMovieRepresentation::path() const
{
    return m_URL.isLocalFile() ? QXFileNames::localPath(m_URL) : QString();
}

QString QXMovieRepresentation::locationKey() const
{
    // A name that is not UTF-8 cannot be a settings key without loss; its address text can.
    const QString p = path();
    return p.isEmpty() || QXFileNames::hasRawBytes(p)
        ? URLString() : QXPathInfo::stringByAbbreviatingWithTildeInPath(p);
}

QString QXMovieRepresentation::displayName() const
{
    const QString p = path();
    if (p.isEmpty())
        return URLString();
    // Bytes that are not UTF-8 show as replacement characters.
    const QString name = QXPathInfo::displayFileName(p);
    return QXFileNames::hasRawBytes(name) ? QString::fromUtf8(QXFileNames::encode(name)) : name;
}

QIcon QXMovieRepresentation::icon() const
{
    const QString p = path();
    if (p.isEmpty())
        return QXNamedImage(QStringLiteral("QXMiniGlobe"));
    // The table asks on every redraw; the image is cached by path, the icon here.
    if (m_icon.isNull()) {
        const QImage image = QXPathInfo::cachedIconFromPath(p);
        if (!image.isNull())
            m_icon = QIcon(QPixmap::fromImage(image));
    }
    return m_icon;
}

QXMovie *QXMovieRepresentation::movie()
{
    // A movie that failed to open is given up: asking again opens the address anew.
    if (m_movie && m_movie->loadState() == QXMovieLoadStateError) {
        delete m_movie;
        m_movie = nullptr;
    }
    if (m_movie)
        return m_movie;
    m_movie = QXMovie::movieWithURL(m_URL);
    adjustMovieRotation();
    return m_movie;
}

void QXMovieRepresentation::setLastMovieSize(const QSizeF &size, bool isLocked)
{
    m_lastMovieSize = size;
    m_lastMovieIsLocked = isLocked;
}

void QXMovieRepresentation::adjustMovieRotation()
{
    if (!m_movie || !m_movie->hasVideo())
        return;
    QXSettings &s = QXSettings::standard();
    if (s.boolForKey(QXKeys::ForgetRotation))
        return;
    const QJsonValue table = s.objectForKey(QXKeys::RotatedMovies);
    if (!table.isObject())
        return;
    const qint64 angle = QXDictIntegerForKey(table.toObject(), locationKey());
    if (angle != 0)
        m_movie->setAngle(int(angle % 360));
}

int QXSortMovieRepresentationsByLocation(const QXMovieRepresentationRef &a, const QXMovieRepresentationRef &b)
{
    return QXCompareNames(a->URLString(), b->URLString());
}

int QXSortMovieRepresentationsByDisplayName(const QXMovieRepresentationRef &a, const QXMovieRepresentationRef &b)
{
    return QXCompareNames(a->displayName(), b->displayName());
}

void QXMovieRepresentation::rotateByAngle(int degrees)
{
    QXMovie *m = movie();
    if (!m)
        return;
    m->setAngle(m->angle() + degrees);
    QXSettings &s = QXSettings::standard();
    if (s.boolForKey(QXKeys::ForgetRotation))
        return;
    const int a = m->angle();
    const QJsonValue stored = s.objectForKey(QXKeys::RotatedMovies);
    if (!stored.isObject() && a == 0)
        return;
    // The table is written back whole, even when it is now empty.
    QJsonObject table = stored.toObject();
    if (a != 0)
        QXDictSetInteger(table, a, locationKey());
    else
        QXDictTryToRemoveObjectForKey(table, locationKey());
    s.setObject(table, QXKeys::RotatedMovies);
}
