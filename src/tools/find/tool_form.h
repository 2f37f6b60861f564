#pragma once
// The search form of tarvik-find: its options stand for the window's boxes;
// results go to stdout and errors to stderr as the engine adds them. With
// --show each result's matching lines follow it; with --json they replace the
// result lines, and every error is also an object on stdout.
//
// The engine names the candidates from the folder's absolute path, since a
// search makes the folder the current directory; everything printed shows the
// folder as the user typed it.

#include "find/find_options.h"
#include "find/match_output.h"

#include "app/candidate_list.h"
#include "app/search_form.h"

#include <cstdio>
#include <optional>

namespace tarvik {

class TToolForm : public TSearchForm {
 public:
  explicit TToolForm(const TFindOptions& options);

  bool IsChecked(TFormControl box) const override;
  std::string FolderText() const override { return options_.folder; }
  std::string PhraseText() const override { return options_.phrase; }
  bool MatchesReadableText() const override { return options_.readableText; }

  void ClearCandidates() override { candidates_.Clear(); }
  void AddCandidate(const std::string& path) override { candidates_.Add(path); }
  void ShowCandidatePlaceholder(bool) override {}
  std::size_t CandidateCount() const override { return candidates_.Count(); }
  std::string CandidateAt(std::size_t i) const override { return candidates_.Paths()[i]; }

  void ClearResults() override { hits_ = 0; }
  void AddResult(const std::string& shown, const std::string& folder) override;
  void AddResultLine(const std::string& line) override;
  std::size_t ResultCount() const override { return hits_; }
  std::string ResultAt(std::size_t) const override { return {}; }
  bool WantsMatchingLines() const override { return lines_.has_value(); }
  void AddMatchingLines(int part, const std::vector<TMatchingLine>& lines) override;

  void ClearErrors() override { errors_ = 0; }
  void AddError(const std::string& path) override;
  std::size_t ErrorCount() const override { return errors_; }

  // A path of the engine as the user wrote the folder.
  std::string Shown(const std::string& enginePath) const;
  // Writes a path to stdout, ended by a line end, or by NUL with -0 (names may hold line ends).
  void PrintPath(const std::string& path) const;
  const TCandidateList& Candidates() const { return candidates_; }
  std::size_t Hits() const { return hits_; }

 private:
  TFindOptions options_;
  std::string engineFolder_;  // the folder as the engine names it
  TCandidateList candidates_;
  std::optional<TMatchOutput> lines_;  // with --show or --json
  std::string lastResult_;             // the result the next matching lines belong to, as printed
  std::size_t hits_ = 0;
  std::size_t errors_ = 0;
};

}  // namespace tarvik
