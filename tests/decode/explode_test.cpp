// Imploded data from a small encoder of the tests' own: both dictionary sizes
// with and without a literal tree, the longest and farthest matches, copies
// before the start of the output and across the window's end, the wider
// distance lookup of large entries, and bad code length lists.

#include "decode/explode.h"

#include "legacy_test_support.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

using namespace legacy_test;

using Lengths = std::vector<std::uint8_t>;

// The byte form of a code length list: the number of run bytes minus one,
// then runs of up to 16 equal lengths.
Bytes TreeBytes(const Lengths& lengths) {
  Bytes runs{0};
  for (std::size_t i = 0, n; i < lengths.size(); i += n) {
    for (n = 1; i + n < lengths.size() && lengths[i + n] == lengths[i] && n < 16;) ++n;
    runs.push_back(std::uint8_t((n - 1) << 4 | (lengths[i] - 1)));
  }
  runs[0] = std::uint8_t(runs.size() - 2);
  return runs;
}

// Canonical codes (shorter first, symbol order within a length), written
// most significant bit first and inverted.
class TTree {
 public:
  explicit TTree(const Lengths& lengths) : lengths_(lengths), codes_(lengths.size()) {
    unsigned count[17] = {}, next[17] = {}, code = 0;
    for (auto l : lengths) ++count[l];
    for (int bits = 1; bits <= 16; ++bits) next[bits] = code = (code + count[bits - 1]) << 1;
    for (std::size_t s = 0; s < lengths.size(); ++s) codes_[s] = next[lengths[s]]++;
  }
  void Write(TBitWriter& w, std::size_t symbol) const {
    for (int i = lengths_[symbol] - 1; i >= 0; --i) w.PutBit(((codes_[symbol] >> i) & 1) ^ 1);
  }

 private:
  Lengths lengths_;
  std::vector<unsigned> codes_;
};

class TImplodeWriter {
 public:
  explicit TImplodeWriter(std::uint16_t flags, const Lengths& distanceCodes = Lengths(64, 6))
      : literalTree_(flags & kImplodeLiteralTree),
        lowBits_(flags & kImplodeBigDictionary ? 7 : 6),
        literals_(Lengths(256, 8)),
        lengths_(Lengths(64, 6)),
        distances_(distanceCodes) {
    for (const Lengths& l : {Lengths(256, 8), Lengths(64, 6), distanceCodes}) {
      if (l.size() == 256 && !literalTree_) continue;
      const Bytes b = TreeBytes(l);
      head_.insert(head_.end(), b.begin(), b.end());
    }
  }
  TImplodeWriter& Literal(std::uint8_t b) {
    bits_.PutBit(1);
    literalTree_ ? literals_.Write(bits_, b) : bits_.PutByte(b);
    expected_.push_back(b);
    return *this;
  }
  TImplodeWriter& Literals(const std::string& text) {
    for (char c : text) Literal(std::uint8_t(c));
    return *this;
  }
  TImplodeWriter& Match(std::size_t distance, std::size_t length) {
    bits_.PutBit(0);
    bits_.Put(unsigned((distance - 1) & ((1u << lowBits_) - 1)), lowBits_);
    distances_.Write(bits_, (distance - 1) >> lowBits_);
    const std::size_t code = std::min<std::size_t>(length - Shortest(), 63);
    lengths_.Write(bits_, code);
    if (code == 63) bits_.PutByte(std::uint8_t(length - Shortest() - 63));
    for (std::size_t i = 0; i < length; ++i) {
      const std::size_t at = expected_.size();
      expected_.push_back(at >= distance ? expected_[at - distance] : 0);
    }
    return *this;
  }
  std::size_t Shortest() const { return literalTree_ ? 3 : 2; }
  std::size_t Farthest() const { return std::size_t{64} << lowBits_; }
  Bytes Data() const {
    Bytes data = head_;
    data.insert(data.end(), bits_.Data().begin(), bits_.Data().end());
    return data;
  }
  const Bytes& Expected() const { return expected_; }
  std::int64_t Size() const { return std::int64_t(expected_.size()); }

 private:
  bool literalTree_;
  unsigned lowBits_;
  TTree literals_, lengths_, distances_;
  Bytes head_, expected_;
  TBitWriter bits_;
};

constexpr std::uint16_t kFlagCombinations[] = {0, kImplodeBigDictionary, kImplodeLiteralTree,
                                               kImplodeBigDictionary | kImplodeLiteralTree};

TEST(Explode, LiteralsAndMatchesForEachFlagCombination) {
  for (std::uint16_t flags : kFlagCombinations) {
    TImplodeWriter w(flags);
    // Zeros before the start of the output, then the output repeated.
    w.Literals("ab").Match(100, 10).Match(3, 9).Literals("Imploded text, imploded text; ");
    w.Match(15, 12).Match(1, 40).Literal(0).Literal(255);
    for (int i = 0; i < 32700; ++i) w.Literal(std::uint8_t(i * 31 + i / 7));
    w.Match(w.Farthest(), 3).Match(w.Farthest() - 1000, w.Shortest() + 63 + 255);
    w.Match(200, 65).Match(129, 64).Match(64, 63).Match(65, w.Shortest());
    for (int i = 0; i < 40; ++i) w.Match(4000 - i, 120);  // across the window's end
    const TDecodeOutcome out = DecodeOnce(6, flags, w.Data(), w.Size());
    EXPECT_EQ(out.result, TLegacyResult::Ok) << flags;
    EXPECT_EQ(out.bytes, w.Expected()) << flags;
    EXPECT_EQ(Bytes(out.bytes.begin(), out.bytes.begin() + 4), (Bytes{'a', 'b', 0, 0}));
    // Read with the other dictionary size the same data goes astray.
    EXPECT_NE(DecodeOnce(6, flags ^ kImplodeBigDictionary, w.Data(), w.Size()).bytes, w.Expected());
  }
  // An earlier entry's window does not show through.
  TLegacyHarness harness;
  TImplodeWriter fill(0), reach(0);
  for (int i = 0; i < 9000; ++i) fill.Literal('q');
  harness.Decode(6, 0, fill.Data(), fill.Size());
  reach.Literal('x').Match(4000, 30);
  EXPECT_EQ(harness.Decode(6, 0, reach.Data(), reach.Size()).bytes, reach.Expected());
}

TEST(Explode, LargeEntriesUseWiderDistanceLookupWithTheSameResult) {
  // Distance codes of up to 13 bits make the 7- and 8-bit first-level tables
  // differ; padding after the data pushes the entry over 200,000 compressed
  // bytes without changing what it holds.
  Lengths longCodes{1, 2, 3, 4, 5, 6, 7};
  longCodes.insert(longCodes.end(), 7, 12);
  longCodes.insert(longCodes.end(), 50, 13);
  for (std::uint16_t flags : kFlagCombinations) {
    TImplodeWriter w(flags, longCodes);
    for (int i = 0; i < 300; ++i) w.Literal(std::uint8_t(i * 13));
    for (std::size_t d = 1; d <= w.Farthest(); d += 37) w.Match(d, 3 + d % 50);
    for (std::size_t total : {std::size_t{0}, std::size_t{200000}, std::size_t{200001}}) {
      Bytes padded = w.Data();
      padded.resize(std::max(total, padded.size()), 0x5A);
      EXPECT_EQ(DecodeOnce(6, flags, padded, w.Size()).bytes, w.Expected()) << flags << " " << total;
    }
  }
}

TEST(Explode, BadCodeLengthListsStopBeforeAnyOutput) {
  auto join = [](const Lengths& a, const Lengths& b) {
    Bytes d = TreeBytes(a), e = TreeBytes(b);
    d.insert(d.end(), e.begin(), e.end());
    return d;
  };
  const Bytes bad[] = {
      {0x02, 0xF5, 0xF5, 0xF5, 0xF5},        // 48 lengths for 64
      {0x04, 0xF5, 0xF5, 0xF5, 0xF5, 0xF5},  // 80 lengths for 64
      join(Lengths(64, 7), Lengths(64, 6)),  // incomplete length code
      join(Lengths(64, 6), Lengths(64, 5)),  // over-subscribed distance code
      {},                                    // no data at all
  };
  for (const Bytes& data : bad) {
    const TDecodeOutcome out = DecodeOnce(6, 0, data, 100);
    EXPECT_EQ(out.result, TLegacyResult::DataError);
    EXPECT_TRUE(out.bytes.empty());
  }
  // An incomplete literal code stops it too.
  EXPECT_EQ(DecodeOnce(6, kImplodeLiteralTree, TreeBytes(Lengths(256, 9)), 100).result, TLegacyResult::DataError);
}

TEST(Explode, DamagedOrOversizedEntries) {
  TImplodeWriter w(kImplodeLiteralTree);
  w.Literals("data that ends");
  // Declared far larger than the data: stops soon after the data ends.
  const TDecodeOutcome cut = DecodeOnce(6, kImplodeLiteralTree, w.Data(), 1 << 24);
  EXPECT_EQ(cut.result, TLegacyResult::DataError);
  EXPECT_LT(cut.bytes.size(), 40000u);
  // A match beyond the declared size is refused by the output stage.
  TImplodeWriter over(0);
  over.Literals("abc").Match(3, 20);
  EXPECT_TRUE(DecodeOnce(6, 0, over.Data(), 10).tooBig);
  // Size 0: nothing is decoded after the trees.
  EXPECT_TRUE(DecodeOnce(6, 0, over.Data(), 0).bytes.empty());
}

}  // namespace
}  // namespace tarvik
