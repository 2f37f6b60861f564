// Speed of the buffered streams as the decoders use them (byte by byte and in
// 32 KB blocks, through 8192-byte buffers), and of matching entry paths
// against the document search's patterns.

#include "support/memory_stream.h"

#include "zip/wild_match.h"

#include "base/buffer_stream.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDataSize = 8 << 20;
constexpr std::size_t kBufferSize = 8192;

const std::vector<std::uint8_t>& Data() {
  static const std::vector<std::uint8_t> data = [] {
    std::vector<std::uint8_t> bytes(kDataSize);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return bytes;
  }();
  return data;
}

void BM_ReadByteByByte(benchmark::State& state) {
  for (auto _ : state) {
    tarvik::TMemoryStream inner(Data());
    tarvik::TBufferStream stream(inner, kBufferSize);
    std::uint32_t sum = 0;
    for (int b; (b = stream.ReadByte()) >= 0;) sum += static_cast<std::uint32_t>(b);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataSize));
}
BENCHMARK(BM_ReadByteByByte);

void BM_ReadBlocks(benchmark::State& state) {
  std::vector<std::uint8_t> block(32768);
  for (auto _ : state) {
    tarvik::TMemoryStream inner(Data());
    tarvik::TBufferStream stream(inner, kBufferSize);
    while (stream.Read(block.data(), block.size()) != 0) benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataSize));
}
BENCHMARK(BM_ReadBlocks);

void BM_WriteBlocks(benchmark::State& state) {
  for (auto _ : state) {
    tarvik::TMemoryStream inner;
    inner.Bytes().reserve(kDataSize);
    tarvik::TBufferStream stream(inner, kBufferSize);
    for (std::size_t at = 0; at < kDataSize; at += 32768) stream.Write(Data().data() + at, 32768);
    stream.Finish();
    benchmark::DoNotOptimize(inner.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataSize));
}
BENCHMARK(BM_WriteBlocks);

// The entry names of a typical document against the search's three patterns.
void BM_MatchEntryNames(benchmark::State& state) {
  const std::vector<std::string> names = {"mimetype",
                                          "Configurations2\\statusbar\\",
                                          "Configurations2\\accelerator\\current.xml",
                                          "content.xml",
                                          "styles.xml",
                                          "meta.xml",
                                          "Thumbnails\\thumbnail.png",
                                          "settings.xml",
                                          "META-INF\\manifest.xml",
                                          "Pictures\\100000000000020000000200A1B2C3D4.png"};
  const std::vector<std::string> patterns = {"content.xml", "meta.xml", "styles.xml", "*.xml"};
  for (auto _ : state) {
    int hits = 0;
    for (const auto& name : names) {
      for (const auto& pattern : patterns) hits += tarvik::IsMatch(pattern, name);
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * names.size() * patterns.size()));
}
BENCHMARK(BM_MatchEntryNames);

}  // namespace

BENCHMARK_MAIN();
