#pragma once
// Draws the playlist table's rows: the icon column's icon, and in the name column the name in
// its font and colour with the playing or loading mark beside it. The controller sets up each
// cell before it is drawn (tableViewWillDisplayCell); the delegate draws no selection, focus
// or hover of its own (the table fills selected rows itself).
#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>

class QXMPController;

class QXMovieCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int IconColumn = 0;
    static constexpr int NameColumn = 1;
    static constexpr double HighlightOffset = 1.0;   // the shadow text lies this far below
    static constexpr int MarkRoom = 17;              // the text leaves this much for a mark

    // One cell as it is drawn: what the controller sets up for a row.
    struct State
    {
        QFont font;
        QColor textColor = Qt::black;
        bool isPlaying = false;
        bool isLoading = false;
        void setPlaying(bool playing) { isPlaying = playing; }
        void setLoading(bool loading) { isLoading = loading; }
    };

    explicit QXMovieCell(QXMPController *controller, QObject *parent = nullptr);

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
    QXMPController *m_controller;
};
