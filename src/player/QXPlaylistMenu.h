#pragma once
// The Playlist menu's movies: a window of Window entries around the current one (from the top
// when none is current), the current one checked, then "Show Playlist". It reads the playlist
// and follows its changes: an open menu at once, a closed one when it next opens. Items stay
// while their entry stays in the window; only those that must change are made anew.
#include "playlist/QXMovieRepresentation.h"

#include <QList>
#include <QObject>
#include <QUrl>

class QAction;
class QMenu;
class QWidget;
class QXPlaylist;

// The first row of a window of count of n entries: it stays at start while the current row
// lies inside it, a tenth of the window away from an edge with entries beyond; otherwise it
// centres on the current row. The top when no row is current.
int QXPlaylistMenuWindowStart(int n, int count, int current, int start);

class QXPlaylistMenu : public QObject
{
    Q_OBJECT
public:
    // Thousands of items would take seconds to lay out, and could not be used anyway.
    static constexpr int Window = 500;

    // The menu, titled, is made here as a child of parent; this object is its child.
    QXPlaylistMenu(const QXPlaylist *playlist, const QString &title, QWidget *parent);
    QMenu *menu() const { return m_menu; }

    // Brings the items up to date (the menu does so itself as it opens).
    void buildIfNeeded();
    // The entries read differently (their names' form): the items follow as the list's do.
    void entriesChanged();

signals:
    void entryChosen(const QUrl &url);
    void showPlaylistRequested();

private:
    struct Item
    {
        QAction *action;
        // An item does not keep its entry alive.
        QWeakPointer<QXMovieRepresentation> entry;
    };

    void chooseItem(QAction *action);

    const QXPlaylist *m_playlist;
    QMenu *m_menu;
    QAction *m_separator;
    // False once the list or the current entry changed since the items were brought up to date.
    bool m_valid = false;
    QList<Item> m_items;
    int m_start = 0; // the row of the first item
};
