#pragma once
// The small views that give the window its look: gradient strips with a light top line (a
// drag on the dark one moves the window), a table-header strip, a dark grey ground, a label
// with a light one-pixel shadow, and static labels that show plain text and ignore the mouse.
#include <QLabel>
#include <QPoint>
#include <QWidget>

class QXDarkGradientView : public QWidget
{
    Q_OBJECT
public:
    explicit QXDarkGradientView(QWidget *parent = nullptr);
    // The picture stretched over the view.
    virtual QString gradientImage() const { return QStringLiteral("darkplasticfooter"); }
    virtual bool mouseDownCanMoveWindow() const { return true; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Moving by hand, where the window system does not move the window itself.
    bool m_moving = false;
    QPoint m_grab;
};

class QXLightGradientView : public QXDarkGradientView
{
    Q_OBJECT
public:
    using QXDarkGradientView::QXDarkGradientView;
    QString gradientImage() const override { return QStringLiteral("QXLightGradient"); }
    bool mouseDownCanMoveWindow() const override { return false; }
};

class QXDarkBlueGradientView : public QXDarkGradientView
{
    Q_OBJECT
public:
    using QXDarkGradientView::QXDarkGradientView;
    QString gradientImage() const override { return QStringLiteral("QXDarkBlueGradient"); }
    bool mouseDownCanMoveWindow() const override { return false; }
};

class QXFakeTableHeaderView : public QWidget
{
    Q_OBJECT
public:
    explicit QXFakeTableHeaderView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

class QXGrayView : public QWidget
{
    Q_OBJECT
public:
    explicit QXGrayView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A label whose text is drawn over a copy of itself one pixel lower in white at half strength.
class QXShadowedTextField : public QLabel
{
    Q_OBJECT
public:
    explicit QXShadowedTextField(const QString &text = {}, QWidget *parent = nullptr);
    static QColor shadowColor() { return QColor(255, 255, 255, 128); }
    // A pixel taller than the text, for the shadow.
    QSize sizeHint() const override { return QLabel::sizeHint() + QSize(0, 1); }
    QSize minimumSizeHint() const override { return QLabel::minimumSizeHint() + QSize(0, 1); }

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A static label: plain text exactly as given, no tool tip, the arrow cursor; presses are
// taken and dropped, never passed to the parent.
class QXLinkTextField : public QLabel
{
    Q_OBJECT
public:
    explicit QXLinkTextField(QWidget *parent = nullptr);
    void setStringValue(const QString &text);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};
