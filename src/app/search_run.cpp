#include "app/search_run.h"

#include "app/search_form.h"
#include "app/string_table.h"

#include "search/document_collection.h"
#include "search/document_search.h"
#include "search/parallel_walk.h"
#include "search/prefilter_cache.h"

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/host.h"
#include "platform/shell.h"

namespace tarvik {

bool SearchStopped = false;

namespace {

using C = TFormControl;

void Lock(TSearchForm& form) {
  for (C control : {C::BtVerz, C::BtSuch, C::btende, C::btverzread}) form.SetEnabled(control, false);
  for (C control : {C::btcopy, C::btopen, C::btnewsearch, C::btleeren, C::edLabel, C::Label4, C::pnlergebnisbutton})
    form.SetVisible(control, false);
  form.ClearResults();
}

// Hands the candidates (or the marked ones) to the walk with the options as
// they stand now, and moves the progress bar as the documents are taken.
void SearchCandidates(TSearchForm& form, const TSearchWalk& how, bool markedOnly) {
  TWalk walk;
  walk.options = form.Options();
  form.SearchOptionsTaken(walk.options);
  const std::string phrase = PhraseToAnsi(walk.options.phrase);
  const bool caseSensitive = walk.options.caseSensitive;
  if (how.scratchFolder.empty()) {
    walk.search = [phrase, caseSensitive, cache = how.cache](TSearchSink& sink, const std::string& path) {
      TCacheTicket ticket;
      if (cache != nullptr && !cache->Admits(sink.Options(), path, phrase, ticket)) return;  // nothing can match
      SearchDocumentInMemory(sink, path, phrase, caseSensitive, ticket.Summaries());
      if (cache != nullptr) cache->Record(ticket);
    };
    walk.jobs = how.jobs;
    walk.waiter = how.waiter;
  } else {
    walk.search = [phrase, caseSensitive, scratch = how.scratchFolder](TSearchSink& sink, const std::string& path) {
      SearchDocument(sink, scratch, path, phrase, caseSensitive);
    };
  }
  if (markedOnly) {
    // Progress counts the documents searched before each; the stop flag is not consulted.
    for (std::size_t i = 0; i < form.CandidateCount(); ++i)
      if (form.CandidateSelected(i)) walk.paths.push_back(form.CandidateAt(i));
    form.SetProgressRange(0, static_cast<int>(walk.paths.size()));
    walk.after = [&form](std::size_t n) { form.SetProgressPosition(static_cast<int>(n)); };
  } else {
    for (std::size_t i = 0; i < form.CandidateCount(); ++i) walk.paths.push_back(form.CandidateAt(i));
    form.SetProgressRange(0, static_cast<int>(walk.paths.size()) - 1);
    walk.before = [&form](std::size_t n) { form.SetProgressPosition(static_cast<int>(n)); };
    walk.stopWanted = [] { return SearchStopped; };
  }
  if (how.cache != nullptr && how.scratchFolder.empty()) how.cache->Expect(walk.options, phrase, walk.paths);
  ParallelWalk(form, walk);
}

void ShowOutcome(TSearchForm& form) {
  form.SetEnabled(C::BtSuch, true);
  form.SetEnabled(C::btende, true);
  form.SetEnabled(C::BtVerz, true);
  form.SetProgressPosition(0);
  if (form.ResultCount() == 0) {
    form.SetCountText("0");
    for (C control : {C::btopen, C::btcopy, C::btnewsearch, C::btleeren, C::pnlergebnisbutton, C::edLabel, C::Label4})
      form.SetVisible(control, false);
    form.SetEnabled(C::btverzread, true);
    return;
  }
  form.SetVisible(C::btopen, Shell().HasAssociatedApplication(form.ResultAt(0)));
  for (C control : {C::btcopy, C::btnewsearch, C::btleeren, C::pnlergebnisbutton, C::edLabel, C::Label4})
    form.SetVisible(control, true);
  for (C control : {C::btopen, C::btcopy, C::btverzread}) form.SetEnabled(control, true);
  form.SetCountText(std::to_string(form.ResultCount()));
}

}  // namespace

TSearchOutcome RunSearch(TSearchForm& form, const TSearchWalk& walk) {
  form.SetVisible(C::ProgressBar1, true);
  SearchStopped = false;
  form.SetVisible(C::btbreak, true);
  form.ClearErrors();

  // Candidates must stay valid once the folder is the current directory, so
  // they are named from the folder's absolute path.
  const std::string folder = AbsoluteFolder(form.FolderText());
  const bool folderValid = SetCurrentDir(folder);
  const bool phraseValid = !form.PhraseText().empty();
  TSearchOutcome outcome = TSearchOutcome::NoDocuments;
  if (!folderValid) {
    Host().ShowMessage(MessageText(form, kMsgInvalidFolder));
    outcome = TSearchOutcome::InvalidFolder;
  } else if (!phraseValid) {
    Host().ShowMessage(MessageText(form, kMsgNoPhrase));
    outcome = TSearchOutcome::NoPhrase;
  } else {
    // The folder is now the current directory, so it is listed as ".".
    // A list this run collects has nothing marked yet: it is searched whole.
    const bool collected = !form.HasCurrentCandidate();
    if (collected) CollectDocuments(form, folder, ".");
    if (form.HasCurrentCandidate()) {
      Lock(form);
      SearchCandidates(form, walk, form.IsChecked(C::cbOneFile) && !collected);
      ShowOutcome(form);
      outcome = TSearchOutcome::Searched;
    }
  }

  if (form.HasCurrentCandidate() && form.ResultCount() == 0) form.AddResultLine(MessageText(form, kMsgNothingFound));
  if (form.ErrorCount() > 0) form.ShowErrorWindow();
  form.SetVisible(C::btbreak, false);
  form.SetVisible(C::ProgressBar1, false);
  return outcome;
}

}  // namespace tarvik
