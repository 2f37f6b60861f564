#include "search/prefilter_query.h"

#include <algorithm>

#include "search/trigram_keys.h"

namespace tarvik {

TPrefilterQuery::TPrefilterQuery(TMatchMode mode, std::string_view phrase) : mode_(mode) {
  if (mode == mmWholeText) {
    groups_.push_back(NeedleTrigramKeys(phrase));
  } else if (mode == mmEveryWord || mode == mmAnyWord) {
    for (const std::string& word : SplitWords(phrase)) groups_.push_back(NeedleTrigramKeys(word));
  }
}

bool TPrefilterQuery::Admits(const TSummaryBits& part) const {
  auto held = [&part](const std::vector<std::uint32_t>& keys) { return part.HasAll(keys); };
  switch (mode_) {
    case mmWholeText:
    case mmEveryWord: return std::all_of(groups_.begin(), groups_.end(), held);
    case mmAnyWord: return std::any_of(groups_.begin(), groups_.end(), held);
    default: return true;  // nothing matches; the search finds that out itself
  }
}

}  // namespace tarvik
