#pragma once
// The split divider: a grip that widens or narrows the left view (the playlist pane) while the
// right view (the movie area) keeps its size, the window growing or shrinking at its right
// edge by the same amount. It enforces a least left width, remembers the width under a name
// its delegate gives, and hands a double click to the control that shows and hides the pane.
#include <QAbstractButton>
#include <QPointer>
#include <QRect>

#include <functional>

// One tiling step from the frames taken when the drag began: the left width asked for is the
// start plus d, no less than the minimum and (maximumWindowWidth > 0) never widening the
// window past that; the right view and the window follow by the amount applied.
struct QXTarvelTiling
{
    double leftWidth = 0;
    double rightX = 0;
    double windowWidth = 0;
    double applied = 0;
};
QXTarvelTiling QXTarvelTile(double startLeftWidth, double startRightX, double startWindowWidth, double d,
                            double minimumLeftWidth, double maximumWindowWidth);

// A stored width worth applying: a positive finite number; anything else is none (-1).
double QXTarvelStoredWidth(const QJsonValue &value);

class QXTarvelShiftButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit QXTarvelShiftButton(QWidget *parent = nullptr);

    QPointer<QWidget> leftView;
    QPointer<QWidget> rightView;
    QPointer<QAbstractButton> visibilityTogglerControl;
    // The delegate's two optional answers; unset, the query is not answered.
    std::function<double()> leftMinimumWidthQuery;
    std::function<QString()> autoSaveNameQuery;
    // Applies a width to the window: the left view's new width, the window's new width, both at
    // once (the controller moves them together so the right view keeps its size).
    std::function<void(int leftWidth, int windowWidth)> applyTiling;

    static constexpr double DefaultMinimumWidth = 200.0;
    QString autoSaveName() const;
    double leftMinimumWidth() const;
    // The usable width of the window's screen, the cap of any widening (0: none known).
    double maximumWindowWidth() const;
    // Tiles from the current frames, without a drag.
    void tileWithWidthDifference(double d);
    // The saved width applied once the views are connected, the minimum included; then every
    // resize of the window re-applies the minimum.
    void awakeFromNib();

    QSize sizeHint() const override { return QSize(12, 22); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tile(double d);
    bool m_dragging = false;
    bool m_fitOnShow = false;
    double m_pressX = 0;
    double m_startLeft = 0, m_startRightX = 0, m_startWindow = 0;
};
