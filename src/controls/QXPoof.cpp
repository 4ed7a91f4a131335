#include "controls/QXPoof.h"

#include "controls/QXPlaylistImages.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>

#if VISTREL_HAS_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#endif

namespace {

// Whether a compositing manager blends windows: without one a translucent window shows
// black where it should be clear, so it is cut to its shape instead.
bool compositorRuns()
{
#if VISTREL_HAS_XCB
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return true;
    static const char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool runs = owner && owner->owner != XCB_WINDOW_NONE;
    free(owner);
    return runs;
#else
    return true;
#endif
}

QPixmap framePixmap(int frame, qreal dpr)
{
    return QXPlaylistNamedImage(QStringLiteral("QXPoof%1").arg(frame)).pixmap(QSize(QXPoofSize, QXPoofSize), dpr);
}

} // namespace

QXPoofWindow *QXPoofWindow::showAnimationEffect(const QPoint &globalCenter)
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return nullptr;
    auto *w = new QXPoofWindow(globalCenter);
    w->show();
    return w;
}

QXPoofWindow::QXPoofWindow(const QPoint &globalCenter)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput
                           | Qt::WindowDoesNotAcceptFocus | Qt::BypassWindowManagerHint)
{
    setObjectName(QStringLiteral("QXPoofWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    m_shaped = !compositorRuns();
    setFixedSize(QXPoofSize, QXPoofSize);
    move(globalCenter - QPoint(QXPoofSize / 2, QXPoofSize / 2));
    m_timer = new QTimer(this);
    m_timer->setInterval(FrameIntervalMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_frame >= QXPoofFrameCount)
            close();
        else
            showFrame(m_frame + 1);
    });
    showFrame(1);
    m_timer->start();
}

void QXPoofWindow::showFrame(int frame)
{
    m_frame = frame;
    if (m_shaped)
        setMask(framePixmap(frame, 1.0).mask());
    update();
}

void QXPoofWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawPixmap(0, 0, framePixmap(m_frame, devicePixelRatioF()));
    p.end();
    const int painted = m_frame;
    QTimer::singleShot(0, this, [this, painted] { emit framePainted(painted); });
}
