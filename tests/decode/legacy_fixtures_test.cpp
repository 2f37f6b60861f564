// The fixture archives of the shrunk, reduced and imploded methods, written by
// an independent compressor: every entry decodes to the expected bytes, and
// damaged copies end as data errors or CRC mismatches, never as faults.

#include "legacy_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tarvik {
namespace {

using namespace legacy_test;

const std::string kLegacyData = std::string(TARVIK_TEST_DATA) + "/legacy/";

TFixtureEntry FixtureEntry(const std::string& archive, const std::string& name) {
  for (auto& entry : ReadFixtureEntries(kLegacyData + archive))
    if (entry.name == name) return entry;
  ADD_FAILURE() << "no entry " << name << " in " << archive;
  return {};
}

TEST(LegacyFixtures, EveryEntryDecodesToItsExpectedContent) {
  std::ifstream expected(kLegacyData + "expected.tsv");
  std::string line, archive, name, sha256;
  std::size_t size = 0, rows = 0;
  std::getline(expected, line);  // header
  // One context for all entries, as in one extraction run: nothing an entry
  // leaves in the work area may change the next one.
  TLegacyHarness harness;
  while (std::getline(expected, line)) {
    std::istringstream(line) >> archive >> name >> size >> sha256;
    SCOPED_TRACE(name);
    const TFixtureEntry entry = FixtureEntry(archive, name);
    const TDecodeOutcome out = harness.Decode(entry.method, entry.flags, entry.data, entry.uncompressedSize);
    EXPECT_EQ(out.result, TLegacyResult::Ok);
    EXPECT_EQ(out.bytes.size(), size);
    EXPECT_EQ(Sha256Hex(out.bytes), sha256);
    EXPECT_EQ(out.crc, entry.crc);
    ++rows;
  }
  EXPECT_EQ(rows, 14u);
}

TEST(LegacyFixtures, DamagedEntriesAreRejectedWithoutFaults) {
  TLegacyHarness harness;
  std::uint32_t seed = 12345;
  for (const char* archive : {"shrunk.zip", "reduced.zip", "imploded.zip"}) {
    for (const TFixtureEntry& entry : ReadFixtureEntries(kLegacyData + archive)) {
      SCOPED_TRACE(entry.name);
      if (entry.data.size() < 8) continue;  // nothing but one code and padding
      std::vector<Bytes> damaged;
      // Cut short, and one bit flipped (mostly in the headers and trees at the
      // start).
      for (std::size_t keep : {std::size_t{0}, std::size_t{1}, entry.data.size() / 3})
        damaged.emplace_back(entry.data.begin(), entry.data.begin() + long(keep));
      for (int round = 0; round < 12; ++round) {
        seed = seed * 1103515245u + 12345u;
        Bytes flipped = entry.data;
        const std::size_t span = round < 6 ? 64 : flipped.size();
        flipped[(seed >> 8) % span] ^= static_cast<std::uint8_t>(1u << (seed >> 28) % 8);
        damaged.push_back(flipped);
      }
      for (const Bytes& data : damaged) {
        const TDecodeOutcome out = harness.Decode(entry.method, entry.flags, data, entry.uncompressedSize);
        EXPECT_LE(out.bytes.size(), entry.uncompressedSize);
        // A flipped bit may well leave the output as it was (a distance
        // inside a run, an unused follower byte); a cut never does.
        const bool intact = out.bytes.size() == entry.uncompressedSize && out.crc == entry.crc;
        if (data.size() < entry.data.size()) {
          EXPECT_FALSE(intact);
        }
      }
    }
  }
}

}  // namespace
}  // namespace tarvik
