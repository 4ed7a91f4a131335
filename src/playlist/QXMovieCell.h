#pragma once
// Draws the playlist table's rows: the icon column's icon, and in the name column the name in
// its font and colour with the playing or loading mark beside it. Each name cell is set up
// from the playlist just before it is drawn (cellState); the delegate draws no
// selection, focus or hover of its own (the table fills selected rows itself).
#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>

class QXPlaylist;

class QXMovieCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int IconColumn = 0;
    static constexpr int NameColumn = 1;
    static constexpr double HighlightOffset = 1.0;   // the shadow text lies this far below
    static constexpr int MarkRoom = 17;              // the text leaves this much for a mark

    // One cell as it is drawn: what the playlist makes of a row.
    struct State
    {
        QFont font;
        QColor textColor = Qt::black;
        bool isPlaying = false;
        bool isLoading = false;
    };

    explicit QXMovieCell(const QXPlaylist *playlist, QObject *parent = nullptr);

    // The name cell of row r: bold white when selected, black otherwise; a downloading entry
    // is loading and never playing; the playing mark goes to the first row with the current
    // entry's address.
    static State cellState(const QXPlaylist *playlist, int row, bool selected);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The name column's drawing: the mark 15 points left of the frame's right edge and 3
    // above its bottom, the text (elided at its end) beside it, shadowed when highlighted.
    static void drawWithFrame(QPainter *painter, const QRect &frame, const State &cell, const QString &text,
                              bool highlighted);
    // The colours of the table.
    static QColor sourceListBackgroundColor();
    static QColor sourceListInactiveSelectionColor();
    static QColor staticShadowColor();

private:
    const QXPlaylist *m_playlist;
};
