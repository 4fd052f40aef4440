// Runs on a real X server (Xvfb): the chooser windows must reach the window manager with
// _NET_WM_STATE_SKIP_TASKBAR, the about window without it.
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QtTest>
#include <cstdlib>

#include "chooser/real_file_system.h"
#include "tests/windows/window_support.h"
#include "windows/about_window.h"
#include "windows/chooser_window.h"
#include "windows/xcb_atom.h"

using namespace kelvara;

namespace {

// Whether the X server holds the state atom `name` among the window's _NET_WM_STATE.
bool HasState(QWidget* window, const char* name) {
  xcb_connection_t* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
  xcb_get_property_reply_t* reply =
      xcb_get_property_reply(x,
                             xcb_get_property(x, 0, xcb_window_t(window->winId()),
                                              XcbAtom(x, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64),
                             nullptr);
  const xcb_atom_t wanted = XcbAtom(x, name);
  bool found = false;
  if (reply && reply->format == 32) {
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i)
      found = found || atoms[i] == wanted;
  }
  std::free(reply);
  return found;
}

}  // namespace

class TaskBarTest : public QObject {
  Q_OBJECT

 private slots:
  void choosersStayOffTheTaskBarTheAboutWindowDoesNot() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    RealFileSystem files;
    ChooserWindow chooser(ChooserKind::savecsv, std::make_unique<UnusedAction>(), files);
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    QVERIFY(HasState(&chooser, "_NET_WM_STATE_SKIP_TASKBAR"));
    AboutWindow about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QVERIFY(!HasState(&about, "_NET_WM_STATE_SKIP_TASKBAR"));
  }
};

QTEST_MAIN(TaskBarTest)
#include "task_bar_test.moc"
