#pragma once
// The Subtitles, Audio and Chapters menus and their commands: the current movie's tracks and
// chapters listed when a menu opens (the shown one checked), the keys' steps through them,
// the subtitle delay, and subtitle files added from a panel, a drop or another launch.
#include "engine/QXMovieTracks.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;
class QXMovie;

// How a track is named in the menus: language, title, channels for sound, "external" for an
// added file; "Track n" when the file says nothing.
QString QXTrackMenuTitle(const QXTrack &track);
// A chapter: its title (or "Chapter n") and its start time.
QString QXChapterMenuTitle(const QXChapter &chapter, int number);

class QXTrackMenus : public QObject
{
    Q_OBJECT
public:
    // Lists longer than this go into submenus of this many, so a menu stays on the screen.
    static constexpr int ItemsPerMenu = 25;

    // The three menus go into the bar before the item `before` (at its end when nullptr); the
    // current movie is asked for each time.
    QXTrackMenus(QMenuBar *bar, QAction *before, std::function<QXMovie *()> currentMovie, QObject *parent);

    QMenu *subtitlesMenu() const { return m_subtitles; }
    QMenu *audioMenu() const { return m_audio; }
    QMenu *chaptersMenu() const { return m_chapters; }

    // The commands; each answers false when it cannot act (and `refused` is emitted).
    bool stepSubtitleTrack(int step);
    bool stepAudioTrack(int step);
    bool stepSubtitleDelay(double seconds);
    bool stepChapter(int step);
    // The current movie is divided into chapters (the chapter steps have somewhere to go).
    bool hasChapters() const;
    // Adds the files to the current movie, each shown as it comes; a file that cannot be
    // added says why on the picture.
    bool addSubtitleFiles(const QStringList &paths);
    // "Add Subtitle File...": the open panel, filtered to subtitle files.
    void chooseSubtitleFile(QWidget *parent);

    // The current movie changed: its signals are followed from now on.
    void followCurrentMovie();

signals:
    void refused();
    // The current movie's chapter starts in its time values (as the time slider counts), for
    // the slider's ticks.
    void chapterStartsChanged(const QList<double> &starts);

private:
    bool refuse();
    void fillTrackMenu(QMenu *menu, QXTrack::Type type);
    void fillChapterMenu();
    // Items go into menu, or into submenus of ItemsPerMenu when there are more.
    void addListed(QMenu *menu, QList<QAction *> items, const QString &groupTitle);
    void showMessage(const QString &text, int durationMs = 2000);

    std::function<QXMovie *()> m_currentMovie;
    QPointer<QXMovie> m_followed;
    QMenu *m_subtitles;
    QMenu *m_audio;
    QMenu *m_chapters;
    // The listed entries (and their submenus), made again each time a menu opens.
    QHash<QMenu *, QList<QObject *>> m_listed;
    QHash<QMenu *, QAction *> m_listEnd;   // the first fixed item after the list
};
