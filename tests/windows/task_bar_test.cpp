// Runs with real windows: the chooser windows must reach the window manager (on X11 inside Xvfb)
// or Windows with the hint that keeps them off the task bar; the about window must not.
#ifdef _WIN32
#include <windows.h>
#else
#include <QProcess>
#endif

#include <QGuiApplication>
#include <QtTest>

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
bool OffTaskBar(QWidget* window) {  // the window's state as xprop reads it from the X server
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"), {"-id", QString::number(window->winId()), "_NET_WM_STATE"});
  return xprop.waitForFinished() && xprop.readAll().contains("_NET_WM_STATE_SKIP_TASKBAR");
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
