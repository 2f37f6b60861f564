#pragma once
// Where the engine takes its options from and puts what it finds: the
// candidate list a collection fills, the results and the error list a
// document's search adds to. The application's form is one (app/search_form.h);
// a parallel walk gives each document's search its own.
//
// Threads: a sink is used on the thread that owns it.

#include "search/matching_line.h"
#include "search/search_options.h"

#include <string>
#include <vector>

namespace tarvik {

class TSearchSink {
 public:
  virtual ~TSearchSink() = default;

  // The options as they stand at the call.
  virtual TSearchOptions Options() const = 0;

  // Candidate list: keeps itself sorted (the form keeps the order of app/candidate_list.h).
  virtual void ClearCandidates() = 0;
  virtual void AddCandidate(const std::string& path) = 0;

  // Result list and its folder list: one pair per hit.
  virtual void AddResult(const std::string& shown, const std::string& folder) = 0;
  // The lines a result matched in, right after that result, when the options
  // ask for them (matchingLines); part is kContent, kMeta or kStyles
  // (part_plan.h), kContent for a legacy document, whose one line is the whole file.
  virtual void AddMatchingLines(int part, const std::vector<TMatchingLine>& lines) {
    (void)part;
    (void)lines;
  }

  // Error list: one document path per line.
  virtual void AddError(const std::string& path) = 0;
};

}  // namespace tarvik
