#pragma once

#include <memory>

#include "chooser/off_window_work.h"

class QObject;
class QThreadPool;

namespace kelvara {

// Runs work off the window thread in a thread pool and hands the step it gives back to the
// thread that made the runner (a window's), as a posted event. Once the runner is gone (with its
// window), nothing more runs: a step still to come is dropped, and so is one already posted.
class OffWindowRunner {
 public:
  explicit OffWindowRunner(QThreadPool& pool);
  ~OffWindowRunner();
  OffWindowRunner(const OffWindowRunner&) = delete;
  OffWindowRunner& operator=(const OffWindowRunner&) = delete;

  void run(OffWindowWork work);

 private:
  struct Mailbox;
  QThreadPool& pool_;
  std::unique_ptr<QObject> receiver_;  // lives on the window thread, runs the posted steps
  std::shared_ptr<Mailbox> mailbox_;   // shared with the work still running
};

}  // namespace kelvara
