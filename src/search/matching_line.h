#pragma once
// A line of a part that matched, as the search reports it when asked
// (TSearchForm::WantsMatchingLines).

#include <cstddef>
#include <string>

namespace tarvik {

struct TMatchingLine {
  std::size_t number = 0;  // in its part, from 1: raw lines as the line reader ends them, or paragraphs
  std::string text;        // Windows-1252: a whole paragraph, or an excerpt of a raw line
  bool cutBefore = false;  // the line goes on before text
  bool cutAfter = false;   // the line goes on after text
  bool operator==(const TMatchingLine&) const = default;
};

}  // namespace tarvik
