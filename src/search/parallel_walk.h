#pragma once
// Searches the documents of a run, several at once when asked. What each
// document adds reaches the sink in walk order, on the calling thread,
// exactly as searching the documents one after the other would add it.
//
// Threads: ParallelWalk, every call on the sink and the walk's callbacks run
// on the calling thread (the window's). A job's thread runs only the document
// search, on the options snapshot; whatever that search asks of the host goes
// to a recorder on the job's thread (TThreadHostScope) and is shown on the
// calling thread when the document's turn comes. The calling thread, when it
// searches a document itself, uses the host directly.

#include "search/search_options.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tarvik {

class TSearchSink;

// Searches one document: reads the options from sink and adds results and
// errors to it. May run on a job's thread: it keeps to its sink and its own data.
using TDocumentSearch = std::function<void(TSearchSink& sink, const std::string& path)>;

// How the calling thread waits while jobs search (the window lets its events
// run meanwhile).
class TWalkWaiter {
 public:
  virtual ~TWalkWaiter() = default;
  // Calling thread: returns once Wake was called since the last return, or
  // earlier (the walk then looks again).
  virtual void Wait() = 0;
  // Any thread.
  virtual void Wake() = 0;
};

struct TWalk {
  std::vector<std::string> paths;  // the documents, in walk order
  TSearchOptions options;
  TDocumentSearch search;
  // Documents searched at once; with more than one, documents are searched on
  // jobs' threads.
  int jobs = 1;
  // With a waiter, every document is searched on a job's thread and the
  // calling thread only waits and takes what they add; without one, it
  // searches documents too.
  TWalkWaiter* waiter = nullptr;
  // Calling thread, in walk order: just before and just after document n's
  // additions reach the sink. Optional.
  std::function<void(std::size_t n)> before, after;
  // Calling thread, between documents: once true, no further document is
  // started; those being searched finish and are taken. Optional.
  std::function<bool()> stopWanted;
};

// Searches walk.paths; when fewer threads can be started than asked for, with
// those it has, or on the calling thread alone.
void ParallelWalk(TSearchSink& sink, const TWalk& walk);

}  // namespace tarvik
