#pragma once
// The part of a matching raw line that is worth showing: raw lines are often
// a whole XML part, so only an excerpt of at most kExcerptLength characters
// around the line's first hit is kept. The line arrives in pieces and is
// never held whole: before the first hit only the last bytes are kept, after
// it only the excerpt's rest.
//
// The excerpt starts up to kExcerptLead characters before the first hit and
// runs on to kExcerptLength characters; when the line ends sooner it reaches
// further back instead. A hit longer than kExcerptLength is kept whole. A line
// without any hit (every-word mode with no words) shows its beginning.

#include "search/hit_ranges.h"
#include "search/matching_line.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvik {

inline constexpr std::size_t kExcerptLength = 160;
inline constexpr std::size_t kExcerptLead = 50;

class TLineExcerpt {
 public:
  // hits must outlive the excerpt.
  explicit TLineExcerpt(const THitFinder& hits);

  // Starts a new line.
  void Reset();
  // The line's next bytes (Windows-1252). mayHoldHit false tells that no hit
  // is complete yet in the line up to the piece's end (the matcher has found
  // no needle so far), which spares the search.
  void Add(std::string_view piece, bool mayHoldHit = true);
  // The line has ended: its excerpt, reported as line number.
  TMatchingLine Take(std::size_t number);

 private:
  // The first hit is at hit in window_: keeps the bytes around it.
  void Settle(const THit& hit);

  const THitFinder& hits_;
  std::size_t seen_ = 0;  // bytes of the line so far
  std::string head_;      // the line's first kExcerptLength bytes
  std::string window_;    // before the first hit: the last bytes a hit or its lead may need
  bool found_ = false;
  std::size_t limit_ = kExcerptLength;  // the excerpt's length: more for a longer hit
  std::size_t hitLength_ = 0;
  std::string before_;      // up to limit_ bytes before the first hit
  bool beforeCut_ = false;  // the line has bytes before those
  std::string after_;       // up to limit_ bytes from the first hit on
  bool afterCut_ = false;   // the line has bytes after those
};

// The excerpt of a whole line.
TMatchingLine LineExcerpt(std::string_view line, const THitFinder& hits, std::size_t number);

}  // namespace tarvik
