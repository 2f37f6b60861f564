#pragma once
// What tarvik-find prints of the lines a result matched in: under the result
// line with --show (tab-indented, hits marked with --color), or JSON Lines
// with --json. The text is converted from Windows-1252 to UTF-8, with "…"
// where an excerpt cuts its line; the hits are found anew in the reported
// text with the search's own needles (hit_ranges.h).

#include "search/hit_ranges.h"
#include "search/matching_line.h"

#include <string>
#include <vector>

namespace tarvik {

// A reported line in UTF-8 and its hits as byte ranges of that text.
struct TShownLine {
  std::string text;
  std::vector<THit> hits;
};

// line in UTF-8 with its hits. blankControls: each run of control characters
// (all but the tab; a binary legacy document holds many) becomes one blank, so
// that a terminal shows the line as one line.
TShownLine ShowLine(const TMatchingLine& line, const THitFinder& finder, bool blankControls);

enum class TLineFormat { Show, Json };

class TMatchOutput {
 public:
  TMatchOutput(TLineFormat format, bool color, TMatchMode mode, const std::string& phrase, bool caseSensitive);

  // The matching lines of the part of the result printed as path.
  void PrintLines(const std::string& path, int part, const std::vector<TMatchingLine>& lines) const;
  // A document that could not be searched (JSON only).
  void PrintError(const std::string& path) const;

 private:
  TLineFormat format_;
  bool color_;
  THitFinder finder_;
};

}  // namespace tarvik
