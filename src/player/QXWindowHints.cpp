#include "player/QXWindowHints.h"

#include <QGuiApplication>
#include <QWidget>

#if VISTREL_HAS_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstring>
#endif

namespace QXWindowHints {

#if VISTREL_HAS_XCB
namespace {

// WM_NORMAL_HINTS as ICCCM lays it out: 18 CARD32 values.
enum Field { Flags, MinAspectNum = 11, MinAspectDen, MaxAspectNum, MaxAspectDen, BaseWidth, BaseHeight, Count = 18 };
constexpr quint32 PAspect = 1 << 7, PBaseSize = 1 << 8;

xcb_connection_t *connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

bool readHints(xcb_connection_t *c, xcb_window_t w, quint32 *values)
{
    std::memset(values, 0, Count * sizeof(quint32));
    const auto cookie = xcb_get_property(c, 0, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 0, Count);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply)
        return false;
    const int n = qMin(xcb_get_property_value_length(reply) / 4, int(Count));
    std::memcpy(values, xcb_get_property_value(reply), size_t(n) * 4);
    free(reply);
    return true;
}

} // namespace
#endif

void setAspect(QWidget *window, const QSize &aspect, const QSize &base)
{
#if VISTREL_HAS_XCB
    xcb_connection_t *c = connection();
    if (!c || !window || !window->windowHandle())
        return;
    const auto w = xcb_window_t(window->winId());
    quint32 v[Count];
    readHints(c, w, v);
    if (aspect.width() > 0 && aspect.height() > 0) {
        // Half a pixel either way, so the player's own rounded sizes are never corrected.
        v[Flags] |= PAspect | PBaseSize;
        v[MinAspectNum] = quint32(2 * aspect.width());
        v[MinAspectDen] = quint32(2 * aspect.height() + 1);
        v[MaxAspectNum] = quint32(2 * aspect.width() + 1);
        v[MaxAspectDen] = quint32(2 * aspect.height());
        v[BaseWidth] = quint32(qMax(0, base.width()));
        v[BaseHeight] = quint32(qMax(0, base.height()));
    } else {
        v[Flags] &= ~(PAspect | PBaseSize);
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, Count, v);
    xcb_flush(c);
#else
    Q_UNUSED(window);
    Q_UNUSED(aspect);
    Q_UNUSED(base);
#endif
}

bool compositorRunning()
{
#if VISTREL_HAS_XCB
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(0);
    const auto atomCookie = xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData());
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, atomCookie, nullptr);
    if (!atom)
        return false;
    const auto ownerCookie = xcb_get_selection_owner(c, atom->atom);
    free(atom);
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(c, ownerCookie, nullptr);
    const bool running = owner && owner->owner != XCB_NONE;
    free(owner);
    return running;
#else
    return false;
#endif
}

QSize aspectOf(QWidget *window, QSize *base)
{
#if VISTREL_HAS_XCB
    xcb_connection_t *c = connection();
    quint32 v[Count];
    if (!c || !window || !window->windowHandle() || !readHints(c, xcb_window_t(window->winId()), v)
        || !(v[Flags] & PAspect))
        return {};
    if (base)
        *base = QSize(int(v[BaseWidth]), int(v[BaseHeight]));
    return QSize(int(v[MinAspectNum] / 2), int(v[MaxAspectDen] / 2));
#else
    Q_UNUSED(window);
    Q_UNUSED(base);
    return {};
#endif
}

} // namespace QXWindowHints
