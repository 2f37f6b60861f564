#pragma once
// The form a search is started from: its boxes, its folder and phrase boxes,
// and the lists and controls a run fills, locks and shows. The window
// implements it over its real controls, tarvik-find over its command line,
// the tests over plain fields. The engine sees it as a sink (search/search_sink.h)
// whose options are read from the boxes here, in one place; collecting
// documents reads them the moment it starts, a search run once, at its start
// (search_run.h), so one run answers one question.
//
// Threads: a form is used on the thread that owns it (the window's thread),
// never from a search job.

#include "app/form_control.h"

#include "search/search_sink.h"

#include <cstddef>
#include <string>

namespace tarvik {

class TSearchForm : public TSearchSink {
 public:
  // Ticked check box or selected radio button; false for any other control.
  virtual bool IsChecked(TFormControl box) const = 0;
  // Text of the folder box: a file-system path, as typed.
  virtual std::string FolderText() const = 0;
  // Text of the search box, UTF-8.
  virtual std::string PhraseText() const = 0;
  // Whether each part's readable text (one line per paragraph) is matched
  // instead of its raw XML lines (tarvik-find --text, the window's
  // "Formatierung übergehen").
  virtual bool MatchesReadableText() const { return false; }
  // Whether each result comes with the lines it matched in (tarvik-find
  // --show and --json). Only when asked: a part is then read to its end.
  virtual bool WantsMatchingLines() const { return false; }
  // A run has taken its options: the question its results answer (the
  // window marks that question's hits in its preview).
  virtual void SearchOptionsTaken(const TSearchOptions&) {}

  // The options the boxes choose, as the engine takes them.
  TSearchOptions Options() const final;

  // The always empty placeholder shown over the candidate list while it is read.
  virtual void ShowCandidatePlaceholder(bool visible) = 0;
  virtual std::size_t CandidateCount() const { return 0; }
  virtual std::string CandidateAt(std::size_t) const { return {}; }
  virtual bool CandidateSelected(std::size_t) const { return false; }
  // A list with entries always has a current entry; an empty one has none.
  bool HasCurrentCandidate() const { return CandidateCount() > 0; }

  virtual void ClearResults() {}
  // A line of the result list that has no folder (the nothing-found line).
  virtual void AddResultLine(const std::string&) {}
  virtual std::size_t ResultCount() const { return 0; }
  virtual std::string ResultAt(std::size_t) const { return {}; }

  virtual void ClearErrors() {}
  virtual std::size_t ErrorCount() const { return 0; }
  virtual void ShowErrorWindow() {}

  // Locking and progress.
  virtual void SetEnabled(TFormControl, bool) {}
  virtual void SetVisible(TFormControl, bool) {}
  virtual void SetCountText(const std::string&) {}
  virtual void SetProgressRange(int, int) {}
  virtual void SetProgressPosition(int) {}
};

// The match mode the radio buttons choose: whole phrase (RadioButton1), else
// in word mode any word (RadioButton4) before every word (RadioButton3).
TMatchMode ChosenMatchMode(const TSearchForm& form);

}  // namespace tarvik
