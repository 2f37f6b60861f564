#include "search/prefilter_cache.h"

#include "search/document_search.h"
#include "search/part_plan.h"
#include "search/prefilter_query.h"
#include "search/search_options.h"

#include "platform/config_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>

namespace tarvik {
namespace {

// A file changed this recently may change again within the same time stamp.
constexpr std::int64_t kSettledNanoseconds = std::int64_t{2'000'000'000};
// Records are written once this many wait, or after the pause, whichever comes first.
constexpr std::size_t kBatchRecords = 64;
constexpr auto kBatchPause = std::chrono::milliseconds(100);
// The most vanished-file checks one search spends on pruning.
constexpr std::size_t kPruneLooks = 20000;

std::int64_t Nanoseconds(const timespec& time) { return std::int64_t{time.tv_sec} * 1'000'000'000 + time.tv_nsec; }

TFileState StateOf(const struct stat& info) {
  return {static_cast<std::int64_t>(info.st_dev), static_cast<std::int64_t>(info.st_ino),
          static_cast<std::int64_t>(info.st_size), Nanoseconds(info.st_mtim), Nanoseconds(info.st_ctim)};
}

// The state of the regular file at path.
bool StateOf(const std::string& path, TFileState& state) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  state = StateOf(info);
  return true;
}

// Whether the document passes the search's open test (opened for reading and
// writing, a regular file of at least 256 bytes) as the file in state: a
// document left out must not be one the search would put in the error list.
bool PassesOpenTestAs(const std::string& path, const TFileState& state) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool same = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && StateOf(info) == state;
  ::close(fd);
  return same && state.size >= 256;
}

// Whether an open for reading and writing of the file that info describes is
// decided by its mode alone, and the mode allows it: the process owns the file
// and may read and write it, or is root. A recorded file passed the open test
// when it was searched; a change of its mode, owner, access list or attributes
// changes its change time, so a file still in the recorded state opens as it
// did then, unless its file system has been made read-only since.
bool ModeAllowsReadWrite(const struct stat& info) {
  const uid_t user = ::geteuid();
  return user == 0 || (info.st_uid == user && (info.st_mode & (S_IRUSR | S_IWUSR)) == (S_IRUSR | S_IWUSR));
}

bool Settled(const TFileState& state) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return state.changed < Nanoseconds(now) - kSettledNanoseconds;
}

// Makes folder and the folders above it that are missing, each for us alone.
void MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    ::mkdir(folder.substr(0, slash).c_str(), 0700);
    if (slash == std::string::npos) return;
  }
}

// The folder (ending with "/") that all of the sorted paths lie in; "" when none.
std::string CommonFolderOfSorted(const std::string& first, const std::string& last) {
  const std::size_t common = static_cast<std::size_t>(
      std::mismatch(first.begin(), first.end(), last.begin(), last.end()).first - first.begin());
  const std::size_t slash = first.rfind('/', common == 0 ? 0 : common - 1);
  return slash == std::string::npos ? std::string() : first.substr(0, slash + 1);
}

std::string CommonFolder(const std::vector<std::string>& paths) {
  if (paths.empty()) return {};
  const auto [first, last] = std::minmax_element(paths.begin(), paths.end());
  return CommonFolderOfSorted(*first, *last);
}

}  // namespace

bool TPrefilterCache::StillOpens(const std::string& path, const TFileState& state) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !(StateOf(info) == state) || state.size < 256)
    return false;
  if (!ModeAllowsReadWrite(info)) return PassesOpenTestAs(path, state);
  bool writable;
  {
    std::lock_guard<std::mutex> guard(devicesLock_);
    const auto known = writableDevices_.find(info.st_dev);
    if (known != writableDevices_.end()) {
      writable = known->second;
    } else {
      struct statvfs volume {};
      writable = ::statvfs(path.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY) == 0;
      writableDevices_.emplace(info.st_dev, writable);
    }
  }
  return writable || PassesOpenTestAs(path, state);
}

std::unique_ptr<TPrefilterCache> TPrefilterCache::ForUser() {
  const char* setting = std::getenv("TARVIK_CACHE");
  if (setting != nullptr && std::string(setting) == "off") return nullptr;
  const std::string folder = UserCacheFolder("tarvik");
  if (folder.empty()) return nullptr;
  return std::make_unique<TPrefilterCache>(folder + "/cache.sqlite");
}

TPrefilterCache::TPrefilterCache(std::string file) : file_(std::move(file)) {}

TPrefilterCache::~TPrefilterCache() {
  {
    std::lock_guard<std::mutex> guard(queueLock_);
    stopping_ = true;
  }
  queued_.notify_all();
  if (writer_.joinable()) writer_.join();
  try {
    TCacheStore* store = writerStore_ ? writerStore_.get() : reader_.get();
    if (store != nullptr) Prune(*store);
  } catch (...) {  // out of memory: the rows stay until the next search of the folder
  }
}

TCacheStore* TPrefilterCache::ReadingStore() {
  if (!opened_) {
    opened_ = true;
    const std::size_t slash = file_.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeFolders(file_.substr(0, slash));
    reader_ = TCacheStore::Open(file_);
  }
  return reader_.get();
}

std::shared_ptr<const TPrefilterQuery> TPrefilterCache::QueryFor(TMatchMode mode, const std::string& phrase) {
  std::lock_guard<std::mutex> guard(queryLock_);
  if (!query_ || queryMode_ != mode || queryPhrase_ != phrase) {
    query_ = std::make_shared<const TPrefilterQuery>(mode, phrase);
    queryMode_ = mode;
    queryPhrase_ = phrase;
  }
  return query_;
}

bool TPrefilterCache::RulesOut(const TPartPlan& plan, TMatchMode mode, const std::string& phrase,
                               const std::string& path, const TCacheStore::TStored& row,
                               std::optional<TPartSummaryArray>* keep) {
  std::optional<TPartSummaryArray> stored = DecodeSummaryRecord(row.record, path, row.state, plan.readableText);
  // Ruled out only when every chosen part's summary rules the terms out.
  bool rulesOut = stored.has_value();
  if (stored) {
    const auto query = QueryFor(mode, phrase);
    for (std::size_t part = 0; part < stored->size(); ++part)
      if (plan.chosen[part] && (!(*stored)[part] || query->Admits(*(*stored)[part]))) rulesOut = false;
  }
  if (keep != nullptr) *keep = std::move(stored);
  return rulesOut;
}

void TPrefilterCache::Expect(const TSearchOptions& options, const std::string& phrase,
                             const std::vector<std::string>& paths) {
  try {
    known_.clear();
    expectedFolder_.clear();
    const std::string folder = CommonFolder(paths);
    if (folder.size() <= 1) return;  // "/" alone is too wide to read through
    const TPartPlan plan(options);
    std::lock_guard<std::mutex> guard(storeLock_);
    TCacheStore* store = ReadingStore();
    if (store == nullptr) return;
    store->VisitBelow(folder, plan.readableText, [&](std::string_view path, const TCacheStore::TStored& row) {
      const std::string key(path);
      known_[key] = {row.state, RulesOut(plan, options.mode, phrase, key, row, nullptr)};
    });
    expectedFolder_ = folder;
    expectedMode_ = options.mode;
    expectedPhrase_ = phrase;
    expectedParts_ = plan.chosen;
    expectedText_ = plan.readableText;
  } catch (...) {  // out of memory, say: each document is looked up alone
    known_.clear();
    expectedFolder_.clear();
  }
}

bool TPrefilterCache::Admits(const TSearchOptions& options, const std::string& path, const std::string& phrase,
                             TCacheTicket& ticket) {
  try {
    if (path.empty() || path[0] != '/' || IsLegacyExtension(ExtensionOf(path))) return true;
    {
      std::lock_guard<std::mutex> guard(askedLock_);
      asked_.push_back(path);
    }
    const TPartPlan plan(options);
    // What Expect settled, when it was told of this search and read this path's folder.
    const bool expected = !expectedFolder_.empty() && path.starts_with(expectedFolder_) &&
                          options.mode == expectedMode_ && phrase == expectedPhrase_ && plan.chosen == expectedParts_ &&
                          plan.readableText == expectedText_;
    const auto known = expected ? known_.find(path) : known_.end();
    std::optional<TCacheStore::TStored> row;
    std::optional<TPartSummaryArray> stored;
    bool admitted = true;
    if (known != known_.end() && known->second.rulesOut) {
      // Left out when the file is still the one summarized; otherwise it has
      // changed or fails the open test, and nothing stored is of use.
      if (StillOpens(path, known->second.state)) return false;
    } else if (!expected || known != known_.end()) {
      {
        std::lock_guard<std::mutex> guard(storeLock_);
        TCacheStore* store = ReadingStore();
        if (store == nullptr) return true;
        row = store->Lookup(path, plan.readableText);
      }
      if (row) admitted = !RulesOut(plan, options.mode, phrase, path, *row, &stored);
      if (!admitted && StillOpens(path, row->state)) return false;
    }
    // To be recorded: the state before the search reads the file.
    TFileState state;
    if (!StateOf(path, state) || !Settled(state)) return true;
    if (stored && row->state == state) ticket.stored_ = std::move(*stored);
    ticket.path_ = path;
    ticket.state_ = state;
    ticket.readableText_ = plan.readableText;
    ticket.summaries_.emplace();
    return true;
  } catch (...) {  // out of memory, say: search the document
    return true;
  }
}

void TPrefilterCache::Record(TCacheTicket& ticket) {
  TPartSummaries* summaries = ticket.Summaries();
  if (summaries == nullptr || !summaries->WasSearched() || summaries->ReadableText() != ticket.readableText_) return;
  // The file must still be the one asked about: the search opened it anew.
  TFileState now;
  if (!StateOf(ticket.path_, now) || !(now == ticket.state_)) return;
  try {
    TPartSummaryArray parts = std::move(ticket.stored_);
    for (std::size_t part = 0; part < parts.size(); ++part)
      if (summaries->Parts()[part]) parts[part] = summaries->Parts()[part];
    Queue({ticket.path_, ticket.state_, ticket.readableText_,
           EncodeSummaryRecord(parts, ticket.path_, ticket.state_, ticket.readableText_)});
  } catch (...) {  // out of memory: not recorded this time
  }
}

void TPrefilterCache::Queue(TCacheStore::TWrite write) {
  std::lock_guard<std::mutex> guard(queueLock_);
  if (!writerStarted_) {
    writerStarted_ = true;
    try {
      writer_ = std::thread(&TPrefilterCache::WriteQueued, this);
    } catch (const std::exception&) {  // no thread to be had: nothing is stored
    }
  }
  if (!writer_.joinable()) return;
  queue_.push_back(std::move(write));
  if (queue_.size() >= kBatchRecords) queued_.notify_one();
}

// The writer thread: stores the queued records in batches, each in one transaction.
void TPrefilterCache::WriteQueued() {
  std::unique_ptr<TCacheStore> store = TCacheStore::Open(file_);
  std::unique_lock<std::mutex> lock(queueLock_);
  for (;;) {
    queued_.wait_for(lock, kBatchPause, [this] { return stopping_ || queue_.size() >= kBatchRecords; });
    if (queue_.empty()) {
      if (stopping_) break;
      continue;
    }
    std::vector<TCacheStore::TWrite> batch;
    batch.swap(queue_);
    lock.unlock();
    if (store) store->Write(batch);
    lock.lock();
  }
  writerStore_ = std::move(store);
}

void TPrefilterCache::Prune(TCacheStore& store) {
  if (asked_.empty()) return;
  std::sort(asked_.begin(), asked_.end());
  // The folder all documents asked about lie in; "/" alone is too wide to look through.
  const std::string folder = CommonFolderOfSorted(asked_.front(), asked_.back());
  if (folder.size() <= 1) return;
  std::vector<std::string> gone;
  std::size_t looked = 0;
  for (const std::string& path : store.PathsBelow(folder)) {
    if (std::binary_search(asked_.begin(), asked_.end(), path)) continue;
    if (++looked > kPruneLooks) break;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) gone.push_back(path);
  }
  store.Delete(gone);
}

}  // namespace tarvik
