#include "search/paragraph_lines.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tarvik {
namespace {

// A line is handed over in pieces of about this size, so that a paragraph of
// any length takes no more memory than that.
constexpr std::size_t kPieceSize = std::size_t{64} << 10;
// Paragraphs, comments and drawing objects open at once. Real documents nest
// a few; a part nested deeper cannot be read.
constexpr std::size_t kMostRegions = 1024;
// The most blanks one text:s stands for. More blanks in a row than a phrase
// is long cannot change whether it matches; the bound keeps a tag of a few
// bytes from standing for gigabytes of text.
constexpr std::size_t kMostBlanks = 1024;

bool IsParagraph(std::string_view name) { return name == "text:p" || name == "text:h"; }

// Comments and drawing objects: their text is no part of the paragraph they
// are anchored in.
bool IsOutsideText(std::string_view name) { return name == "office:annotation" || name.substr(0, 5) == "draw:"; }

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value of text:c: a count of blanks, 1 when it is missing or no number.
std::size_t BlankCount(std::string_view count) {
  while (!count.empty() && count.front() == ' ') count.remove_prefix(1);
  std::size_t blanks = 0;
  std::size_t digits = 0;
  for (; digits < count.size() && count[digits] >= '0' && count[digits] <= '9'; ++digits)
    blanks = std::min(kMostBlanks, blanks * 10 + static_cast<std::size_t>(count[digits] - '0'));
  return digits == 0 ? 1 : blanks;
}

}  // namespace

TParagraphLines::TParagraphLines(TLineSink& sink) : sink_(sink) {}

void TParagraphLines::Reset() {
  regions_.clear();
  paragraphs_ = 0;
  loose_ = {};
}

void TParagraphLines::Element(std::string_view name, bool empty, std::string_view count) {
  if (InParagraph()) {
    if (name == kSpaceElement) return AddGenerated(' ', BlankCount(count));
    if (name == "text:tab" || name == "text:tab-stop") return AddGenerated('\t', 1);
    if (name == "text:line-break") return AddGenerated(' ', 1);
  } else {
    EndLooseLine();
  }
  if (empty) {
    if (IsParagraph(name)) sink_.LineEnd(paragraphs_);  // an empty paragraph is an empty line
    return;
  }
  if (IsParagraph(name)) {
    Open(name, true);
  } else if (IsOutsideText(name)) {
    Open(name, false);
  }
}

void TParagraphLines::Open(std::string_view name, bool paragraph) {
  if (regions_.size() >= kMostRegions) throw std::length_error("paragraphs nested too deeply");
  regions_.push_back({std::string(name), paragraph, {}});
  if (paragraph) ++paragraphs_;
}

void TParagraphLines::EndElement(std::string_view name) {
  if (!InParagraph()) EndLooseLine();
  // The innermost open region of that name ends, and with it whatever was
  // left open inside it.
  const auto match =
      std::find_if(regions_.rbegin(), regions_.rend(), [name](const TRegion& region) { return region.name == name; });
  if (match == regions_.rend()) return;
  const std::size_t keep = regions_.size() - 1 - static_cast<std::size_t>(match - regions_.rbegin());
  while (regions_.size() > keep) {
    if (regions_.back().paragraph) EndLine(regions_.back().line, --paragraphs_);
    regions_.pop_back();
  }
}

void TParagraphLines::Characters(std::string_view text) {
  TLine& line = Current();
  std::size_t at = 0;
  while (at < text.size()) {
    if (IsXmlSpace(text[at])) {
      line.blank = line.content;
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && !IsXmlSpace(text[end])) ++end;
    if (line.blank) line.text += ' ';
    line.blank = false;
    line.text.append(text, at, end - at);
    line.content = true;
    at = end;
  }
  Flush(line, Level(), kPieceSize);
}

void TParagraphLines::AddGenerated(char c, std::size_t count) {
  TLine& line = Current();
  if (line.blank) line.text += ' ';
  line.blank = false;
  line.text.append(count, c);
  line.content = true;
  Flush(line, Level(), kPieceSize);
}

void TParagraphLines::Flush(TLine& line, std::size_t level, std::size_t atLeast) {
  if (line.text.empty() || line.text.size() < atLeast) return;
  sink_.LinePiece(level, line.text);
  line.text.clear();
}

void TParagraphLines::EndLine(TLine& line, std::size_t level) {
  Flush(line, level, 1);
  sink_.LineEnd(level);
  line = {};
}

void TParagraphLines::EndLooseLine() {
  if (loose_.content) {
    EndLine(loose_, paragraphs_);
  } else {
    loose_ = {};
  }
}

void TParagraphLines::Finish() {
  if (!InParagraph()) EndLooseLine();
  while (!regions_.empty()) {
    if (regions_.back().paragraph) EndLine(regions_.back().line, --paragraphs_);
    regions_.pop_back();
  }
  Reset();
}

void TLineCollector::LinePiece(std::size_t level, std::string_view text) {
  if (open_.size() <= level) open_.resize(level + 1);
  open_[level].append(text);
}

void TLineCollector::LineEnd(std::size_t level) {
  if (open_.size() <= level) open_.resize(level + 1);
  lines.push_back(std::move(open_[level]));
  open_[level].clear();
}

}  // namespace tarvik
