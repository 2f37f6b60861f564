#pragma once
// The form the engine reads its options from and writes its lists to.
// The window implements it over its real controls, tarvik-find over its
// command line, the tests over plain fields. Collecting documents reads the
// options the moment it needs them; a search run reads them once, at its
// start (search_options.h), so one run answers one question.
//
// Threads: a form is used on the thread that owns it (the window's thread),
// never from a search job.

#include <cstddef>
#include <string>
#include <vector>

#include "search/matching_line.h"

namespace tarvik {

// One line per group of controls, with what the group is for.
// clang-format off

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
inline constexpr int kFormBoxCount = static_cast<int>(TFormBox::rbGerman) + 1;

// The controls a search run locks, hides and shows.
enum class TFormControl {
  BtVerz, BtSuch, btende, btverzread,                       // disabled while a search runs
  btcopy, btopen, btnewsearch, btleeren, pnlergebnisbutton,  // result commands
  edLabel, Label4,                                          // hit count and its label
  btbreak, ProgressBar1,                                    // visible while a search runs
};

// clang-format on

class TSearchForm {
 public:
  virtual ~TSearchForm() = default;

  // Ticked check box or selected radio button.
  virtual bool IsChecked(TFormBox box) const = 0;
  // Text of the folder box: a file-system path, as typed.
  virtual std::string FolderText() const = 0;
  // Text of the search box, UTF-8.
  virtual std::string PhraseText() const = 0;
  // Whether each part's readable text (one line per paragraph) is matched
  // instead of its raw XML lines. The window always matches raw lines; only
  // tarvik-find offers this.
  virtual bool MatchesReadableText() const { return false; }

  // Candidate list: keeps itself sorted (see CandidateLess).
  virtual void ClearCandidates() = 0;
  virtual void AddCandidate(const std::string& path) = 0;
  // The always empty placeholder shown over the candidate list while it is read.
  virtual void ShowCandidatePlaceholder(bool visible) = 0;
  virtual std::size_t CandidateCount() const { return 0; }
  virtual std::string CandidateAt(std::size_t) const { return {}; }
  virtual bool CandidateSelected(std::size_t) const { return false; }
  // A list with entries always has a current entry; an empty one has none.
  bool HasCurrentCandidate() const { return CandidateCount() > 0; }

  // Result list and its folder list: one pair per hit, repainted at once.
  virtual void ClearResults() {}
  virtual void AddResult(const std::string& shown, const std::string& folder) = 0;
  // A line of the result list that has no folder (the nothing-found line).
  virtual void AddResultLine(const std::string&) {}
  virtual std::size_t ResultCount() const { return 0; }
  virtual std::string ResultAt(std::size_t) const { return {}; }
  // Whether each result comes with the lines it matched in (tarvik-find
  // --show and --json). Only when asked: a part is then read to its end.
  // The search in memory and legacy documents report them, right after the
  // result they belong to; part is kContent, kMeta or kStyles (part_plan.h),
  // kContent for a legacy document, whose one line is the whole file.
  virtual bool WantsMatchingLines() const { return false; }
  virtual void AddMatchingLines(int part, const std::vector<TMatchingLine>& lines) {
    (void)part;
    (void)lines;
  }

  // Error list: one document path per line.
  virtual void ClearErrors() {}
  virtual void AddError(const std::string& path) = 0;
  virtual std::size_t ErrorCount() const { return 0; }
  virtual void ShowErrorWindow() {}

  // Locking and progress.
  virtual void SetEnabled(TFormControl, bool) {}
  virtual void SetVisible(TFormControl, bool) {}
  virtual void SetCountText(const std::string&) {}
  virtual void SetProgressRange(int, int) {}
  virtual void SetProgressPosition(int) {}
};

}  // namespace tarvik
