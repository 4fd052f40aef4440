#pragma once

// What the benchmark programs do with windows: click as a user does, find a window, wait
// until one is shown, end the process once one is shown.
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace kelvara::bench {

// A press and a release of `button` at the centre of `target`, then what they posted (above
// all the repaints), as the event loop delivers it before it waits again.
inline void Click(QWidget* target, Qt::MouseButton button = Qt::LeftButton) {
  const QPointF at = QRectF(target->rect()).center();
  const QPointF global = target->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
  QCoreApplication::sendPostedEvents();
}

// The visible top-level window of that object name, or null.
inline QWidget* TopLevel(const char* name) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible() && window->objectName() == QLatin1String(name)) return window;
  }
  return nullptr;
}

// Runs the event loop until `done` holds; false if that takes more than `milliseconds`.
template <typename Done>
bool WaitUntil(Done done, int milliseconds = 5000) {
  QDeadlineTimer deadline(milliseconds);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
  }
  return done();
}

// Shows the window and runs the event loop until the platform has exposed it and it has
// painted. False if that takes more than five seconds.
inline bool Shown(QWidget& window) {
  window.show();
  const bool exposed =
      WaitUntil([&window] { return window.windowHandle() && window.windowHandle()->isExposed(); });
  QCoreApplication::sendPostedEvents();
  return exposed;
}

// Ends the process as soon as `window` has been exposed and has painted, so that the running
// time hyperfine measures is the time until the window is shown: no teardown counts. Writes
// the window's size first, "<width>x<height>", for the bare window to take.
class ExitWhenShown : public QObject {
 public:
  explicit ExitWhenShown(QWidget* window) : window_(window->windowHandle()) {
    window_->installEventFilter(this);
    if (window_->isExposed()) exitSoon();  // some platforms expose it while it is shown
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && window_->isExposed()) exitSoon();
    return QObject::eventFilter(watched, event);
  }

 private:
  // Queued: the window paints while it handles its exposure, and the end comes after that.
  void exitSoon() {
    QTimer::singleShot(0, [this] {
      std::printf("%dx%d\n", window_->width(), window_->height());
      std::fflush(stdout);
      _exit(0);
    });
  }

  QWindow* window_;
};

}  // namespace kelvara::bench
