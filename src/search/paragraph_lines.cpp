#include "search/paragraph_lines.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvik {
namespace {

// A line is handed over in pieces of about this size, so that a paragraph of
// any length takes no more memory than that.
constexpr std::size_t kPieceSize = std::size_t{64} << 10;
// A stretch of text at least this long, with nothing held before it, goes
// to the sink as it is.
constexpr std::size_t kDirectPiece = 64;
// Paragraphs, comments and drawing objects open at once. Real documents nest
// a few; a part nested deeper cannot be read.
constexpr std::size_t kMostRegions = 1024;
// The most blanks one text:s stands for. More blanks in a row than a phrase
// is long cannot change whether it matches; the bound keeps a tag of a few
// bytes from standing for gigabytes of text.
constexpr std::size_t kMostBlanks = 1024;

// Compares with a literal of known length, which the compiler does inline.
template <std::size_t N>
bool Is(std::string_view name, const char (&literal)[N]) {
  return name.size() == N - 1 && std::memcmp(name.data(), literal, N - 1) == 0;
}

// What an element means to the lines. Comments and drawing objects are
// outside the text: their text is no part of the paragraph they are anchored in.
enum class TRole { kNone, kParagraph, kOutside, kSpace, kTab, kLineBreak };

TRole RoleOf(std::string_view name) {
  if (name.size() < 5) return TRole::kNone;
  if (std::memcmp(name.data(), "text:", 5) == 0) {
    if (Is(name, "text:p") || Is(name, "text:h")) return TRole::kParagraph;
    if (Is(name, "text:s")) return TRole::kSpace;
    if (Is(name, "text:tab") || Is(name, "text:tab-stop")) return TRole::kTab;
    if (Is(name, "text:line-break")) return TRole::kLineBreak;
    return TRole::kNone;
  }
  if (std::memcmp(name.data(), "draw:", 5) == 0 || Is(name, "office:annotation")) return TRole::kOutside;
  return TRole::kNone;
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The end of a stretch of words that single blanks part, from p (not white
// space): the first white space that is not one blank followed by more of
// the stretch. Prose is mostly such stretches, copied whole.
const char* StretchEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  // Sixteen bytes at a time: white space, less the blanks whose next byte is
  // no white space.
  while (end - p > 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i other = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
    const auto blank = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
    const unsigned space = blank | static_cast<unsigned>(_mm_movemask_epi8(other));
    const unsigned nextSpace = (space >> 1) | (IsXmlSpace(p[16]) ? 1u << 15 : 0u);
    const unsigned stops = space & ~(blank & ~nextSpace);
    if (stops != 0) return p + __builtin_ctz(stops);
    p += 16;
  }
#endif
  for (; p < end; ++p) {
    if (!IsXmlSpace(*p)) continue;
    if (*p != ' ' || p + 1 == end || IsXmlSpace(p[1])) return p;
  }
  return end;
}

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

std::size_t& TParagraphLines::OpenCount(std::string_view name) {
  if (Is(name, "text:p")) return openParagraphs_;
  if (Is(name, "text:h")) return openHeadings_;
  const auto open = openNames_.find(name);
  return open != openNames_.end() ? open->second : openNames_[std::string(name)];
}

std::size_t TParagraphLines::Opened(std::string_view name) const {
  if (Is(name, "text:p")) return openParagraphs_;
  if (Is(name, "text:h")) return openHeadings_;
  const auto open = openNames_.find(name);
  return open != openNames_.end() ? open->second : 0;
}

void TParagraphLines::Reset() {
  regions_.clear();
  openParagraphs_ = openHeadings_ = 0;
  openNames_.clear();
  paragraphs_ = 0;
  loose_.Clear();
}

void TParagraphLines::Element(std::string_view name, bool empty, std::string_view count) {
  const TRole role = RoleOf(name);
  if (InParagraph()) {
    if (role == TRole::kSpace) return AddGenerated(' ', BlankCount(count));
    if (role == TRole::kTab) return AddGenerated('\t', 1);
    if (role == TRole::kLineBreak) return AddGenerated(' ', 1);
  } else {
    EndLooseLine();
  }
  if (empty) {
    if (role == TRole::kParagraph) sink_.LineEnd(paragraphs_);  // an empty paragraph is an empty line
    return;
  }
  if (role == TRole::kParagraph || role == TRole::kOutside) Open(name, role == TRole::kParagraph);
}

void TParagraphLines::Open(std::string_view name, bool paragraph) {
  if (regions_.size() >= kMostRegions) throw std::length_error("paragraphs nested too deeply");
  regions_.push_back({std::string(name), paragraph, {}});
  regions_.back().line.text.swap(spare_);
  ++OpenCount(name);
  if (paragraph) ++paragraphs_;
}

void TParagraphLines::Close() {
  TRegion& region = regions_.back();
  if (region.paragraph) EndLine(region.line, --paragraphs_);
  spare_.swap(region.line.text);  // its storage serves the next region
  --OpenCount(region.name);
  regions_.pop_back();
}

void TParagraphLines::EndElement(std::string_view name) {
  if (!InParagraph()) EndLooseLine();
  // The innermost open region of that name ends, and with it whatever was
  // left open inside it. The walk to it closes what it passes, so that no
  // end tag costs more than the regions it ends.
  const TRole role = RoleOf(name);
  if ((role != TRole::kParagraph && role != TRole::kOutside) || Opened(name) == 0) return;
  const auto match =
      std::find_if(regions_.rbegin(), regions_.rend(), [name](const TRegion& region) { return region.name == name; });
  if (match == regions_.rend()) return;
  const std::size_t keep = regions_.size() - 1 - static_cast<std::size_t>(match - regions_.rbegin());
  while (regions_.size() > keep) Close();
}

void TParagraphLines::Characters(std::string_view text, bool singleBlanks) {
  TLine& line = Current();
  if (singleBlanks && !text.empty() && text.front() != ' ' && text.back() != ' ') {
    AddStretch(line, text);
    return Flush(line, Level(), kPieceSize);
  }
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    if (IsXmlSpace(*p)) {
      line.blank = line.content;
      ++p;
      continue;
    }
    const char* stretchEnd = StretchEnd(p, end);
    AddStretch(line, std::string_view(p, static_cast<std::size_t>(stretchEnd - p)));
    p = stretchEnd;
  }
  Flush(line, Level(), kPieceSize);
}

void TParagraphLines::AddStretch(TLine& line, std::string_view stretch) {
  if (line.blank) line.text += ' ';
  line.blank = false;
  line.content = true;
  if (line.text.empty() && stretch.size() >= kDirectPiece) {
    sink_.LinePiece(Level(), stretch);  // nothing held before it: no need to copy it
  } else {
    line.text.append(stretch);
  }
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
  line.Clear();
}

void TParagraphLines::EndLooseLine() {
  if (loose_.content) {
    EndLine(loose_, paragraphs_);
  } else {
    loose_.Clear();
  }
}

void TParagraphLines::Finish() {
  if (!InParagraph()) EndLooseLine();
  while (!regions_.empty()) Close();
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
