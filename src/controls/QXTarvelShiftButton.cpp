#include "controls/QXTarvelShiftButton.h"

#include "app/QXSettings.h"
#include "controls/QXPlaylistImages.h"

#include <QJsonValue>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace {

// The pointer in the window's coordinates: the window's left edge stays put while the grip
// moves under the pointer.
double windowX(QWidget *w, QMouseEvent *event)
{
    return w->window()->mapFromGlobal(event->globalPosition()).x();
}

} // namespace

QXTarvelTiling QXTarvelTile(double startLeft, double startRightX, double startWindow, double d, double minimum,
                            double maximumWindowWidth)
{
    double left = startLeft + d;
    // Widening stops at the screen's edge; narrowing at the minimum, which wins over both.
    if (maximumWindowWidth > 0 && d > 0)
        left = std::min(left, startLeft + std::max(0.0, maximumWindowWidth - startWindow));
    if (minimum > left)
        left = minimum;
    QXTarvelTiling t;
    t.leftWidth = left;
    t.applied = left - startLeft;
    t.rightX = startRightX + t.applied;
    t.windowWidth = startWindow + t.applied;
    return t;
}

double QXTarvelStoredWidth(const QJsonValue &value)
{
    if (!value.isDouble())
        return -1;
    const double w = value.toDouble();
    return std::isfinite(w) && w > 0 ? w : -1;
}

QXTarvelShiftButton::QXTarvelShiftButton(QWidget *parent) : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("playlistDividerButton"));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::SplitHCursor);
    setFixedSize(12, 22);
    setToolTip(QString());
}

QString QXTarvelShiftButton::autoSaveName() const
{
    if (!autoSaveNameQuery)
        return {};
    const QString name = autoSaveNameQuery();
    return name.isNull() ? QString() : QXKeys::DividerWidthFormat.arg(name);
}

double QXTarvelShiftButton::leftMinimumWidth() const
{
    return leftMinimumWidthQuery ? leftMinimumWidthQuery() : DefaultMinimumWidth;
}

double QXTarvelShiftButton::maximumWindowWidth() const
{
    const QScreen *s = window()->screen();
    if (!s)
        return 0;
    // The frame's decorations count against the screen too.
    const int decorations = window()->frameGeometry().width() - window()->width();
    return s->availableGeometry().width() - qMax(0, decorations);
}

void QXTarvelShiftButton::tile(double d)
{
    if (!leftView || !rightView || !leftView->isVisibleTo(window()))
        return;
    const QXTarvelTiling t = QXTarvelTile(m_startLeft, m_startRightX, m_startWindow, d, leftMinimumWidth(),
                                          maximumWindowWidth());
    const int left = int(std::lround(t.leftWidth)), width = int(std::lround(t.windowWidth));
    if (left == leftView->width() && width == window()->width())
        return;
    if (applyTiling)
        applyTiling(left, width);
}

void QXTarvelShiftButton::tileWithWidthDifference(double d)
{
    if (!leftView || !rightView)
        return;
    m_startLeft = leftView->width();
    m_startRightX = rightView->x();
    m_startWindow = window()->width();
    tile(d);
}

void QXTarvelShiftButton::awakeFromNib()
{
    const QString key = autoSaveName();
    double d = 0;
    if (!key.isEmpty() && leftView) {
        const double saved = QXTarvelStoredWidth(QXSettings::standard().objectForKey(key));
        if (saved > 0)
            d = saved - leftView->width();
    }
    tileWithWidthDifference(d);
    m_fitOnShow = d > 0;
    window()->installEventFilter(this);
}

bool QXTarvelShiftButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window() && event->type() == QEvent::Resize && !m_dragging)
        tileWithWidthDifference(0);
    // A stored width was applied before the window had its launch size: once it shows, the
    // pane gives back what would carry the window past the screen's usable width.
    if (watched == window() && event->type() == QEvent::Show && m_fitOnShow) {
        m_fitOnShow = false;
        QTimer::singleShot(0, this, [this] {
            const double over = window()->frameGeometry().width() - maximumWindowWidth()
                                - (window()->frameGeometry().width() - window()->width());
            if (over > 0 && leftView && leftView->width() > leftMinimumWidth())
                tileWithWidthDifference(-over);
        });
    }
    return QAbstractButton::eventFilter(watched, event);
}

void QXTarvelShiftButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (visibilityTogglerControl) {
        visibilityTogglerControl->click();
        return;
    }
    mousePressEvent(event);
}

void QXTarvelShiftButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !leftView || !rightView)
        return;
    setDown(true);
    m_dragging = true;
    // Window coordinates: the window's left edge stays while its right edge moves.
    m_pressX = windowX(this, event);
    m_startLeft = leftView->width();
    m_startRightX = rightView->x();
    m_startWindow = window()->width();
}

void QXTarvelShiftButton::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        tile(windowX(this, event) - m_pressX);
}

void QXTarvelShiftButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    tile(windowX(this, event) - m_pressX);
    m_dragging = false;
    setDown(false);
    const QString key = autoSaveName();
    if (!key.isEmpty() && leftView)
        QXSettings::standard().setFloat(leftView->width(), key);
    update();
}

void QXTarvelShiftButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QXPlaylistNamedImage(QStringLiteral("QXTarvelShiftGrip")).paint(&p, rect());
    if (isEnabled() && isDown()) {
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
        p.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.05f));
    }
}
