#include "windows/off_window_runner.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThreadPool>
#include <mutex>
#include <utility>

namespace kelvara {
namespace {

const QEvent::Type kStepEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct StepEvent : QEvent {
  explicit StepEvent(WindowStep step) : QEvent(kStepEvent), step(std::move(step)) {}
  WindowStep step;
};

// Runs each step posted to it, on its own thread.
struct StepReceiver : QObject {
  bool event(QEvent* event) override {
    if (event->type() != kStepEvent) return QObject::event(event);
    static_cast<StepEvent*>(event)->step();
    return true;
  }
};

}  // namespace

// Where a finished work posts its step: the receiver while the runner lives. The runner empties
// it under the lock before the receiver goes, and the receiver's posted events go with it.
struct OffWindowRunner::Mailbox {
  explicit Mailbox(QObject* receiver) : receiver(receiver) {}
  std::mutex lock;
  QObject* receiver;
};

OffWindowRunner::OffWindowRunner(QThreadPool& pool)
    : pool_(pool),
      receiver_(std::make_unique<StepReceiver>()),
      mailbox_(std::make_shared<Mailbox>(receiver_.get())) {}

OffWindowRunner::~OffWindowRunner() {
  const std::lock_guard held(mailbox_->lock);
  mailbox_->receiver = nullptr;
}

void OffWindowRunner::run(OffWindowWork work) {
  pool_.start([mailbox = mailbox_, work = std::move(work)] {
    WindowStep step = work();
    const std::lock_guard held(mailbox->lock);
    // Qt owns a posted event and deletes it once handled or with its receiver.
    if (mailbox->receiver)
      QCoreApplication::postEvent(mailbox->receiver, new StepEvent(std::move(step)));
  });
}

}  // namespace kelvara
