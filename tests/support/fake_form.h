#pragma once
// A search form over plain fields, as the tests drive the engine.

#include <map>
#include <string>

#include "search/candidate_list.h"
#include "search/search_form.h"

namespace tarvik::test {

class TFakeForm : public TSearchForm {
 public:
  TFakeForm() {
    // The window's start state: every kind, sub-folders and the 2.0 formats,
    // content only, whole phrase, German.
    for (TFormBox box : {TFormBox::cbAlleDateien, TFormBox::cbWriter, TFormBox::cbCalc, TFormBox::cbImpress,
                         TFormBox::cbDraw, TFormBox::cbFormel, TFormBox::cbUnter, TFormBox::cbOO,
                         TFormBox::cbConntent, TFormBox::RadioButton1, TFormBox::rbGerman})
      boxes[box] = true;
  }

  bool IsChecked(TFormBox box) const override {
    const auto it = boxes.find(box);
    return it != boxes.end() && it->second;
  }
  std::string FolderText() const override { return folder; }
  std::string PhraseText() const override { return phrase; }
  void ClearCandidates() override { candidates.Clear(); }
  void AddCandidate(const std::string& path) override { candidates.Add(path); }
  void ShowCandidatePlaceholder(bool visible) override { placeholderVisible = visible; }

  void Set(TFormBox box, bool ticked) { boxes[box] = ticked; }
  // Only the named kind boxes ticked, "all kinds" off.
  void OnlyKinds(std::initializer_list<TFormBox> kinds) {
    for (TFormBox box : {TFormBox::cbAlleDateien, TFormBox::cbWriter, TFormBox::cbCalc, TFormBox::cbImpress,
                         TFormBox::cbDraw, TFormBox::cbFormel})
      boxes[box] = false;
    for (TFormBox box : kinds) boxes[box] = true;
  }

  std::map<TFormBox, bool> boxes;
  std::string folder;
  std::string phrase;
  TCandidateList candidates;
  bool placeholderVisible = false;
};

}  // namespace tarvik::test
