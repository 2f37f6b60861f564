// Throughput of the line conversion that every XML line of every searched
// part goes through, and of the file-name pattern match of folder listings.

#include "platform/code_page.h"
#include "platform/file_system.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string RepeatToSize(const std::string& unit, std::size_t size) {
  std::string text;
  while (text.size() < size) text += unit;
  return text;
}

const std::string kAsciiLine =
    RepeatToSize("<text:p text:style-name=\"P1\">The quick brown fox jumps over the lazy dog.</text:p>", 64 * 1024);
const std::string kGermanLine = RepeatToSize(
    "<text:p text:style-name=\"P2\">Gr\xC3\xBC\xC3\x9F"
    "e aus M\xC3\xBCnchen \xE2\x80\x93 Stra\xC3\x9F"
    "e, Pr\xC3\xBC"
    "fung \xE2\x82\xAC 42</text:p>",
    64 * 1024);
const std::string kForeignLine = RepeatToSize("\xD0\x9F\xD1\x80\xD0\xB8\xE4\xB8\xAD\xF0\x9F\x98\x80 ", 64 * 1024);

void ConvertLine(benchmark::State& state, const std::string& line) {
  std::string out;
  for (auto _ : state) {
    tarvik::Utf8ToAnsiLine(line, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

void BM_Utf8ToAnsiAscii(benchmark::State& state) { ConvertLine(state, kAsciiLine); }
void BM_Utf8ToAnsiGerman(benchmark::State& state) { ConvertLine(state, kGermanLine); }
void BM_Utf8ToAnsiForeign(benchmark::State& state) { ConvertLine(state, kForeignLine); }

void BM_MatchesFilePattern(benchmark::State& state) {
  const std::string names[] = {"Brief an die Bank.sxw", "Tabelle.ods", "notes.txt", "Projekt.sxw.bak"};
  for (auto _ : state) {
    for (const auto& name : names) benchmark::DoNotOptimize(tarvik::MatchesFilePattern(name, "*.sx*"));
  }
}

BENCHMARK(BM_Utf8ToAnsiAscii);
BENCHMARK(BM_Utf8ToAnsiGerman);
BENCHMARK(BM_Utf8ToAnsiForeign);
BENCHMARK(BM_MatchesFilePattern);

}  // namespace

BENCHMARK_MAIN();
