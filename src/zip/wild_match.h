#pragma once
// Wildcard matching of archive entry paths against name patterns.
//   *        any run of characters, none included; crosses "\" and "/"
//   ?        exactly one character
//   <set>    one character of the set; <!set> or <^set>: one character not in it
//   *<set>   a run of characters all in the set (all not in it with ! or ^)
// A set lists characters and ranges x-y (unsigned byte order; y below x adds
// nothing). Letter case does not count (ASCII). Matching is re-entrant: the set
// of a star belongs to the call that parsed it.

#include <bitset>
#include <cstddef>
#include <string_view>

namespace tarvik {

enum TMatchResult : int {
  matchValid = 1,    // the whole text matches the whole pattern
  matchEnd = 2,      // the pattern ended before the text
  matchAbort = 3,    // the text ended before the pattern, or a star could not be satisfied
  matchRange = 4,    // a character failed a set
  matchLiteral = 5,  // a character differed
  matchPattern = 6,  // malformed pattern
};

// The set of a "*<...>" star.
struct TStarSet {
  std::bitset<256> members;
  bool negated = false;

  bool Active() const { return members.any(); }
  // Whether c may be part of the star's run.
  bool Admits(unsigned char c) const { return members.test(c) != negated; }
  void Clear() {
    members.reset();
    negated = false;
  }
};

// Matches text against pattern (both compared in ASCII lower case).
TMatchResult MatchPattern(std::string_view pattern, std::string_view text);

// Matches what follows a star: pattern is the pattern behind the star (and its
// set), text the text from where the star's run begins; starSet constrains the
// run (an inactive set admits anything). Returns matchValid or matchAbort.
TMatchResult MatchAfterStar(std::string_view pattern, std::string_view text, const TStarSet& starSet = {});

// Parses a star set; pattern starts behind "*<". Fills set and returns the
// number of pattern bytes used, the closing ">" included; a set without ">"
// leaves set cleared and returns pattern.size().
std::size_t ParseCharSet(std::string_view pattern, TStarSet& set);

// True exactly when MatchPattern gives matchValid.
bool IsMatch(std::string_view pattern, std::string_view text);

}  // namespace tarvik
