// Speed of term matching over one long line, as content.xml often is, and of
// plain memmem over the same bytes for comparison.

#include "search/term_match.h"

#include "platform/ansi_upper.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using tarvik::TMatchMode;

constexpr std::size_t kLineSize = 1 << 20;
constexpr const char* kPhrase = "Gartenhaus am Seeufer";

// Paragraphs of a Writer document in Windows-1252, all on one line, with the
// phrase only at the very end so every mode reads the whole line.
const std::string& Line() {
  static const std::string line = [] {
    const std::vector<std::string> words = {"der",
                                            "die",
                                            "und",
                                            "Haus",
                                            "Garten",
                                            "M\xFCller",
                                            "Stra\xDF"
                                            "e",
                                            "Gro\xDF",
                                            "Bericht",
                                            "2006",
                                            "Sitzung",
                                            "Protokoll",
                                            "\xFC"
                                            "ber",
                                            "f\xFCr",
                                            "Kosten",
                                            "Angebot",
                                            "Rechnung",
                                            "Seite",
                                            "Tabelle",
                                            "the",
                                            "report",
                                            "meeting",
                                            "budget",
                                            "\x80",
                                            "12,50",
                                            "Ergebnis",
                                            "Zusammenfassung",
                                            "Termin"};
    std::mt19937 random(1252);
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content>";
    int paragraph = 0;
    while (text.size() < kLineSize - 200) {
      text += "<text:p text:style-name=\"P" + std::to_string(++paragraph % 40) + "\">";
      for (int i = 0; i < 12; ++i) text += words[pick(random)] + (i % 5 == 4 ? ", " : " ");
      text += "<text:span text:style-name=\"T1\">" + words[pick(random)] + "</text:span></text:p>";
    }
    text += "<text:p>";
    text += kPhrase;
    text += "</text:p></office:document-content>";
    return text;
  }();
  return line;
}

void Match(benchmark::State& state, TMatchMode mode, bool caseSensitive) {
  const std::string& line = Line();
  tarvik::TTermMatcher matcher(mode, kPhrase, tarvik::SplitWords(kPhrase), caseSensitive);
  for (auto _ : state) benchmark::DoNotOptimize(matcher.Matches(line));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(line.size()));
}

void Memmem(benchmark::State& state) {
  const std::string& line = Line();
  for (auto _ : state) benchmark::DoNotOptimize(memmem(line.data(), line.size(), kPhrase, std::strlen(kPhrase)));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(line.size()));
}

// The straightforward case-insensitive way, for comparison: upper-case the
// line into a reused buffer, then memmem.
void UpperThenMemmem(benchmark::State& state) {
  const std::string& line = Line();
  const std::string phrase = tarvik::AnsiUpper(kPhrase);
  std::string buffer;
  for (auto _ : state) {
    tarvik::AnsiUpper(line, buffer);
    benchmark::DoNotOptimize(memmem(buffer.data(), buffer.size(), phrase.data(), phrase.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(line.size()));
}

// Many short lines: the per-call cost of the matcher.
void ShortLines(benchmark::State& state) {
  const std::string& line = Line();
  tarvik::TTermMatcher matcher(tarvik::TMatchMode::WholeText, kPhrase, {}, false);
  constexpr std::size_t kShort = 80;
  for (auto _ : state) {
    for (std::size_t at = 0; at + kShort <= line.size(); at += kShort)
      benchmark::DoNotOptimize(matcher.Matches(std::string_view(line).substr(at, kShort)));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(line.size()));
}

BENCHMARK_CAPTURE(Match, whole_nocase, tarvik::TMatchMode::WholeText, false);
BENCHMARK_CAPTURE(Match, whole_case, tarvik::TMatchMode::WholeText, true);
BENCHMARK_CAPTURE(Match, every_nocase, tarvik::TMatchMode::EveryWord, false);
BENCHMARK_CAPTURE(Match, every_case, tarvik::TMatchMode::EveryWord, true);
BENCHMARK_CAPTURE(Match, any_nocase, tarvik::TMatchMode::AnyWord, false);
BENCHMARK_CAPTURE(Match, any_case, tarvik::TMatchMode::AnyWord, true);
BENCHMARK(Memmem);
BENCHMARK(UpperThenMemmem);
BENCHMARK(ShortLines);

}  // namespace

BENCHMARK_MAIN();
