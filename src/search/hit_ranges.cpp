#include "search/hit_ranges.h"

#include "platform/ansi_upper.h"

#include <algorithm>
#include <cstring>

namespace tarvik {
namespace {

// The first occurrence of needle in text at or after from; linear time
// (memmem), however the text repeats the needle's beginning.
std::size_t FindFrom(std::string_view text, const std::string& needle, std::size_t from) {
  if (from > text.size()) return std::string_view::npos;
  const void* at = memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
  return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text.data()) : std::string_view::npos;
}

}  // namespace

THitFinder::THitFinder(TMatchMode mode, std::string_view phrase, bool caseSensitive)
    : THitFinder(TTermMatcher(mode, phrase, SplitWords(phrase), caseSensitive)) {}

THitFinder::THitFinder(const TTermMatcher& terms) : caseSensitive_(terms.CaseSensitive()) {
  for (const TFoldedNeedle& needle : terms.Needles()) {
    if (needle.Folded().empty()) continue;  // occurs everywhere, marks nothing
    needles_.push_back(needle.Folded());
    longest_ = std::max(longest_, needle.Folded().size());
  }
}

std::string_view THitFinder::Folded(std::string_view text, std::string& scratch) const {
  if (caseSensitive_) return text;
  AnsiUpper(text, scratch);
  return scratch;
}

std::vector<THit> THitFinder::Hits(std::string_view text) const {
  std::string scratch;
  const std::string_view folded = Folded(text, scratch);
  std::vector<THit> hits;
  for (const std::string& needle : needles_) {
    for (std::size_t at = FindFrom(folded, needle, 0); at != std::string_view::npos;
         at = FindFrom(folded, needle, at + needle.size()))
      hits.push_back({at, at + needle.size()});
  }
  std::sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) { return a.begin < b.begin; });
  std::vector<THit> joined;
  for (const THit& hit : hits) {
    if (!joined.empty() && hit.begin < joined.back().end) {
      joined.back().end = std::max(joined.back().end, hit.end);
    } else {
      joined.push_back(hit);
    }
  }
  return joined;
}

std::optional<THit> THitFinder::First(std::string_view text) const {
  std::string scratch;
  const std::string_view folded = Folded(text, scratch);
  std::optional<THit> first;
  for (const std::string& needle : needles_) {
    // Only the stretch before the best hit so far can hold a better one.
    const std::size_t limit = first ? std::min(folded.size(), first->begin + needle.size()) : folded.size();
    const std::size_t at = FindFrom(folded.substr(0, limit), needle, 0);
    if (at == std::string_view::npos) continue;
    if (!first || at < first->begin || (at == first->begin && at + needle.size() > first->end))
      first = THit{at, at + needle.size()};
  }
  return first;
}

std::vector<THit> FindHits(std::string_view text, TMatchMode mode, std::string_view phrase, bool caseSensitive) {
  return THitFinder(mode, phrase, caseSensitive).Hits(text);
}

}  // namespace tarvik
