// Reduced data built byte by byte: follower sets and their index widths, the
// 144 escape, each factor's length and distance fields, copies reaching
// before the start of the output and across the window's end.

#include "decode/unreduce.h"

#include "legacy_test_support.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

using namespace legacy_test;

// A reduced stream with the given follower sets; each byte is written
// through the set of the byte before it when it is in there, else as a
// literal. Expected() models the output of plain bytes and copies.
class TReduceWriter {
 public:
  explicit TReduceWriter(std::vector<Bytes> sets = std::vector<Bytes>(256)) : sets_(std::move(sets)) {
    for (int x = 255; x >= 0; --x) {
      w_.Put(static_cast<unsigned>(sets_[x].size()), 6);
      for (std::uint8_t b : sets_[x]) w_.PutByte(b);
    }
  }
  TReduceWriter& Byte(std::uint8_t b) {
    const Bytes& set = sets_[last_];
    const auto found = std::find(set.begin(), set.end(), b);
    if (!set.empty()) w_.PutBit(found == set.end());
    if (found != set.end()) w_.Put(unsigned(found - set.begin()), FollowerIndexWidth(unsigned(set.size())));
    else w_.PutByte(b);
    last_ = b;
    return *this;
  }
  // Output bytes, 144 escaped.
  TReduceWriter& Plain(const Bytes& bytes) {
    for (std::uint8_t b : bytes) b == 144 ? Byte(144).Byte(0) : Byte(b);
    expected_.insert(expected_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  // 144 and the copy's bytes, producing length bytes from distance behind.
  TReduceWriter& Copy(const Bytes& fields, std::size_t length, std::size_t distance) {
    Byte(144);
    for (std::uint8_t b : fields) Byte(b);
    for (std::size_t i = 0; i < length; ++i) {
      const std::size_t at = expected_.size();
      expected_.push_back(at >= distance ? expected_[at - distance] : 0);
    }
    return *this;
  }
  const Bytes& Data() const { return w_.Data(); }
  const Bytes& Expected() const { return expected_; }
  std::int64_t Size() const { return std::int64_t(expected_.size()); }

 private:
  std::vector<Bytes> sets_;
  TBitWriter w_;
  std::uint8_t last_ = 0;
  Bytes expected_;
};

Bytes Pattern(std::size_t n) {
  Bytes b;
  for (std::size_t i = 0; i < n; ++i) b.push_back(std::uint8_t((i * 7 + i / 13) % 143));
  return b;
}

TEST(Unreduce, FollowerSetsAndTheEscapeByte) {
  const struct {
    unsigned length, width;
  } widths[] = {{0, 8}, {1, 1},  {2, 1},  {3, 2},  {4, 2},  {5, 3}, {8, 3},
                {9, 4}, {16, 4}, {17, 5}, {32, 5}, {33, 6}, {63, 6}};
  for (const auto& w : widths) EXPECT_EQ(FollowerIndexWidth(w.length), w.width) << w.length;

  // Sets of 1, 2, 3, 33 and 63 bytes; 144 is in the set of 'd'.
  std::vector<Bytes> sets(256);
  sets[0] = {'r'};
  sets['r'] = {'x', 'e'};
  sets['e'] = {'a', 'b', 'd'};
  for (int i = 0; i < 33; ++i) sets['d'].push_back(std::uint8_t(i == 5 ? 144 : '0' + i));
  for (int i = 0; i < 63; ++i) sets['0' + 32].push_back(std::uint8_t(255 - i));
  TReduceWriter w(sets);
  w.Plain({'r', 'e', 'd', '0' + 32, 255 - 62, 'r', 'e', 'd', 144, '!', 144, 144});
  for (int method = 2; method <= 5; ++method)
    EXPECT_EQ(DecodeOnce(method, 0, w.Data(), w.Size()).bytes, w.Expected()) << method;
}

TEST(Unreduce, CopyFieldsOfEachFactor) {
  const struct {
    int method;
    Bytes fields;  // the bytes after 144
    std::size_t length, distance;
  } cases[] = {
      {2, {0x05, 9}, 8, 10},           // factor 1: length 5 + 3, distance 9 + 1
      {2, {0x85, 9}, 8, 266},          // high bit of V: distance + 256
      {2, {0x7F, 10, 0}, 140, 1},      // length mask: 127 + 10 + 3
      {3, {0xC2, 4}, 5, 3 * 256 + 5},  // factor 2
      {3, {0x3F, 0, 1}, 66, 2},
      {4, {0xE3, 0}, 6, 7 * 256 + 1},  // factor 3
      {4, {0x1F, 255, 99}, 289, 100},
      {5, {0x2E, 7}, 17, 2 * 256 + 8},  // factor 4
      {5, {0xFF, 1, 255}, 19, 15 * 256 + 256},
  };
  for (const auto& c : cases) {
    TReduceWriter w;
    w.Plain(Pattern(600)).Copy(c.fields, c.length, c.distance).Plain({'Z'});
    EXPECT_EQ(DecodeOnce(c.method, 0, w.Data(), w.Size()).bytes, w.Expected()) << c.method << " " << c.length;
  }
}

TEST(Unreduce, CopiesBeforeTheStartAndAcrossTheWindowEnd) {
  // Before the start of the output: zeros, also where the source reaches into
  // the output and repeats it.
  TReduceWriter start;
  start.Plain({'A', 'B'}).Copy({0x01, 2}, 4, 3).Copy({0x02, 9}, 5, 10);
  EXPECT_EQ(DecodeOnce(2, 0, start.Data(), start.Size()).bytes, (Bytes{'A', 'B', 0, 'A', 'B', 0, 0, 0, 0, 0, 'A'}));
  // Across the 16 KB window's end; the source before the wrap is real output.
  TReduceWriter wrap;
  wrap.Plain(Pattern(16380))
      .Copy({0xFF, 200, 255}, 0x0F + 200 + 3, 4096)
      .Copy({0x0F, 50, 20}, 0x0F + 50 + 3, 21)
      .Copy({0x01, 0}, 4, 1);
  const TDecodeOutcome out = DecodeOnce(5, 0, wrap.Data(), wrap.Size());
  EXPECT_EQ(out.bytes, wrap.Expected());
  // Whatever an earlier entry left in the window does not show through.
  TLegacyHarness harness;
  TReduceWriter fill;
  fill.Plain(Bytes(1000, 'q'));
  harness.Decode(2, 0, fill.Data(), fill.Size());
  TReduceWriter reach;
  reach.Plain({'x'}).Copy({0x7F, 0, 255}, 130, 256);
  EXPECT_EQ(harness.Decode(2, 0, reach.Data(), reach.Size()).bytes, reach.Expected());
}

TEST(Unreduce, DamagedOrOversizedEntries) {
  // Data that ends long before the declared size stops as a data error
  // instead of producing a megabyte of zeros.
  TReduceWriter cut;
  cut.Plain({'s', 'h', 'o', 'r', 't'});
  const TDecodeOutcome out = DecodeOnce(2, 0, cut.Data(), 1 << 20);
  EXPECT_EQ(out.result, TLegacyResult::DataError);
  EXPECT_LT(out.bytes.size(), 4096u);
  // A copy longer than what is left overruns the size: refused.
  TReduceWriter over;
  over.Plain({'a', 'b', 'c'}).Copy({0x05, 0}, 8, 1);
  EXPECT_TRUE(DecodeOnce(2, 0, over.Data(), 5).tooBig);
  // An empty entry of size 0 decodes to nothing, with the CRC of nothing.
  const TDecodeOutcome empty = DecodeOnce(4, 0, {}, 0);
  EXPECT_EQ(empty.result, TLegacyResult::Ok);
  EXPECT_TRUE(empty.bytes.empty());
  EXPECT_EQ(empty.crc, 0u);
}

}  // namespace
}  // namespace tarvik
