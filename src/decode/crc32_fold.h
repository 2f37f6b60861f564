#pragma once
// The CRC-32 of a decoder's output, folded while the output is produced: the
// carry-less folds then run beside the decoding, whose own work is a chain of
// dependent table look-ups that leaves those units idle. Only where the
// processor has 256-bit carry-less multiplication (CanFoldCRC); elsewhere the
// output stage computes the CRC as usual.
//
// The state covers the bytes from a block's start up to a position, as
// sixteen 128-bit lanes over the last 256 of them; FinishCRCFold adds the
// rest of the block and returns the CRC register after it, the same value
// UpdateCRC gives for the whole block.

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TARVIK_CRC_FOLD 1
#endif

namespace tarvik {

inline constexpr std::size_t kCRCFoldBytes = 256;

struct TCRCFold {
  alignas(32) std::uint8_t lanes[kCRCFoldBytes];  // written by StartCRCFold
};

// True where the folds below may run.
bool CanFoldCRC();

// The state of a block's first 256 bytes, with the register before them.
void StartCRCFold(TCRCFold& state, std::uint32_t crc, const std::uint8_t* first);

// The register after the state and the count bytes at p.
std::uint32_t FinishCRCFold(const TCRCFold& state, const std::uint8_t* p, std::size_t count);

#ifdef TARVIK_CRC_FOLD
#define TARVIK_CRC_FOLD_TARGET __attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1")))

// The state in eight registers of two lanes, named one by one so that the
// compiler keeps them in registers.
struct TCRCFoldLanes {
  __m256i y0, y1, y2, y3, y4, y5, y6, y7;
};

TARVIK_CRC_FOLD_TARGET inline __m256i LoadLane(const TCRCFold& state, std::size_t i) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(state.lanes + 32 * i));
}

TARVIK_CRC_FOLD_TARGET inline void LoadCRCFold(TCRCFoldLanes& lanes, const TCRCFold& state) {
  lanes = {LoadLane(state, 0), LoadLane(state, 1), LoadLane(state, 2), LoadLane(state, 3),
           LoadLane(state, 4), LoadLane(state, 5), LoadLane(state, 6), LoadLane(state, 7)};
}

TARVIK_CRC_FOLD_TARGET inline void StoreCRCFold(TCRCFold& state, const TCRCFoldLanes& lanes) {
  const __m256i y[8] = {lanes.y0, lanes.y1, lanes.y2, lanes.y3,
                        lanes.y4, lanes.y5, lanes.y6, lanes.y7};
  for (std::size_t i = 0; i < 8; ++i)
    _mm256_store_si256(reinterpret_cast<__m256i*>(state.lanes + 32 * i), y[i]);
}

// One register moved on by 2048 bits (the constants are x^(2048+32) and
// x^(2048-32) modulo the polynomial, bit-reflected) with the 32 bytes at next
// added.
TARVIK_CRC_FOLD_TARGET inline __m256i FoldLane(__m256i y, const std::uint8_t* next) {
  const __m256i k = _mm256_set_epi64x(0x1322d1430, 0x11542778a, 0x1322d1430, 0x11542778a);
  const __m256i a = _mm256_clmulepi64_epi128(y, k, 0x00);
  const __m256i b = _mm256_clmulepi64_epi128(y, k, 0x11);
  const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(next));
  return _mm256_xor_si256(_mm256_xor_si256(a, b), bytes);
}

// Takes the 256 bytes at next into the state.
TARVIK_CRC_FOLD_TARGET inline void FoldCRC(TCRCFoldLanes& lanes, const std::uint8_t* next) {
  lanes.y0 = FoldLane(lanes.y0, next);
  lanes.y1 = FoldLane(lanes.y1, next + 32);
  lanes.y2 = FoldLane(lanes.y2, next + 64);
  lanes.y3 = FoldLane(lanes.y3, next + 96);
  lanes.y4 = FoldLane(lanes.y4, next + 128);
  lanes.y5 = FoldLane(lanes.y5, next + 160);
  lanes.y6 = FoldLane(lanes.y6, next + 192);
  lanes.y7 = FoldLane(lanes.y7, next + 224);
}
#endif

}  // namespace tarvik
