#include "search/part_summaries.h"

#include "platform/code_page.h"

namespace tarvik {
namespace {

// Its key table is 21 KB: one per thread, reused from document to document.
TTrigramCollector& ThreadCollector() {
  thread_local TTrigramCollector collector;
  return collector;
}

}  // namespace

TPartSummaries::TPartSummaries() : collector_(ThreadCollector()) {}

void TPartSummaries::Begin(int slot) {
  if (slot < 0 || slot >= kPartCount) return;
  collector_.Take();  // what an entry left that ended without Complete
  current_ = slot;
  tail_ = {};
  levelTails_.clear();
  parts_[static_cast<std::size_t>(slot)].reset();
  unread_[static_cast<std::size_t>(slot)] = false;
}

void TPartSummaries::Data(int slot, const char* data, std::size_t size) {
  if (slot == current_) collector_.Add(tail_, data, size);
}

void TPartSummaries::Complete(int slot, bool whole) {
  if (slot != current_) return;
  TSummaryBits bits = collector_.Take();
  if (whole) parts_[static_cast<std::size_t>(slot)] = std::move(bits);
  unread_[static_cast<std::size_t>(slot)] = !whole;
  current_ = -1;
}

void TPartSummaries::Searched(const TPartPlan& plan) {
  collector_.Take();
  for (std::size_t part = 0; part < parts_.size(); ++part) {
    if (!plan.chosen[part]) {
      parts_[part].reset();
    } else if (!parts_[part] && !unread_[part]) {
      parts_[part] = TSummaryBits{};  // absent: nothing can match in it
    }
  }
  readableText_ = plan.readableText;
  searched_ = true;
}

TTrigramTail& TPartSummaries::LevelTail(std::size_t level) {
  if (levelTails_.size() <= level) levelTails_.resize(level + 1);
  return levelTails_[level];
}

void TPartSummaries::LinePiece(std::size_t level, std::string_view text) {
  if (current_ < 0) return;
  utf8_ = AnsiToUtf8(text);
  collector_.Add(LevelTail(level), utf8_.data(), utf8_.size());
}

void TPartSummaries::LineEnd(std::size_t level) { LevelTail(level) = {}; }

}  // namespace tarvik
