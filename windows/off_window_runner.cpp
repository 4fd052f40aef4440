#include "windows/off_window_runner.h"

#include <QMetaObject>
#include <QThreadPool>
#include <mutex>
#include <utility>

namespace kelvara {

// Where a finished work posts its step: the window while it lives. The runner empties it before
// the window is destroyed, under the lock, so no step is posted to a window that is gone.
struct OffWindowRunner::Mailbox {
  explicit Mailbox(QObject* shown) : window(shown) {}
  std::mutex lock;
  QObject* window;
};

OffWindowRunner::OffWindowRunner(QThreadPool& pool, QObject& window)
    : pool_(pool), mailbox_(std::make_shared<Mailbox>(&window)) {}

OffWindowRunner::~OffWindowRunner() {
  const std::lock_guard held(mailbox_->lock);
  mailbox_->window = nullptr;
}

void OffWindowRunner::run(OffWindowWork work) {
  pool_.start([mailbox = mailbox_, work = std::move(work)] {
    WindowStep step = work();
    const std::lock_guard held(mailbox->lock);
    if (mailbox->window) {
      // Qt owns the queued call until it has run or its window is gone; the analyser loses sight
      // of that inside Qt.
      // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks)
      QMetaObject::invokeMethod(mailbox->window, std::move(step), Qt::QueuedConnection);
    }
  });
}

}  // namespace kelvara
