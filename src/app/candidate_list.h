#pragma once
// The sorted candidate list: full paths in ascending order, comparing bytes with
// ASCII letters folded to upper case, equal keys in byte order. The window's list
// and the tools' list both keep this order.

#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// True when a sorts before b in the candidate list.
bool CandidateLess(std::string_view a, std::string_view b);

class TCandidateList {
 public:
  void Clear() { paths_.clear(); }
  // Inserts path at its sorted place (after any equal path) and returns that index.
  std::size_t Add(const std::string& path);
  const std::vector<std::string>& Paths() const { return paths_; }
  std::size_t Count() const { return paths_.size(); }
  bool Empty() const { return paths_.empty(); }

 private:
  std::vector<std::string> paths_;
};

}  // namespace tarvik
