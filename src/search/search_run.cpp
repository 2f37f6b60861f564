#include "search/search_run.h"

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/host.h"
#include "platform/shell.h"
#include "search/document_collection.h"
#include "search/document_search.h"
#include "search/search_form.h"
#include "search/string_table.h"

namespace tarvik {

bool SearchStopped = false;

namespace {

using C = TFormControl;

void SearchOne(TSearchForm& form, const std::string& scratchFolder, std::size_t index) {
  // Phrase and case are read anew for every document.
  const std::string phrase = PhraseToAnsi(form.PhraseText());
  const std::string path = form.CandidateAt(index);
  const bool caseSensitive = form.IsChecked(TFormBox::cbGrossklein);
  try {
    if (scratchFolder.empty()) {
      SearchDocumentInMemory(form, path, phrase, caseSensitive);
    } else {
      SearchDocument(form, scratchFolder, path, phrase, caseSensitive);
    }
  } catch (...) {  // out of memory while scanning, say: one bad document never stops a run
    form.AddError(path);
  }
}

void Lock(TSearchForm& form) {
  for (C control : {C::BtVerz, C::BtSuch, C::btende, C::btverzread}) form.SetEnabled(control, false);
  for (C control : {C::btcopy, C::btopen, C::btnewsearch, C::btleeren, C::edLabel, C::Label4, C::pnlergebnisbutton})
    form.SetVisible(control, false);
  form.ClearResults();
}

void WalkMarked(TSearchForm& form, const std::string& scratchFolder) {
  std::size_t selected = 0;
  for (std::size_t i = 0; i < form.CandidateCount(); ++i) selected += form.CandidateSelected(i) ? 1 : 0;
  form.SetProgressRange(0, static_cast<int>(selected));
  int searched = 0;
  for (std::size_t i = 0; i < form.CandidateCount(); ++i) {
    if (!form.CandidateSelected(i)) continue;
    SearchOne(form, scratchFolder, i);
    form.SetProgressPosition(searched++);
  }
}

void WalkAll(TSearchForm& form, const std::string& scratchFolder) {
  form.SetProgressRange(0, static_cast<int>(form.CandidateCount()) - 1);
  for (std::size_t i = 0; i < form.CandidateCount(); ++i) {
    if (SearchStopped) break;
    form.SetProgressPosition(static_cast<int>(i));
    SearchOne(form, scratchFolder, i);
  }
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

void RunSearch(TSearchForm& form, const std::string& scratchFolder, const TWalkAll& walkAll) {
  form.SetVisible(C::ProgressBar1, true);
  SearchStopped = false;
  form.SetVisible(C::btbreak, true);
  form.ClearErrors();

  // Candidates must stay valid once the folder is the current directory, so
  // they are named from the folder's absolute path.
  const std::string folder = AbsoluteFolder(form.FolderText());
  const bool folderValid = SetCurrentDir(folder);
  const bool phraseValid = !form.PhraseText().empty();
  if (!folderValid) {
    Host().ShowMessage(MessageText(form, kMsgInvalidFolder));
  } else if (!phraseValid) {
    Host().ShowMessage(MessageText(form, kMsgNoPhrase));
  } else {
    // The folder is now the current directory, so it is listed as ".".
    // A list this run collects has nothing marked yet: it is searched whole.
    const bool collected = !form.HasCurrentCandidate();
    if (collected) CollectDocuments(form, folder, ".");
    if (form.HasCurrentCandidate()) {
      Lock(form);
      if (form.IsChecked(TFormBox::cbOneFile) && !collected) {
        WalkMarked(form, scratchFolder);
      } else if (walkAll) {
        walkAll(form);
      } else {
        WalkAll(form, scratchFolder);
      }
      ShowOutcome(form);
    }
  }

  if (form.HasCurrentCandidate() && form.ResultCount() == 0) form.AddResultLine(MessageText(form, kMsgNothingFound));
  if (form.ErrorCount() > 0) form.ShowErrorWindow();
  form.SetVisible(C::btbreak, false);
  form.SetVisible(C::ProgressBar1, false);
}

}  // namespace tarvik
