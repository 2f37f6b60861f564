#include "search/folded_find.h"

#include "platform/ansi_upper.h"
#include "platform/ascii_case.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvik {
namespace {

// Bytes that are frequent in XML parts and Western text, most frequent
// first. Every byte not listed counts as rare. Only a heuristic: a poor
// choice costs speed, never correctness.
constexpr std::string_view kCommonBytes = " e\"=<>:/tnaiorslcdhupfgm-.b0w12yk3v54z6978x,_;#jq&'()\n\t";

constexpr std::array<unsigned char, 256> MakeCommonness() {
  std::array<unsigned char, 256> commonness{};
  for (std::size_t i = 0; i < kCommonBytes.size(); ++i)
    commonness[static_cast<unsigned char>(kCommonBytes[i])] = static_cast<unsigned char>(kCommonBytes.size() - i);
  return commonness;
}
constexpr std::array<unsigned char, 256> kCommonness = MakeCommonness();

// How often a needle byte is expected in a text; higher is more common.
// A folded capital stands for both cases, so it is as common as its small form.
int Commonness(unsigned char folded, bool caseSensitive) {
  if (!caseSensitive) folded = AsciiLower(folded);
  return kCommonness[folded];
}

// The text bytes that fold to `folded`; b == a when there is only one.
void BytesFoldingTo(unsigned char folded, bool caseSensitive, unsigned char& a, unsigned char& b) {
  a = b = folded;
  if (caseSensitive) return;
  for (int byte = 0; byte < 256; ++byte) {
    if (kAnsiUpper[byte] == folded && byte != folded) b = static_cast<unsigned char>(byte);
  }
}

// Work allowed for full comparisons before the filter is taken to be useless
// on a text: this many bytes, plus twice the bytes scanned so far.
constexpr std::size_t kCompareAllowance = 4096;

}  // namespace

TFoldedNeedle::TFoldedNeedle(std::string_view needle, bool caseSensitive)
    : folded_(caseSensitive ? std::string(needle) : AnsiUpper(needle)), caseSensitive_(caseSensitive) {
  if (folded_.empty()) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(folded_.data());
  // The rarest byte first, then the rarest other position, preferring a byte
  // value different from the first one.
  auto commonness = [&](std::size_t i) { return Commonness(bytes[i], caseSensitive_); };
  for (std::size_t i = 1; i < folded_.size(); ++i) {
    if (commonness(i) < commonness(firstOffset_)) firstOffset_ = i;
  }
  secondOffset_ = firstOffset_;
  int best = 0;
  for (std::size_t i = 0; i < folded_.size(); ++i) {
    if (i == firstOffset_) continue;
    const int score = 2 * commonness(i) + (bytes[i] == bytes[firstOffset_] ? 1 : 0);
    if (secondOffset_ == firstOffset_ || score < best) {
      secondOffset_ = i;
      best = score;
    }
  }
  BytesFoldingTo(bytes[firstOffset_], caseSensitive_, firstA_, firstB_);
  BytesFoldingTo(bytes[secondOffset_], caseSensitive_, secondA_, secondB_);
}

std::size_t TFoldedNeedle::CompareAt(const unsigned char* at) const {
  const auto* needle = reinterpret_cast<const unsigned char*>(folded_.data());
  const std::size_t size = folded_.size();
  std::size_t i = 0;
  if (caseSensitive_) {
    while (i < size && at[i] == needle[i]) ++i;
  } else {
    while (i < size && kAnsiUpper[at[i]] == needle[i]) ++i;
  }
  return i;
}

bool TFoldedNeedle::FilterHitsAt(const unsigned char* at) const {
  const unsigned char first = at[firstOffset_];
  const unsigned char second = at[secondOffset_];
  return (first == firstA_ || first == firstB_) && (second == secondA_ || second == secondB_);
}

bool TFoldedNeedle::FoundIn(std::string_view text, std::string& scratch) const {
  const std::size_t size = folded_.size();
  if (size == 0) return true;
  if (text.size() < size) return false;
  const auto* base = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t starts = text.size() - size + 1;  // positions where the needle fits
  std::size_t pos = 0;
  std::size_t compared = 0;

#if defined(__SSE2__)
  // 32 start positions per step: load the bytes at both filter offsets for
  // all of them and compare each against its two accepted values. Every
  // load stays inside the text because all 32 starts leave room for the needle.
  const __m128i firstA = _mm_set1_epi8(static_cast<char>(firstA_));
  const __m128i firstB = _mm_set1_epi8(static_cast<char>(firstB_));
  const __m128i secondA = _mm_set1_epi8(static_cast<char>(secondA_));
  const __m128i secondB = _mm_set1_epi8(static_cast<char>(secondB_));
  auto hitMask16 = [&](const unsigned char* at) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + firstOffset_));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + secondOffset_));
    const __m128i hits = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(first, firstA), _mm_cmpeq_epi8(first, firstB)),
                                       _mm_or_si128(_mm_cmpeq_epi8(second, secondA), _mm_cmpeq_epi8(second, secondB)));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(hits));
  };
  for (; pos + 32 <= starts; pos += 32) {
    std::uint32_t mask = hitMask16(base + pos) | (hitMask16(base + pos + 16) << 16);
    if (mask == 0) continue;
    for (; mask != 0; mask &= mask - 1) {
      const std::size_t matched = CompareAt(base + pos + static_cast<std::size_t>(__builtin_ctz(mask)));
      if (matched == size) return true;
      compared += matched + 1;
    }
    if (compared > kCompareAllowance + 2 * pos) return SlowFoundIn(text.substr(pos + 32), scratch);
  }
#endif

  for (; pos < starts; ++pos) {
    if (!FilterHitsAt(base + pos)) continue;
    const std::size_t matched = CompareAt(base + pos);
    if (matched == size) return true;
    compared += matched + 1;
    if (compared > kCompareAllowance + 2 * pos) return SlowFoundIn(text.substr(pos + 1), scratch);
  }
  return false;
}

// Linear-time search for texts on which the filter keeps hitting (long runs
// of the needle's own bytes): fold the text once, then let memmem do it.
bool TFoldedNeedle::SlowFoundIn(std::string_view text, std::string& scratch) const {
  std::string_view haystack = text;
  if (!caseSensitive_) {
    AnsiUpper(text, scratch);
    haystack = scratch;
  }
  return memmem(haystack.data(), haystack.size(), folded_.data(), folded_.size()) != nullptr;
}

}  // namespace tarvik
