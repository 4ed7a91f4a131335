#include "player/QXPlaylistMenu.h"

#include "app/QXSettings.h"
#include "playlist/QXPlaylist.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QProxyStyle>

int QXPlaylistMenuWindowStart(int n, int count, int current, int start)
{
    if (current < 0)
        return 0;
    start = qBound(0, start, n - count);
    // Walking the list only moves the check mark while the current entry is well inside.
    const int margin = count / 10;
    if (current < start + (start > 0 ? margin : 0) || current >= start + count - (start + count < n ? margin : 0))
        start = qBound(0, current - count / 2, n - count);
    return start;
}

namespace {
class QXScrollingMenuStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *answer) const override
    {
        return hint == SH_Menu_Scrollable ? 1 : QProxyStyle::styleHint(hint, option, widget, answer);
    }
};
} // namespace

QXPlaylistMenu::QXPlaylistMenu(const QXPlaylist *playlist, const QString &title, QWidget *parent)
    : QObject(), m_playlist(playlist), m_menu(new QMenu(title, parent))
{
    setParent(m_menu);
    m_separator = m_menu->addSeparator();
    connect(m_menu->addAction(tr("Show Playlist")), &QAction::triggered, this, &QXPlaylistMenu::showPlaylistRequested);
    // Taller than any screen: scrolled, not laid out in columns running off its side, and
    // opened on the current entry (once shown: showing starts at the top).
    auto *style = new QXScrollingMenuStyle;
    style->setParent(m_menu);
    m_menu->setStyle(style);
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        buildIfNeeded();
        QMetaObject::invokeMethod(this, [this] {
            for (const Item &item : std::as_const(m_items))
                if (item.action->isChecked() && m_menu->isVisible())
                    m_menu->setActiveAction(item.action);
        }, Qt::QueuedConnection);
    });
    connect(playlist, &QXPlaylist::changed, this, &QXPlaylistMenu::entriesChanged);
    // The check mark follows the current entry when the menu next opens.
    connect(playlist, &QXPlaylist::currentChanged, this, [this] { m_valid = false; });
}

void QXPlaylistMenu::entriesChanged()
{
    m_valid = false;
    // An emptied list leaves no item behind; an open menu follows at once.
    if (m_playlist->isEmpty() || m_menu->isVisible())
        buildIfNeeded();
}

void QXPlaylistMenu::buildIfNeeded()
{
    if (m_valid)
        return;
    const int n = m_playlist->count();
    const int count = qMin(n, Window);
    const int start = m_start = QXPlaylistMenuWindowStart(n, count, m_playlist->currentRow(), m_start);

    // Items whose entry is still in the window, in the window's order, stay.
    QHash<const QXMovieRepresentation *, int> wanted;
    wanted.reserve(count);
    for (int i = count - 1; i >= 0; --i)
        wanted.insert(m_playlist->at(start + i).get(), i);
    QList<Item> kept;
    int lastKept = -1;
    for (const Item &item : std::as_const(m_items)) {
        const auto it = wanted.constFind(item.entry.toStrongRef().get());
        if (it != wanted.constEnd() && it.value() > lastKept) {
            lastKept = it.value();
            kept.append(item);
        } else {
            delete item.action;
        }
    }
    QList<Item> items;
    items.reserve(count);
    const bool hide = QXSettings::standard().boolForKey(QXKeys::HideFileExtensions);
    qsizetype k = 0;
    for (int i = 0; i < count; ++i) {
        const QXMovieRepresentationRef &r = m_playlist->at(start + i);
        Item item;
        if (k < kept.size() && kept.at(k).entry == r) {
            item = kept.at(k++);
        } else {
            QAction *a = new QAction(m_menu);
            a->setCheckable(true);
            connect(a, &QAction::triggered, this, [this, a] { chooseItem(a); });
            m_menu->insertAction(k < kept.size() ? kept.at(k).action : m_separator, a);
            item = Item{a, r};
        }
        // Each setter does nothing when the value is unchanged (an open menu relays out on
        // every change).
        item.action->setText(r->displayName(hide).replace(QLatin1Char('&'), QLatin1String("&&")));
        const QIcon icon = r->icon();
        if (item.action->icon().cacheKey() != icon.cacheKey())
            item.action->setIcon(icon);
        item.action->setChecked(r == m_playlist->current());
        items.append(item);
    }
    m_items = std::move(items);
    m_valid = true;
}

void QXPlaylistMenu::chooseItem(QAction *action)
{
    for (const Item &item : std::as_const(m_items))
        if (item.action == action)
            if (const QXMovieRepresentationRef r = item.entry.toStrongRef())
                emit entryChosen(r->URL());
}
