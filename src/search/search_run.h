#pragma once
// One search from the start button to the end: checks, collection, locking,
// the walk over the candidates, the hit count and the nothing-found line.
//
// Threads: RunSearch runs on the form's thread (the window's) and returns when
// the run has ended. Documents searched in memory are searched by jobs
// meanwhile (parallel_walk.h), which never touch the form or the installed host.

#include <string>

namespace tarvik {

class TPrefilterCache;
class TSearchForm;
class TWalkWaiter;

// Set by the stop button; read between two documents of an all-documents walk.
// On the form's thread only.
extern bool SearchStopped;

// How a run ended.
enum class TSearchOutcome {
  Searched,       // the candidates were searched (or the walk was stopped)
  InvalidFolder,  // message 501 was shown; nothing searched
  NoPhrase,       // message 502 was shown; nothing searched
  NoDocuments,    // a valid folder without documents of the chosen kinds; nothing searched
};

// Where and how a run searches its documents.
struct TSearchWalk {
  // Each document unpacked into this folder and read back, one after the
  // other on the calling thread; empty: unpacked in memory, in pieces, and
  // no file is written.
  std::string scratchFolder{};
  // Documents searched at once in memory.
  int jobs = 1;
  // How the calling thread waits while jobs search in memory (the window lets
  // its events run); none: it searches documents itself meanwhile.
  TWalkWaiter* waiter = nullptr;
  // Consulted and filled by every document searched in memory, from the jobs'
  // threads (prefilter_cache.h); none: every document is read.
  TPrefilterCache* cache = nullptr;
};

// Runs a search with the options and lists of form. The phrase, the case flag
// and the match mode are read once, when the documents are handed out: one run
// answers one question, whatever is typed meanwhile.
TSearchOutcome RunSearch(TSearchForm& form, const TSearchWalk& walk);

}  // namespace tarvik
