// Runs with real windows: on X11 (Xvfb) the chooser windows must reach the window manager with
#ifdef _WIN32
#include <windows.h>
#else
#include <xcb/xcb.h>

#include "windows/xcb_atom.h"
#endif

#include <QGuiApplication>
#include <QtTest>
#include <algorithm>
#include <cstdlib>

#include "chooser/real_file_system.h"
#include "tests/windows/window_support.h"
#include "windows/about_window.h"
#include "windows/chooser_window.h"

using namespace kelvara;

namespace {

#ifdef _WIN32
bool OffTaskBar(QWidget* window) {
  const auto style = GetWindowLongPtrW(reinterpret_cast<HWND>(window->winId()), GWL_EXSTYLE);
  return (style & WS_EX_TOOLWINDOW) && !(style & WS_EX_APPWINDOW);
}
#else
bool OffTaskBar(QWidget* window) {
  xcb_connection_t* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
  xcb_get_property_reply_t* reply =
      xcb_get_property_reply(x,
                             xcb_get_property(x, 0, xcb_window_t(window->winId()),
                                              XcbAtom(x, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64),
                             nullptr);
  if (!reply) return false;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
  const auto* end = atoms + xcb_get_property_value_length(reply) / 4;
  const bool found = std::find(atoms, end, XcbAtom(x, "_NET_WM_STATE_SKIP_TASKBAR")) != end;
  std::free(reply);
  return found;
}
#endif

}  // namespace

class TaskBarTest : public QObject {
  Q_OBJECT

 private slots:
  void choosersStayOffTheTaskBarTheAboutWindowDoesNot() {
    QVERIFY(QStringList({"xcb", "windows"}).contains(QGuiApplication::platformName()));
    RealFileSystem files;
    ChooserWindow chooser(ChooserKind::savecsv, std::make_unique<UnusedAction>(), files);
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    QVERIFY(OffTaskBar(&chooser));
    AboutWindow about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QVERIFY(!OffTaskBar(&about));
  }
};

QTEST_MAIN(TaskBarTest)
#include "task_bar_test.moc"
