#include "search/part_matcher.h"

#include "search/line_reader.h"

#include "platform/code_page.h"

#include <algorithm>
#include <cstring>

namespace tarvik {
namespace {

constexpr char kEndOfFile = 26;

// Whether needle can be looked for in the UTF-8 bytes themselves: plain
// ASCII without "?". Conversion keeps every byte below 0x80 and turns every
// other sequence, valid or not, into one byte that is 0x80 or above or a "?";
// upper-casing keeps bytes below 0x80 there and bytes above above. So such a
// needle occurs in a converted line exactly where it occurs in its bytes.
bool SearchableUnconverted(const std::string& folded) {
  return std::all_of(folded.begin(), folded.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '?'; });
}

}  // namespace

TPartMatcher::TPartMatcher(const TTermMatcher& terms, bool collectLines)
    : terms_(terms), collect_(collectLines), found_(terms.Needles().size(), 0) {
  unconverted_ = !collect_;  // an excerpt is taken from the converted line
  for (const TFoldedNeedle& needle : terms.Needles()) {
    keep_ = std::max(keep_, needle.Folded().empty() ? 0 : needle.Folded().size() - 1);
    unconverted_ = unconverted_ && SearchableUnconverted(needle.Folded());
  }
  if (collect_) {
    hits_ = std::make_unique<THitFinder>(terms);
    excerpt_ = std::make_unique<TLineExcerpt>(*hits_);
  }
}

void TPartMatcher::Reset() {
  std::fill(found_.begin(), found_.end(), 0);
  tail_ = 0;
  pendingCount_ = 0;
  matched_ = ended_ = skipLineFeed_ = lineStarted_ = false;
  if (excerpt_) excerpt_->Reset();
  lineNumber_ = 0;
  lines_.clear();
}

char* TPartMatcher::TextRoom(std::size_t size) {
  if (text_.size() < tail_ + size) text_.resize(tail_ + size);
  return text_.data() + tail_;
}

void TPartMatcher::Feed(const char* data, std::size_t size) {
  if (Matched() || ended_ || size == 0) return;
  const char* at = data;
  const char* const end = data + size;
  if (skipLineFeed_) {
    skipLineFeed_ = false;
    if (*at == '\n') ++at;
  }
  while (at < end) {
    const char* hit = FindLineEnd(at, end);
    if (hit != at) {
      lineStarted_ = true;
      AddLineBytes(at, hit);
      if (Matched()) return;
    }
    if (hit == end) return;
    if (*hit == kEndOfFile) {
      ended_ = true;
      EndLine(lineStarted_ || pendingCount_ != 0);
      return;
    }
    EndLine(true);  // a CR: a line, empty or not
    if (Matched()) return;
    at = hit + 1;
    if (at == end) {
      skipLineFeed_ = true;
      return;
    }
    if (*at == '\n') ++at;
  }
}

bool TPartMatcher::Finish() {
  if (!Matched() && !ended_) EndLine(lineStarted_ || pendingCount_ != 0);
  ended_ = true;
  return matched_;
}

void TPartMatcher::AddLineBytes(const char* from, const char* to) {
  if (unconverted_) {
    // The needles straight over the piece; what begins in the kept tail of
    // the line is looked for in the tail and the piece's first bytes.
    const auto size = static_cast<std::size_t>(to - from);
    const std::size_t joined = std::min(size, keep_);
    if (tail_ != 0 || size < keep_) std::memcpy(TextRoom(joined), from, joined);
    if (tail_ != 0) SearchIn(std::string_view(text_.data(), tail_ + joined));
    SearchIn(std::string_view(from, size));
    if (size >= keep_) {
      if (text_.size() < keep_) text_.resize(keep_);
      std::memcpy(text_.data(), to - keep_, keep_);
      tail_ = keep_;
    } else {
      KeepTail(tail_ + joined);
    }
    if (terms_.Decides(found_)) matched_ = true;
    return;
  }
  char* out = TextRoom(static_cast<std::size_t>(to - from) + sizeof pending_);
  std::size_t written = 0;
  // First the sequence the previous piece cut short, one byte at a time: it
  // either completes, breaks (its valid beginning is one "?" and the byte
  // that broke it is converted afresh) or goes on into the next piece.
  while (pendingCount_ != 0 && from < to) {
    const std::size_t before = pendingCount_;
    pending_[pendingCount_++] = static_cast<unsigned char>(*from);
    std::size_t consumed = 0;
    written = Utf8ToAnsiPiece(reinterpret_cast<const char*>(pending_), pendingCount_, out, consumed);
    if (consumed == 0) {
      ++from;  // valid so far, still short
      continue;
    }
    from += consumed - before;  // a byte that broke the sequence and was not taken is converted below
    pendingCount_ = 0;
  }
  std::size_t consumed = 0;
  written += Utf8ToAnsiPiece(from, static_cast<std::size_t>(to - from), out + written, consumed);
  for (const char* rest = from + consumed; rest < to; ++rest)
    pending_[pendingCount_++] = static_cast<unsigned char>(*rest);
  const std::size_t size = tail_ + written;
  SearchIn(std::string_view(text_.data(), size));
  if (excerpt_) excerpt_->Add(std::string_view(out, written), AnyFound());
  KeepTail(size);  // only now: it moves the bytes the excerpt takes
  if (terms_.Decides(found_)) matched_ = true;
}

void TPartMatcher::SearchIn(std::string_view text) {
  const std::vector<TFoldedNeedle>& needles = terms_.Needles();
  for (std::size_t i = 0; i < needles.size(); ++i)
    if (!found_[i] && needles[i].FoundIn(text, scratch_)) found_[i] = 1;
}

bool TPartMatcher::AnyFound() const {
  return std::any_of(found_.begin(), found_.end(), [](char f) { return f != 0; });
}

void TPartMatcher::Search(std::size_t size) {
  SearchIn(std::string_view(text_.data(), size));
  KeepTail(size);
}

void TPartMatcher::KeepTail(std::size_t size) {
  // The bytes a needle found later may begin with.
  const std::size_t kept = std::min(keep_, size);
  std::memmove(text_.data(), text_.data() + size - kept, kept);
  tail_ = kept;
}

void TPartMatcher::EndLine(bool exists) {
  if (pendingCount_ != 0) {
    *TextRoom(1) = '?';  // a sequence the line's end cuts short
    Search(tail_ + 1);
    if (excerpt_) excerpt_->Add("?", AnyFound());
  } else if (exists && !lineStarted_) {
    Search(0);  // an empty line: only an empty needle occurs in it
  }
  const bool matches = exists && terms_.Decides(found_);
  if (matches) matched_ = true;
  if (excerpt_) {
    if (exists) ++lineNumber_;
    if (matches) lines_.push_back(excerpt_->Take(lineNumber_));
    excerpt_->Reset();
  }
  std::fill(found_.begin(), found_.end(), 0);
  tail_ = 0;
  pendingCount_ = 0;
  lineStarted_ = false;
}

}  // namespace tarvik
