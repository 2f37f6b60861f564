#pragma once
// The options of a search run as they stood at its start. The jobs of a run
// read these instead of the form: no job reads a window's control, and a
// change in the window during the run (the phrase box is not locked) counts
// from the next run, so one result list answers one question.

#include <array>
#include <string>

#include "search/search_form.h"

namespace tarvik {

struct TSearchOptions {
  // Reads every option of form; on the form's thread.
  static TSearchOptions Of(const TSearchForm& form);

  bool IsChecked(TFormBox box) const { return boxes[static_cast<int>(box)]; }

  std::array<bool, kFormBoxCount> boxes{};
  std::string folder;
  std::string phrase;  // UTF-8, as typed
  bool readableText = false;
  bool matchingLines = false;  // the matching lines of each result are wanted too
};

}  // namespace tarvik
