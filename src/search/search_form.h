#pragma once
// The form the engine reads its options from and writes its lists to.
// The window implements it over its real controls, tarvik-find over its
// command line, the tests over plain fields. Every option is read at the
// moment it is needed, so a change in the window counts from the next read.

#include <string>

namespace tarvik {

// The check boxes and radio buttons the engine reads, named as in the window.
enum class TFormBox {
  cbAlleDateien, cbWriter, cbCalc, cbImpress, cbDraw, cbFormel,  // kinds
  cbUnter,                                                       // sub-folders
  cbVorlagen, cbOO, cbsdw,                                       // templates, 2.0 formats, 5.x binaries
  cbAlles, cbConntent, cbMeta, cbStyles,                         // document parts
  cbGrossklein,                                                  // letter case counts
  cbFile,                                                        // bare file names in the result list
  cbOneFile,                                                     // only the marked candidates
  RadioButton1, RadioButton2, RadioButton3, RadioButton4,        // match mode
  rbGerman,                                                      // language
};

class TSearchForm {
 public:
  virtual ~TSearchForm() = default;

  // Ticked check box or selected radio button.
  virtual bool IsChecked(TFormBox box) const = 0;
  // Text of the folder box: a file-system path, as typed.
  virtual std::string FolderText() const = 0;
  // Text of the search box, UTF-8.
  virtual std::string PhraseText() const = 0;

  // Candidate list: keeps itself sorted (see CandidateLess).
  virtual void ClearCandidates() = 0;
  virtual void AddCandidate(const std::string& path) = 0;
  // The always empty placeholder shown over the candidate list while it is read.
  virtual void ShowCandidatePlaceholder(bool visible) = 0;
};

}  // namespace tarvik
