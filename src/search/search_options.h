#pragma once
// The options a search reads, in the engine's own terms: which documents a
// folder's collection lists, which parts of them are matched and how. The
// application fills them from its form (app/search_form.h); a search run takes
// them once, at its start, so one run answers one question and no job reads a
// window's control.

#include "search/part_plan.h"
#include "search/term_match.h"

#include <array>
#include <string>

namespace tarvik {

// The document kinds a collection tells apart by a path's last character.
enum class TDocumentKind { Writer, Calc, Impress, Draw, Formula };
inline constexpr int kDocumentKindCount = static_cast<int>(TDocumentKind::Formula) + 1;

struct TSearchOptions {
  // Collection: the kinds admitted, and the families listed besides the
  // 1.0 formats (*.sx*).
  std::array<bool, kDocumentKindCount> kinds{};
  bool templates = false;   // *.st*, and *.ot* / *.vor* with their families
  bool newFormats = false;  // the 2.0 formats, *.od*
  bool legacy = false;      // the StarOffice 5.x binaries, *.sd*
  bool subFolders = false;  // collection and scratch clean-up go below the folder

  // Matching: the parts searched (by TPartSlot), the phrase and how it is matched.
  std::array<bool, kPartCount> parts{};
  std::string phrase;  // UTF-8, as typed
  TMatchMode mode = TMatchMode::None;
  bool caseSensitive = false;
  bool readableText = false;  // each part's paragraphs, not its raw XML lines

  // Reporting.
  bool namesOnly = false;      // a result shows the bare file name, not the path
  bool matchingLines = false;  // each result comes with the lines it matched in

  bool Admits(TDocumentKind kind) const { return kinds[static_cast<int>(kind)]; }
};

}  // namespace tarvik
