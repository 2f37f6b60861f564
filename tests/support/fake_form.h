#pragma once
// A search form over plain fields, as the tests drive the engine.

#include "app/candidate_list.h"
#include "app/search_form.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tarvik::test {

class TFakeForm : public TSearchForm {
 public:
  TFakeForm() {
    // The window's start state: every kind, sub-folders and the 2.0 formats,
    // content only, whole phrase, German.
    for (TFormControl box :
         {TFormControl::cbAlleDateien, TFormControl::cbWriter, TFormControl::cbCalc, TFormControl::cbImpress,
          TFormControl::cbDraw, TFormControl::cbFormel, TFormControl::cbUnter, TFormControl::cbOO,
          TFormControl::cbConntent, TFormControl::RadioButton1, TFormControl::rbGerman})
      boxes[box] = true;
  }

  bool IsChecked(TFormControl box) const override {
    const auto it = boxes.find(box);
    return it != boxes.end() && it->second;
  }
  std::string FolderText() const override { return folder; }
  std::string PhraseText() const override { return phrase; }
  bool MatchesReadableText() const override { return readableText; }
  void ClearCandidates() override { candidates.Clear(); }
  void AddCandidate(const std::string& path) override { candidates.Add(path); }
  void ShowCandidatePlaceholder(bool visible) override { placeholderVisible = visible; }
  std::size_t CandidateCount() const override { return candidates.Count(); }
  std::string CandidateAt(std::size_t i) const override { return candidates.Paths()[i]; }
  bool CandidateSelected(std::size_t i) const override { return selected.count(i) != 0; }

  void ClearResults() override {
    results.clear();
    folders.clear();
  }
  void AddResult(const std::string& shown, const std::string& folder) override {
    results.push_back(shown);
    folders.push_back(folder);
  }
  void AddResultLine(const std::string& line) override { results.push_back(line); }
  std::size_t ResultCount() const override { return results.size(); }
  std::string ResultAt(std::size_t i) const override { return results[i]; }

  void ClearErrors() override { errors.clear(); }
  void AddError(const std::string& path) override { errors.push_back(path); }
  std::size_t ErrorCount() const override { return errors.size(); }
  void ShowErrorWindow() override { ++errorWindowShown; }

  void SetEnabled(TFormControl control, bool on) override { enabled[control] = on; }
  void SetVisible(TFormControl control, bool on) override { visible[control] = on; }
  void SetCountText(const std::string& text) override { countText = text; }
  void SetProgressRange(int low, int high) override {
    progressLow = low;
    progressHigh = high;
  }
  void SetProgressPosition(int position) override { progressPositions.push_back(position); }

  void Set(TFormControl box, bool ticked) { boxes[box] = ticked; }
  // Only the named kind boxes ticked, "all kinds" off.
  void OnlyKinds(std::initializer_list<TFormControl> kinds) {
    for (TFormControl box : {TFormControl::cbAlleDateien, TFormControl::cbWriter, TFormControl::cbCalc,
                             TFormControl::cbImpress, TFormControl::cbDraw, TFormControl::cbFormel})
      boxes[box] = false;
    for (TFormControl box : kinds) boxes[box] = true;
  }

  std::map<TFormControl, bool> boxes;
  std::string folder;
  std::string phrase;
  bool readableText = false;
  TCandidateList candidates;
  std::set<std::size_t> selected;
  bool placeholderVisible = false;
  std::vector<std::string> results, folders, errors;
  int errorWindowShown = 0;
  std::map<TFormControl, bool> enabled, visible;
  std::string countText;
  int progressLow = -1, progressHigh = -1;
  std::vector<int> progressPositions;
};

}  // namespace tarvik::test
