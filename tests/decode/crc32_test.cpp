#include "decode/crc32.h"

#include "decode/crc32_fold.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tarvik {
namespace {

std::uint32_t Crc(const std::string& text) { return ~UpdateCRC(0xFFFFFFFFu, text.data(), text.size()); }

TEST(Crc32Test, KnownValues) {
  EXPECT_EQ(Crc("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc("abc"), 0x352441C2u);
  EXPECT_EQ(Crc(""), 0u);
  EXPECT_EQ(Crc("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
  EXPECT_EQ(CRCTable[0], 0u);
  EXPECT_EQ(CRCTable[1], 0x77073096u);
  EXPECT_EQ(CRCTable[255], 0x2D02EF8Du);
  EXPECT_EQ(CRCStep(0xFFFFFFFFu, 'a'), CRCTable[0xFF ^ 'a'] ^ 0x00FFFFFFu);
}

// The fast paths (carry-less folding from 64 bytes on, eight-byte slices for
// the rest) must give the byte-wise result for every length and alignment,
// and when a buffer is fed in arbitrary pieces.
TEST(Crc32Test, FastPathEqualsBytewise) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> data(100'003);
  for (auto& b : data) b = static_cast<std::uint8_t>(random());
  for (std::size_t offset = 0; offset < 8; ++offset) {
    for (std::size_t length = 0; length < 600; ++length) {
      const std::uint32_t start = static_cast<std::uint32_t>(random());
      EXPECT_EQ(UpdateCRC(start, data.data() + offset, length), UpdateCRCBytewise(start, data.data() + offset, length))
          << "offset " << offset << " length " << length;
    }
  }
  const std::uint32_t whole = UpdateCRCBytewise(0xFFFFFFFFu, data.data(), data.size());
  std::uint32_t pieces = 0xFFFFFFFFu;
  std::size_t at = 0;
  while (at < data.size()) {
    const std::size_t n = std::min<std::size_t>(random() % 5000, data.size() - at);
    pieces = UpdateCRC(pieces, data.data() + at, n);
    at += n;
  }
  EXPECT_EQ(pieces, whole);
  EXPECT_EQ(UpdateCRC(0xFFFFFFFFu, data.data(), data.size()), whole);
}

#ifdef TARVIK_CRC_FOLD
// Takes `steps` times 256 bytes at p into the state, as the inflater's loop does.
TARVIK_CRC_FOLD_TARGET void FoldSteps(TCRCFold& state, const std::uint8_t* p, int steps) {
  TCRCFoldLanes lanes;
  LoadCRCFold(lanes, state);
  for (int i = 0; i < steps; ++i) FoldCRC(lanes, p + kCRCFoldBytes * static_cast<std::size_t>(i));
  StoreCRCFold(state, lanes);
}

// A block's CRC folded from its first 256 bytes on, in steps and then to the
// end, is the register UpdateCRC gives for the whole block.
TEST(Crc32Test, FoldedInStepsEqualsWhole) {
  if (!CanFoldCRC()) GTEST_SKIP() << "no 256-bit carry-less multiplication here";
  std::mt19937 random(9);
  std::vector<std::uint8_t> data(5000);
  for (auto& b : data) b = static_cast<std::uint8_t>(random());
  for (const std::size_t count : {256, 257, 300, 511, 512, 1000, 4999}) {
    for (int steps = 0; kCRCFoldBytes * static_cast<std::size_t>(steps + 1) <= count; ++steps) {
      const auto start = static_cast<std::uint32_t>(random());
      TCRCFold state;
      StartCRCFold(state, start, data.data());
      FoldSteps(state, data.data() + kCRCFoldBytes, steps);
      const std::size_t folded = kCRCFoldBytes * static_cast<std::size_t>(steps + 1);
      EXPECT_EQ(FinishCRCFold(state, data.data() + folded, count - folded),
                UpdateCRCBytewise(start, data.data(), count))
          << count << " bytes, " << steps << " steps";
    }
  }
}
#endif

}  // namespace
}  // namespace tarvik
