// Shrunk data built code by code: the string table, the wider codes after
// 256 1, the partial clear after 256 2, and corrupt codes that must end as
// data errors without leaving the tables.

#include "decode/unshrink.h"

#include "legacy_test_support.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

using namespace legacy_test;

struct TCode {
  unsigned value, width = 9;
};

TDecodeOutcome Unshrunk(std::initializer_list<TCode> codes, std::int64_t size = 1 << 20) {
  TBitWriter w;
  for (const TCode& c : codes) w.Put(c.value, c.width);
  return DecodeOnce(1, 0, w.Data(), size);
}

TEST(Unshrink, CodesAndControlCodes) {
  // A B 257=AB; 259 is the code being defined (ABA).
  EXPECT_EQ(Text(Unshrunk({{'A'}, {'B'}, {257}, {259}})), "ABABABA");
  // Data ending right after the first code gives exactly one byte.
  EXPECT_EQ(Text(Unshrunk({{'x'}})), "x");
  EXPECT_TRUE(Unshrunk({}).bytes.empty());
  // 256 1 widens the following codes; other values after 256 are ignored.
  EXPECT_EQ(Text(Unshrunk({{'A'}, {'B'}, {256}, {1}, {257, 10}, {256, 10}, {7, 10}, {'C', 10}, {258, 10}})), "ABABCBA");
  // 257=AB 258=BA 259=ABC; 257 is the prefix of 259, so 256 2 frees 258 and
  // 259. The next new code reuses 258 (CA), the one after it 259 (ABC).
  EXPECT_EQ(Text(Unshrunk({{'A'}, {'B'}, {257}, {'C'}, {256}, {2}, {257}, {258}, {259}})), "ABABCABCAABC");
  // An output larger than the entry's size is refused.
  EXPECT_TRUE(Unshrunk({{'A'}, {'B'}, {257}, {259}}, 4).tooBig);
}

TEST(Unshrink, CorruptCodesEndAsDataErrors) {
  // Widening four times reaches 13 bits; a fifth time is corrupt.
  const std::initializer_list<TCode> to13 = {{'A'},     {256},   {1},       {256, 10}, {1, 10},
                                             {256, 11}, {1, 11}, {256, 12}, {1, 12}};
  std::vector<TCode> codes(to13);
  codes.insert(codes.end(), {{'B', 13}, {257, 13}});
  TBitWriter w;
  for (const TCode& c : codes) w.Put(c.value, c.width);
  EXPECT_EQ(Text(DecodeOnce(1, 0, w.Data(), 100)), "ABAB");
  w.Put(256, 13);
  w.Put(1, 13);
  w.Put('C', 14);
  EXPECT_EQ(DecodeOnce(1, 0, w.Data(), 100).result, TLegacyResult::DataError);

  // 300 is free: it stands for the previous string plus its first byte and
  // becomes the previous code; 301 then leads back to 300 for ever.
  const TDecodeOutcome loop = Unshrunk({{'A'}, {300}, {301}});
  EXPECT_EQ(loop.result, TLegacyResult::DataError);
  EXPECT_LE(loop.bytes.size(), 3u);
  // After 256 2 has freed everything, codes above the next free one loop too.
  EXPECT_EQ(Unshrunk({{'A'}, {'B'}, {256}, {2}, {258}, {259}, {260}}).result, TLegacyResult::DataError);
}

TEST(Unshrink, PartialClearTouchesOnlyCodesOfItsRange) {
  std::int16_t prefix[8193];
  std::fill(prefix, prefix + 8193, std::int16_t{-1});
  prefix[257] = 300;  // a used code whose prefix is a free code above the range
  prefix[258] = 257;
  prefix[262] = 100;  // above the next free code: not looked at
  EXPECT_EQ(PartialClear(prefix, 260), 258u);
  EXPECT_EQ(prefix[257], 300);
  EXPECT_EQ(prefix[258], -1);
  EXPECT_EQ(prefix[300], -1);  // still free
  EXPECT_EQ(prefix[262], 100);
  // In a full table of one long chain only its last code is nobody's prefix.
  for (unsigned code = 257; code < 8193; ++code) prefix[code] = static_cast<std::int16_t>(code - 1);
  EXPECT_EQ(PartialClear(prefix, 8192), 8191u);
  EXPECT_EQ(prefix[8190], 8189);
}

TEST(Unshrink, LongStringsCrossTheOutputBufferBoundary) {
  // Strings a, aa, aaa, ... spill over 32 KB of output: every byte arrives,
  // and a size one short is refused.
  TBitWriter w;
  w.Put('a', 9);
  unsigned width = 9, next = 257;
  std::int64_t size = 1;
  for (unsigned length = 2; size < 70000; ++length, ++next) {
    if (next == (1u << width)) {
      w.Put(256, width);
      w.Put(1, width++);
    }
    w.Put(next, width);
    size += length;
  }
  const TDecodeOutcome out = DecodeOnce(1, 0, w.Data(), size);
  EXPECT_EQ(out.result, TLegacyResult::Ok);
  EXPECT_EQ(out.bytes, Bytes(std::size_t(size), 'a'));
  EXPECT_TRUE(DecodeOnce(1, 0, w.Data(), size - 1).tooBig);
}

}  // namespace
}  // namespace tarvik
