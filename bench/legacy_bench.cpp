// Decoding speed of the shrunk, reduced and imploded fixture entries, in
// uncompressed bytes per second.

#include "../tests/decode/legacy_test_support.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace tarvik::legacy_test;

const std::string kLegacyData = [] {
  const std::string file = __FILE__;
  return file.substr(0, file.rfind('/')) + "/../tests/data/legacy/";
}();

void DecodeArchive(benchmark::State& state, const char* archive) {
  const auto entries = ReadFixtureEntries(kLegacyData + archive);
  TLegacyHarness harness;
  std::int64_t bytes = 0;
  for (auto _ : state) {
    for (const TFixtureEntry& entry : entries) {
      const TDecodeOutcome out = harness.Decode(entry.method, entry.flags, entry.data, entry.uncompressedSize);
      if (out.crc != entry.crc) state.SkipWithError("bad CRC");
      bytes += static_cast<std::int64_t>(out.bytes.size());
    }
  }
  state.SetBytesProcessed(bytes);
}

BENCHMARK_CAPTURE(DecodeArchive, Unshrink, "shrunk.zip");
BENCHMARK_CAPTURE(DecodeArchive, Unreduce, "reduced.zip");
BENCHMARK_CAPTURE(DecodeArchive, Explode, "imploded.zip");

}  // namespace

BENCHMARK_MAIN();
