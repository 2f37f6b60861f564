#pragma once
// The trigram summaries (trigram_collector.h) that one search of a document
// in memory builds on the way: for each chosen part, of the text its matcher
// sees there, the decoded bytes of the raw lines or, with readable text, the
// paragraphs. Nothing is decoded a second time. A part whose readable text
// the matcher stopped reading at its first matching line gets no summary; a
// chosen part the archive lacks (or whose entry failed) gets an empty one, as
// nothing can match in it.

#include "search/paragraph_lines.h"
#include "search/part_plan.h"
#include "search/trigram_collector.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

class TPartSummaries : private TLineSink {
 public:
  TPartSummaries();

  // What the search tells, for the chosen parts only: an entry of slot
  // starts, its next decoded bytes (raw lines), its end with the right CRC
  // (whole: the matcher saw all of its text).
  void Begin(int slot);
  void Data(int slot, const char* data, std::size_t size);
  void Complete(int slot, bool whole);
  // The readable lines, for the readable-text matcher to pass on.
  TLineSink& TextLines() { return *this; }
  // The document was searched to its end under plan, without failing.
  void Searched(const TPartPlan& plan);

  bool WasSearched() const { return searched_; }
  bool ReadableText() const { return readableText_; }
  // After Searched: the summaries of the chosen parts that have one.
  const std::array<std::optional<TSummaryBits>, kPartCount>& Parts() const { return parts_; }

 private:
  void LinePiece(std::size_t level, std::string_view text) override;
  void LineEnd(std::size_t level) override;
  TTrigramTail& LevelTail(std::size_t level);

  TTrigramCollector& collector_;  // the thread's own
  int current_ = -1;              // the slot being decoded
  TTrigramTail tail_;             // of its raw bytes
  std::vector<TTrigramTail> levelTails_;
  std::string utf8_;
  std::array<std::optional<TSummaryBits>, kPartCount> parts_;
  std::array<bool, kPartCount> unread_{};  // the matcher left some of the part unread
  bool searched_ = false;
  bool readableText_ = false;
};

}  // namespace tarvik
