#pragma once

#include <QObject>

class QWindow;

namespace kelvara::bench {

// Ends the event loop right after `window` has been exposed and painted for the first time,
// and writes to stdout the moment that happened (CLOCK_MONOTONIC in nanoseconds, comparable
// across processes) and the window's size: "<ns> <width>x<height>\n".
class QuitAtFirstExposure : public QObject {
  Q_OBJECT

 public:
  explicit QuitAtFirstExposure(QWindow* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void reached();

  QWindow* window_;
  bool seen_ = false;
};

}  // namespace kelvara::bench
