#include "zip/wild_match.h"

#include "platform/ascii_case.h"

#include <string>
#include <vector>

namespace tarvik {

namespace {

bool IsStarQuestion(char c) { return c == '*' || c == '?'; }

// A star together with what directly belongs to it: its set ("*<...>") and the
// stars and question marks that follow it.
struct TStarGroup {
  std::size_t star = 0;  // pattern position of the star
  std::size_t rest = 0;  // pattern position behind the group
  std::size_t need = 0;  // text characters its question marks take
  TStarSet set;
  bool emptySet = false;  // "*<" with an empty or unclosed set: never satisfied
};

// Where a walk over literal characters and single-character sets ended: with a
// result, or at a star (result 0).
struct TWalkEnd {
  int result = 0;
  std::size_t star = 0;
  std::size_t text = 0;
};

// Skips the stars and question marks after a star. A star that has a set of its
// own ("*<") starts the next group, so its set is not lost.
std::size_t SkipStarRun(std::string_view pattern, std::size_t p, std::size_t& need) {
  while (p < pattern.size() && IsStarQuestion(pattern[p])) {
    if (pattern[p] == '*' && p + 1 < pattern.size() && pattern[p + 1] == '<') break;
    if (pattern[p] == '?') ++need;
    ++p;
  }
  return p;
}

// One matcher run over lower-cased copies of pattern and text.
//
// Backtracking over stars is done as a table instead of by recursion: for a star
// group g, Satisfied(g)[t] tells whether the pattern behind the star matches
// when the star's run begins at text position t. The walk from one group's rest
// reaches only the next group's star, so the tables are built from the last
// group backwards, one text pass each. Results equal those of plain
// backtracking; time is bounded by pattern length x text length.
class TMatcher {
 public:
  TMatcher(std::string_view pattern, std::string_view text)
      : pattern_(AsciiLowerCopy(pattern)), text_(AsciiLowerCopy(text)) {}

  TMatchResult Match() {
    if (pattern_ == "*") return matchValid;
    TWalkEnd end = Walk(0, 0);
    if (end.result != 0) return static_cast<TMatchResult>(end.result);
    FindGroups(0);           // only patterns that reach a star need the tables
    firstStart_ = end.text;  // no star's run can begin before this
    return AfterGroup(0, end.text);
  }

  TMatchResult AfterStar(const TStarSet& set) {
    TStarGroup head;
    head.set = set;
    head.rest = SkipStarRun(pattern_, 0, head.need);
    FindGroups(head.rest);
    std::vector<char> next;
    if (!groups_.empty()) next = SatisfiedFrom(0);
    return SatisfiedRow(head, next)[0] ? matchValid : matchAbort;
  }

 private:
  // Records the star groups reachable by walking from position p.
  void FindGroups(std::size_t p) {
    const std::size_t n = pattern_.size();
    while (true) {
      while (p < n && pattern_[p] != '*') {
        if (pattern_[p] != '<') {
          ++p;
          continue;
        }
        std::size_t first = p + 1;
        if (first < n && (pattern_[first] == '!' || pattern_[first] == '^')) ++first;
        if (first >= n || pattern_[first] == '>') return;  // malformed: the walk ends here
        std::size_t close = pattern_.find('>', first);
        if (close == std::string::npos) return;
        p = close + 1;
      }
      if (p >= n) return;
      TStarGroup group;
      group.star = p;
      if (p + 1 < n && pattern_[p + 1] == '<') {
        p += 2 + ParseCharSet(std::string_view(pattern_).substr(p + 2), group.set);
        group.emptySet = !group.set.Active();
      } else {
        ++p;
      }
      p = SkipStarRun(pattern_, p, group.need);
      group.rest = p;
      groups_.push_back(group);
    }
  }

  // One character of the text against the set at pattern_[p] == '<'. Moves p
  // to the closing '>'; returns 0 when the character passes.
  int SetStep(std::size_t& p, unsigned char ch) const {
    const std::size_t n = pattern_.size();
    std::size_t i = p + 1;
    if (i >= n) return matchPattern;
    bool negated = pattern_[i] == '!' || pattern_[i] == '^';
    if (negated) ++i;
    if (i >= n || pattern_[i] == '>') return matchPattern;
    bool found = false;
    while (true) {
      if (i >= n) return matchPattern;
      auto low = static_cast<unsigned char>(pattern_[i]);
      if (low == '>') break;
      unsigned char high = low;
      if (i + 1 < n && pattern_[i + 1] == '-') {
        if (i + 2 >= n || pattern_[i + 2] == '>') return matchPattern;
        high = static_cast<unsigned char>(pattern_[i + 2]);
        i += 3;
      } else {
        i += 1;
      }
      if (ch >= low && ch <= high) {
        found = true;
        i = pattern_.find('>', i);
        if (i == std::string::npos) return matchPattern;
        break;
      }
    }
    if (found == negated) return matchRange;
    p = i;
    return 0;
  }

  // Walks pattern from p and text from t up to the end of the pattern or the
  // next star.
  TWalkEnd Walk(std::size_t p, std::size_t t) const {
    const std::size_t n = pattern_.size();
    while (p < n) {
      char c = pattern_[p];
      if (t >= text_.size()) return {c == '*' && p + 1 == n ? matchValid : matchAbort};
      if (c == '*') return {0, p, t};
      if (c == '<') {
        if (int failed = SetStep(p, static_cast<unsigned char>(text_[t]))) return {failed};
      } else if (c != '?' && c != text_[t]) {
        return {matchLiteral};
      }
      ++p;
      ++t;
    }
    return {t == text_.size() ? matchValid : matchEnd};
  }

  // The result of the star of group g whose run begins at text position t.
  TMatchResult AfterGroup(std::size_t g, std::size_t t) {
    if (groups_[g].emptySet) return matchAbort;
    return SatisfiedFrom(g)[t] ? matchValid : matchAbort;
  }

  // The table of group g, built from the last group backwards.
  std::vector<char> SatisfiedFrom(std::size_t g) {
    std::vector<char> next;
    for (std::size_t k = groups_.size(); k-- > g;) next = SatisfiedRow(groups_[k], next);
    return next;
  }

  // For every t: whether the star of group begins a successful match at t.
  // next is the table of the group that follows (empty when there is none).
  std::vector<char> SatisfiedRow(const TStarGroup& group, const std::vector<char>& next) const {
    const std::size_t tlen = text_.size();
    std::vector<char> row(tlen + 1, 0);
    if (group.emptySet) return row;
    auto admits = [&](std::size_t j) {
      return !group.set.Active() || group.set.Admits(static_cast<unsigned char>(text_[j]));
    };
    // from[j]: the pattern behind the group matches starting somewhere at or
    // after j, every character skipped before that being one the star admits.
    std::vector<char> from(tlen + 1, 0);
    if (group.rest == pattern_.size()) {
      from[tlen] = 1;  // the star takes the rest of the text
      for (std::size_t j = tlen; j-- > firstStart_;) from[j] = static_cast<char>(admits(j) && from[j + 1]);
    } else {
      char c = pattern_[group.rest];
      bool tryEverywhere = c == '<' || c == '*';
      for (std::size_t j = tlen; j-- > firstStart_;) {
        bool matchesHere = false;
        if (tryEverywhere || c == text_[j]) {
          TWalkEnd end = Walk(group.rest, j);
          if (end.result != 0) {
            matchesHere = end.result == matchValid;
          } else if (!next.empty()) {
            matchesHere = next[end.text] != 0;
          }
        }
        from[j] = static_cast<char>(matchesHere || (admits(j) && from[j + 1]));
      }
    }
    for (std::size_t t = firstStart_; t <= tlen; ++t) {
      // The question marks take their characters first; using the text up
      // exactly still counts as a match.
      if (group.need <= tlen - t) row[t] = from[t + group.need];
    }
    return row;
  }

  std::string pattern_;
  std::string text_;
  std::vector<TStarGroup> groups_;
  std::size_t firstStart_ = 0;  // tables are only filled from here on
};

}  // namespace

std::size_t ParseCharSet(std::string_view pattern, TStarSet& set) {
  set.Clear();
  const std::size_t n = pattern.size();
  std::size_t i = 0;
  if (i < n && (pattern[i] == '!' || pattern[i] == '^')) {
    set.negated = true;
    ++i;
  }
  while (i < n && pattern[i] != '>') {
    auto low = static_cast<unsigned char>(pattern[i]);
    if (i + 2 < n && pattern[i + 1] == '-') {
      auto high = static_cast<unsigned char>(pattern[i + 2]);
      for (unsigned c = low; c <= high; ++c) set.members.set(c);
      i += 3;
    } else {
      set.members.set(low);
      ++i;
    }
  }
  if (i >= n) {
    set.Clear();  // never closed
    return n;
  }
  return i + 1;
}

TMatchResult MatchPattern(std::string_view pattern, std::string_view text) { return TMatcher(pattern, text).Match(); }

TMatchResult MatchAfterStar(std::string_view pattern, std::string_view text, const TStarSet& starSet) {
  return TMatcher(pattern, text).AfterStar(starSet);
}

bool IsMatch(std::string_view pattern, std::string_view text) { return MatchPattern(pattern, text) == matchValid; }

}  // namespace tarvik
