#include "bench/first_exposure.h"

#include <time.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>
#include <cstdio>

namespace kelvara::bench {

QuitAtFirstExposure::QuitAtFirstExposure(QWindow* window) : window_(window) {
  window_->installEventFilter(this);
  // Some platforms expose the window while it is being shown.
  if (window_->isExposed()) {
    seen_ = true;
    QMetaObject::invokeMethod(this, &QuitAtFirstExposure::reached, Qt::QueuedConnection);
  }
}

bool QuitAtFirstExposure::eventFilter(QObject* watched, QEvent* event) {
  if (!seen_ && watched == window_ && event->type() == QEvent::Expose && window_->isExposed()) {
    seen_ = true;
    // Queued: the window paints while it handles this event, and the moment counts after that.
    QMetaObject::invokeMethod(this, &QuitAtFirstExposure::reached, Qt::QueuedConnection);
  }
  return QObject::eventFilter(watched, event);
}

void QuitAtFirstExposure::reached() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const long long ns = static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
  std::printf("%lld %dx%d\n", ns, window_->width(), window_->height());
  std::fflush(stdout);
  QCoreApplication::quit();
}

}  // namespace kelvara::bench
