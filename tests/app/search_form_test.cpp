#include "app/search_form.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tarvik {
namespace {

class FakeForm : public TSearchForm {
 public:
  std::map<TFormControl, bool> checked;
  bool IsChecked(TFormControl box) const override {
    const auto it = checked.find(box);
    return it != checked.end() && it->second;
  }
  std::string FolderText() const override { return {}; }
  std::string PhraseText() const override { return {}; }
  void ClearCandidates() override {}
  void AddCandidate(const std::string&) override {}
  void ShowCandidatePlaceholder(bool) override {}
  void AddResult(const std::string&, const std::string&) override {}
  void AddError(const std::string&) override {}
};

TEST(ChosenMatchModeTest, ReadsRadioButtons) {
  struct Case {
    bool whole, words, every, any;
    TMatchMode expected;
  };
  const std::vector<Case> cases = {
      {true, false, true, false, TMatchMode::WholeText},  // hidden word-mode state does not count
      {true, false, false, true, TMatchMode::WholeText},
      {false, true, true, false, TMatchMode::EveryWord},
      {false, true, false, true, TMatchMode::AnyWord},
      {false, true, true, true, TMatchMode::AnyWord},  // any word wins over every word
      {false, true, false, false, TMatchMode::None},
      {false, false, false, false, TMatchMode::None},
  };
  for (const auto& c : cases) {
    FakeForm form;
    form.checked = {{TFormControl::RadioButton1, c.whole},
                    {TFormControl::RadioButton2, c.words},
                    {TFormControl::RadioButton3, c.every},
                    {TFormControl::RadioButton4, c.any}};
    EXPECT_EQ(ChosenMatchMode(form), c.expected) << c.whole << c.words << c.every << c.any;
  }
}

}  // namespace
}  // namespace tarvik
