#include "search/parallel_walk.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/code_page.h"
#include "search/document_search.h"
#include "search/prefilter_cache.h"
#include "search/search_form.h"

namespace tarvik {
namespace {

// What one document added to the form, kept until its turn comes.
struct TOutcome {
  std::vector<std::pair<std::string, std::string>> results;  // shown text, folder
  std::vector<std::string> errors;
  bool ready = false;
};

// Reads options from the real form; collects what one document adds.
class TDocumentForm : public TSearchForm {
 public:
  TDocumentForm(const TSearchForm& options, TOutcome& outcome) : options_(options), outcome_(outcome) {}
  bool IsChecked(TFormBox box) const override { return options_.IsChecked(box); }
  std::string FolderText() const override { return options_.FolderText(); }
  std::string PhraseText() const override { return options_.PhraseText(); }
  bool MatchesReadableText() const override { return options_.MatchesReadableText(); }
  void ClearCandidates() override {}
  void AddCandidate(const std::string&) override {}
  void ShowCandidatePlaceholder(bool) override {}
  void AddResult(const std::string& shown, const std::string& folder) override {
    outcome_.results.emplace_back(shown, folder);
  }
  void AddError(const std::string& path) override { outcome_.errors.push_back(path); }

 private:
  const TSearchForm& options_;
  TOutcome& outcome_;
};

}  // namespace

void ParallelWalk(TSearchForm& form, int jobs, TPrefilterCache* cache) {
  const std::size_t count = form.CandidateCount();
  std::vector<std::string> paths(count);
  for (std::size_t i = 0; i < count; ++i) paths[i] = form.CandidateAt(i);
  // Phrase and case are fixed for the whole walk, as the form cannot change meanwhile.
  const std::string phrase = PhraseToAnsi(form.PhraseText());
  const bool caseSensitive = form.IsChecked(TFormBox::cbGrossklein);

  std::vector<TOutcome> outcomes(count);
  std::atomic<std::size_t> next{0};
  std::mutex lock;
  std::condition_variable finished;

  auto searchOne = [&](std::size_t i) {
    TOutcome outcome;
    TDocumentForm documentForm(form, outcome);
    TCacheTicket ticket;
    if (cache != nullptr && !cache->Admits(form, paths[i], phrase, ticket)) return outcome;  // nothing can match
    try {
      SearchDocumentInMemory(documentForm, paths[i], phrase, caseSensitive, ticket.Summaries());
    } catch (...) {  // out of memory, say: this document failed, the walk goes on
      outcome.results.clear();
      outcome.errors.assign(1, paths[i]);
    }
    if (cache != nullptr) cache->Record(ticket, !outcome.errors.empty());
    return outcome;
  };
  auto emit = [&form](const TOutcome& outcome) {
    for (const auto& [shown, folder] : outcome.results) form.AddResult(shown, folder);
    for (const std::string& path : outcome.errors) form.AddError(path);
  };
  auto job = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < count;) {
      TOutcome outcome = searchOne(i);
      outcome.ready = true;
      std::lock_guard<std::mutex> guard(lock);
      outcomes[i] = std::move(outcome);
      finished.notify_all();
    }
  };

  // Joins the jobs however the walk ends; a job still running when the walk
  // is left by an exception takes no further document.
  struct TJobs {
    std::vector<std::thread> threads;
    std::atomic<std::size_t>& next;
    std::size_t count;
    ~TJobs() {
      next.store(count);
      for (std::thread& thread : threads) thread.join();
    }
  } jobThreads{{}, next, count};
  const int workers = std::max(1, std::min<int>(jobs, static_cast<int>(count)));
  // The calling thread is one of the workers; a single job runs on it alone:
  // no hand-over per document, and each document's lines appear as soon as it
  // is searched.
  try {
    jobThreads.threads.reserve(static_cast<std::size_t>(workers));
    for (int n = 1; n < workers; ++n) jobThreads.threads.emplace_back(job);
  } catch (const std::exception&) {  // no more threads to be had: go on with those running
  }
  if (jobThreads.threads.empty()) {
    for (std::size_t i; (i = next.fetch_add(1)) < count;) emit(searchOne(i));
    return;
  }

  // Between its own documents the calling thread writes out every outcome
  // whose turn has come; at the end it waits for the rest.
  std::size_t emitted = 0;
  auto emitReady = [&] {
    for (;;) {
      TOutcome outcome;
      {
        std::lock_guard<std::mutex> guard(lock);
        if (emitted == count || !outcomes[emitted].ready) return;
        outcome = std::move(outcomes[emitted]);
      }
      ++emitted;
      emit(outcome);
    }
  };
  for (std::size_t i; (i = next.fetch_add(1)) < count;) {
    TOutcome outcome = searchOne(i);
    outcome.ready = true;
    {
      std::lock_guard<std::mutex> guard(lock);
      outcomes[i] = std::move(outcome);
    }
    emitReady();
  }
  while (emitted < count) {
    {
      std::unique_lock<std::mutex> guard(lock);
      finished.wait(guard, [&] { return outcomes[emitted].ready; });
    }
    emitReady();
  }
}

}  // namespace tarvik
