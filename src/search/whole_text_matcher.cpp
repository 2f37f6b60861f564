#include "search/whole_text_matcher.h"

#include <algorithm>

namespace tarvik {

TWholeTextMatcher::TWholeTextMatcher(const TTermMatcher& terms) : terms_(terms) {
  for (const TFoldedNeedle& needle : terms.Needles()) {
    keep_ = std::max(keep_, needle.Folded().empty() ? 0 : needle.Folded().size() - 1);
    found_.push_back(needle.Folded().empty() ? 1 : 0);  // an empty needle occurs even in an empty text
  }
  matched_ = terms_.Decides(found_);
}

void TWholeTextMatcher::Feed(const char* data, std::size_t size) {
  if (matched_ || size == 0) return;
  // An occurrence that begins in what came before ends within the piece's
  // first keep_ bytes.
  if (!tail_.empty()) {
    joint_.assign(tail_);
    joint_.append(data, std::min(size, keep_));
    SearchIn(joint_.data(), joint_.size());
  }
  SearchIn(data, size);
  if (size >= keep_) {
    tail_.assign(data + size - keep_, keep_);
  } else {
    tail_.append(data, size);
    if (tail_.size() > keep_) tail_.erase(0, tail_.size() - keep_);
  }
  matched_ = terms_.Decides(found_);
}

void TWholeTextMatcher::SearchIn(const char* data, std::size_t size) {
  const std::vector<TFoldedNeedle>& needles = terms_.Needles();
  const std::string_view text(data, size);
  for (std::size_t i = 0; i < needles.size(); ++i)
    if (!found_[i] && needles[i].FoundIn(text, scratch_)) found_[i] = 1;
}

}  // namespace tarvik
