#include "bench/first_exposure.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtTest>

namespace {

// Counts the paint events of the window it watches.
class PaintedWidget : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

}  // namespace

class FirstExposureTest : public QObject {
  Q_OBJECT

 private slots:
  // The moment counts only once the window has been painted, and it ends the event loop.
  void endsTheLoopAfterTheFirstPaint() {
    PaintedWidget window;
    window.resize(320, 200);
    window.show();
    kelvara::bench::QuitAtFirstExposure quit(window.windowHandle());
    QTimer watchdog;  // ends the loop with 1 if the first exposure does not
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(window.paints > 0);
  }

  // A window exposed before the watch begins is reported too, instead of waiting forever.
  void reportsAWindowThatIsExposedAlready() {
    PaintedWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    kelvara::bench::QuitAtFirstExposure quit(window.windowHandle());
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    QCOMPARE(QApplication::exec(), 0);
  }
};

QTEST_MAIN(FirstExposureTest)
#include "first_exposure_test.moc"
