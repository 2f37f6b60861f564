// TXmlScanner over a 10 MB text: a Writer content.xml of many paragraphs
// (whitespace packing on and off), and hostile texts whose scan must stay
// linear: ampersands and percent signs without a ';', a billion laughs.

#include "xml/xmlscan.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr std::size_t kSize = 10u << 20;

std::string RepeatToSize(const std::string& head, const std::string& unit, const std::string& tail) {
  std::string text = head;
  while (text.size() < kSize) text += unit;
  return text + tail;
}

const std::string kContent = RepeatToSize(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content xmlns:office=\"urn:o\" "
    "xmlns:text=\"urn:t\"><office:body>",
    "<text:p text:style-name=\"P1\">Gr\xC3\xBC\xC3\x9F"
    "e aus <text:span text:style-name=\"T1\">M\xC3\xBCnchen</text:span> &amp; K\xC3\xB6ln"
    "<text:s text:c=\"3\"/>\xE2\x82\xAC 42</text:p>\n",
    "</office:body></office:document-content>");

const std::string kAmpersands = RepeatToSize("<a>", "&& &&", "</a>");
const std::string kPercents = RepeatToSize("<!DOCTYPE d [", "%% %%", "]><d/>");

std::string Laughs() {
  std::string text = "<!DOCTYPE d [<!ENTITY l0 'lol'>";
  for (int i = 1; i <= 9; ++i) {
    text += "<!ENTITY l" + std::to_string(i) + " '";
    for (int j = 0; j < 10; ++j) text += "&l" + std::to_string(i - 1) + ";";
    text += "'>";
  }
  return text + "]><d a='&l9;'>&l9;</d>";
}

void Scan(benchmark::State& state, const std::string& text, bool pack) {
  tarvik::TXmlScanner scanner;
  scanner.OpenText(text);
  for (auto _ : state) {
    scanner.PackWhitespace = pack;
    scanner.Rewind();
    std::size_t parts = 0;
    while (scanner.Next()) ++parts;
    benchmark::DoNotOptimize(parts);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_ContentPacked(benchmark::State& state) { Scan(state, kContent, true); }
void BM_ContentUnpacked(benchmark::State& state) { Scan(state, kContent, false); }
void BM_AmpersandsWithoutSemicolon(benchmark::State& state) { Scan(state, kAmpersands, true); }
void BM_PercentsWithoutSemicolon(benchmark::State& state) {
  // The declaration is analysed once per load.
  for (auto _ : state) {
    tarvik::TXmlScanner scanner;
    scanner.OpenText(kPercents);
    scanner.Rewind();
    while (scanner.Next()) {
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPercents.size()));
}
void BM_BillionLaughs(benchmark::State& state) {
  const std::string text = Laughs();
  for (auto _ : state) {
    tarvik::TXmlScanner scanner;
    scanner.OpenText(text);
    scanner.Rewind();
    while (scanner.Next()) {
    }
  }
}

BENCHMARK(BM_ContentPacked)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContentUnpacked)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AmpersandsWithoutSemicolon)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PercentsWithoutSemicolon)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BillionLaughs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
