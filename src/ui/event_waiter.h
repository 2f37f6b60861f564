#pragma once
// How the window's thread waits while search jobs run: it lets the window's
// events run (painting, input, "Suche abbrechen") and takes the finished
// documents at most once per interval, so the window is painted once per batch
// of documents, never once per document, and nothing in the run waits on the
// display for a document.

#include "search/parallel_walk.h"

#include <QElapsedTimer>
#include <QTimer>

#include <atomic>

class QAbstractEventDispatcher;

namespace tarvik::ui {

class TEventWaiter : public TWalkWaiter {
 public:
  // On the window's thread.
  TEventWaiter();

  // Window's thread: lets events run until a job has woken it and the
  // interval since the last return is over, or the stop button was pressed.
  void Wait() override;
  // Any thread.
  void Wake() override;

 private:
  QAbstractEventDispatcher* dispatcher_;
  std::atomic<bool> woken_{false};
  QElapsedTimer clock_;
  qint64 lastReturn_;
  bool stopSeen_ = false;
  QTimer due_;  // wakes the event loop when the interval is over
};

}  // namespace tarvik::ui
