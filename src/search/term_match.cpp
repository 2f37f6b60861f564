#include "search/term_match.h"

#include <algorithm>
#include <unordered_set>

#include "search/search_form.h"

namespace tarvik {
namespace {

bool IsWordByte(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte >= 128;
}

}  // namespace

std::vector<std::string> SplitWords(std::string_view phrase) {
  std::vector<std::string> words;
  const auto* bytes = reinterpret_cast<const unsigned char*>(phrase.data());
  const std::size_t end = std::min(phrase.size(), phrase.find('\0'));
  std::size_t pos = 0;
  while (pos < end) {
    if (!IsWordByte(bytes[pos])) {
      ++pos;
      continue;
    }
    const std::size_t start = pos;
    while (pos < end && IsWordByte(bytes[pos])) ++pos;
    words.emplace_back(phrase.substr(start, pos - start));
  }
  return words;
}

TMatchMode CurrentMatchMode(const TSearchForm& form) {
  if (form.IsChecked(TFormBox::RadioButton1)) return mmWholeText;
  if (form.IsChecked(TFormBox::RadioButton4)) return mmAnyWord;
  if (form.IsChecked(TFormBox::RadioButton3)) return mmEveryWord;
  return mmNone;
}

TTermMatcher::TTermMatcher(TMatchMode mode, std::string_view phrase, const std::vector<std::string>& words,
                           bool caseSensitive)
    : mode_(mode), caseSensitive_(caseSensitive) {
  if (mode == mmWholeText) {
    needles_.emplace_back(phrase, caseSensitive);
    return;
  }
  if (mode != mmEveryWord && mode != mmAnyWord) return;
  std::unordered_set<std::string> seen;
  for (const std::string& word : words) {
    TFoldedNeedle needle(word, caseSensitive);
    if (seen.insert(needle.Folded()).second) needles_.push_back(std::move(needle));
  }
}

bool TTermMatcher::Matches(std::string_view text) {
  auto found = [&](const TFoldedNeedle& needle) { return needle.FoundIn(text, scratch_); };
  switch (mode_) {
    case mmWholeText: return found(needles_.front());
    case mmEveryWord: return std::all_of(needles_.begin(), needles_.end(), found);
    case mmAnyWord: return std::any_of(needles_.begin(), needles_.end(), found);
    default: return false;
  }
}

bool TTermMatcher::Decides(const std::vector<char>& found) const {
  switch (mode_) {
    case mmWholeText: return found.front() != 0;
    case mmEveryWord: return std::all_of(found.begin(), found.end(), [](char f) { return f != 0; });
    case mmAnyWord: return std::any_of(found.begin(), found.end(), [](char f) { return f != 0; });
    default: return false;
  }
}

bool TextMatches(std::string_view text, TMatchMode mode, std::string_view phrase, const std::vector<std::string>& words,
                 bool caseSensitive) {
  return TTermMatcher(mode, phrase, words, caseSensitive).Matches(text);
}

}  // namespace tarvik
