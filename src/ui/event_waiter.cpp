#include "ui/event_waiter.h"

#include "app/search_run.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

namespace tarvik::ui {
namespace {

// The shortest time between two takes: a few hundred paints a second at most.
constexpr qint64 kTakeInterval = 4;  // milliseconds

}  // namespace

TEventWaiter::TEventWaiter() : dispatcher_(QAbstractEventDispatcher::instance()), lastReturn_(-kTakeInterval) {
  clock_.start();
  due_.setSingleShot(true);
}

void TEventWaiter::Wait() {
  const qint64 earliest = lastReturn_ + kTakeInterval;
  for (;;) {
    // The stop button ends the handing out at once.
    if (SearchStopped && !stopSeen_) {
      stopSeen_ = true;
      break;
    }
    const bool woken = woken_.load();
    const qint64 now = clock_.elapsed();
    if (woken && now >= earliest) break;
    if (woken && !due_.isActive()) due_.start(static_cast<int>(earliest - now));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  due_.stop();
  // Taken with the wake it answers, so what the job did before it is seen.
  woken_.exchange(false);
  lastReturn_ = clock_.elapsed();
}

void TEventWaiter::Wake() {
  // Once woken, the thread stays so until it takes the documents: one
  // wake-up per take, not one per document.
  if (!woken_.exchange(true)) dispatcher_->wakeUp();
}

}  // namespace tarvik::ui
