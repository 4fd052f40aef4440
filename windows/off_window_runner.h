#pragma once

#include <QObject>
#include <memory>

#include "chooser/off_window_work.h"

class QThreadPool;

namespace kelvara {

// Runs work off the window thread in a thread pool and hands the step it gives back to one
// window, as a queued call on the window thread. Once the runner is gone (with its window),
// nothing more reaches the window: a step still to come is dropped, a step already queued goes
// with the window's events.
class OffWindowRunner {
 public:
  OffWindowRunner(QThreadPool& pool, QObject& window);
  ~OffWindowRunner();
  OffWindowRunner(const OffWindowRunner&) = delete;
  OffWindowRunner& operator=(const OffWindowRunner&) = delete;

  void run(OffWindowWork work);

 private:
  struct Mailbox;
  QThreadPool& pool_;
  std::shared_ptr<Mailbox> mailbox_;  // shared with the work still running
};

}  // namespace kelvara
