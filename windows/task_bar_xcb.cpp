// X11: the window manager leaves out windows whose _NET_WM_STATE holds SKIP_TASKBAR. Qt keeps
// the atoms it finds there when it maps the window.
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "windows/task_bar.h"

namespace kelvara {
namespace {

// The X server's atom of `name`, or XCB_ATOM_NONE when it gives none.
xcb_atom_t XcbAtom(xcb_connection_t* connection, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

}  // namespace

void KeepOffTaskBar(QWidget* window) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return;
  xcb_connection_t* connection = x11->connection();
  const auto id = static_cast<xcb_window_t>(window->winId());  // creates the native window
  const xcb_atom_t state = XcbAtom(connection, "_NET_WM_STATE");
  const xcb_atom_t skip = XcbAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
  if (state == XCB_ATOM_NONE || skip == XCB_ATOM_NONE) return;
  xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1, &skip);
  xcb_flush(connection);
}

}  // namespace kelvara
