// Inflate throughput against zlib on the same raw deflate data:
//   Corpus: the content.xml parts of the office documents in
//           tests/data/inflate/docs, concatenated (extracted with our own
//           decoding stage, deflated with zlib at level 6);
//   Man:    about 50 MB of manual-page text (zcat /usr/share/man/man1/*.gz,
//           repeated), deflated with zlib at level 6; skipped when absent.
// Ours runs through the full output stage (32 KB blocks, CRC-32, a sink that
// discards); zlib inflates into a 32 KB buffer, with and without crc32();
// libdeflate (when its headers are there) inflates the whole stream into a
// reused buffer, with and without libdeflate_crc32(). *_OursVsLibdeflate run
// ours (with its CRC) and libdeflate (without) in turns and report the ratio
// of the throughputs, the figure the decoder is held to (at least 0.9).

#include "support/memory_stream.h"

#include "zip/entry_decoder.h"
#include "zip/records.h"

#include "decode/crc32.h"
#include "decode/decode_component.h"
#include "decode/decode_context.h"
#include "decode/inflate.h"

#include "base/stream.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef __has_include
#if __has_include(<zlib.h>)
#include <zlib.h>
#define TARVIK_BENCH_HAVE_ZLIB 1
#endif
#endif

#ifdef TARVIK_BENCH_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

// The fixtures beside this source: <source>/tests/data/inflate.
std::filesystem::path BenchData() {
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/data/inflate";
}

// Counts what is written and forgets it.
class TDiscardSink : public tarvik::TStream {
 public:
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void*, std::size_t count) override {
    size_ += static_cast<std::int64_t>(count);
    return count;
  }
  std::int64_t Seek(std::int64_t, int) override { return size_; }

 private:
  std::int64_t size_ = 0;
};

// Reads bytes it does not own, as an archive stream over a file's buffer would:
// no copy of the whole input per run.
class TByteView : public tarvik::TStream {
 public:
  explicit TByteView(const Bytes& bytes) : bytes_(bytes) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    const std::size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, int origin) override {
    const auto size = static_cast<std::int64_t>(bytes_.size());
    std::int64_t to = offset;
    if (origin == tarvik::soFromCurrent) to += static_cast<std::int64_t>(position_);
    if (origin == tarvik::soFromEnd) to += size;
    if (to < 0 || to > size) return -1;
    position_ = static_cast<std::size_t>(to);
    return to;
  }

 private:
  const Bytes& bytes_;
  std::size_t position_ = 0;
};

// Our decoding stage on one raw deflate stream.
std::uint32_t InflateOurs(tarvik::DecodeContext& context, tarvik::TDecodeComponent& component, const Bytes& compressed,
                          std::size_t plainSize) {
  TByteView archive(compressed);
  context.archive = &archive;
  context.component = &component;
  context.output = std::make_unique<TDiscardSink>();
  context.StartEntry(8, false, static_cast<std::int64_t>(compressed.size()), static_cast<std::int64_t>(plainSize));
  tarvik::Inflate(context);
  context.output.reset();
  return ~component.CRCRegister;
}

// content.xml of one document, through the central directory and DecodeEntryData.
Bytes ContentXml(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw std::runtime_error("cannot open " + path);
  Bytes bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
  std::fclose(f);

  tarvik::TMemoryStream stream(bytes.data(), bytes.size());
  tarvik::TEndCentral end;
  if (!end.FindEndRecord(stream)) throw std::runtime_error("no end record in " + path);
  stream.SetPosition(end.CentralOffset);
  for (int i = 0; i < end.TotalEntries; ++i) {
    tarvik::TZipHeaderInfo entry;
    tarvik::TStream* s = &stream;
    if (!entry.ReadCentralHeader(s)) break;
    stream.Seek(entry.ExtraFieldLength + entry.FileCommentLength, tarvik::soFromCurrent);
    if (entry.StoredPath() != "content.xml") continue;
    const Bytes local(bytes.begin() + entry.LocalHeaderOffset, bytes.begin() + entry.LocalHeaderOffset + 30);
    const auto nameLength = static_cast<std::uint16_t>(local[26] | local[27] << 8);
    const auto extraLength = static_cast<std::uint16_t>(local[28] | local[29] << 8);
    Bytes out;
    struct TSink : tarvik::TStream {
      Bytes& out;
      explicit TSink(Bytes& o) : out(o) {}
      std::size_t Read(void*, std::size_t) override { return 0; }
      std::size_t Write(const void* b, std::size_t n) override {
        out.insert(out.end(), static_cast<const std::uint8_t*>(b), static_cast<const std::uint8_t*>(b) + n);
        return n;
      }
      std::int64_t Seek(std::int64_t, int) override { return static_cast<std::int64_t>(out.size()); }
    };
    tarvik::DecodeContext context;
    tarvik::TDecodeComponent component;
    component.DoProcessMessages = false;
    context.archive = &stream;
    context.component = &component;
    context.output = std::make_unique<TSink>(out);
    tarvik::DecodeEntryData(context, entry, 0, nameLength, extraLength);
    if (~component.CRCRegister != entry.CRC32) throw std::runtime_error("bad CRC in " + path);
    return out;
  }
  throw std::runtime_error("no content.xml in " + path);
}

#ifdef TARVIK_BENCH_HAVE_ZLIB
Bytes DeflateRaw(const Bytes& plain) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, plain.size()));
  z.next_in = const_cast<Bytes::value_type*>(plain.data());
  z.avail_in = static_cast<uInt>(plain.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::uint32_t InflateZlib(const Bytes& compressed, bool withCrc) {
  static thread_local Bytes window(32768);
  z_stream z{};
  inflateInit2(&z, -15);
  z.next_in = const_cast<Bytes::value_type*>(compressed.data());
  z.avail_in = static_cast<uInt>(compressed.size());
  uLong crc = crc32(0, nullptr, 0);
  int result;
  do {
    z.next_out = window.data();
    z.avail_out = static_cast<uInt>(window.size());
    result = inflate(&z, Z_NO_FLUSH);
    if (withCrc) crc = crc32(crc, window.data(), static_cast<uInt>(window.size() - z.avail_out));
  } while (result == Z_OK);
  inflateEnd(&z);
  return static_cast<std::uint32_t>(crc);
}
#endif

struct TDataSet {
  Bytes plain;
  Bytes compressed;
  std::string skipReason;
};

const TDataSet& Corpus() {
  static const TDataSet set = [] {
    TDataSet s;
    std::vector<std::filesystem::path> docs;
    for (const auto& e : std::filesystem::directory_iterator(BenchData() / "docs")) docs.push_back(e.path());
    std::sort(docs.begin(), docs.end());
    for (const auto& d : docs) {
      const Bytes xml = ContentXml(d.string());
      s.plain.insert(s.plain.end(), xml.begin(), xml.end());
    }
#ifdef TARVIK_BENCH_HAVE_ZLIB
    s.compressed = DeflateRaw(s.plain);
#else
    s.skipReason = "zlib not available";
#endif
    return s;
  }();
  return set;
}

const TDataSet& ManPages() {
  static const TDataSet set = [] {
    TDataSet s;
    constexpr std::size_t kTarget = 50u << 20;
    std::FILE* pipe = popen("zcat /usr/share/man/man1/*.gz 2>/dev/null", "r");
    if (pipe) {
      Bytes chunk(1 << 16);
      std::size_t n;
      while (s.plain.size() < kTarget && (n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        s.plain.insert(s.plain.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
      pclose(pipe);
    }
    if (s.plain.empty()) {
      s.skipReason = "no manual pages in /usr/share/man/man1";
      return s;
    }
    while (s.plain.size() < kTarget)
      s.plain.insert(s.plain.end(), s.plain.begin(),
                     s.plain.begin() + static_cast<long>(std::min(s.plain.size(), kTarget - s.plain.size())));
    s.plain.resize(kTarget);
#ifdef TARVIK_BENCH_HAVE_ZLIB
    s.compressed = DeflateRaw(s.plain);
#else
    s.skipReason = "zlib not available";
#endif
    return s;
  }();
  return set;
}

// Marks the run skipped when its data set could not be made.
bool Skipped(benchmark::State& state, const TDataSet& set) {
  if (!set.skipReason.empty()) state.SkipWithError(set.skipReason.c_str());
  return !set.skipReason.empty();
}

void RunOurs(benchmark::State& state, const TDataSet& set) {
  if (Skipped(state, set)) return;
  tarvik::DecodeContext context;
  tarvik::TDecodeComponent component;
  component.DoProcessMessages = false;
  const std::uint32_t expected = tarvik::UpdateCRC(0xFFFFFFFFu, set.plain.data(), set.plain.size());
  if (InflateOurs(context, component, set.compressed, set.plain.size()) != ~expected) {
    state.SkipWithError("our output differs");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(InflateOurs(context, component, set.compressed, set.plain.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.plain.size()));
  state.counters["ratio"] = static_cast<double>(set.compressed.size()) / set.plain.size();
}

#ifdef TARVIK_BENCH_HAVE_ZLIB
void RunZlib(benchmark::State& state, const TDataSet& set, bool withCrc) {
  if (Skipped(state, set)) return;
  for (auto _ : state) benchmark::DoNotOptimize(InflateZlib(set.compressed, withCrc));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.plain.size()));
}
#endif

#ifdef TARVIK_BENCH_HAVE_LIBDEFLATE
void RunLibdeflate(benchmark::State& state, const TDataSet& set, bool withCrc) {
  if (Skipped(state, set)) return;
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  Bytes out(set.plain.size());
  for (auto _ : state) {
    std::size_t actual = 0;
    libdeflate_deflate_decompress(decompressor, set.compressed.data(), set.compressed.size(), out.data(), out.size(),
                                  &actual);
    std::uint32_t crc = 0;
    if (withCrc) crc = libdeflate_crc32(0, out.data(), actual);
    benchmark::DoNotOptimize(crc);
    benchmark::DoNotOptimize(out.data());
  }
  libdeflate_free_decompressor(decompressor);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.plain.size()));
}

// Thread CPU time in seconds: the other core is busy, so wall time would count
// the time this thread waited.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Ours (with its CRC) and libdeflate (without) in turns on the same data, in
// alternating order, so both see the same machine; "ratio" is our throughput
// over theirs (the goal is at least 0.9).
void RunSideBySide(benchmark::State& state, const TDataSet& set) {
  if (Skipped(state, set)) return;
  tarvik::DecodeContext context;
  tarvik::TDecodeComponent component;
  component.DoProcessMessages = false;
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  Bytes out(set.plain.size());
  const auto ours = [&] {
    benchmark::DoNotOptimize(InflateOurs(context, component, set.compressed, set.plain.size()));
  };
  const auto theirs = [&] {
    std::size_t actual = 0;
    libdeflate_deflate_decompress(decompressor, set.compressed.data(), set.compressed.size(), out.data(), out.size(),
                                  &actual);
    benchmark::DoNotOptimize(out.data());
  };
  double oursSeconds = 0;
  double theirsSeconds = 0;
  bool oursFirst = true;
  for (auto _ : state) {
    const double t0 = CpuSeconds();
    oursFirst ? ours() : theirs();
    const double t1 = CpuSeconds();
    oursFirst ? theirs() : ours();
    const double t2 = CpuSeconds();
    oursSeconds += oursFirst ? t1 - t0 : t2 - t1;
    theirsSeconds += oursFirst ? t2 - t1 : t1 - t0;
    oursFirst = !oursFirst;
  }
  libdeflate_free_decompressor(decompressor);
  const double bytes = static_cast<double>(state.iterations()) * static_cast<double>(set.plain.size());
  state.counters["ours_GBps"] = bytes / oursSeconds * 1e-9;
  state.counters["libdeflate_GBps"] = bytes / theirsSeconds * 1e-9;
  state.counters["ratio"] = theirsSeconds / oursSeconds;
}

void BM_Corpus_Libdeflate(benchmark::State& state) { RunLibdeflate(state, Corpus(), false); }
void BM_Corpus_LibdeflateWithCrc(benchmark::State& state) { RunLibdeflate(state, Corpus(), true); }
void BM_Man_Libdeflate(benchmark::State& state) { RunLibdeflate(state, ManPages(), false); }
void BM_Man_LibdeflateWithCrc(benchmark::State& state) { RunLibdeflate(state, ManPages(), true); }
BENCHMARK(BM_Corpus_Libdeflate);
BENCHMARK(BM_Corpus_LibdeflateWithCrc);
BENCHMARK(BM_Man_Libdeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Man_LibdeflateWithCrc)->Unit(benchmark::kMillisecond);
void BM_Corpus_OursVsLibdeflate(benchmark::State& state) { RunSideBySide(state, Corpus()); }
void BM_Man_OursVsLibdeflate(benchmark::State& state) { RunSideBySide(state, ManPages()); }
BENCHMARK(BM_Corpus_OursVsLibdeflate);
BENCHMARK(BM_Man_OursVsLibdeflate)->Unit(benchmark::kMillisecond);
#endif

void BM_Corpus_Tarvik(benchmark::State& state) { RunOurs(state, Corpus()); }
void BM_Man_Tarvik(benchmark::State& state) { RunOurs(state, ManPages()); }
BENCHMARK(BM_Corpus_Tarvik);
BENCHMARK(BM_Man_Tarvik)->Unit(benchmark::kMillisecond);
#ifdef TARVIK_BENCH_HAVE_ZLIB
void BM_Corpus_Zlib(benchmark::State& state) { RunZlib(state, Corpus(), false); }
void BM_Corpus_ZlibWithCrc(benchmark::State& state) { RunZlib(state, Corpus(), true); }
void BM_Man_Zlib(benchmark::State& state) { RunZlib(state, ManPages(), false); }
void BM_Man_ZlibWithCrc(benchmark::State& state) { RunZlib(state, ManPages(), true); }
BENCHMARK(BM_Corpus_Zlib);
BENCHMARK(BM_Corpus_ZlibWithCrc);
BENCHMARK(BM_Man_Zlib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Man_ZlibWithCrc)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
