#pragma once
// Matches one text that arrives in pieces of any size with exactly the result
// of TTermMatcher::Matches over the whole text: the text is one single line,
// so no byte ends it (CR, LF, 0 and 26 are bytes like any other), and in the
// word modes the words may stand anywhere in it. An occurrence that straddles
// pieces is found through the needle's length less one byte carried over from
// what came before. Memory stays at one piece plus the longest needle.

#include "search/term_match.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tarvik {

class TWholeTextMatcher {
 public:
  // terms must outlive the matcher.
  explicit TWholeTextMatcher(const TTermMatcher& terms);

  // The text's next bytes.
  void Feed(const char* data, std::size_t size);
  // Whether the text so far matches. Every mode only ever gains a needle, so
  // once true nothing that follows changes it; at the text's end it is the result.
  bool Matched() const { return matched_; }

 private:
  void SearchIn(const char* data, std::size_t size);

  const TTermMatcher& terms_;
  std::size_t keep_ = 0;     // the longest needle less one byte
  std::vector<char> found_;  // per needle: occurs in the text so far
  std::string tail_;         // the text's last keep_ bytes (fewer at its start)
  std::string joint_;        // the tail and the front of the newest piece
  std::string scratch_;      // the needles' work buffer
  bool matched_ = false;
};

}  // namespace tarvik
