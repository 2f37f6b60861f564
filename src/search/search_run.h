#pragma once
// One search from the start button to the end: checks, collection, locking,
// the walk over the candidates, the hit count and the nothing-found line.

#include <functional>
#include <string>

namespace tarvik {

class TSearchForm;

// Set by the stop button; read between two documents of an all-documents walk.
extern bool SearchStopped;

// Replaces the walk over all candidates (tarvik-find searches them with several jobs).
using TWalkAll = std::function<void(TSearchForm& form)>;

// Runs a search with the options and lists of form; scratchFolder receives
// each document's parts while it is scanned (empty: the parts are unpacked
// into memory, and no file is written). walkAll, when given, searches all
// candidates instead of the one-by-one walk that honours the stop flag.
void RunSearch(TSearchForm& form, const std::string& scratchFolder, const TWalkAll& walkAll = {});

}  // namespace tarvik
