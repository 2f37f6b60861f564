#include "search/line_excerpt.h"

#include <algorithm>

namespace tarvik {

TLineExcerpt::TLineExcerpt(const THitFinder& hits) : hits_(hits) {}

void TLineExcerpt::Reset() {
  seen_ = 0;
  head_.clear();
  window_.clear();
  found_ = beforeCut_ = afterCut_ = false;
  limit_ = kExcerptLength;
  hitLength_ = 0;
  before_.clear();
  after_.clear();
}

void TLineExcerpt::Add(std::string_view piece, bool mayHoldHit) {
  if (head_.size() < kExcerptLength) head_.append(piece.substr(0, kExcerptLength - head_.size()));
  seen_ += piece.size();
  if (found_) {
    const std::size_t room = limit_ - after_.size();
    after_.append(piece.substr(0, room));
    afterCut_ = afterCut_ || piece.size() > room;
    return;
  }
  if (hits_.Longest() == 0) return;  // no hit can come: the head is the excerpt
  // Keep what a hit that is not complete yet needs: its first bytes and the lead before them.
  const std::size_t keep = kExcerptLength + hits_.Longest() - 1;
  if (!mayHoldHit) {
    if (piece.size() >= keep) {
      window_.assign(piece.substr(piece.size() - keep));
    } else {
      window_.append(piece);
      if (window_.size() > keep) window_.erase(0, window_.size() - keep);
    }
    return;
  }
  window_.append(piece);
  // The earliest hit complete so far is the line's first unless a longer
  // needle that begins before it may still end in bytes to come.
  const auto hit = hits_.First(window_);
  if (hit && hit->begin + hits_.Longest() - 1 <= window_.size()) {
    Settle(*hit);
  } else if (window_.size() > keep) {
    window_.erase(0, window_.size() - keep);
  }
}

void TLineExcerpt::Settle(const THit& hit) {
  // Every earlier window was searched in full, so the window still holds
  // limit_ bytes before the hit, if the line has them.
  const std::size_t windowStart = seen_ - window_.size();
  found_ = true;
  hitLength_ = hit.end - hit.begin;
  limit_ = std::max(kExcerptLength, hitLength_);
  const std::size_t from = hit.begin - std::min(hit.begin, limit_);
  before_.assign(window_, from, hit.begin - from);
  beforeCut_ = windowStart + from > 0;
  after_.assign(window_, hit.begin, limit_);
  afterCut_ = window_.size() - hit.begin > limit_;
  window_.clear();
}

TMatchingLine TLineExcerpt::Take(std::size_t number) {
  if (!found_ && hits_.Longest() != 0) {
    // The line has ended: a hit still waiting for a longer one is the first.
    if (const auto hit = hits_.First(window_)) Settle(*hit);
  }
  TMatchingLine line;
  line.number = number;
  if (!found_) {
    line.text = head_;
    line.cutAfter = seen_ > head_.size();
    return line;
  }
  // The usual lead, or more when the line ends before the excerpt is full;
  // never so much that the hit itself is cut.
  std::size_t lead = std::min(before_.size(), kExcerptLead);
  if (after_.size() + lead < limit_) lead = std::min(before_.size(), limit_ - after_.size());
  lead = std::min(lead, limit_ - hitLength_);
  const std::size_t rest = std::min(after_.size(), limit_ - lead);
  line.text.assign(before_, before_.size() - lead, lead).append(after_, 0, rest);
  line.cutBefore = beforeCut_ || lead < before_.size();
  line.cutAfter = afterCut_ || rest < after_.size();
  return line;
}

TMatchingLine LineExcerpt(std::string_view line, const THitFinder& hits, std::size_t number) {
  TLineExcerpt excerpt(hits);
  excerpt.Add(line);
  return excerpt.Take(number);
}

}  // namespace tarvik
