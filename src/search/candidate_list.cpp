#include "search/candidate_list.h"

#include <algorithm>

namespace tarvik {
namespace {

unsigned char FoldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

}  // namespace

bool CandidateLess(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
    const unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
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
