// The by-name half of the movie probe: whether a file's name alone says it is no movie, asked
// of the shared MIME database and cached per suffix, since a folder walk asks it of thousands
// of files.
#include "QXMovieProbe_p.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QSet>
#include <QStandardPaths>

#include <array>
#include <mutex>

namespace {

// Application types that hold audio or video without saying so in their name.
bool isContainerMime(const QString &name)
{
    static const QSet<QString> containers{
        "application/ogg", "application/x-ogg", "application/x-matroska",
        "application/vnd.rn-realmedia", "application/vnd.rn-realmedia-vbr", "application/mxf",
        "application/vnd.ms-asf", "application/x-flash-video"};
    return containers.contains(name);
}

bool mimeMayBeMovie(const QMimeType &type)
{
    const QStringList ancestors = type.allAncestors();
    // Playlists and subtitles are text even when their type says audio/ (audio/x-mpegurl).
    if (ancestors.contains("text/plain"))
        return false;
    const QString name = type.name();
    if (name.startsWith("video/") || name.startsWith("audio/") || isContainerMime(name))
        return true;
    for (const QString &a : ancestors)
        if (a.startsWith("video/") || a.startsWith("audio/") || isContainerMime(a))
            return true;
    return false;
}

// True when the file name alone says this is something other than a movie (an image, a
// text, a document, an archive...). Names that say nothing, or that could be a movie
// (".ts" is both a Qt translation and MPEG-TS), are left to the content.
bool nameSaysNoMovieUncached(const QString &fileName)
{
    static QMimeDatabase db;
    const QList<QMimeType> candidates = db.mimeTypesForFileName(fileName);
    if (candidates.isEmpty())
        return false;
    for (const QMimeType &type : candidates)
        if (mimeMayBeMovie(type))
            return false;
    return true;
}

// Case folding with the common case inline: names are mostly ASCII, and the walk folds
// characters of every name it lists.
char16_t folded(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
    return c.toCaseFolded().unicode();
}

QChar lowered(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x80 ? QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u) : c.toLower();
}

QChar uppered(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x80 ? QChar(u >= u'a' && u <= u'z' ? char16_t(u - 32) : u) : c.toUpper();
}

// One element of a glob at p[i] ('?', a [class] or a character) against c, without case,
// so that it matches at least whatever the database's own matching does. *next is where
// the following element starts.
bool globElementMatches(QStringView p, qsizetype i, QChar c, qsizetype *next)
{
    if (p[i] == u'?') {
        *next = i + 1;
        return true;
    }
    if (p[i] == u'[') {
        qsizetype j = i + 1;
        const bool negated = j < p.size() && (p[j] == u'!' || p[j] == u'^');
        if (negated)
            ++j;
        const qsizetype first = j;
        bool inClass = false;
        const QChar lower = lowered(c), upper = uppered(c);
        for (; j < p.size() && (p[j] != u']' || j == first); ++j) {
            if (j + 2 < p.size() && p[j + 1] == u'-' && p[j + 2] != u']') {
                for (const QChar x : {lower, upper})
                    if (x >= p[j] && x <= p[j + 2])
                        inClass = true;
                j += 2;
            } else if (p[j] == lower || p[j] == upper) {
                inClass = true;
            }
        }
        if (j < p.size()) {
            *next = j + 1;
            return inClass != negated;
        }
        // No closing bracket: the '[' is a plain character.
    }
    *next = i + 1;
    return folded(p[i]) == folded(c);
}

bool globMatches(QStringView p, QStringView s)
{
    qsizetype pi = 0, si = 0, starP = -1, starS = 0;
    while (si < s.size()) {
        if (pi < p.size()) {
            if (p[pi] == u'*') {
                starP = ++pi;
                starS = si;
                continue;
            }
            qsizetype next = 0;
            if (globElementMatches(p, pi, s[si], &next)) {
                pi = next;
                ++si;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < p.size() && p[pi] == u'*')
        ++pi;
    return pi == p.size();
}

// Start of a glob's last element, or -1 when it ends in '*'.
qsizetype lastGlobElement(QStringView p)
{
    if (p.isEmpty() || p.back() == u'*')
        return -1;
    if (p.back() == u']') {
        const qsizetype open = p.lastIndexOf(u'[');
        if (open >= 0 && open + 1 < p.size() - 1)
            return open;
    }
    return p.size() - 1;
}

// The by-name verdict of a plain "*.ext" glob depends on the suffix alone, so it is asked of
// the database once per suffix, as written ("*.C" is C++ and "*.c" is C: some globs are
// case-sensitive).
// Names that the other globs could match (whole names like "Makefile" or "README*", longer
// suffixes like "*.tar.gz" or "*.so.[0-9]*") are always asked in full. Those globs come
// from the same globs2 files the database is compiled from; where a mime folder has none,
// nothing is cached.
class NameVerdicts
{
public:
    static NameVerdicts &instance()
    {
        static NameVerdicts verdicts;
        return verdicts;
    }

    bool saysNoMovie(const QString &fileName)
    {
        if (!m_usable || mayMatchOtherGlob(fileName))
            return nameSaysNoMovieUncached(fileName);
        const qsizetype dot = fileName.lastIndexOf(u'.');
        if (dot < 0)
            return false;   // only a plain "*.ext" glob could have matched
        const QStringView suffix = QStringView(fileName).mid(dot + 1);
        quint64 shortKey = 0;
        const bool isShort = packShortSuffix(suffix, &shortKey);
        {
            std::lock_guard lock(m_mutex);
            if (isShort) {
                const auto it = m_byShortSuffix.constFind(shortKey);
                if (it != m_byShortSuffix.constEnd())
                    return it.value();
            } else {
                const auto it = m_bySuffix.constFind(suffix.toString());
                if (it != m_bySuffix.constEnd())
                    return it.value();
            }
        }
        const bool verdict = nameSaysNoMovieUncached(fileName);
        std::lock_guard lock(m_mutex);
        // A folder of numbered suffixes must not grow these.
        if (m_bySuffix.size() + m_byShortSuffix.size() >= 4096) {
            m_bySuffix.clear();
            m_byShortSuffix.clear();
        }
        if (isShort)
            m_byShortSuffix.insert(shortKey, verdict);
        else
            m_bySuffix.insert(suffix.toString(), verdict);
        return verdict;
    }

private:
    struct Glob
    {
        QString pattern;
        qsizetype last;        // see lastGlobElement
        char16_t lastFolded;   // the last element when it is a plain character, or 0
        QString head, tail;    // see literalEnd
        QString inner;         // see innerLiteral
    };

    NameVerdicts()
    {
        const QStringList dirs = QStandardPaths::locateAll(
            QStandardPaths::GenericDataLocation, QStringLiteral("mime"),
            QStandardPaths::LocateDirectory);
        bool withMainDatabase = false;
        QSet<QString> seen;
        for (const QString &dir : dirs) {
            withMainDatabase = withMainDatabase
                || QFileInfo::exists(dir + QStringLiteral("/packages/freedesktop.org.xml"));
            QFile globs(dir + QStringLiteral("/globs2"));
            if (!globs.open(QIODevice::ReadOnly))
                return;
            // weight:type:glob[:flags]
            while (!globs.atEnd()) {
                const QByteArray line = globs.readLine().trimmed();
                if (line.isEmpty() || line.startsWith('#'))
                    continue;
                const QList<QByteArray> fields = line.split(':');
                if (fields.size() < 3)
                    continue;
                const QString pattern = QString::fromUtf8(fields[2]);
                if (pattern == QLatin1String("__NOGLOBS__") || isPlainSuffixGlob(pattern)
                    || seen.contains(pattern))
                    continue;
                seen.insert(pattern);
                const qsizetype last = lastGlobElement(pattern);
                const QChar end = last >= 0 ? pattern[last] : QChar();
                const bool plainEnd = last == pattern.size() - 1 && end != u'?';
                // A pattern without wildcards is all head.
                const QString head = literalEnd(pattern, true);
                const bool literal = head.size() == pattern.size();
                m_others.append({pattern, last, plainEnd ? folded(end) : u'\0', head,
                                 literal ? QString() : literalEnd(pattern, false),
                                 literal ? QString() : innerLiteral(pattern)});
            }
        }
        indexByLastCharacter();
        // Without the main database in a folder the database falls back to its own copy.
        m_usable = withMainDatabase;
    }

    static bool isPlainSuffixGlob(QStringView pattern)
    {
        if (pattern.size() < 3 || !pattern.startsWith(u"*."))
            return false;
        for (const QChar c : pattern.mid(2))
            if (c == u'.' || c == u'*' || c == u'?' || c == u'[')
                return false;
        return true;
    }

    // A suffix of up to eight ASCII characters, as written, packed into a number: the usual
    // suffix is looked up without making a string of it.
    static bool packShortSuffix(QStringView suffix, quint64 *key)
    {
        if (suffix.size() > 8)
            return false;
        quint64 packed = 0;
        for (const QChar c : suffix) {
            if (c.unicode() == 0 || c.unicode() >= 0x80)
                return false;
            packed = (packed << 8) | c.unicode();
        }
        *key = packed;
        return true;
    }

    // Whether the name starts and ends with the glob's literal ends, compared folded: most
    // names fail at once, before the full match.
    static bool literalEndsMatch(const Glob &glob, QStringView name)
    {
        if (name.size() < glob.head.size() + glob.tail.size())
            return false;
        for (qsizetype i = 0; i < glob.head.size(); ++i)
            if (folded(name[i]) != glob.head[i])
                return false;
        const qsizetype from = name.size() - glob.tail.size();
        for (qsizetype i = 0; i < glob.tail.size(); ++i)
            if (folded(name[from + i]) != glob.tail[i])
                return false;
        return glob.inner.isEmpty() || containsFolded(name, glob.inner);
    }

    static bool containsFolded(QStringView name, QStringView part)
    {
        for (qsizetype at = 0; at + part.size() <= name.size(); ++at) {
            qsizetype k = 0;
            while (k < part.size() && folded(name[at + k]) == part[k])
                ++k;
            if (k == part.size())
                return true;
        }
        return false;
    }

    // The globs whose last element could match an ASCII character, for each such character.
    void indexByLastCharacter()
    {
        for (char16_t c = 0; c < 0x80; ++c) {
            for (int g = 0; g < m_others.size(); ++g) {
                const Glob &glob = m_others.at(g);
                qsizetype next = 0;
                if (glob.lastFolded ? glob.lastFolded == folded(QChar(c))
                                    : glob.last < 0 || globElementMatches(glob.pattern, glob.last, QChar(c), &next))
                    m_byLastAscii[c].append(g);
            }
        }
    }

    bool mayMatchOtherGlob(QStringView name) const
    {
        if (name.isEmpty())
            return true;
        const char16_t back = name.back().unicode();
        if (back < 0x80) {
            for (const int g : m_byLastAscii[back]) {
                const Glob &glob = m_others.at(g);
                if (literalEndsMatch(glob, name) && globMatches(glob.pattern, name))
                    return true;
            }
            return false;
        }
        // The last character rules out nearly every glob before the full match is tried.
        const char16_t end = folded(name.back());
        for (const Glob &glob : m_others) {
            qsizetype next = 0;
            if (glob.lastFolded ? glob.lastFolded != end
                                : glob.last >= 0
                                      && !globElementMatches(glob.pattern, glob.last, name.back(), &next))
                continue;
            if (globMatches(glob.pattern, name))
                return true;
        }
        return false;
    }

    static bool isWild(QChar c) { return c == u'*' || c == u'?' || c == u'[' || c == u']'; }

    // The first run of literal characters between wildcards (".so." of "*.so.[0-9]*"), folded.
    static QString innerLiteral(QStringView pattern)
    {
        qsizetype i = 0;
        while (i < pattern.size() && !isWild(pattern[i]))
            ++i;
        // Past the wildcard and a [class] it opens.
        if (i < pattern.size() && pattern[i] == u'[') {
            const qsizetype close = pattern.indexOf(u']', i + 2);
            i = close < 0 ? pattern.size() : close;
        }
        ++i;
        QString out;
        for (; i < pattern.size() && !isWild(pattern[i]); ++i)
            out += QChar(folded(pattern[i]));
        // A run that ends the pattern is its tail, checked already.
        return i < pattern.size() ? out : QString();
    }

    // The literal characters a pattern starts or ends with (up to its first or from its last
    // wildcard), folded.
    static QString literalEnd(QStringView pattern, bool atStart)
    {
        QString out;
        if (atStart) {
            for (qsizetype i = 0; i < pattern.size() && !isWild(pattern[i]); ++i)
                out += QChar(folded(pattern[i]));
        } else {
            qsizetype i = pattern.size();
            while (i > 0 && !isWild(pattern[i - 1]))
                --i;
            for (; i < pattern.size(); ++i)
                out += QChar(folded(pattern[i]));
        }
        return out;
    }

    bool m_usable = false;
    QList<Glob> m_others;
    std::array<QList<int>, 0x80> m_byLastAscii;
    std::mutex m_mutex;
    QHash<QString, bool> m_bySuffix;
    QHash<quint64, bool> m_byShortSuffix;
};

bool nameSaysNoMovie(const QString &fileName)
{
    return NameVerdicts::instance().saysNoMovie(fileName);
}

} // namespace

namespace QXMovieProbeInternal {

bool nameSaysWebPage(const QString &fileName)
{
    static const QMimeDatabase db;
    for (const QMimeType &type : db.mimeTypesForFileName(fileName))
        if (type.inherits(QStringLiteral("text/html")) || type.inherits(QStringLiteral("application/xhtml+xml"))
            || type.inherits(QStringLiteral("application/x-php")) || type.inherits(QStringLiteral("application/x-asp")))
            return true;
    static const QStringList scripts{QStringLiteral("aspx"), QStringLiteral("jsp"), QStringLiteral("cgi")};
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot >= 0 && scripts.contains(fileName.mid(dot + 1), Qt::CaseInsensitive);
}


bool nameSaysNoMovie(const QString &fileName)
{
    return ::nameSaysNoMovie(fileName);
}

bool nameSaysNoMovieUncached(const QString &fileName)
{
    return ::nameSaysNoMovieUncached(fileName);
}

} // namespace QXMovieProbeInternal
