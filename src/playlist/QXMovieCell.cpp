#include "playlist/QXMovieCell.h"

#include "controls/QXPlaylistImages.h"
#include "playlist/QXPlaylist.h"

#include <QApplication>
#include <QPainter>

QXMovieCell::QXMovieCell(const QXPlaylist *playlist, QObject *parent)
    : QStyledItemDelegate(parent), m_playlist(playlist)
{
}

QColor QXMovieCell::sourceListBackgroundColor()
{
    return QColor::fromRgbF(0.906f, 0.929f, 0.965f);
}

QColor QXMovieCell::sourceListInactiveSelectionColor()
{
    return QColor::fromRgbF(0.635f, 0.698f, 0.792f);
}

QColor QXMovieCell::staticShadowColor()
{
    return QColor::fromRgbF(0, 0, 0, 0.4f);
}

QXMovieCell::State QXMovieCell::cellState(const QXPlaylist *playlist, int row, bool selected)
{
    State cell;
    cell.font = QApplication::font();
    cell.font.setPixelSize(12);
    cell.font.setBold(selected);
    cell.textColor = selected ? QColor(Qt::white) : QColor(Qt::black);
    if (row < 0 || row >= playlist->count())
        return cell;
    if (playlist->at(row)->isDownloadingOnlineFlashMovie())
        cell.isLoading = true;
    else
        cell.isPlaying = playlist->currentRow() == row;
    return cell;
}

void QXMovieCell::drawWithFrame(QPainter *p, const QRect &frame, const State &cell, const QString &text,
                                bool highlighted)
{
    int w = frame.width();
    if (cell.isPlaying || cell.isLoading) {
        w -= MarkRoom;
        const QString name = QLatin1String(cell.isLoading ? "QXTableButtonLoading" : "QXTableButtonPlaying")
                             + QLatin1String(highlighted ? "Inverted" : "");
        const QPixmap mark = QXPlaylistNamedImage(name).pixmap(QSize(QXTableMarkSize, QXTableMarkSize),
                                                               p->device()->devicePixelRatioF());
        // The image's lower-left corner 15 left of the right edge and 3 above the bottom.
        const QPoint at(frame.x() + w + 2, frame.y() + frame.height() - 3 - QXTableMarkSize);
        p->save();
        // Darkening blends the mark into the ground; the inverted one is drawn as it is.
        p->setCompositionMode(highlighted ? QPainter::CompositionMode_SourceOver : QPainter::CompositionMode_Multiply);
        p->drawPixmap(at, mark);
        p->restore();
    }
    // The text sits 2 in from the left, as the platform's text cells inset it.
    const QRect textRect(frame.x() + 2, frame.y(), qMax(0, w - 4), frame.height());
    p->save();
    p->setFont(cell.font);
    const QString elided = QFontMetrics(cell.font).elidedText(text, Qt::ElideRight, textRect.width());
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    if (highlighted) {
        p->setPen(staticShadowColor());
        p->drawText(textRect.translated(0, int(HighlightOffset)), flags, elided);
    }
    p->setPen(cell.textColor);
    p->drawText(textRect, flags, elided);
    p->restore();
}

void QXMovieCell::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    if (index.column() == IconColumn) {
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        const QRect r(option.rect.x() + (option.rect.width() - 16) / 2, option.rect.y() + (option.rect.height() - 16) / 2,
                      16, 16);
        icon.paint(p, r);
        return;
    }
    // Names are plain text: no markup, no mnemonics.
    drawWithFrame(p, option.rect, cellState(m_playlist, index.row(), selected),
                  index.data(Qt::DisplayRole).toString(), selected);
}

QSize QXMovieCell::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    return index.column() == IconColumn ? QSize(20, 20) : QSize(100, 20);
}
