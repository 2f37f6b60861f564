#pragma once
// The search form of tarvik-find: its options stand for the window's boxes,
// its lists are plain vectors.

#include "find/find_options.h"
#include "search/candidate_list.h"
#include "search/search_form.h"

namespace tarvik {

class TToolForm : public TSearchForm {
 public:
  explicit TToolForm(const TFindOptions& options) : options_(options) {}

  bool IsChecked(TFormBox box) const override;
  std::string FolderText() const override { return options_.folder; }
  std::string PhraseText() const override { return options_.phrase; }
  void ClearCandidates() override { candidates_.Clear(); }
  void AddCandidate(const std::string& path) override { candidates_.Add(path); }
  void ShowCandidatePlaceholder(bool) override {}

  const TCandidateList& Candidates() const { return candidates_; }

 private:
  TFindOptions options_;
  TCandidateList candidates_;
};

}  // namespace tarvik
