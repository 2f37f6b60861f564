#include "app/candidate_list.h"

#include "platform/ascii_case.h"

#include <algorithm>

namespace tarvik {

bool CandidateLess(std::string_view a, std::string_view b) {
  const int order = AsciiCaseBlindCompare(a, b);
  if (order != 0) return order < 0;
  return a < b;  // same key: byte order decides
}

std::size_t TCandidateList::Add(const std::string& path) {
  const auto place = std::upper_bound(paths_.begin(), paths_.end(), path,
                                      [](const std::string& x, const std::string& y) { return CandidateLess(x, y); });
  const auto index = static_cast<std::size_t>(place - paths_.begin());
  paths_.insert(place, path);
  return index;
}

}  // namespace tarvik
