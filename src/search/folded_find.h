#pragma once
// Substring search with an optional letter-case fold, prepared once per
// needle and run over many texts. Case-insensitive searching compares the
// Windows-1252 upper-case forms of needle and text without building the
// upper-cased text, except as a fallback for texts that defeat the filter.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvik {

class TFoldedNeedle {
 public:
  TFoldedNeedle(std::string_view needle, bool caseSensitive);

  // True when the needle occurs in text (an empty needle occurs in every
  // text). scratch is a buffer the caller keeps between calls; it is only
  // used when the fast filter gives up on a text.
  bool FoundIn(std::string_view text, std::string& scratch) const;

  // The needle as compared: upper-cased unless case counts.
  const std::string& Folded() const { return folded_; }

 private:
  // Length of the common prefix of the needle and the text at `at`
  // (folded), so a full match returns the needle's size.
  std::size_t CompareAt(const unsigned char* at) const;
  bool FilterHitsAt(const unsigned char* at) const;
  bool SlowFoundIn(std::string_view text, std::string& scratch) const;

  std::string folded_;
  bool caseSensitive_;
  // Two offsets into the needle whose bytes are rare in ordinary text; a
  // position is only compared in full when both bytes fit there. Each filter
  // byte is given by the (at most two) text bytes that fold to it.
  std::size_t firstOffset_ = 0;
  std::size_t secondOffset_ = 0;
  unsigned char firstA_ = 0, firstB_ = 0;
  unsigned char secondA_ = 0, secondB_ = 0;
};

}  // namespace tarvik
