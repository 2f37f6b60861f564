#pragma once
// Matches the lines of one part as its bytes arrive, in pieces of any size,
// with exactly the result of reading the whole part line by line
// (NextTextLine), converting each line (Utf8ToAnsiLine) and matching it
// (TTermMatcher). What a line has shown so far is carried from one piece to
// the next: the last bytes a needle may continue from, the needles found, a
// UTF-8 sequence cut short, a CR whose LF is still to come; byte 26 ends the
// part. Memory stays at one piece plus the longest needle, however long a
// line is. When no needle can tell a converted line from its bytes (plain
// ASCII without "?"), the bytes are matched without converting them.
//
// Asked to collect its matching lines, the matcher reads the part to its end
// and keeps each matching line's number and excerpt (line_excerpt.h); without
// that, it stops at the first matching line.

#include "search/hit_ranges.h"
#include "search/line_excerpt.h"
#include "search/matching_line.h"
#include "search/term_match.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

class TPartMatcher {
 public:
  // terms must outlive the matcher.
  explicit TPartMatcher(const TTermMatcher& terms, bool collectLines = false);

  // Starts a new part; the buffers are kept.
  void Reset();
  // The part's next bytes.
  void Feed(const char* data, std::size_t size);
  // The part has ended: whether any of its lines matched.
  bool Finish();
  // Nothing that follows changes the result: a line has matched and no lines are collected.
  bool Matched() const { return matched_ && !collect_; }
  // The matching lines of the part, when collected: complete after Finish.
  const std::vector<TMatchingLine>& Lines() const { return lines_; }

 private:
  // Converts the line bytes [from, to) and looks for the needles in them.
  void AddLineBytes(const char* from, const char* to);
  // Marks the needles found in the first size bytes of text_ and keeps the
  // last bytes of those for the next piece.
  void Search(std::size_t size);
  void SearchIn(std::string_view text);
  // Whether a needle occurs in the current line so far.
  bool AnyFound() const;
  void KeepTail(std::size_t size);
  // Closes the current line; exists tells whether it counts as a line.
  void EndLine(bool exists);
  char* TextRoom(std::size_t size);

  const TTermMatcher& terms_;
  bool collect_;
  std::size_t keep_ = 0;      // the longest needle less one byte
  bool unconverted_ = false;  // the needles are matched on the UTF-8 bytes
  std::vector<char> found_;   // per needle: occurs in the current line
  std::string text_;          // converted: the line's last keep_ bytes, then the newest piece
  std::size_t tail_ = 0;      // how many of the former are there
  std::string scratch_;       // the needles' work buffer
  unsigned char pending_[4] = {};
  std::size_t pendingCount_ = 0;  // a UTF-8 sequence the previous piece cut short
  bool matched_ = false;
  bool ended_ = false;         // byte 26 was seen
  bool skipLineFeed_ = false;  // the previous piece ended with a CR
  bool lineStarted_ = false;   // the current line has bytes
  // Collecting the matching lines: the current line's excerpt and number.
  std::unique_ptr<THitFinder> hits_;
  std::unique_ptr<TLineExcerpt> excerpt_;
  std::size_t lineNumber_ = 0;
  std::vector<TMatchingLine> lines_;
};

}  // namespace tarvik
