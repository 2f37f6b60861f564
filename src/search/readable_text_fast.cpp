#include "search/readable_text_fast.h"

#include "search/readable_text_scanner.h"

#include "xml/xml_text.h"

#include "platform/code_page.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvik {

namespace {

// The longest opening the scanner tells parts apart by ("<![CDATA[",
// "<!DOCTYPE"): a part is not dispatched on fewer bytes while more may come.
constexpr std::ptrdiff_t kLongestOpening = 9;

bool StartsWith(const char* p, const char* end, std::string_view prefix) {
  return end - p >= static_cast<std::ptrdiff_t>(prefix.size()) && std::memcmp(p, prefix.data(), prefix.size()) == 0;
}

// The end of a name that starts at p (the scanner's ReadName): the name
// takes the character it starts at and runs up to the first member of
// stops, or to end.
const char* NameEnd(const char* p, const char* end, const xml::TCharSet& stops) {
  if (p == end) return p;
  ++p;
  while (p < end && !stops(*p)) ++p;
  return p;
}

// The search for the end of a literal run: the first '<' or '&' at or after
// p, or end. The bytes before it are looked at for the line builder on the
// way: runs is set when they hold a control character (tab, CR and LF among
// them) or two blanks in a row. Whole blocks of bytes at a time, then byte by
// byte; blankBefore: the byte before p is a blank of the run.
const char* RunEndBytewise(const char* p, const char* end, bool blankBefore, bool& runs) {
  for (; p < end; ++p) {
    const char c = *p;
    if (c == '<' || c == '&') return p;
    if (static_cast<unsigned char>(c) < 0x20 || (c == ' ' && blankBefore)) runs = true;
    blankBefore = c == ' ';
  }
  return p;
}

// What a block's masks (bit i: byte i) tell: the run's end when it holds one,
// else nullptr; runs set as above. blankBefore carries the last blank over.
inline const char* RunEndInBlock(const char* p, unsigned stops, unsigned blanks, unsigned control, unsigned width,
                                 unsigned& blankBefore, bool& runs) {
  const unsigned odd = control | (blanks & ((blanks << 1) | blankBefore));  // the second blank of two
  if (stops != 0) {
    const int at = __builtin_ctz(stops);
    if ((odd & ((1u << at) - 1)) != 0) runs = true;
    return p + at;
  }
  if (odd != 0) runs = true;
  blankBefore = blanks >> (width - 1);
  return nullptr;
}

#if defined(__SSE2__)
const char* RunEndSse2(const char* p, const char* end, bool& runs) {
  unsigned blankBefore = 0;
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto stops = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('<')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('&')))));
    const auto blanks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
    const auto control =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x1F)), bytes)));
    if (const char* at = RunEndInBlock(p, stops, blanks, control, 16, blankBefore, runs)) return at;
  }
  return RunEndBytewise(p, end, blankBefore != 0, runs);
}
#endif

#if defined(__x86_64__)
__attribute__((target("avx2"))) const char* RunEndAvx2(const char* p, const char* end, bool& runs) {
  unsigned blankBefore = 0;
  for (; end - p >= 32; p += 32) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const auto stops = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(
        _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('<')), _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('&')))));
    const auto blanks = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(' '))));
    const auto control = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_min_epu8(bytes, _mm256_set1_epi8(0x1F)), bytes)));
    if (const char* at = RunEndInBlock(p, stops, blanks, control, 32, blankBefore, runs)) return at;
  }
  return RunEndBytewise(p, end, blankBefore != 0, runs);
}
#endif

using TRunEnd = const char* (*)(const char*, const char*, bool&);

TRunEnd ChooseRunEnd() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) return RunEndAvx2;
#endif
#if defined(__SSE2__)
  return RunEndSse2;
#else
  return [](const char* p, const char* end, bool& runs) { return RunEndBytewise(p, end, false, runs); };
#endif
}

const TRunEnd MarkupOrReference = ChooseRunEnd();

}  // namespace

TFastReadableWalk::TFastReadableWalk(TParagraphLines& lines) : lines_(lines) {}

TFastReadableWalk::~TFastReadableWalk() = default;

void TFastReadableWalk::Reset() { doctypeSeen_ = false; }

TTextScanner& TFastReadableWalk::Scanner() {
  if (!scanner_) scanner_ = std::make_unique<TTextScanner>();
  return *scanner_;
}

std::size_t TFastReadableWalk::Walk(const char* text, std::size_t size, bool atEnd, TStop& stop) {
  end_ = text + size;
  atEnd_ = atEnd;
  semicolonFrom_ = semicolonAt_ = nullptr;
  const char* p = text;
  stop = kNeedMore;
  while (p < end_) {
    const char* next = nullptr;
    if (*p != '<') {
      bool more = false;
      next = Text(p, more);
      if (more) return static_cast<std::size_t>(next - text);
    } else if (!atEnd_ && end_ - p <= kLongestOpening) {
      return static_cast<std::size_t>(p - text);
    } else if (StartsWith(p, end_, "<?xml")) {
      std::string_view unused;
      bool counted = false;
      const char* attributesEnd = SkipAttributes(p + 5, false, unused, counted);
      if (attributesEnd != nullptr) next = After(attributesEnd, "?>");
    } else if (StartsWith(p, end_, "<?")) {
      next = After(p + 2, "?>");
    } else if (StartsWith(p, end_, "<!--")) {
      next = After(p + 4, "-->");
    } else if (StartsWith(p, end_, "<!DOCTYPE")) {
      bool needsScanner = false;
      next = Doctype(p, needsScanner);
      if (needsScanner) {
        stop = kFullScanner;
        return static_cast<std::size_t>(p - text);
      }
    } else if (StartsWith(p, end_, "<![CDATA[")) {
      next = CData(p);
    } else {
      next = Tag(p);
    }
    if (next == nullptr) return static_cast<std::size_t>(p - text);
    p = next;
  }
  if (atEnd_) stop = kEnd;
  return static_cast<std::size_t>(p - text);
}

const char* TFastReadableWalk::After(const char* from, std::string_view close) const {
  const void* found = memmem(from, static_cast<std::size_t>(end_ - from), close.data(), close.size());
  if (found != nullptr) return static_cast<const char*>(found) + close.size();
  return atEnd_ ? end_ : nullptr;  // it runs to the end of the text
}

const char* TFastReadableWalk::NextSemicolon(const char* from) {
  if (semicolonFrom_ == nullptr || from < semicolonFrom_ || from > semicolonAt_) {
    const void* found = std::memchr(from, ';', static_cast<std::size_t>(end_ - from));
    semicolonFrom_ = from;
    semicolonAt_ = found != nullptr ? static_cast<const char*>(found) : end_;
  }
  return semicolonAt_;
}

void TFastReadableWalk::Literal(const char* begin, const char* end, bool runs) {
  if (begin == end) return;
  const std::string_view run(begin, static_cast<std::size_t>(end - begin));
  if (!converted_) return lines_.Characters(run, !runs);
  Utf8ToAnsiLine(run, text_);
  lines_.Characters(text_, !runs);  // conversion makes no white space
}

// A literal run that the bytes to come continue: converted up to a UTF-8
// sequence that the end cuts short; returns where conversion stopped.
const char* TFastReadableWalk::LiteralPiece(const char* begin, const char* end, bool runs) {
  const auto size = static_cast<std::size_t>(end - begin);
  if (!converted_) {
    lines_.Characters(std::string_view(begin, size), !runs);
    return end;
  }
  text_.resize(size);
  std::size_t used = 0;
  text_.resize(Utf8ToAnsiPiece(begin, size, text_.data(), used));
  lines_.Characters(text_, !runs);
  return begin + used;
}

// Character data: literal runs converted, references resolved with nothing
// declared. It ends at '<'; a reference's ';' is looked for anywhere after
// its '&', and a '&' without one anywhere is dropped.
const char* TFastReadableWalk::Text(const char* p, bool& more) {
  const char* run = p;
  for (;;) {
    bool runs = false;
    const char* stop = MarkupOrReference(run, end_, runs);
    if (stop == end_ && !atEnd_) {
      more = true;
      return LiteralPiece(run, end_, runs);
    }
    Literal(run, stop, runs);
    if (stop == end_ || *stop == '<') return stop;
    const char* ampersand = stop;
    const char* semicolon = NextSemicolon(ampersand + 1);
    if (semicolon == end_) {
      if (!atEnd_) {
        more = true;
        return ampersand;
      }
      run = ampersand + 1;  // no ';' anywhere: the '&' is dropped
      continue;
    }
    const std::string_view name(ampersand + 1, static_cast<std::size_t>(semicolon - ampersand - 1));
    if (!name.empty() && name[0] == '#') {
      const char byte = xml::CharacterReferenceByte(name.substr(1), ' ', ' ');
      Characters(std::string_view(&byte, 1));
    } else if (const char predefined = xml::PredefinedEntity(name)) {
      Characters(std::string_view(&predefined, 1));
    } else {
      Characters(name);  // not declared: the bare name, as written
    }
    run = semicolon + 1;
  }
}

const char* TFastReadableWalk::SkipAttributes(const char* p, bool wanted, std::string_view& count, bool& counted) {
  enum { kName, kEquals, kValue } expected = kName;
  bool isCount = false;  // the attribute being read is text:c
  for (;;) {
    if (p == end_) return atEnd_ ? end_ : nullptr;
    const char c = *p;
    if (c == '>') return p;
    if (xml::IsWhitespace(c)) {
      ++p;
      continue;
    }
    switch (expected) {
      case kName: {
        if (!xml::IsNameStart(c)) return p;
        const char* nameEnd = NameEnd(p, end_, xml::kAttrNameEnd);
        if (nameEnd == end_ && !atEnd_) return nullptr;
        isCount = wanted && std::string_view(p, static_cast<std::size_t>(nameEnd - p)) == kSpaceCountAttribute;
        p = nameEnd;
        expected = kEquals;
        break;
      }
      case kEquals:
        if (c == '=') expected = kValue;
        ++p;
        break;
      case kValue: {
        if (c != '"' && c != '\'') {
          ++p;
          break;
        }
        const auto* close = static_cast<const char*>(std::memchr(p + 1, c, static_cast<std::size_t>(end_ - p - 1)));
        if (close == nullptr && !atEnd_) return nullptr;
        const char* valueEnd = close != nullptr ? close : end_;
        if (isCount) {
          count = std::string_view(p + 1, static_cast<std::size_t>(valueEnd - p - 1));
          counted = true;
        }
        p = close != nullptr ? close + 1 : end_;
        expected = kName;
        break;
      }
    }
  }
}

// A start, empty or end tag: its name, and for text:s the count.
const char* TFastReadableWalk::Tag(const char* p) {
  const char* name = p + 1;
  const bool endTag = name < end_ && *name == '/';
  if (endTag) ++name;
  const char* nameEnd = NameEnd(name, end_, xml::kTagNameEnd);
  if (nameEnd == end_ && !atEnd_) return nullptr;
  const std::string_view tagName(name, static_cast<std::size_t>(nameEnd - name));
  static_assert(kSpaceElement.size() == 6);  // compared inline: every tag is
  const bool space = tagName.size() == 6 && std::memcmp(tagName.data(), kSpaceElement.data(), 6) == 0;
  std::string_view count;
  bool counted = false;
  const char* stop = SkipAttributes(nameEnd, space, count, counted);
  if (stop == nullptr) return nullptr;
  const bool empty = stop < end_ && *stop == '/';
  const auto* close = static_cast<const char*>(std::memchr(stop, '>', static_cast<std::size_t>(end_ - stop)));
  if (close == nullptr && !atEnd_) return nullptr;
  const char* next = close != nullptr ? close + 1 : end_;
  if (endTag && !empty) {
    lines_.EndElement(tagName);
    return next;
  }
  std::string value;
  if (counted && count.find('&') == std::string_view::npos) {
    value.assign(count);
    xml::WhitespaceToSpaces(value);  // as the scanner rewrites a value of no declared type
  } else if (counted) {
    // References in the value: the scanner rewrites it, on the tag alone.
    TTextScanner& scanner = Scanner();
    scanner.OpenText(std::string_view(p, static_cast<std::size_t>(next - p)));
    scanner.PackWhitespace = false;
    scanner.Rewind();
    if (scanner.Next()) value = scanner.PartAttrs.Value(kSpaceCountAttribute);
    scanner.Reset();
  }
  lines_.Element(tagName, empty, value);
  return next;
}

const char* TFastReadableWalk::CData(const char* p) {
  const char* text = p + 9;
  const void* close = memmem(text, static_cast<std::size_t>(end_ - text), "]]>", 3);
  if (close == nullptr && !atEnd_) return nullptr;
  const char* textEnd = close != nullptr ? static_cast<const char*>(close) : end_;
  Literal(text, textEnd, true);
  return close != nullptr ? textEnd + 3 : end_;
}

// The first document type declaration is read by the scanner; when it has an
// internal subset or a parameter reference, the rest of the part needs the
// scanner too. A later one is passed over: up to '>', after ']' when an
// internal subset opens first.
const char* TFastReadableWalk::Doctype(const char* p, bool& needsScanner) {
  if (doctypeSeen_) {
    const char* q = p + 9;
    while (q < end_ && *q != '[' && *q != '>') ++q;
    if (q < end_ && *q == '[') q = std::find(q, end_, ']');
    q = std::find(q, end_, '>');
    if (q == end_) return atEnd_ ? end_ : nullptr;
    return q + 1;
  }
  TTextScanner& scanner = Scanner();
  const std::string_view rest(p, static_cast<std::size_t>(end_ - p));
  scanner.OpenText(rest);
  scanner.PackWhitespace = false;
  scanner.Rewind();
  scanner.Next();
  const auto length = static_cast<std::size_t>(scanner.PartEnd + 1 - scanner.DocumentText());
  scanner.Reset();
  const std::string_view declaration = rest.substr(0, length);
  if (declaration.find_first_of("[%") != std::string_view::npos) {
    needsScanner = true;
    return p;
  }
  if (length == rest.size() && !atEnd_) return nullptr;
  doctypeSeen_ = true;
  return p + length;
}

}  // namespace tarvik
