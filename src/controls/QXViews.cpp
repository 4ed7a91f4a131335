#include "controls/QXViews.h"

#include "controls/QXImages.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

QXDarkGradientView::QXDarkGradientView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QXDarkGradientView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QXDrawPicture(p, gradientImage(), rect());
    p.fillRect(QRect(0, 0, width(), 1), QColor(255, 255, 255, 230));   // white 1.0 at 0.9
}

void QXDarkGradientView::mousePressEvent(QMouseEvent *event)
{
    if (!mouseDownCanMoveWindow() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    QWindow *handle = window()->windowHandle();
    // The window system moves the window where it can; otherwise it follows the pointer here.
    m_moving = !(handle && handle->startSystemMove());
    m_grab = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
}

void QXDarkGradientView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_moving && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - m_grab);
    else
        QWidget::mouseMoveEvent(event);
}

void QXDarkGradientView::mouseReleaseEvent(QMouseEvent *event)
{
    m_moving = false;
    QWidget::mouseReleaseEvent(event);
}

QXFakeTableHeaderView::QXFakeTableHeaderView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QXFakeTableHeaderView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QXDrawPicture(p, QStringLiteral("QXTableHeader"), rect());
}

QXGrayView::QXGrayView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QXGrayView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), QColor(0x55, 0x55, 0x55));
}

QXShadowedTextField::QXShadowedTextField(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
}

void QXShadowedTextField::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    p.setPen(shadowColor());
    p.drawText(r.translated(0, 1), int(alignment()), text());
    p.setPen(palette().color(foregroundRole()));
    p.drawText(r, int(alignment()), text());
}

QXLinkTextField::QXLinkTextField(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void QXLinkTextField::setStringValue(const QString &text)
{
    setText(text);
    setToolTip(QString());
    setCursor(Qt::ArrowCursor);
}

// Taken and dropped: no selection, and the parent never sees the press.
void QXLinkTextField::mousePressEvent(QMouseEvent *event) { event->accept(); }
void QXLinkTextField::mouseReleaseEvent(QMouseEvent *event) { event->accept(); }
void QXLinkTextField::mouseDoubleClickEvent(QMouseEvent *event) { event->accept(); }
void QXLinkTextField::mouseMoveEvent(QMouseEvent *event) { event->accept(); }
