#include "app/candidate_list.h"

#include "platform/ascii_case.h"

#include <algorithm>

namespace tarvik {

bool CandidateLess(std::string_view a, std::string_view b) {
  const int order = AsciiCaseBlindCompare(a, b);
  if (order != 0) return order < 0;
  return a < b;  // same key: byte order decides
}

const std::vector<std::string>& TCandidateList::Paths() const {
  if (sorted_ != paths_.size()) {
    // Stable: equal paths keep the order they were added in.
    const auto less = [](const std::string& x, const std::string& y) { return CandidateLess(x, y); };
    const auto middle = paths_.begin() + static_cast<std::ptrdiff_t>(sorted_);
    std::stable_sort(middle, paths_.end(), less);
    std::inplace_merge(paths_.begin(), middle, paths_.end(), less);
    sorted_ = paths_.size();
  }
  return paths_;
}

}  // namespace tarvik
