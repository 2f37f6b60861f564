#include "search/text_part_matcher.h"

#include <algorithm>

namespace tarvik {

TTextPartMatcher::TTextPartMatcher(const TTermMatcher& terms, bool collectLines, TLineSink* observer)
    : terms_(terms), collect_(collectLines), observer_(observer), text_(*this) {
  bool unconverted = true;
  for (const TFoldedNeedle& needle : terms.Needles()) {
    keep_ = std::max(keep_, needle.Folded().empty() ? 0 : needle.Folded().size() - 1);
    // Plain ASCII without "?" occurs in a converted line where it occurs in its UTF-8 bytes.
    unconverted = unconverted && std::all_of(needle.Folded().begin(), needle.Folded().end(),
                                             [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '?'; });
  }
  // Lines shown to the user are always the converted text, and so are those an
  // observer summarizes for any later phrase: unconverted lines mix UTF-8 runs
  // with Windows-1252 bytes (references, the scanner's text).
  text_.SetConverted(collectLines || observer != nullptr || !unconverted);
}

void TTextPartMatcher::Reset() {
  text_.Reset();
  states_.clear();
  matched_ = false;
  lineNumber_ = 0;
  lines_.clear();
}

void TTextPartMatcher::Feed(const char* data, std::size_t size) {
  if (!Matched()) text_.Feed(data, size);  // once a line matched, the rest cannot change the result
}

bool TTextPartMatcher::Finish() {
  if (!Matched()) text_.Finish();
  return matched_;
}

TTextPartMatcher::TLineState& TTextPartMatcher::State(std::size_t level) {
  if (states_.size() <= level) states_.resize(level + 1);
  TLineState& state = states_[level];
  if (state.found.size() != terms_.Needles().size()) state.found.resize(terms_.Needles().size());
  return state;
}

void TTextPartMatcher::SearchIn(TLineState& state, std::string_view text) {
  const std::vector<TFoldedNeedle>& needles = terms_.Needles();
  for (std::size_t i = 0; i < needles.size(); ++i)
    if (!state.found[i] && needles[i].FoundIn(text, scratch_)) state.found[i] = 1;
}

void TTextPartMatcher::LinePiece(std::size_t level, std::string_view text) {
  if (observer_ != nullptr) observer_->LinePiece(level, text);
  if (Matched()) return;
  TLineState& state = State(level);
  state.started = true;
  if (collect_) state.text.append(text);
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
  if (Matched()) return;
  TLineState& state = State(level);
  if (!state.started) SearchIn(state, {});  // an empty line: only an empty needle occurs in it
  ++lineNumber_;
  if (terms_.Decides(state.found)) {
    matched_ = true;
    if (collect_) lines_.push_back({lineNumber_, std::move(state.text)});
  }
  std::fill(state.found.begin(), state.found.end(), 0);
  state.tail.clear();
  state.text.clear();
  state.started = false;
}

}  // namespace tarvik
