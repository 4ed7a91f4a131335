#include "controls/QXButtons.h"

#include "util/QXImage.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

QXContextButton::QXContextButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void QXContextButton::setImage(const QString &name)
{
    m_image = name;
    setIcon(QXNamedImage(name, m_ground));
}

void QXContextButton::setAlternateImage(const QString &name)
{
    m_alternate = name;
    update();
}

void QXContextButton::setGround(QXGround ground)
{
    if (ground == m_ground)
        return;
    m_ground = ground;
    if (!m_image.isEmpty())
        setIcon(QXNamedImage(m_image, m_ground));
    update();
}

QImage QXContextButton::currentImage(qreal dpr) const
{
    const QIcon image = isChecked() && !m_alternate.isEmpty() ? QXNamedImage(m_alternate, m_ground) : icon();
    if (image.isNull())
        return {};
    const QSize size = image.actualSize(this->size());
    return image.pixmap(size, dpr).toImage();
}

void QXContextButton::setPrimaryMenuSource(std::function<bool()> has, std::function<QMenu *()> make)
{
    m_hasMenu = std::move(has);
    m_makeMenu = std::move(make);
}

bool QXContextButton::hasPrimaryMenu() const
{
    return m_hasMenu && m_hasMenu();
}

QMenu *QXContextButton::primaryMenu() const
{
    return m_makeMenu ? m_makeMenu() : nullptr;
}

void QXContextButton::performClick()
{
    if (!hasPrimaryMenu()) {
        click();
        return;
    }
    if (isEnabled())
        emit clicked(isChecked());
}

bool QXContextButton::validatesClickItem() const
{
    if (!isEnabled())
        return false;
    const QWindow *handle = window()->windowHandle();
    const QWindow *parent = handle ? handle->transientParent() : nullptr;
    return !parent || parent->isVisible();
}

QSize QXContextButton::sizeHint() const
{
    const QSize natural = QXGlyphSize(m_image);
    return natural.isEmpty() ? QSize(24, 24) : natural;
}

bool QXContextButton::event(QEvent *event)
{
    // A press opens the primary menu, also on a disabled button, and is not a click.
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && hasPrimaryMenu()) {
        event->accept();
        popUpPrimaryMenu();
        return true;
    }
    return QAbstractButton::event(event);
}

void QXContextButton::popUpPrimaryMenu()
{
    QMenu *menu = primaryMenu();
    if (!menu)
        return;
    setDown(true);
    repaint();
    connect(menu, &QMenu::aboutToHide, this, [this] {
        setDown(false);
        update();
    });
    // Always the same spot, wherever the press was.
    menu->popup(mapToGlobal(QPoint(16, 9)));
}

void QXContextButton::drawImageAt(QPainter &p, const QImage &image, const QRect &r, qreal opacity) const
{
    if (image.isNull())
        return;
    const QSizeF size = image.deviceIndependentSize();
    p.setOpacity(opacity);
    p.drawImage(QPointF(r.x(), r.y() + r.height() - size.height()), image);
    p.setOpacity(1.0);
}

void QXContextButton::paintEvent(QPaintEvent *)
{
    const bool wide = width() > 16;
    const bool active = isEnabled() || hasPrimaryMenu();
    if (!wide && !active)
        return;
    QPainter p(this);
    QImage image = currentImage(devicePixelRatioF());
    if (!active) {
        drawImageAt(p, image, rect(), 0.5);
        return;
    }
    if (isDown())
        image = QXImage::darkenedImageWithColor(image, QColor(0, 0, 0, wide ? 51 : 26));
    drawImageAt(p, image, rect(), 1.0);
}

QXWindButton::QXWindButton(QWidget *parent) : QXContextButton(parent)
{
    // Its face is light whatever the bar's ground.
    setGround(QXGround::Light);
}

void QXWindButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 2, 0, 0);
    p.fillRect(frame, isEnabled() ? QColor(0x55, 0x55, 0x55) : QColor(0x80, 0x80, 0x80));
    const QRect inner = frame.adjusted(1, 1, -1, -1);
    QXDrawPicture(p, QStringLiteral("QXLightGradient"), inner);
    drawImageAt(p, currentImage(devicePixelRatioF()), inner, isEnabled() ? 1.0 : 0.5);
    if (isEnabled() && isDown()) {
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
        p.fillRect(inner, QColor(0, 0, 0, 51));
    }
}
