#include "gui/shell/WindowSystemTitle.h"

#include <QGuiApplication>
#include <QWidget>

// Qt's X11 interface exists where Qt was built for X11, and libxcb where the build found it.
#if defined(ORLO_HAVE_XCB) && QT_CONFIG(xcb)
#define ORLO_X11_TITLES
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace orlo {

#if defined(ORLO_X11_TITLES)
namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

} // namespace

void ShowEmptyTitleAsEmpty(QWidget& window) {
    // Other platforms may answer for X11 as well (the offscreen one does, without a connection).
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || x11 == nullptr ||
        x11->connection() == nullptr || !window.windowTitle().isEmpty() || window.windowHandle() == nullptr) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t name = Atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
    if (name == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE) {
        return;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()), name,
                        utf8, 8, 0, nullptr);
    xcb_flush(connection);
}

#elif defined(Q_OS_WIN)

void ShowEmptyTitleAsEmpty(QWidget& window) {
    if (QGuiApplication::platformName() != QLatin1String("windows") || !window.windowTitle().isEmpty() ||
        window.windowHandle() == nullptr) {
        return;
    }
    ::SetWindowTextW(reinterpret_cast<HWND>(window.winId()), L"");
}

#else

void ShowEmptyTitleAsEmpty(QWidget&) {}

#endif

} // namespace orlo
