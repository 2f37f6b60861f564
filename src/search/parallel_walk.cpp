#include "search/parallel_walk.h"

#include "search/search_sink.h"

#include "platform/deferred_host.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace tarvik {
namespace {

// What one document added, kept until its turn comes.
struct TOutcome {
  std::vector<std::pair<std::string, std::string>> results;       // shown text, folder
  std::vector<std::pair<int, std::vector<TMatchingLine>>> lines;  // per result, when the options want them
  std::vector<std::string> errors;
  TDeferredHost shown;  // what its search, on a job, asked the host to show
};

// The sink a document's search sees: the run's options; what it adds goes to the outcome.
class TOutcomeSink : public TSearchSink {
 public:
  TOutcomeSink(const TSearchOptions& options, TOutcome& outcome) : options_(options), outcome_(outcome) {}
  TSearchOptions Options() const override { return options_; }
  void ClearCandidates() override {}
  void AddCandidate(const std::string&) override {}
  void AddResult(const std::string& shown, const std::string& folder) override {
    outcome_.results.emplace_back(shown, folder);
  }
  void AddMatchingLines(int part, const std::vector<TMatchingLine>& lines) override {
    outcome_.lines.resize(outcome_.results.size());
    outcome_.lines.back() = {part, lines};
  }
  void AddError(const std::string& path) override { outcome_.errors.push_back(path); }

 private:
  const TSearchOptions& options_;
  TOutcome& outcome_;
};

// Searches document n; on a job, what the search asks of the host is recorded.
TOutcome SearchOne(const TWalk& walk, std::size_t n, bool onJob) {
  TOutcome outcome;
  TOutcomeSink sink(walk.options, outcome);
  std::optional<TThreadHostScope> recording;
  if (onJob) recording.emplace(outcome.shown);
  try {
    walk.search(sink, walk.paths[n]);
  } catch (...) {  // out of memory, say: this document failed, the walk goes on
    outcome.results.clear();
    outcome.lines.clear();
    outcome.errors.assign(1, walk.paths[n]);
  }
  return outcome;
}

// Hands document n's additions to the sink (and its messages to the host).
void Take(TSearchSink& sink, const TWalk& walk, std::size_t n, const TOutcome& outcome) {
  if (walk.before) walk.before(n);
  outcome.shown.ShowOn(Host());
  for (std::size_t r = 0; r < outcome.results.size(); ++r) {
    sink.AddResult(outcome.results[r].first, outcome.results[r].second);
    if (r < outcome.lines.size()) sink.AddMatchingLines(outcome.lines[r].first, outcome.lines[r].second);
  }
  for (const std::string& path : outcome.errors) sink.AddError(path);
  if (walk.after) walk.after(n);
}

// The documents to start and the outcomes waiting for their turn, shared by
// the jobs and the calling thread.
class TWalkState {
 public:
  explicit TWalkState(std::size_t count) : outcomes_(count), ready_(count, false), end_(count) {}

  // The next document to search, or false when none is left to start.
  bool Claim(std::size_t& n) {
    std::lock_guard<std::mutex> guard(lock_);
    if (next_ >= end_) return false;
    n = next_++;
    return true;
  }
  void Deposit(std::size_t n, TOutcome&& outcome) {
    std::lock_guard<std::mutex> guard(lock_);
    outcomes_[n] = std::move(outcome);
    ready_[n] = true;
  }
  // No document is started from now on; the walk ends after those started.
  void Stop() {
    std::lock_guard<std::mutex> guard(lock_);
    end_ = next_;
  }
  // Document n's outcome, once it is there.
  std::optional<TOutcome> Outcome(std::size_t n) {
    std::lock_guard<std::mutex> guard(lock_);
    if (n >= end_ || !ready_[n]) return std::nullopt;
    return std::move(outcomes_[n]);
  }
  std::size_t End() {
    std::lock_guard<std::mutex> guard(lock_);
    return end_;
  }

 private:
  std::mutex lock_;
  std::vector<TOutcome> outcomes_;
  std::vector<bool> ready_;
  std::size_t next_ = 0;
  std::size_t end_;
};

// The calling thread's wait when it has nothing else to do.
class TBlockingWaiter : public TWalkWaiter {
 public:
  void Wait() override {
    std::unique_lock<std::mutex> guard(lock_);
    woken_.wait(guard, [this] { return wake_; });
    wake_ = false;
  }
  void Wake() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      wake_ = true;
    }
    woken_.notify_one();
  }

 private:
  std::mutex lock_;
  std::condition_variable woken_;
  bool wake_ = false;
};

// The jobs' threads; stopped and joined however the walk is left, so a job
// still running when an exception leaves the walk takes no further document.
class TJobs {
 public:
  explicit TJobs(TWalkState& state) : state_(state) {}
  ~TJobs() {
    state_.Stop();
    for (std::thread& thread : threads_) thread.join();
  }
  TJobs(const TJobs&) = delete;
  TJobs& operator=(const TJobs&) = delete;

  // Starts up to count threads running job; as many as can be had.
  template <class TJob>
  void Start(std::size_t count, const TJob& job) {
    try {
      threads_.reserve(count);
      for (std::size_t i = 0; i < count; ++i) threads_.emplace_back(job);
    } catch (const std::exception&) {  // no more threads to be had: go on with those running
    }
  }
  bool Empty() const { return threads_.empty(); }

 private:
  TWalkState& state_;
  std::vector<std::thread> threads_;
};

bool StopWanted(const TWalk& walk) { return walk.stopWanted && walk.stopWanted(); }

// One document after the other on the calling thread.
void WalkOnCallingThread(TSearchSink& sink, const TWalk& walk) {
  for (std::size_t n = 0; n < walk.paths.size() && !StopWanted(walk); ++n) {
    Take(sink, walk, n, SearchOne(walk, n, false));
    // A caller that waits while jobs search expects its events to run meanwhile.
    if (walk.waiter) Host().ProcessMessages();
  }
}

}  // namespace

void ParallelWalk(TSearchSink& sink, const TWalk& walk) {
  const std::size_t count = walk.paths.size();
  if (count == 0) return;
  const bool callerSearches = walk.waiter == nullptr;
  const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(std::max(walk.jobs, 1)), count);
  const std::size_t threads = callerSearches ? wanted - 1 : wanted;
  if (threads == 0) {  // a single job needs no hand-over: each document's lines appear as soon as it is searched
    WalkOnCallingThread(sink, walk);
    return;
  }

  TBlockingWaiter ownWaiter;
  TWalkWaiter& waiter = callerSearches ? ownWaiter : *walk.waiter;
  TWalkState state(count);
  TJobs jobs(state);
  jobs.Start(threads, [&] {
    for (std::size_t n; state.Claim(n);) {
      state.Deposit(n, SearchOne(walk, n, true));
      waiter.Wake();
    }
  });
  if (jobs.Empty()) {
    WalkOnCallingThread(sink, walk);
    return;
  }

  std::size_t taken = 0;
  auto takeReady = [&] {
    while (std::optional<TOutcome> outcome = state.Outcome(taken)) Take(sink, walk, taken++, *outcome);
  };
  auto stopIfWanted = [&] {
    if (StopWanted(walk)) state.Stop();
  };
  // Between its own documents the calling thread takes every outcome whose
  // turn has come; then it waits for the rest.
  if (callerSearches) {
    for (std::size_t n; state.Claim(n);) {
      state.Deposit(n, SearchOne(walk, n, true));
      takeReady();
      stopIfWanted();
    }
  }
  while (taken < state.End()) {
    waiter.Wait();
    stopIfWanted();
    takeReady();
  }
}

}  // namespace tarvik
