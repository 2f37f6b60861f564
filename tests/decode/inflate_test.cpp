#include "decode/inflate.h"

#include "support/memory_stream.h"

#include "decode/crc32.h"
#include "decode/decode_test_support.h"
#include "decode/huffman_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

namespace tarvik {
namespace {

using decode_test::Bytes;
using decode_test::CrcOf;
using decode_test::InflateThroughStage;
using decode_test::RandomBytes;
using decode_test::TBitWriter;

// Streams made by zlib decode to the same bytes: size and CRC from the
// manifest, and the full text for one of them.
TEST(InflateTest, DecodesWhatZlibMade) {
  std::ifstream manifest(decode_test::InflateData("manifest.txt"));
  ASSERT_TRUE(manifest.good());
  std::string name;
  std::int64_t size = 0;
  std::string crcText;
  int cases = 0;
  while (manifest >> name >> size >> crcText) {
    const Bytes stream = decode_test::ReadFileBytes(decode_test::InflateData(name + ".deflate"));
    const auto outcome = InflateThroughStage(stream, size);
    EXPECT_EQ(static_cast<std::int64_t>(outcome.output.size()), size) << name;
    EXPECT_EQ(outcome.crc, std::stoul(crcText, nullptr, 16)) << name;
    ++cases;
  }
  EXPECT_GE(cases, 10);

  const Bytes sample = decode_test::ReadFileBytes(decode_test::InflateData("sample.txt"));
  const auto outcome = InflateThroughStage(decode_test::ReadFileBytes(decode_test::InflateData("text_level9.deflate")),
                                           static_cast<std::int64_t>(sample.size()));
  EXPECT_TRUE(outcome.output == sample);
}

TEST(InflateTest, StoredBlocks) {
  for (std::size_t size : {std::size_t{32768}, std::size_t{32769}, std::size_t{1}}) {
    const Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    TBitWriter w;
    w.StoredBlock(true, data);
    const auto outcome = InflateThroughStage(w.Data(), static_cast<std::int64_t>(size));
    EXPECT_TRUE(outcome.output == data) << size;
    EXPECT_EQ(outcome.crc, CrcOf(data));
  }
  {  // LEN 0 writes nothing and decoding goes on with the next block.
    TBitWriter w;
    w.StoredBlock(false, {});
    w.BlockHeader(false, 1);
    w.FixedLiteral('k');
    w.FixedEnd();
    w.StoredBlock(true, {'!', '?'});
    EXPECT_TRUE(InflateThroughStage(w.Data(), 3).output == (Bytes{'k', '!', '?'}));
  }
  {  // A wrong complement stops the entry; nothing at all is written.
    TBitWriter w;
    w.BlockHeader(false, 1);
    w.FixedLiteral('k');
    w.FixedEnd();
    w.BlockHeader(true, 0);
    w.AlignToByte();
    w.Bits(5, 16);
    w.Bits(5, 16);
    EXPECT_TRUE(InflateThroughStage(w.Data(), 10).output.empty());
  }
}

TEST(InflateTest, FixedBlocks) {
  {  // Only the end-of-block code: empty output, CRC 0.
    TBitWriter w;
    w.BlockHeader(true, 1);
    w.FixedEnd();
    const auto outcome = InflateThroughStage(w.Data(), 0);
    EXPECT_TRUE(outcome.output.empty());
    EXPECT_EQ(outcome.crc, 0u);
  }
  // Symbols 286 and 287 are invalid and stop the entry.
  for (unsigned symbol : {286u, 287u}) {
    TBitWriter w;
    w.BlockHeader(true, 1);
    w.FixedLiteral('a');
    w.FixedSymbol(symbol);
    w.Bits(0, 5);
    w.FixedEnd();
    EXPECT_TRUE(InflateThroughStage(w.Data(), 100).output.empty()) << symbol;
  }
  {  // Length 258 at distance 1 repeats the previous byte.
    TBitWriter w;
    w.BlockHeader(true, 1);
    w.FixedLiteral('x');
    w.FixedMatch(258, 1);
    w.FixedMatch(3, 2);
    w.FixedEnd();
    Bytes expected(262, 'x');
    EXPECT_TRUE(InflateThroughStage(w.Data(), 262).output == expected);
  }
  {  // Matches crossing the window's end continue at its start; short
     // distances repeat their pattern; distances from 1 to 300 all copy right.
    const Bytes head = RandomBytes(32760, 5);
    TBitWriter w;
    w.StoredBlock(false, head);
    w.BlockHeader(true, 1);
    Bytes expected = head;
    const std::pair<unsigned, unsigned> matches[] = {{20, 100}, {258, 3}, {40, 7}, {9, 8}, {200, 32768}, {100, 30000}};
    for (auto [length, distance] : matches) {
      w.FixedMatch(length, distance);
      for (unsigned i = 0; i < length; ++i) expected.push_back(expected[expected.size() - distance]);
    }
    for (unsigned distance = 1; distance <= 300; ++distance) {
      const unsigned length = 3 + distance % 40;
      w.FixedMatch(length, distance);
      for (unsigned i = 0; i < length; ++i) expected.push_back(expected[expected.size() - distance]);
    }
    w.FixedEnd();
    const auto outcome = InflateThroughStage(w.Data(), static_cast<std::int64_t>(expected.size()));
    EXPECT_TRUE(outcome.output == expected);
  }
}

// Canonical codes (most significant bit first) for a list of code lengths.
std::vector<std::uint32_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
  unsigned count[17] = {};
  for (auto l : lengths) ++count[l];
  count[0] = 0;
  std::uint32_t next[17] = {};
  std::uint32_t code = 0;
  for (int bits = 1; bits <= 16; ++bits) {
    code = (code + count[bits - 1]) << 1;
    next[bits] = code;
  }
  std::vector<std::uint32_t> codes(lengths.size());
  for (std::size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s]) codes[s] = next[lengths[s]]++;
  return codes;
}

// Writes a dynamic block header: the code-length code gives each of the
// lengths 0-15 a 4-bit code (16-18 unused), and every length is sent plainly.
// The header fields can be forced to out-of-range values.
struct TDynamicBlock {
  std::vector<std::uint8_t> literalLengths;   // HLIT + 257 entries
  std::vector<std::uint8_t> distanceLengths;  // HDIST + 1 entries
  std::vector<std::uint32_t> literalCodes;
  std::vector<std::uint32_t> distanceCodes;

  void WriteHeader(TBitWriter& w, bool last) {
    static const unsigned kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    w.BlockHeader(last, 2);
    w.Bits(static_cast<std::uint32_t>(literalLengths.size() - 257), 5);
    w.Bits(static_cast<std::uint32_t>(distanceLengths.size() - 1), 5);
    w.Bits(19 - 4, 4);
    for (unsigned symbol : kOrder) w.Bits(symbol >= 16 ? 0 : 4, 3);
    for (auto l : literalLengths) w.Code(l, 4);
    for (auto l : distanceLengths) w.Code(l, 4);
    literalCodes = CanonicalCodes(literalLengths);
    distanceCodes = CanonicalCodes(distanceLengths);
  }
  void Literal(TBitWriter& w, unsigned symbol) { w.Code(literalCodes[symbol], literalLengths[symbol]); }
  void Distance(TBitWriter& w, unsigned symbol) { w.Code(distanceCodes[symbol], distanceLengths[symbol]); }
  void Match(TBitWriter& w, unsigned length, unsigned distance) {
    const auto l = TBitWriter::LengthSymbol(length);
    Literal(w, l.symbol);
    w.Bits(l.extra, l.extraBits);
    const auto d = TBitWriter::DistanceSymbol(distance);
    Distance(w, d.symbol);
    w.Bits(d.extra, d.extraBits);
  }
};

TDynamicBlock SmallBlock() {
  TDynamicBlock block;
  block.literalLengths.assign(258, 0);
  block.literalLengths['a'] = 2;
  block.literalLengths['b'] = 2;
  block.literalLengths[256] = 2;
  block.literalLengths[257] = 2;  // length 3
  block.distanceLengths = {1};    // a single distance code of length 1
  return block;
}

TEST(InflateTest, DynamicBlocks) {
  {  // A single distance code of length 1 is complete enough to decode.
    TDynamicBlock block = SmallBlock();
    TBitWriter w;
    block.WriteHeader(w, true);
    block.Literal(w, 'a');
    block.Literal(w, 'b');
    block.Literal(w, 257);
    block.Distance(w, 0);
    block.Literal(w, 256);
    EXPECT_TRUE(InflateThroughStage(w.Data(), 5).output == (Bytes{'a', 'b', 'b', 'b', 'b'}));
  }
  {  // 287 literal/length codes, or 31 distance codes, fail the block.
    for (int variant = 0; variant < 2; ++variant) {
      TDynamicBlock block = SmallBlock();
      if (variant == 0) block.literalLengths.resize(287, 0);
      else block.distanceLengths.resize(31, 0);
      TBitWriter w;
      block.WriteHeader(w, true);
      block.Literal(w, 'a');
      block.Literal(w, 256);
      EXPECT_TRUE(InflateThroughStage(w.Data(), 1).output.empty()) << variant;
    }
  }
  // Code sets that are refused: an incomplete or over-subscribed literal code,
  // an all-zero literal code, an incomplete distance code of several lengths.
  const auto refused = [](TDynamicBlock block) {
    TBitWriter w;
    block.WriteHeader(w, true);
    for (int i = 0; i < 4; ++i) w.Bits(0, 8);
    return InflateThroughStage(w.Data(), 100).output.empty();
  };
  {
    TDynamicBlock block = SmallBlock();
    block.literalLengths['b'] = 0;
    EXPECT_TRUE(refused(block));
    block.literalLengths['b'] = 1;
    EXPECT_TRUE(refused(block));
    block.literalLengths.assign(257, 0);
    EXPECT_TRUE(refused(block));
    block = SmallBlock();
    block.distanceLengths = {1, 2};
    EXPECT_TRUE(refused(block));
  }
  {  // No distance code: literals decode, a length code fails.
    TDynamicBlock block = SmallBlock();
    block.distanceLengths = {0};
    TBitWriter ok;
    block.WriteHeader(ok, true);
    block.Literal(ok, 'a');
    block.Literal(ok, 256);
    EXPECT_TRUE(InflateThroughStage(ok.Data(), 1).output == Bytes{'a'});
    TBitWriter bad;
    block.WriteHeader(bad, true);
    block.Literal(bad, 'a');
    block.Literal(bad, 257);
    bad.Bits(0, 8);
    block.Literal(bad, 256);
    EXPECT_TRUE(InflateThroughStage(bad.Data(), 10).output.empty());
  }
}

// Random complete code lengths for `symbols` symbols, up to 15 bits long.
std::vector<std::uint8_t> DeepLengths(std::size_t symbols, std::mt19937& random) {
  std::vector<std::uint8_t> depths{1, 1};
  while (depths.size() < symbols) {
    // Mostly the newest leaves are split, which makes long codes.
    const std::size_t i = random() % 4 == 0 ? random() % depths.size() : depths.size() - 1 - random() % 2;
    if (depths[i] >= 15) continue;
    ++depths[i];
    depths.push_back(depths[i]);
  }
  std::shuffle(depths.begin(), depths.end(), random);
  return depths;
}

// A long dynamic block with codes of up to 15 bits for every symbol, literals
// and matches of every length at short and long distances, a long match across
// each 32 KB block of the output stage, and more than one refill of input:
// the output is right, and so is the CRC register after every block written.
TEST(InflateTest, DeepCodesAndLongMatches) {
  std::mt19937 random(11);
  TDynamicBlock block;
  block.literalLengths = DeepLengths(286, random);
  block.distanceLengths = DeepLengths(30, random);
  TBitWriter w;
  block.WriteHeader(w, true);
  Bytes expected;
  while (expected.size() < 300000) {
    const bool acrossBlockEnd = expected.size() % kWindowSize > kWindowSize - 200;
    if (expected.empty() || (!acrossBlockEnd && random() % 5 < 3)) {
      const auto b = static_cast<std::uint8_t>(random());
      block.Literal(w, b);
      expected.push_back(b);
      continue;
    }
    const unsigned length = acrossBlockEnd ? 258 : random() % 8 == 0 ? 3 + random() % 256 : 3 + random() % 13;
    const auto reach = static_cast<unsigned>(std::min<std::size_t>(expected.size(), kWindowSize));
    const unsigned distance = 1 + (random() % 2 ? random() % std::min(reach, 70u) : random() % reach);
    block.Match(w, length, distance);
    for (unsigned i = 0; i < length; ++i) expected.push_back(expected[expected.size() - distance]);
  }
  block.Literal(w, 256);
  const Bytes& stream = w.Data();
  ASSERT_GT(stream.size(), 2 * kDecodeBlockSize);

  DecodeContext context;
  decode_test::TFakeComponent component;
  Bytes output;
  std::vector<std::pair<std::size_t, std::uint32_t>> registers;  // bytes written, register
  component.OnFilePercentDone = [&](int) { registers.emplace_back(output.size(), component.CRCRegister); };
  TMemoryStream archive(stream.data(), stream.size());
  context.archive = &archive;
  context.component = &component;
  context.output = std::make_unique<decode_test::TVectorSink>(output);
  context.StartEntry(8, false, static_cast<std::int64_t>(stream.size()), static_cast<std::int64_t>(expected.size()));
  Inflate(context);
  context.output.reset();
  EXPECT_TRUE(output == expected);
  EXPECT_EQ(registers.size(), (expected.size() + kWindowSize - 1) / kWindowSize);
  for (const auto& [written, crc] : registers)
    EXPECT_EQ(crc, UpdateCRCBytewise(0xFFFFFFFFu, expected.data(), written)) << written;
}

// Hand-made code-length codes: a repeat running past the lengths, and a code
// whose only code has length 1, with the stream sending the unused code.
TEST(InflateTest, BadCodeLengthSequences) {
  {
    TBitWriter w;
    w.BlockHeader(true, 2);
    w.Bits(0, 5);                  // 257 literal/length codes
    w.Bits(0, 5);                  // 1 distance code
    w.Bits(0, 4);                  // 4 code-length codes: 16, 17, 18, 0
    w.Bits(0, 3);                  // 16 unused
    w.Bits(1, 3);                  // 17: length 1
    w.Bits(1, 3);                  // 18: length 1
    w.Bits(0, 3);                  // 0 unused
    for (int i = 0; i < 3; ++i) {  // 18 with 127 extra: 138 zeros each, 414 > 258
      w.Code(1, 1);
      w.Bits(127, 7);
    }
    EXPECT_TRUE(InflateThroughStage(w.Data(), 10).output.empty());
  }
  {
    TBitWriter w;
    w.BlockHeader(true, 2);
    w.Bits(0, 5);
    w.Bits(0, 5);
    w.Bits(0, 4);
    w.Bits(0, 3);
    w.Bits(1, 3);  // 17 is the only code, "0"; "1" is unused
    w.Bits(0, 3);
    w.Bits(0, 3);
    w.Code(1, 1);
    for (int i = 0; i < 8; ++i) w.Bits(0xFF, 8);
    EXPECT_TRUE(InflateThroughStage(w.Data(), 10).output.empty());
  }
}

TEST(InflateTest, BadInputEndsQuietly) {
  const Bytes sample = decode_test::ReadFileBytes(decode_test::InflateData("sample.txt"));
  const Bytes stream = decode_test::ReadFileBytes(decode_test::InflateData("text_level6.deflate"));
  {  // Block type 3.
    TBitWriter w;
    w.BlockHeader(true, 3);
    w.Bits(0, 16);
    EXPECT_TRUE(InflateThroughStage(w.Data(), 10).output.empty());
  }
  {  // Data cut short: what was decoded before the cut, never more, no throw.
    const Bytes half(stream.begin(), stream.begin() + static_cast<long>(stream.size() / 2));
    const auto outcome = InflateThroughStage(half, static_cast<std::int64_t>(sample.size()));
    EXPECT_LT(outcome.output.size(), sample.size());
    EXPECT_EQ(outcome.output.size() % kWindowSize, 0u);
    EXPECT_TRUE(std::equal(outcome.output.begin(), outcome.output.end(), sample.begin()));
    EXPECT_NE(outcome.crc, CrcOf(sample));
  }
  {  // The archive ends before the entry's declared data: absorbed as well.
    DecodeContext context;
    decode_test::TFakeComponent component;
    Bytes output;
    const Bytes cut(stream.begin(), stream.begin() + 1000);
    TMemoryStream archive(cut.data(), cut.size());
    context.archive = &archive;
    context.component = &component;
    context.output = std::make_unique<decode_test::TVectorSink>(output);
    context.StartEntry(8, false, static_cast<std::int64_t>(stream.size()), static_cast<std::int64_t>(sample.size()));
    EXPECT_NO_THROW(Inflate(context));
    EXPECT_TRUE(output.empty());
  }
  {  // One byte whose repetition past the end decodes as endless literals:
     // stopped as a data error instead of running on.
    const auto outcome = InflateThroughStage(Bytes{0x12}, std::int64_t{1} << 40);
    EXPECT_TRUE(outcome.output.empty());
  }
  {  // More output than declared: cut at the window that crosses the size.
    const auto outcome = InflateThroughStage(stream, 40000);
    EXPECT_EQ(outcome.output.size(), kWindowSize);
  }
  {  // A final block whose last code ends in the entry's last byte is fine
     // even though the decoder looks past it.
    TBitWriter w;
    w.BlockHeader(true, 1);
    w.FixedLiteral('z');
    w.FixedEnd();
    EXPECT_TRUE(InflateThroughStage(w.Data(), 1).output == Bytes{'z'});
  }
}

// A match reaching before the entry's first byte reads zeros, whatever an
// earlier entry left in the window.
TEST(InflateTest, WindowStartsClean) {
  DecodeContext context;
  {
    TBitWriter w;
    w.StoredBlock(true, Bytes(32000, 'Q'));
    EXPECT_EQ(InflateThroughStage(w.Data(), 32000, &context).output.size(), 32000u);
  }
  TBitWriter w;
  w.BlockHeader(true, 1);
  w.FixedLiteral('a');
  w.FixedMatch(10, 5);     // 4 zeros before 'a', then 'a', repeated
  w.FixedMatch(4, 32768);  // the window's own bytes 32 KB back: zeros
  w.FixedEnd();
  Bytes expected{'a', 0, 0, 0, 0, 'a', 0, 0, 0, 0, 'a', 0, 0, 0, 0};
  EXPECT_TRUE(InflateThroughStage(w.Data(), 15, &context).output == expected);
}

TEST(InflateTest, LetsEventsRunOncePerRefill) {
  const Bytes stream = decode_test::ReadFileBytes(decode_test::InflateData("noise_level6.deflate"));
  ASSERT_GT(stream.size(), 32768u);
  ASSERT_LE(stream.size(), 65536u);
  decode_test::TRecordingHost host;
  decode_test::TFakeComponent component;
  InflateThroughStage(stream, 40000, nullptr, &component);
  EXPECT_EQ(host.processed, 2);
  component.DoProcessMessages = false;
  InflateThroughStage(stream, 40000, nullptr, &component);
  EXPECT_EQ(host.processed, 2);
  EXPECT_TRUE(host.messages.empty());
}

// Follows one code, given least significant bit first, through a flat table;
// consumed is the code's length as the table gives it.
std::uint32_t Lookup(const std::vector<std::uint32_t>& table, int rootBits, std::uint32_t bits, unsigned& consumed) {
  std::uint32_t e = table[bits & ((1u << rootBits) - 1)];
  consumed = 0;
  if (e & kEntryLink) {
    consumed = EntryBits(e);
    bits >>= EntryBits(e);
    e = table[EntryValue(e) + (bits & ((1u << CodeBits(e)) - 1))];
  }
  consumed += CodeBits(e);
  return e;
}

std::uint32_t Reverse(std::uint32_t code, unsigned length) {
  std::uint32_t r = 0;
  for (unsigned i = 0; i < length; ++i) r |= ((code >> i) & 1) << (length - 1 - i);
  return r;
}

TEST(HuffmanTableTest, ResultCodesAndEntries) {
  std::vector<std::uint32_t> entries(kMaxHuffmanSymbols);
  for (unsigned s = 0; s < entries.size(); ++s) entries[s] = SymbolEntry(s);
  std::vector<std::uint32_t> table(512);
  int bits = -1;
  const std::uint8_t none[5] = {};
  EXPECT_EQ(BuildHuffmanTable(none, entries.data(), false, table, 9, bits), kHuffmanComplete);
  EXPECT_EQ(bits, 0);

  const std::uint8_t oneLengthOne[3] = {0, 1, 0};
  EXPECT_EQ(BuildHuffmanTable(oneLengthOne, entries.data(), false, table, 9, bits), kHuffmanComplete);
  EXPECT_EQ(bits, 9);
  EXPECT_EQ(EntryValue(table[0]), 1u);
  EXPECT_EQ(CodeBits(table[0]), 1u);
  EXPECT_TRUE(table[1] & kEntryInvalid);

  // Incomplete codes only where the caller takes them, and then only within
  // the first level.
  const std::uint8_t incomplete[3] = {2, 2, 2};
  EXPECT_EQ(BuildHuffmanTable(incomplete, entries.data(), false, table, 9, bits), kHuffmanIncomplete);
  ASSERT_EQ(BuildHuffmanTable(incomplete, entries.data(), true, table, 2, bits), kHuffmanComplete);
  EXPECT_TRUE(table[Reverse(3, 2)] & kEntryInvalid);
  EXPECT_EQ(BuildHuffmanTable(incomplete, entries.data(), true, table, 1, bits), kHuffmanInvalid);
  const std::uint8_t over[3] = {1, 1, 1};
  EXPECT_EQ(BuildHuffmanTable(over, entries.data(), false, table, 9, bits), kHuffmanInvalid);
  const std::uint8_t tooLong[2] = {1, 17};
  EXPECT_EQ(BuildHuffmanTable(tooLong, entries.data(), false, table, 9, bits), kHuffmanInvalid);
  const std::vector<std::uint8_t> tooMany(289, 9);
  EXPECT_EQ(BuildHuffmanTable(tooMany, entries.data(), false, table, 9, bits), kHuffmanInvalid);
  // Sub-tables that do not fit.
  const std::uint8_t deep[4] = {1, 2, 3, 3};
  EXPECT_EQ(BuildHuffmanTable(deep, entries.data(), false, std::span(table).first(2), 1, bits), kHuffmanInvalid);

  // A symbol's value and extra bits come from its entry, with its code's
  // bits added.
  const std::uint8_t four[4] = {2, 2, 2, 2};
  const std::uint32_t fourEntries[4] = {SymbolEntry(7), SymbolEntry(8), SymbolEntry(1000, 7), kEntryEnd};
  ASSERT_EQ(BuildHuffmanTable(four, fourEntries, false, table, 3, bits), kHuffmanComplete);
  for (const std::uint32_t at : {Reverse(2, 2), Reverse(2, 2) + 4}) {
    EXPECT_EQ(EntryValue(table[at]), 1000u);
    EXPECT_EQ(EntryBits(table[at]), 2u + 7u);
    EXPECT_EQ(CodeBits(table[at]), 2u);
  }
  EXPECT_TRUE(table[Reverse(3, 2)] & kEntryEnd);
}

// Random complete codes up to 16 bits long, in tables as large as
// HuffmanTableSize says, looked up with every first-level width: each
// symbol's code leads to it and consumes exactly its length. Incomplete ones
// are refused.
TEST(HuffmanTableTest, EveryCodeLeadsToItsSymbol) {
  std::vector<std::uint32_t> entries(kMaxHuffmanSymbols);
  for (unsigned s = 0; s < entries.size(); ++s) entries[s] = SymbolEntry(s);
  std::mt19937 random(3);
  for (int round = 0; round < 300; ++round) {
    const unsigned symbols = 2 + random() % 287;
    // Split random leaves of a complete tree until there are enough of them.
    std::vector<std::uint8_t> depths{1, 1};
    const unsigned leaves = 2 + random() % (symbols - 1);
    while (depths.size() < leaves) {
      const std::size_t i = random() % depths.size();
      if (depths[i] >= 16) continue;
      ++depths[i];
      depths.push_back(depths[i]);
    }
    const bool dropOne = random() % 3 == 0 && depths.size() > 2;
    if (dropOne) depths.erase(depths.begin() + static_cast<long>(random() % depths.size()));
    std::vector<std::uint8_t> lengths(symbols, 0);
    std::vector<unsigned> order(symbols);
    for (unsigned i = 0; i < symbols; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    for (std::size_t i = 0; i < depths.size(); ++i) lengths[order[i]] = depths[i];

    const int rootBits = 1 + static_cast<int>(random() % 12);
    std::vector<std::uint32_t> table(HuffmanTableSize(rootBits, symbols, 16));
    int bits = 0;
    const int result = BuildHuffmanTable(lengths, entries.data(), false, table, rootBits, bits);
    const auto longest = *std::max_element(lengths.begin(), lengths.end());
    ASSERT_EQ(result, dropOne && longest != 1 ? kHuffmanIncomplete : kHuffmanComplete) << "round " << round;
    if (result != kHuffmanComplete) continue;
    EXPECT_EQ(bits, rootBits);
    const auto codes = CanonicalCodes(lengths);
    for (unsigned s = 0; s < symbols; ++s) {
      if (!lengths[s]) continue;
      unsigned consumed = 0;
      const std::uint32_t sent = Reverse(codes[s], lengths[s]) | (random() << lengths[s] & 0xFFFF);
      const std::uint32_t e = Lookup(table, rootBits, sent, consumed);
      ASSERT_EQ(EntryValue(e), s) << "round " << round;
      EXPECT_EQ(consumed, lengths[s]);
    }
  }
}

}  // namespace
}  // namespace tarvik
