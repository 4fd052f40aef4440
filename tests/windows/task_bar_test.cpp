// Runs on a real X server (Xvfb): the chooser windows must reach the window manager with
// _NET_WM_STATE_SKIP_TASKBAR, the about window without it.
#include <xcb/xcb.h>

#include <QApplication>
#include <QGuiApplication>
#include <QtTest>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tests/chooser/fake_file_system.h"
#include "tests/windows/chooser_support.h"
#include "windows/about_window.h"
#include "windows/chooser_window.h"

using namespace kelvara;

namespace {

xcb_connection_t* Connection() {
  return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t Atom(const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      Connection(),
      xcb_intern_atom(Connection(), 0, static_cast<std::uint16_t>(std::strlen(name)), name),
      nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

// The window's _NET_WM_STATE atoms as the X server holds them.
QList<xcb_atom_t> States(QWidget* window) {
  QList<xcb_atom_t> states;
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      Connection(),
      xcb_get_property(Connection(), 0, static_cast<xcb_window_t>(window->winId()),
                       Atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64),
      nullptr);
  if (reply && reply->format == 32) {
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i) states << atoms[i];
  }
  std::free(reply);
  return states;
}

}  // namespace

class TaskBarTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }

  void choosersStayOffTheTaskBarTheAboutWindowDoesNot() {
    FakeFileSystem files;
    files.driveList = {{"/", "/"}};
    files.add("/", {}, {});
    ActionLog log;
    for (ChooserKind kind : {ChooserKind::filesave, ChooserKind::savecsv}) {
      auto* chooser = new ChooserWindow(kind, std::make_unique<LoggingAction>(log), files);
      chooser->show();
      QVERIFY(QTest::qWaitForWindowExposed(chooser));
      QVERIFY(States(chooser).contains(Atom("_NET_WM_STATE_SKIP_TASKBAR")));
      delete chooser;
    }
    auto* about = new AboutWindow;
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QVERIFY(!States(about).contains(Atom("_NET_WM_STATE_SKIP_TASKBAR")));
    delete about;
  }
};

QTEST_MAIN(TaskBarTest)
#include "task_bar_test.moc"
