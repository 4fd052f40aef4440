// X11: the window manager leaves out windows whose _NET_WM_STATE holds SKIP_TASKBAR. Qt keeps
// the atoms it finds there when it maps the window.
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>

#include "windows/task_bar.h"
#include "windows/xcb_atom.h"

namespace kelvara {

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
