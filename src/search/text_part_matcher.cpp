#include "search/text_part_matcher.h"

#include <algorithm>

namespace tarvik {

TTextPartMatcher::TTextPartMatcher(const TTermMatcher& terms, TLineSink* observer)
    : terms_(terms), observer_(observer), text_(*this) {
  for (const TFoldedNeedle& needle : terms.Needles())
    keep_ = std::max(keep_, needle.Folded().empty() ? 0 : needle.Folded().size() - 1);
}

void TTextPartMatcher::Reset() {
  text_.Reset();
  states_.clear();
  matched_ = false;
}

void TTextPartMatcher::Feed(const char* data, std::size_t size) {
  if (!matched_) text_.Feed(data, size);  // once a line matched, the rest cannot change the result
}

bool TTextPartMatcher::Finish() {
  if (!matched_) text_.Finish();
  return matched_;
}

TTextPartMatcher::TLineState& TTextPartMatcher::State(std::size_t level) {
  if (states_.size() <= level) states_.resize(level + 1);
  TLineState& state = states_[level];
  state.found.resize(terms_.Needles().size());
  return state;
}

void TTextPartMatcher::SearchIn(TLineState& state, std::string_view text) {
  const std::vector<TFoldedNeedle>& needles = terms_.Needles();
  for (std::size_t i = 0; i < needles.size(); ++i)
    if (!state.found[i] && needles[i].FoundIn(text, scratch_)) state.found[i] = 1;
}

void TTextPartMatcher::LinePiece(std::size_t level, std::string_view text) {
  if (observer_ != nullptr) observer_->LinePiece(level, text);
  if (matched_) return;
  TLineState& state = State(level);
  state.started = true;
  // A needle that begins in the kept tail ends within the piece's first bytes.
  if (!state.tail.empty()) {
    joined_.assign(state.tail).append(text.substr(0, keep_));
    SearchIn(state, joined_);
  }
  SearchIn(state, text);
  state.tail.append(text.substr(text.size() - std::min(keep_, text.size())));
  if (state.tail.size() > keep_) state.tail.erase(0, state.tail.size() - keep_);
}

void TTextPartMatcher::LineEnd(std::size_t level) {
  if (observer_ != nullptr) observer_->LineEnd(level);
  if (matched_) return;
  TLineState& state = State(level);
  if (!state.started) SearchIn(state, {});  // an empty line: only an empty needle occurs in it
  if (terms_.Decides(state.found)) matched_ = true;
  std::fill(state.found.begin(), state.found.end(), 0);
  state.tail.clear();
  state.started = false;
}

}  // namespace tarvik
