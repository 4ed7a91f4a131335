#include "playlist/QXMovieRepresentation.h"

#include "app/QXSettings.h"
#include "controls/QXImages.h"
#include "engine/QXFileNames.h"
#include "engine/QXMovie.h"
#include "util/QXPathInfo.h"

QXMovieRepresentationRef QXMovieRepresentation::movieRepresentationWithURL(const QUrl &url)
{
    if (url.isEmpty() || !url.isValid())
        return {};
    // Exactly as long as it is: the encoded form comes in the buffer of a longer UTF-16 text.
    QByteArray address = addressOfURL(url);
    address.squeeze();
    return QXMovieRepresentationRef::create(Key{}, std::move(address));
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

QXMovieRepresentation::~QXMovieRepresentation()
{
    // An entry may be dropped from inside one of its own movie's signals: the movie goes
    // once control is back in the event loop, the entry at once.
    if (m_movie)
        m_movie->deleteLater();
}

QUrl QXMovieRepresentation::URL() const
{
    return QUrl::fromEncoded(m_address, QUrl::StrictMode);
}

bool QXMovieRepresentation::isPlainFileAddress() const
{
    return m_address.startsWith("file:///") && !m_address.contains('?') && !m_address.contains('#');
}

QString QXMovieRepresentation::path() const
{
    if (!isFile())
        return {};
    // Every address made from a path decodes straight from its bytes; other forms (a host,
    // a query) go through QUrl.
    if (isPlainFileAddress())
        return QXFileNames::decode(QByteArray::fromPercentEncoding(m_address.sliced(7)));
    return QXFileNames::localPath(URL());
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
    return displayName(QXSettings::standard().boolForKey(QXKeys::HideFileExtensions));
}

QString QXMovieRepresentation::displayName(bool hideFileExtensions) const
{
    if (!isFile())
        return URLString();
    // QXPathInfo::displayFileName with the setting read by the caller (once per sort). The
    // name is the last segment of a plain address when that holds no encoded slash: only it
    // is decoded, the way path() decodes all (bytes that are no UTF-8 kept as such).
    QString name;
    const qsizetype slash = m_address.lastIndexOf('/');
    const QByteArrayView segment = QByteArrayView(m_address).sliced(slash + 1);
    if (isPlainFileAddress() && !segment.isEmpty() && !segment.contains("%2F") && !segment.contains("%2f")) {
        const QByteArray bytes = QByteArray::fromPercentEncoding(segment.toByteArray());
        name = QString::fromUtf8(bytes);
        if (name.contains(QChar::ReplacementCharacter))
            name = QXFileNames::decode(bytes);
    } else {
        const QString p = path();
        if (p.isEmpty())
            return URLString();
        name = QXPathInfo::lastPathComponent(p);
    }
    if (hideFileExtensions)
        name = QXPathInfo::stringByDeletingPathExtension(name);
    // Bytes that are not UTF-8 show as replacement characters.
    return QXFileNames::hasRawBytes(name) ? QString::fromUtf8(QXFileNames::encode(name)) : name;
}

QIcon QXMovieRepresentation::icon() const
{
    return QXNamedImage(isFile() ? QStringLiteral("QXMovieFile") : QStringLiteral("QXMiniGlobe"));
}

void QXMovieRepresentation::forgetMovie()
{
    if (m_movie)
        m_movie->deleteLater();
    m_movie = nullptr;
}

void QXMovieRepresentation::setAddress(const QUrl &url)
{
    QByteArray address = addressOfURL(url);
    address.squeeze();
    m_address = std::move(address);
    forgetMovie();
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
    m_movie = QXMovie::movieWithURL(URL());
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
