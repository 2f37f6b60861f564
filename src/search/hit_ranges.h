#pragma once
// Where a phrase stands in a text: the byte ranges to highlight, found with
// the very needles, folding and word splitting that decide whether the text
// matches (TTermMatcher), so that what is marked is what matched.
//
// Whole phrase: every occurrence of the phrase. Every word / any word: every
// occurrence of each word, whether or not the text matches as a whole (that
// is the matcher's question). Occurrences of one needle are taken left to
// right, each search going on after the previous occurrence ("aa" in "aaaa"
// gives two, as a find-next would); occurrences of different words that
// overlap ("an" inside "Hans") are joined into one range, so the ranges come
// sorted and disjoint, one per stretch a reader would see marked. Ranges that
// merely touch stay apart. No Qt; texts are Windows-1252.

#include "search/term_match.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// The bytes [begin, end) of a text.
struct THit {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool operator==(const THit&) const = default;
};

class THitFinder {
 public:
  THitFinder(TMatchMode mode, std::string_view phrase, bool caseSensitive);
  // The needles of a matcher already built.
  explicit THitFinder(const TTermMatcher& terms);

  // Every hit in text: sorted, disjoint.
  std::vector<THit> Hits(std::string_view text) const;
  // The hit that begins first (the longest of those that begin there).
  std::optional<THit> First(std::string_view text) const;
  // The longest needle, in bytes; 0 when there is none (no hit can exist).
  std::size_t Longest() const { return longest_; }

 private:
  // text as the needles compare it: upper-cased into scratch unless case counts.
  std::string_view Folded(std::string_view text, std::string& scratch) const;

  std::vector<std::string> needles_;  // folded, non-empty, each once
  bool caseSensitive_;
  std::size_t longest_ = 0;
};

// THitFinder(mode, phrase, caseSensitive).Hits(text).
std::vector<THit> FindHits(std::string_view text, TMatchMode mode, std::string_view phrase, bool caseSensitive);

}  // namespace tarvik
