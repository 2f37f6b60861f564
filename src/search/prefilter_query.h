#pragma once
// Which part summaries (trigram_collector.h) a search's terms can match in:
// the whole phrase needs every trigram of its letter runs, every word each
// word's trigrams, any word some word's. A phrase or word with no trigram
// needs nothing, so every summary admits it. Only a summary that lacks a
// needed trigram can rule a part out: the matcher could not find the terms in
// a text without it.

#include "search/term_match.h"
#include "search/trigram_collector.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvik {

class TPrefilterQuery {
 public:
  // phrase is Windows-1252, as the matcher takes it; letter case does not
  // matter to the summaries.
  TPrefilterQuery(TMatchMode mode, std::string_view phrase);

  bool Admits(const TSummaryBits& part) const;

 private:
  TMatchMode mode_;
  std::vector<std::vector<std::uint32_t>> groups_;  // the keys of the phrase, or of each word
};

}  // namespace tarvik
