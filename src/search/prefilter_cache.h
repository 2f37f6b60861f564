#pragma once
// The prefilter cache: for each document a search decodes, the trigram
// summaries of the text its matcher sees in each chosen part
// (part_summaries.h), stored (cache_store.h) under the document's path and
// file state. A later search with any phrase decodes only the documents whose
// summaries admit its terms (prefilter_query.h), and searches each of them as
// ever. So the cache leaves out only documents in which nothing can match:
// results, their order, the error list and the exit status are exactly those
// of a search without it.
//
// Never cached: a document that failed (it is searched again every time),
// legacy binaries, a path that is not absolute, and a file changed in the
// last two seconds (a second change within the file system's time step could
// leave its state as it was). A document is left out only when the cache
// holds a summary of each chosen part for the way of matching searched, all
// of one file state equal to the file's, and the file still passes the open
// test.
//
// The searching threads ask and record; a writer thread stores the records in
// batches. When the cache is closed, the rows of files gone from the folder
// that was searched are deleted.

#include "search/cache_store.h"
#include "search/part_summaries.h"
#include "search/summary_record.h"
#include "search/term_match.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace tarvik {

class TPrefilterQuery;
struct TSearchOptions;

// One document's way through the cache, from asking to recording.
class TCacheTicket {
 public:
  // What the search is to fill in; nothing when the document is not to be recorded.
  TPartSummaries* Summaries() { return summaries_ ? &*summaries_ : nullptr; }

 private:
  friend class TPrefilterCache;
  std::string path_;
  TFileState state_;
  bool readableText_ = false;
  TPartSummaryArray stored_;  // what the cache held for this state, kept where not searched again
  std::optional<TPartSummaries> summaries_;
};

class TPrefilterCache {
 public:
  // The user's cache, $XDG_CACHE_HOME/tarvik/cache.sqlite (XDG_CACHE_HOME
  // defaulting to ~/.cache); nothing when TARVIK_CACHE is "off" or no home
  // folder is known.
  static std::unique_ptr<TPrefilterCache> ForUser();

  // The cache in file; it and its folders (mode 0700) are made when first needed.
  explicit TPrefilterCache(std::string file);
  // Stores what is left to store and deletes the rows of files gone from the searched folder.
  ~TPrefilterCache();
  TPrefilterCache(const TPrefilterCache&) = delete;
  TPrefilterCache& operator=(const TPrefilterCache&) = delete;

  // Before a search of paths for phrase with options: reads the rows of the
  // folder they lie in at once and settles which documents their summaries
  // rule out, so that asking about each takes no lookup of its own. Called
  // before the search's threads start asking.
  void Expect(const TSearchOptions& options, const std::string& phrase, const std::vector<std::string>& paths);
  // Whether the document at path must be searched for phrase (Windows-1252)
  // with options. Safe to call from several threads.
  bool Admits(const TSearchOptions& options, const std::string& path, const std::string& phrase, TCacheTicket& ticket);
  // After the search that ticket let through: keeps what it summarized,
  // unless the document failed (its summaries were then never told Searched).
  void Record(TCacheTicket& ticket);

 private:
  TCacheStore* ReadingStore();
  // Whether the file at path is still in state and passes the open test.
  bool StillOpens(const std::string& path, const TFileState& state);
  // Whether the summaries of the stored row rule the search out.
  bool RulesOut(const TPartPlan& plan, TMatchMode mode, const std::string& phrase, const std::string& path,
                const TCacheStore::TStored& row, std::optional<TPartSummaryArray>* keep);
  std::shared_ptr<const TPrefilterQuery> QueryFor(TMatchMode mode, const std::string& phrase);
  void Queue(TCacheStore::TWrite write);
  void WriteQueued();
  void Prune(TCacheStore& store);

  // What Expect settled, for the search it was told of; read-only while the search runs.
  struct TKnownRow {
    TFileState state;
    bool rulesOut = false;
  };
  std::string expectedFolder_;  // ends with "/"; empty when nothing was settled
  TMatchMode expectedMode_ = TMatchMode::None;
  std::string expectedPhrase_;
  std::array<bool, kPartCount> expectedParts_{};
  bool expectedText_ = false;
  std::unordered_map<std::string, TKnownRow> known_;

  std::string file_;
  std::mutex storeLock_;  // opening, and the reading store's use
  bool opened_ = false;
  std::unique_ptr<TCacheStore> reader_;

  std::mutex queryLock_;
  std::shared_ptr<const TPrefilterQuery> query_;
  TMatchMode queryMode_ = TMatchMode::None;
  std::string queryPhrase_;

  std::mutex devicesLock_;
  std::map<std::uint64_t, bool> writableDevices_;  // by device: not mounted read-only

  std::mutex askedLock_;
  std::vector<std::string> asked_;  // every document asked about, for pruning

  std::mutex queueLock_;
  std::condition_variable queued_;
  std::vector<TCacheStore::TWrite> queue_;
  bool stopping_ = false;
  bool writerStarted_ = false;
  std::thread writer_;
  std::unique_ptr<TCacheStore> writerStore_;
};

}  // namespace tarvik
