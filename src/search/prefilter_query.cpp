#include "search/prefilter_query.h"

#include "search/trigram_keys.h"

#include <algorithm>

namespace tarvik {

TPrefilterQuery::TPrefilterQuery(TMatchMode mode, std::string_view phrase) : mode_(mode) {
  if (mode == TMatchMode::WholeText) {
    groups_.push_back(NeedleTrigramKeys(phrase));
  } else if (mode == TMatchMode::EveryWord || mode == TMatchMode::AnyWord) {
    for (const std::string& word : SplitWords(phrase)) groups_.push_back(NeedleTrigramKeys(word));
  }
}

bool TPrefilterQuery::Admits(const TSummaryBits& part) const {
  auto held = [&part](const std::vector<std::uint32_t>& keys) { return part.HasAll(keys); };
  switch (mode_) {
    case TMatchMode::WholeText:
    case TMatchMode::EveryWord: return std::all_of(groups_.begin(), groups_.end(), held);
    case TMatchMode::AnyWord: return std::any_of(groups_.begin(), groups_.end(), held);
    default: return true;  // nothing matches; the search finds that out itself
  }
}

}  // namespace tarvik
