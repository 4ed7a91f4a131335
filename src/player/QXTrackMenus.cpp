#include "player/QXTrackMenus.h"

#include "engine/QXMovie.h"
#include "player/QXMenuValidation.h"
#include "player/QXTimeFormat.h"

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include <cmath>

QString QXTrackMenuTitle(const QXTrack &track)
{
    QStringList parts;
    if (!track.language.isEmpty())
        parts << track.language;
    if (!track.title.isEmpty())
        parts << track.title;
    if (parts.isEmpty())
        parts << QXTrackMenus::tr("Track %1").arg(track.id);
    QString title = parts.join(QStringLiteral(" – "));
    QStringList notes;
    if (track.type == QXTrack::Type::Audio && track.channels > 0) {
        switch (track.channels) {
        case 1: notes << QXTrackMenus::tr("mono"); break;
        case 2: notes << QXTrackMenus::tr("stereo"); break;
        case 6: notes << QStringLiteral("5.1"); break;
        case 8: notes << QStringLiteral("7.1"); break;
        default: notes << QXTrackMenus::tr("%n channels", nullptr, track.channels); break;
        }
    }
    if (track.external)
        notes << QXTrackMenus::tr("external");
    if (!notes.isEmpty())
        title += QStringLiteral(" (%1)").arg(notes.join(QStringLiteral(", ")));
    // An ampersand in a title is a letter, not the mark of a shortcut.
    return title.replace(u'&', QStringLiteral("&&"));
}

QString QXChapterMenuTitle(const QXChapter &chapter, int number)
{
    QString title = chapter.title.isEmpty() ? QXTrackMenus::tr("Chapter %1").arg(number) : chapter.title;
    title.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("%1\t%2").arg(title, QXFormatTime(qint64(std::floor(chapter.start))));
}

namespace {

QAction *addCommand(QMenu *menu, const char *name, const QString &title, const QKeySequence &key)
{
    QAction *a = menu->addAction(title);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty())
        a->setShortcut(key);
    QXSetMenuCommand(a, QXCommand::Tracks);
    return a;
}

} // namespace

QXTrackMenus::QXTrackMenus(QMenuBar *bar, QAction *before, std::function<QXMovie *()> currentMovie, QObject *parent)
    : QObject(parent), m_currentMovie(std::move(currentMovie))
{
    m_subtitles = new QMenu(tr("S&ubtitles"), bar);
    m_subtitles->setObjectName(QStringLiteral("subtitlesMenu"));
    m_audio = new QMenu(tr("&Audio"), bar);
    m_audio->setObjectName(QStringLiteral("audioMenu"));
    m_chapters = new QMenu(tr("&Chapters"), bar);
    m_chapters->setObjectName(QStringLiteral("chaptersMenu"));
    for (QMenu *menu : {m_subtitles, m_audio, m_chapters}) {
        bar->insertMenu(before, menu);
        QXSetMenuCommand(menu->menuAction(), QXCommand::Tracks);
    }

    QAction *none = m_subtitles->addAction(tr("None"));
    none->setObjectName(QStringLiteral("noSubtitleItem"));
    none->setCheckable(true);
    QXSetMenuCommand(none, QXCommand::Tracks);
    connect(none, &QAction::triggered, this, [this] {
        QXMovie *m = m_currentMovie();
        if (!m || !m->selectTrack(QXTrack::Type::Subtitle, 0))
            refuse();
    });
    m_listEnd.insert(m_subtitles, none);
    m_subtitles->addSeparator();
    connect(addCommand(m_subtitles, "nextSubtitleItem", tr("Next Subtitle"), QKeySequence(Qt::Key_J)),
            &QAction::triggered, this, [this] { stepSubtitleTrack(1); });
    connect(addCommand(m_subtitles, "previousSubtitleItem", tr("Previous Subtitle"), QKeySequence(Qt::SHIFT | Qt::Key_J)),
            &QAction::triggered, this, [this] { stepSubtitleTrack(-1); });
    connect(addCommand(m_subtitles, "subtitleEarlierItem", tr("Show Subtitles Earlier"), QKeySequence(Qt::Key_Z)),
            &QAction::triggered, this, [this] { stepSubtitleDelay(-0.1); });
    connect(addCommand(m_subtitles, "subtitleLaterItem", tr("Show Subtitles Later"), QKeySequence(Qt::Key_X)),
            &QAction::triggered, this, [this] { stepSubtitleDelay(0.1); });
    m_subtitles->addSeparator();
    connect(addCommand(m_subtitles, "addSubtitleItem", tr("Add Subtitle File..."), {}), &QAction::triggered, this,
            [this, bar] { chooseSubtitleFile(bar->window()); });

    QAction *audioEnd = m_audio->addSeparator();
    m_listEnd.insert(m_audio, audioEnd);
    connect(addCommand(m_audio, "nextAudioItem", tr("Next Audio Track"), QKeySequence(Qt::Key_NumberSign)),
            &QAction::triggered, this, [this] { stepAudioTrack(1); });

    QAction *previousChapter = addCommand(m_chapters, "previousChapterItem", tr("Previous Chapter"), QKeySequence(Qt::Key_PageUp));
    QAction *nextChapter = addCommand(m_chapters, "nextChapterItem", tr("Next Chapter"), QKeySequence(Qt::Key_PageDown));
    for (QAction *item : {previousChapter, nextChapter})
        QXSetMenuCommand(item, QXCommand::Chapters);
    connect(previousChapter, &QAction::triggered, this, [this] { stepChapter(-1); });
    connect(nextChapter, &QAction::triggered, this, [this] { stepChapter(1); });
    m_chapters->addSeparator();
    m_listEnd.insert(m_chapters, nullptr);

    connect(m_subtitles, &QMenu::aboutToShow, this, [this] { fillTrackMenu(m_subtitles, QXTrack::Type::Subtitle); });
    connect(m_audio, &QMenu::aboutToShow, this, [this] { fillTrackMenu(m_audio, QXTrack::Type::Audio); });
    connect(m_chapters, &QMenu::aboutToShow, this, &QXTrackMenus::fillChapterMenu);
}

bool QXTrackMenus::refuse()
{
    emit refused();
    return false;
}

void QXTrackMenus::showMessage(const QString &text, int durationMs)
{
    if (QXMovie *m = m_currentMovie())
        m->showMessage(text, durationMs);
}

void QXTrackMenus::addListed(QMenu *menu, QList<QAction *> items, const QString &groupTitle)
{
    QList<QObject *> &listed = m_listed[menu];
    qDeleteAll(listed);
    listed.clear();
    QAction *end = m_listEnd.value(menu);
    if (items.size() <= ItemsPerMenu) {
        menu->insertActions(end, items);
        listed.append(QList<QObject *>(items.begin(), items.end()));
        return;
    }
    for (qsizetype first = 0; first < items.size(); first += ItemsPerMenu) {
        const qsizetype last = qMin(first + ItemsPerMenu, items.size()) - 1;
        auto *group = new QMenu(groupTitle.arg(first + 1).arg(last + 1), menu);
        group->addActions(items.mid(first, last - first + 1));
        for (QAction *a : items.mid(first, last - first + 1))
            a->setParent(group);
        menu->insertMenu(end, group);
        listed.append(group);
    }
}

void QXTrackMenus::fillTrackMenu(QMenu *menu, QXTrack::Type type)
{
    QXMovie *movie = m_currentMovie();
    const QList<QXTrack> tracks = movie ? movie->tracks() : QList<QXTrack>();
    auto *group = new QActionGroup(menu);
    QList<QAction *> items;
    bool anySelected = false;
    for (const QXTrack &t : tracks) {
        if (t.type != type)
            continue;
        auto *a = new QAction(QXTrackMenuTitle(t), menu);
        a->setCheckable(true);
        a->setChecked(t.selected);
        a->setActionGroup(group);
        anySelected = anySelected || t.selected;
        const qint64 id = t.id;
        connect(a, &QAction::triggered, this, [this, type, id] {
            QXMovie *m = m_currentMovie();
            if (!m || !m->selectTrack(type, id))
                refuse();
        });
        items.append(a);
    }
    addListed(menu, items, tr("Tracks %1 to %2"));
    m_listed[menu].append(group);
    if (QAction *none = menu->findChild<QAction *>(QStringLiteral("noSubtitleItem"))) {
        none->setActionGroup(group);
        none->setChecked(!anySelected);
    }
}

void QXTrackMenus::fillChapterMenu()
{
    QXMovie *movie = m_currentMovie();
    const QList<QXChapter> chapters = movie ? movie->chapters() : QList<QXChapter>();
    const double now = movie ? movie->currentTime().seconds() : 0;
    QList<QAction *> items;
    auto *group = new QActionGroup(m_chapters);
    for (int i = 0; i < chapters.size(); ++i) {
        auto *a = new QAction(QXChapterMenuTitle(chapters.at(i), i + 1), m_chapters);
        a->setCheckable(true);
        a->setActionGroup(group);
        a->setChecked(chapters.at(i).start <= now + 0.05 && (i + 1 == chapters.size() || now + 0.05 < chapters.at(i + 1).start));
        const double start = chapters.at(i).start;
        connect(a, &QAction::triggered, this, [this, start] {
            if (QXMovie *m = m_currentMovie())
                m->setCurrentTime(QXTime::fromSeconds(start));
        });
        items.append(a);
    }
    addListed(m_chapters, items, tr("Chapters %1 to %2"));
    m_listed[m_chapters].append(group);
}

bool QXTrackMenus::stepSubtitleTrack(int step)
{
    QXMovie *m = m_currentMovie();
    const qint64 id = m ? QXNextTrackId(m->tracks(), QXTrack::Type::Subtitle, step) : -1;
    if (id < 0 || !m->selectTrack(QXTrack::Type::Subtitle, id))
        return refuse();
    if (id == 0)
        showMessage(tr("Subtitles off"));
    return true;
}

bool QXTrackMenus::stepAudioTrack(int step)
{
    QXMovie *m = m_currentMovie();
    const qint64 id = m ? QXNextTrackId(m->tracks(), QXTrack::Type::Audio, step) : -1;
    if (id <= 0 || !m->selectTrack(QXTrack::Type::Audio, id))
        return refuse();
    for (const QXTrack &t : m->tracks())
        if (t.type == QXTrack::Type::Audio && t.id == id)
            showMessage(tr("Audio: %1").arg(QXTrackMenuTitle(t).replace(QStringLiteral("&&"), QStringLiteral("&"))));
    return true;
}

bool QXTrackMenus::stepSubtitleDelay(double seconds)
{
    QXMovie *m = m_currentMovie();
    if (!m || !m->isAttached())
        return refuse();
    m->setSubtitleDelay(m->subtitleDelay() + seconds);
    const double delay = m->subtitleDelay();
    // "+0.1 s", "−0.3 s", "0.0 s"
    const QString amount = delay > 0.0005 ? QStringLiteral("+%1").arg(delay, 0, 'f', 1)
        : delay < -0.0005 ? QStringLiteral("\u2212%1").arg(-delay, 0, 'f', 1) : QStringLiteral("0.0");
    showMessage(tr("Subtitle delay: %1 s").arg(amount));
    return true;
}

bool QXTrackMenus::stepChapter(int step)
{
    QXMovie *m = m_currentMovie();
    if (!m || !m->stepChapter(step))
        return refuse();
    return true;
}

bool QXTrackMenus::hasChapters() const
{
    const QXMovie *m = m_currentMovie();
    return m && !m->chapters().isEmpty();
}

bool QXTrackMenus::addSubtitleFiles(const QStringList &paths)
{
    QXMovie *m = m_currentMovie();
    if (!m || !m->isAttached() || paths.isEmpty())
        return refuse();
    bool added = false;
    for (const QString &path : paths) {
        bool guessed = false;
        const QString problem = m->addSubtitleFile(path, &guessed);
        if (!problem.isEmpty())
            showMessage(tr("Cannot load subtitle: %1").arg(problem));
        else if (guessed)
            showMessage(tr("Subtitle is not UTF-8: its letters may show wrong"), 4000);
        added = added || problem.isEmpty();
    }
    return added || refuse();
}

void QXTrackMenus::chooseSubtitleFile(QWidget *parent)
{
    if (!m_currentMovie())
        return (void)refuse();
    auto *panel = new QFileDialog(parent, tr("Add Subtitle File"));
    panel->setObjectName(QStringLiteral("subtitlePanel"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::ExistingFiles);
    panel->setNameFilter(tr("Subtitles (*.srt *.ass *.ssa *.vtt *.sub)"));
    if (QXMovie *m = m_currentMovie(); m && m->url().isLocalFile())
        panel->setDirectory(QFileInfo(m->url().toLocalFile()).absolutePath());
    connect(panel, &QFileDialog::filesSelected, this, [this](const QStringList &files) { addSubtitleFiles(files); });
    panel->open();
}

void QXTrackMenus::followCurrentMovie()
{
    QXMovie *movie = m_currentMovie();
    if (movie == m_followed)
        return;
    if (m_followed)
        disconnect(m_followed, nullptr, this, nullptr);
    m_followed = movie;
    auto chaptersChanged = [this] {
        QList<double> starts;
        if (QXMovie *m = m_followed)
            for (const QXChapter &c : m->chapters())
                starts.append(double(QXTime::fromSeconds(c.start, m->duration().timeScale).timeValue));
        emit chapterStartsChanged(starts);
    };
    if (movie) {
        connect(movie, &QXMovie::chaptersDidChange, this, chaptersChanged);
        connect(movie, &QXMovie::subtitleFailed, this, [this](const QString &why) {
            showMessage(tr("Cannot load subtitle: %1").arg(why));
        });
    }
    chaptersChanged();
}
