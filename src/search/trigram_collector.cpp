#include "search/trigram_collector.h"

#include "search/trigram_keys.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#define TARVIK_TRIGRAMS_SSE2 1
#endif

namespace tarvik {
namespace {

// One bit for each of the 16 entries at table that is marked.
inline int MarkedOf16(const unsigned char* table) {
#ifdef TARVIK_TRIGRAMS_SSE2
  const __m128i entries = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table));
  return ~_mm_movemask_epi8(_mm_cmpeq_epi8(entries, _mm_setzero_si128())) & 0xFFFF;
#else
  int marked = 0;
  for (int i = 0; i < 16; ++i) marked |= (table[i] != 0 ? 1 : 0) << i;
  return marked;
#endif
}

}  // namespace

bool TSummaryBits::Has(std::uint32_t key) const {
  if (words.empty()) return false;
  const std::uint32_t bit = SummaryBit(key, static_cast<std::uint32_t>(words.size() * 64));
  return (words[bit / 64] >> (bit % 64) & 1) != 0;
}

bool TSummaryBits::HasAll(const std::vector<std::uint32_t>& keys) const {
  return std::all_of(keys.begin(), keys.end(), [this](std::uint32_t key) { return Has(key); });
}

// One entry per key, then the spare one and room for the last 16-entry scan.
TTrigramCollector::TTrigramCollector() : seen_(kTrigramKeyCount + 16, 0) {}

void TTrigramCollector::Add(TTrigramTail& tail, const char* data, std::size_t size) {
  if (size == 0) return;
  const auto* text = reinterpret_cast<const unsigned char*>(data);
  unsigned char joint[4];
  std::size_t joined = 0;
  for (std::size_t i = 0; i < tail.size; ++i) joint[joined++] = tail.bytes[i];
  for (std::size_t i = 0; i < size && i < 2; ++i) joint[joined++] = text[i];
  if (tail.size != 0) AddWithin(joint, joined);
  AddWithin(text, size);
  // The new tail: the last two bytes of the old tail and the piece together.
  tail.size = std::min<std::size_t>(2, tail.size + size);
  const unsigned char* last = size >= 2 ? text + size - 2 : joint + joined - tail.size;
  std::memcpy(tail.bytes, last, tail.size);
}

void TTrigramCollector::AddOne(const unsigned char* at) {
  if (IsLetterByte(at[0]) && IsLetterByte(at[1]) && IsLetterByte(at[2])) {
    seen_[TrigramKey(at[0], at[1], at[2])] = 1;
    any_ = true;
  }
}

void TTrigramCollector::AddWithin(const unsigned char* text, std::size_t size) {
  std::size_t at = 0;
#ifdef TARVIK_TRIGRAMS_SSE2
  // Sixteen trigram starts a step, each 16-byte block classified once and
  // shifted against the next for the second and third bytes. Starts of three
  // ASCII letters compute their keys side by side and mark them, the others
  // mark the spare entry; those with a byte from 0x80 up take the scalar way.
  const __m128i k20 = _mm_set1_epi8(0x20), kSmallA = _mm_set1_epi8('a'), k25 = _mm_set1_epi8(25);
  const __m128i zero = _mm_setzero_si128();
  const __m128i k676 = _mm_set1_epi16(676), k26 = _mm_set1_epi16(26);
  const __m128i none = _mm_set1_epi16(static_cast<short>(kTrigramKeyCount));
  unsigned char* const seen = seen_.data();
  struct TBlock {
    __m128i code, letter, high;  // (x | 0x20) - 'a', which is 0..25 exactly for the ASCII letters
  };
  auto classify = [&](std::size_t from) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
    const __m128i code = _mm_sub_epi8(_mm_or_si128(bytes, k20), kSmallA);
    return TBlock{code, _mm_cmpeq_epi8(_mm_min_epu8(code, k25), code), _mm_cmplt_epi8(bytes, zero)};
  };
  // The lanes one and two bytes further on.
  auto next1 = [](__m128i first, __m128i second) {
    return _mm_or_si128(_mm_srli_si128(first, 1), _mm_slli_si128(second, 15));
  };
  auto next2 = [](__m128i first, __m128i second) {
    return _mm_or_si128(_mm_srli_si128(first, 2), _mm_slli_si128(second, 14));
  };
  if (size >= 32) {
    TBlock block = classify(0);
    for (; at + 32 <= size; at += 16) {
      const TBlock following = classify(at + 16);
      const __m128i codeB = next1(block.code, following.code);
      const __m128i codeC = next2(block.code, following.code);
      const __m128i letterB = next1(block.letter, following.letter);
      const __m128i letterC = next2(block.letter, following.letter);
      const __m128i ascii = _mm_and_si128(block.letter, _mm_and_si128(letterB, letterC));
      auto other = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(block.high, following.high)));
      if (other != 0) {  // starts with a letter byte from 0x80 up among three letter bytes
        const __m128i highB = next1(block.high, following.high);
        const __m128i highC = next2(block.high, following.high);
        const __m128i letters =
            _mm_and_si128(_mm_or_si128(block.letter, block.high),
                          _mm_and_si128(_mm_or_si128(letterB, highB), _mm_or_si128(letterC, highC)));
        other = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(letters, _mm_or_si128(block.high, _mm_or_si128(highB, highC)))));
      }
      if (_mm_movemask_epi8(ascii) != 0) {
        any_ = true;
        // Keys in 16-bit lanes, the spare entry where a start is not three ASCII letters.
        auto keys = [&](auto half) {
          const __m128i key = _mm_add_epi16(
              _mm_add_epi16(_mm_mullo_epi16(half(block.code), k676), _mm_mullo_epi16(half(codeB), k26)), half(codeC));
          const __m128i valid = _mm_cmpgt_epi16(half(ascii), zero);
          return _mm_or_si128(_mm_and_si128(valid, key), _mm_andnot_si128(valid, none));
        };
        const __m128i low = keys([&](__m128i v) { return _mm_unpacklo_epi8(v, zero); });
        const __m128i high = keys([&](__m128i v) { return _mm_unpackhi_epi8(v, zero); });
        const std::uint64_t quads[4] = {static_cast<std::uint64_t>(_mm_cvtsi128_si64(low)),
                                        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(low, low))),
                                        static_cast<std::uint64_t>(_mm_cvtsi128_si64(high)),
                                        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(high, high)))};
        for (const std::uint64_t quad : quads) {
          seen[quad & 0xFFFF] = 1;
          seen[quad >> 16 & 0xFFFF] = 1;
          seen[quad >> 32 & 0xFFFF] = 1;
          seen[quad >> 48] = 1;
        }
      }
      for (; other != 0; other &= other - 1) AddOne(text + at + static_cast<unsigned>(__builtin_ctz(other)));
      block = following;
    }
  }
#endif
  for (; at + 2 < size; ++at) AddOne(text + at);
}

TSummaryBits TTrigramCollector::Take() {
  TSummaryBits bits;
  if (!any_) return bits;
  any_ = false;
  std::vector<std::uint32_t>& keys = keys_;
  keys.clear();
  seen_[kTrigramKeyCount] = 0;  // the spare entry is no key
  const unsigned char* seen = seen_.data();
  for (std::uint32_t key = 0; key < kTrigramKeyCount; key += 16) {
    auto marked = static_cast<unsigned>(MarkedOf16(seen + key));
    for (; marked != 0; marked &= marked - 1) keys.push_back(key + static_cast<unsigned>(__builtin_ctz(marked)));
  }
  std::memset(seen_.data(), 0, seen_.size());
  if (keys.empty()) return bits;
  const std::size_t bitCount = (keys.size() * kSummaryBitsPerKeyTimes4 / 4 + 63) / 64 * 64;
  bits.words.assign(bitCount / 64, 0);
  for (const std::uint32_t key : keys) {
    const std::uint32_t bit = SummaryBit(key, static_cast<std::uint32_t>(bitCount));
    bits.words[bit / 64] |= std::uint64_t{1} << (bit % 64);
  }
  return bits;
}

}  // namespace tarvik
