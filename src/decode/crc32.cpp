#include "decode/crc32.h"

#include "decode/crc32_fold.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TARVIK_CRC_CLMUL 1
#endif

namespace tarvik {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// Slice k holds the register change of a byte followed by k zero bytes, so
// eight bytes can be folded with eight independent lookups.
constexpr int kSlices = 8;

constexpr std::array<std::array<std::uint32_t, 256>, kSlices> MakeSliceTables() {
  std::array<std::array<std::uint32_t, 256>, kSlices> tables{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
    tables[0][n] = c;
  }
  for (int k = 1; k < kSlices; ++k)
    for (std::uint32_t n = 0; n < 256; ++n)
      tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
  return tables;
}

constexpr auto kSliceTables = MakeSliceTables();

static_assert(kSliceTables[0][1] == 0x77073096u);
static_assert(kSliceTables[0][255] == 0x2D02EF8Du);
static_assert(std::endian::native == std::endian::little,
              "the eight-byte fold reads words in little-endian order");

}  // namespace

constinit const std::uint32_t CRCTable[256] = {
#define TARVIK_CRC_ROW(i)                                                           \
  kSliceTables[0][(i)], kSliceTables[0][(i) + 1], kSliceTables[0][(i) + 2],         \
      kSliceTables[0][(i) + 3], kSliceTables[0][(i) + 4], kSliceTables[0][(i) + 5], \
      kSliceTables[0][(i) + 6], kSliceTables[0][(i) + 7]
    TARVIK_CRC_ROW(0),   TARVIK_CRC_ROW(8),   TARVIK_CRC_ROW(16),  TARVIK_CRC_ROW(24),
    TARVIK_CRC_ROW(32),  TARVIK_CRC_ROW(40),  TARVIK_CRC_ROW(48),  TARVIK_CRC_ROW(56),
    TARVIK_CRC_ROW(64),  TARVIK_CRC_ROW(72),  TARVIK_CRC_ROW(80),  TARVIK_CRC_ROW(88),
    TARVIK_CRC_ROW(96),  TARVIK_CRC_ROW(104), TARVIK_CRC_ROW(112), TARVIK_CRC_ROW(120),
    TARVIK_CRC_ROW(128), TARVIK_CRC_ROW(136), TARVIK_CRC_ROW(144), TARVIK_CRC_ROW(152),
    TARVIK_CRC_ROW(160), TARVIK_CRC_ROW(168), TARVIK_CRC_ROW(176), TARVIK_CRC_ROW(184),
    TARVIK_CRC_ROW(192), TARVIK_CRC_ROW(200), TARVIK_CRC_ROW(208), TARVIK_CRC_ROW(216),
    TARVIK_CRC_ROW(224), TARVIK_CRC_ROW(232), TARVIK_CRC_ROW(240), TARVIK_CRC_ROW(248),
#undef TARVIK_CRC_ROW
};

std::uint32_t UpdateCRCBytewise(std::uint32_t crc, const void* buffer, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  for (std::size_t i = 0; i < count; ++i) crc = CRCStep(crc, p[i]);
  return crc;
}

namespace {

std::uint32_t UpdateCRCSliced(std::uint32_t crc, const std::uint8_t* p, std::size_t count) {
  const auto& t = kSliceTables;
  while (count >= 8) {
    std::uint32_t lo;
    std::uint32_t hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + 4, 4);
    lo ^= crc;
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    p += 8;
    count -= 8;
  }
  return UpdateCRCBytewise(crc, p, count);
}

#ifdef TARVIK_CRC_CLMUL
// Folding with carry-less multiplication: four 128-bit lanes are folded 64
// bytes at a time, then into one lane, then reduced to 32 bits (Barrett).
// Where 512-bit carry-less multiplication exists, sixteen lanes are folded 256
// bytes at a time first. The constants are powers of x modulo the polynomial,
// bit-reflected: x^(2048+32), x^(2048-32) for the 256-byte fold, x^(512+32),
// x^(512-32) for 64 bytes, x^(128+32), x^(128-32) for 16 bytes, x^64 for
// 64 -> 32 bits, and the polynomial with its Barrett quotient.
constexpr std::uint64_t kFold2048Lo = 0x11542778a, kFold2048Hi = 0x1322d1430;
constexpr std::uint64_t kFold512Lo = 0x154442bd4, kFold512Hi = 0x1c6e41596;
constexpr std::uint64_t kFold128Lo = 0x1751997d0, kFold128Hi = 0x0ccaa009e;
constexpr std::uint64_t kFold64 = 0x163cd6124;
constexpr std::uint64_t kPolynomialBits = 0x1db710641, kBarrettQuotient = 0x1f7011641;

#define TARVIK_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))
#define TARVIK_WIDE_CLMUL_TARGET __attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1")))

TARVIK_CLMUL_TARGET inline __m128i Load128(const std::uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

TARVIK_CLMUL_TARGET inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
  const __m128i a = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i b = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(a, b), next);
}

// Four lanes holding the folded state of the bytes before p; count (a
// multiple of 16) bytes follow.
TARVIK_CLMUL_TARGET std::uint32_t FinishFolding(__m128i x1, __m128i x2, __m128i x3, __m128i x4,
                                                const std::uint8_t* p, std::size_t count) {
  __m128i k =
      _mm_set_epi64x(static_cast<long long>(kFold512Hi), static_cast<long long>(kFold512Lo));
  while (count >= 64) {
    x1 = Fold(x1, k, Load128(p));
    x2 = Fold(x2, k, Load128(p + 16));
    x3 = Fold(x3, k, Load128(p + 32));
    x4 = Fold(x4, k, Load128(p + 48));
    p += 64;
    count -= 64;
  }
  k = _mm_set_epi64x(static_cast<long long>(kFold128Hi), static_cast<long long>(kFold128Lo));
  x1 = Fold(x1, k, x2);
  x1 = Fold(x1, k, x3);
  x1 = Fold(x1, k, x4);
  while (count >= 16) {
    x1 = Fold(x1, k, Load128(p));
    p += 16;
    count -= 16;
  }
  // 128 -> 64 bits.
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
  x2 = _mm_clmulepi64_si128(x1, k, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
  x2 = _mm_srli_si128(x1, 4);
  x1 = _mm_and_si128(x1, low32);
  x1 = _mm_clmulepi64_si128(x1, _mm_cvtsi64_si128(static_cast<long long>(kFold64)), 0x00);
  x1 = _mm_xor_si128(x1, x2);
  // 64 -> 32 bits.
  k = _mm_set_epi64x(static_cast<long long>(kBarrettQuotient),
                     static_cast<long long>(kPolynomialBits));
  x2 = _mm_and_si128(x1, low32);
  x2 = _mm_clmulepi64_si128(x2, k, 0x10);
  x2 = _mm_and_si128(x2, low32);
  x2 = _mm_clmulepi64_si128(x2, k, 0x00);
  x1 = _mm_xor_si128(x1, x2);
  return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

// count is a multiple of 16, at least 64.
TARVIK_CLMUL_TARGET std::uint32_t UpdateCRCFolded(std::uint32_t crc, const std::uint8_t* p,
                                                  std::size_t count) {
  const __m128i x1 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  return FinishFolding(x1, Load128(p + 16), Load128(p + 32), Load128(p + 48), p + 64, count - 64);
}

TARVIK_WIDE_CLMUL_TARGET inline __m512i Load512(const std::uint8_t* at) {
  return _mm512_loadu_si512(at);
}

// The pair (lo, hi) in each of the four 128-bit lanes.
TARVIK_WIDE_CLMUL_TARGET inline __m512i Repeat128(std::uint64_t hi, std::uint64_t lo) {
  const auto h = static_cast<long long>(hi);
  const auto l = static_cast<long long>(lo);
  return _mm512_set_epi64(h, l, h, l, h, l, h, l);
}

TARVIK_WIDE_CLMUL_TARGET inline __m512i FoldWide(__m512i x, __m512i k, __m512i next) {
  const __m512i a = _mm512_clmulepi64_epi128(x, k, 0x00);
  const __m512i b = _mm512_clmulepi64_epi128(x, k, 0x11);
  return _mm512_ternarylogic_epi64(a, b, next, 0x96);  // a ^ b ^ next
}

// count is a multiple of 16, at least 256.
TARVIK_WIDE_CLMUL_TARGET std::uint32_t UpdateCRCFoldedWide(std::uint32_t crc, const std::uint8_t* p,
                                                           std::size_t count) {
  __m512i z0 = _mm512_xor_si512(Load512(p),
                                _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(crc))));
  __m512i z1 = Load512(p + 64);
  __m512i z2 = Load512(p + 128);
  __m512i z3 = Load512(p + 192);
  p += 256;
  count -= 256;
  const __m512i k2048 = Repeat128(kFold2048Hi, kFold2048Lo);
  while (count >= 256) {
    z0 = FoldWide(z0, k2048, Load512(p));
    z1 = FoldWide(z1, k2048, Load512(p + 64));
    z2 = FoldWide(z2, k2048, Load512(p + 128));
    z3 = FoldWide(z3, k2048, Load512(p + 192));
    p += 256;
    count -= 256;
  }
  const __m512i k512 = Repeat128(kFold512Hi, kFold512Lo);
  z0 = FoldWide(z0, k512, z1);
  z0 = FoldWide(z0, k512, z2);
  z0 = FoldWide(z0, k512, z3);
  alignas(64) std::uint8_t lanes[64];
  _mm512_store_si512(lanes, z0);
  return FinishFolding(Load128(lanes), Load128(lanes + 16), Load128(lanes + 32),
                       Load128(lanes + 48), p, count);
}

#define TARVIK_AVX2_CLMUL_TARGET __attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1")))

TARVIK_AVX2_CLMUL_TARGET inline __m256i Load256(const std::uint8_t* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

TARVIK_AVX2_CLMUL_TARGET inline __m256i Fold256(__m256i x, __m256i k, __m256i next) {
  const __m256i a = _mm256_clmulepi64_epi128(x, k, 0x00);
  const __m256i b = _mm256_clmulepi64_epi128(x, k, 0x11);
  return _mm256_xor_si256(_mm256_xor_si256(a, b), next);
}

// Continues folding from the state y (sixteen lanes covering the 256 bytes
// before p) over count bytes (a multiple of 16) and returns the register.
TARVIK_AVX2_CLMUL_TARGET std::uint32_t ContinueFolded256(__m256i (&y)[8], const std::uint8_t* p,
                                                         std::size_t count) {
  const __m256i k2048 =
      _mm256_set_epi64x(static_cast<long long>(kFold2048Hi), static_cast<long long>(kFold2048Lo),
                        static_cast<long long>(kFold2048Hi), static_cast<long long>(kFold2048Lo));
  while (count >= 256) {
    for (std::size_t i = 0; i < 8; ++i) y[i] = Fold256(y[i], k2048, Load256(p + 32 * i));
    p += 256;
    count -= 256;
  }
  // Eight registers into two: each folded 64 bytes on at a time.
  const __m256i k512 =
      _mm256_set_epi64x(static_cast<long long>(kFold512Hi), static_cast<long long>(kFold512Lo),
                        static_cast<long long>(kFold512Hi), static_cast<long long>(kFold512Lo));
  __m256i a = y[0];
  __m256i b = y[1];
  for (int i = 2; i < 8; i += 2) {
    a = Fold256(a, k512, y[i]);
    b = Fold256(b, k512, y[i + 1]);
  }
  return FinishFolding(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1),
                       _mm256_castsi256_si128(b), _mm256_extracti128_si256(b, 1), p, count);
}

// The same folding with 256-bit carry-less multiplication (processors with
// it but without 512-bit registers): eight registers of two lanes each fold
// 256 bytes at a time, twice the bytes of the 128-bit path per instruction.
// count is a multiple of 16, at least 256.
TARVIK_AVX2_CLMUL_TARGET std::uint32_t UpdateCRCFolded256(std::uint32_t crc, const std::uint8_t* p,
                                                          std::size_t count) {
  __m256i y[8];
  for (std::size_t i = 0; i < 8; ++i) y[i] = Load256(p + 32 * i);
  y[0] = _mm256_xor_si256(y[0], _mm256_zextsi128_si256(_mm_cvtsi32_si128(static_cast<int>(crc))));
  return ContinueFolded256(y, p + 256, count - 256);
}

TARVIK_AVX2_CLMUL_TARGET void StartFold256(TCRCFold& state, std::uint32_t crc,
                                           const std::uint8_t* first) {
  const __m256i crcLane = _mm256_zextsi128_si256(_mm_cvtsi32_si128(static_cast<int>(crc)));
  _mm256_store_si256(reinterpret_cast<__m256i*>(state.lanes),
                     _mm256_xor_si256(Load256(first), crcLane));
  std::memcpy(state.lanes + 32, first + 32, kCRCFoldBytes - 32);
}

TARVIK_AVX2_CLMUL_TARGET std::uint32_t FinishFold256(const TCRCFold& state, const std::uint8_t* p,
                                                     std::size_t count) {
  __m256i y[8];
  for (std::size_t i = 0; i < 8; ++i) y[i] = LoadLane(state, i);
  return ContinueFolded256(y, p, count);
}

bool HasCarrylessMultiply() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return has;
}

bool HasWideCarrylessMultiply() {
  static const bool has = HasCarrylessMultiply() && __builtin_cpu_supports("avx512f") &&
                          __builtin_cpu_supports("vpclmulqdq");
  return has;
}

bool HasCarrylessMultiply256() {
  static const bool has = HasCarrylessMultiply() && __builtin_cpu_supports("avx2") &&
                          __builtin_cpu_supports("vpclmulqdq");
  return has;
}
#endif

}  // namespace

bool CanFoldCRC() {
#ifdef TARVIK_CRC_CLMUL
  return HasCarrylessMultiply256();
#else
  return false;
#endif
}

void StartCRCFold(TCRCFold& state, std::uint32_t crc, const std::uint8_t* first) {
#ifdef TARVIK_CRC_CLMUL
  StartFold256(state, crc, first);
#else
  (void)state;
  (void)crc;
  (void)first;
#endif
}

std::uint32_t FinishCRCFold(const TCRCFold& state, const std::uint8_t* p, std::size_t count) {
#ifdef TARVIK_CRC_CLMUL
  const std::size_t folded = count & ~std::size_t{15};
  const std::uint32_t crc = FinishFold256(state, p, folded);
  return UpdateCRCSliced(crc, p + folded, count - folded);
#else
  (void)state;
  (void)p;
  (void)count;
  return 0;  // never called: CanFoldCRC is false
#endif
}

std::uint32_t UpdateCRC(std::uint32_t crc, const void* buffer, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(buffer);
#ifdef TARVIK_CRC_CLMUL
  if (count >= 64 && HasCarrylessMultiply()) {
    const std::size_t folded = count & ~std::size_t{15};
    if (folded >= 256 && HasWideCarrylessMultiply())
      crc = UpdateCRCFoldedWide(crc, p, folded);
    else if (folded >= 256 && HasCarrylessMultiply256())
      crc = UpdateCRCFolded256(crc, p, folded);
    else
      crc = UpdateCRCFolded(crc, p, folded);
    p += folded;
    count -= folded;
  }
#endif
  return UpdateCRCSliced(crc, p, count);
}

}  // namespace tarvik
