#pragma once
// Matches the readable text of one part (see paragraph_lines.h) as its
// decoded bytes arrive: the same use as TPartMatcher, with a paragraph as the
// line that a phrase, or every word of it, must stand in. Each line is
// matched as it is built, piece by piece, so no line is held whole, unless
// the matching lines are collected: then each paragraph is kept until its end
// and every matching one is reported whole, the part being read to its end.

#include "search/matching_line.h"
#include "search/paragraph_lines.h"
#include "search/readable_text.h"
#include "search/term_match.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

class TTextPartMatcher : private TLineSink {
 public:
  // terms must outlive the matcher, and observer (when given), which is told
  // every line piece and line end the matcher is, in Windows-1252.
  explicit TTextPartMatcher(const TTermMatcher& terms, bool collectLines = false, TLineSink* observer = nullptr);

  // Starts a new part.
  void Reset();
  // The part's next decoded bytes (UTF-8 XML).
  void Feed(const char* data, std::size_t size);
  // The part has ended: whether any of its lines matched.
  bool Finish();
  // Nothing that follows changes the result: a line has matched and no lines are collected.
  bool Matched() const { return matched_ && !collect_; }
  // The matching paragraphs, numbered in the order they end, when collected: complete after Finish.
  const std::vector<TMatchingLine>& Lines() const { return lines_; }

 private:
  // What one line being built has shown so far.
  struct TLineState {
    std::vector<char> found;  // per needle: occurs in the line
    std::string tail;         // the line's last bytes, where a needle may begin
    std::string text;         // the whole line, when lines are collected
    bool started = false;     // the line has text
  };

  void LinePiece(std::size_t level, std::string_view text) override;
  void LineEnd(std::size_t level) override;
  TLineState& State(std::size_t level);
  void SearchIn(TLineState& state, std::string_view text);

  const TTermMatcher& terms_;
  bool collect_;
  TLineSink* observer_;
  std::size_t keep_ = 0;  // the longest needle less one byte
  std::vector<TLineState> states_;
  std::string joined_, scratch_;
  bool matched_ = false;
  std::size_t lineNumber_ = 0;
  std::vector<TMatchingLine> lines_;
  TReadableText text_;
};

}  // namespace tarvik
