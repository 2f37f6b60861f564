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
  void Clear() {
    paths_.clear();
    sorted_ = 0;
  }
  // Adds path; it takes its sorted place (after any equal path) when the list is next read.
  void Add(const std::string& path) { paths_.push_back(path); }
  const std::vector<std::string>& Paths() const;
  std::size_t Count() const { return paths_.size(); }
  bool Empty() const { return paths_.empty(); }

 private:
  // Sorted once when read, not on every insert: a folder of many thousand
  // documents would otherwise cost a move of the whole list per document.
  mutable std::vector<std::string> paths_;
  mutable std::size_t sorted_ = 0;  // paths_[0, sorted_) are in order
};

}  // namespace tarvik
