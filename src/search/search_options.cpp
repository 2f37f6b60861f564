#include "search/search_options.h"

namespace tarvik {

TSearchOptions TSearchOptions::Of(const TSearchForm& form) {
  TSearchOptions options;
  for (int box = 0; box < kFormBoxCount; ++box) options.boxes[box] = form.IsChecked(static_cast<TFormBox>(box));
  options.folder = form.FolderText();
  options.phrase = form.PhraseText();
  options.readableText = form.MatchesReadableText();
  options.matchingLines = form.WantsMatchingLines();
  return options;
}

}  // namespace tarvik
