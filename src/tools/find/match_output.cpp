#include "find/match_output.h"

#include "find/json_text.h"

#include "platform/code_page.h"

#include <cstdio>

namespace tarvik {
namespace {

constexpr const char* kEllipsis = "\xE2\x80\xA6";  // … in UTF-8
// grep's marking of a match: bold red, then back to normal.
constexpr const char* kMarkOn = "\x1B[01;31m";
constexpr const char* kMarkOff = "\x1B[m";
constexpr const char* kPartNames[] = {"content", "meta", "styles"};

// The Windows-1252 bytes a terminal would act on instead of showing: C0
// controls but the tab, DEL, and the five unassigned bytes (C1 controls).
bool IsControl(unsigned char byte) {
  return (byte < 0x20 && byte != '\t') || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
         byte == 0x90 || byte == 0x9D;
}

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// --show: the line under its result, tab-indented, each hit marked when color.
std::string ShowText(const TShownLine& shown, bool color) {
  std::string out = "\t";
  std::size_t done = 0;
  if (color) {
    for (const THit& hit : shown.hits) {
      out.append(shown.text, done, hit.begin - done).append(kMarkOn);
      out.append(shown.text, hit.begin, hit.end - hit.begin).append(kMarkOff);
      done = hit.end;
    }
  }
  return out.append(shown.text, done).append("\n");
}

// --json: one object for one line.
std::string JsonText(const std::string& path, int part, std::size_t number, const TShownLine& shown) {
  std::string out = "{\"path\": ";
  AppendJsonString(out, path);
  out.append(", \"part\": \"").append(kPartNames[part >= 0 && part < 3 ? part : 0]).append("\", \"line\": ");
  out.append(std::to_string(number)).append(", \"text\": ");
  AppendJsonString(out, shown.text);
  out.append(", \"matches\": [");
  for (std::size_t i = 0; i < shown.hits.size(); ++i) {
    out.append(i ? ", [" : "[").append(std::to_string(shown.hits[i].begin)).append(", ");
    out.append(std::to_string(shown.hits[i].end)).append("]");
  }
  return out.append("]}\n");
}

// ansi in UTF-8; with blankControls each run of control characters as one blank.
std::string Utf8Of(std::string_view ansi, bool blankControls) {
  if (!blankControls) return AnsiToUtf8(ansi);
  std::string plain;
  bool inRun = false;
  for (const char c : ansi) {
    const bool control = IsControl(static_cast<unsigned char>(c));
    if (!control || !inRun) plain += control ? ' ' : c;
    inRun = control;
  }
  return AnsiToUtf8(plain);
}

}  // namespace

TShownLine ShowLine(const TMatchingLine& line, const THitFinder& finder, bool blankControls) {
  // Hits are found in the line as it was matched, then carried over to the UTF-8 text.
  const std::string_view text = line.text;
  TShownLine shown;
  if (line.cutBefore) shown.text = kEllipsis;
  std::size_t done = 0;
  for (const THit& hit : finder.Hits(text)) {
    shown.text += Utf8Of(text.substr(done, hit.begin - done), blankControls);
    const std::size_t begin = shown.text.size();
    shown.text += Utf8Of(text.substr(hit.begin, hit.end - hit.begin), blankControls);
    shown.hits.push_back({begin, shown.text.size()});
    done = hit.end;
  }
  shown.text += Utf8Of(text.substr(done), blankControls);
  if (line.cutAfter) shown.text += kEllipsis;
  return shown;
}

TMatchOutput::TMatchOutput(TLineFormat format, bool color, TMatchMode mode, const std::string& phrase,
                           bool caseSensitive)
    : format_(format), color_(color), finder_(mode, phrase, caseSensitive) {}

void TMatchOutput::PrintLines(const std::string& path, int part, const std::vector<TMatchingLine>& lines) const {
  const bool json = format_ == TLineFormat::Json;
  for (const TMatchingLine& line : lines) {
    const TShownLine shown = ShowLine(line, finder_, !json);
    Print(json ? JsonText(path, part, line.number, shown) : ShowText(shown, color_));
  }
}

void TMatchOutput::PrintError(const std::string& path) const {
  if (format_ != TLineFormat::Json) return;
  std::string out = "{\"path\": ";
  AppendJsonString(out, path);
  out.append(", \"error\": \"cannot search\"}\n");
  Print(out);
}

}  // namespace tarvik
