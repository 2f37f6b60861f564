// TZipExtractor: the extraction run — selecting the entries, building output
// paths, decoding each entry and judging its CRC.

#include "zip/dos_time.h"
#include "zip/entry_decoder.h"
#include "zip/extractor.h"
#include "zip/output_place.h"
#include "zip/reader_helpers.h"
#include "zip/wild_match.h"

#include "decode/decode_component.h"
#include "decode/decode_context.h"

#include "base/string_sink.h"

#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "platform/host.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <exception>

namespace tarvik {
namespace {

bool IsDotName(const std::string& part) { return part == "." || part == ".."; }

// True when a stored folder ("\" separated) has a "." or ".." component.
bool HasDotComponent(const std::string& folder) {
  std::size_t start = 0;
  while (start <= folder.size()) {
    const std::size_t end = std::min(folder.find('\\', start), folder.size());
    if (IsDotName(folder.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

bool HasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

// Where an entry refused for its unsafe stored path would have gone.
std::string RefusedOutputPath(const std::string& root, const TZipHeaderInfo& entry) {
  std::string path = entry.StoredPath();
  BackslashesToSlashes(path);
  return root + "/" + path;
}

}  // namespace

// The decoding's view of the component, for one run.
class TExtractorBridge : public TDecodeComponent {
 public:
  explicit TExtractorBridge(TZipExtractor& owner) : owner_(owner) {
    OnProcessMessages = [] { Host().ProcessMessages(); };
  }
  bool SpansVolumes() const override { return owner_.VolumeCount() > 1; }
  bool CanGetNextDisk() const override { return static_cast<bool>(owner_.OnGetNextDisk); }
  int CurrentVolume() const override { return owner_.CurrentVolume(); }
  TStream* SwapDisk(int volume) override { return owner_.SwapDisk(volume); }

 private:
  TZipExtractor& owner_;
};

namespace {

// Hands every block the output stage writes to the extractor's chunk event.
class TChunkSink : public TStream {
 public:
  TChunkSink(TZipExtractor& owner, int index) : owner_(owner), index_(index) {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void* buffer, std::size_t count) override {
    owner_.OnMemoryChunk(owner_, index_, static_cast<const std::uint8_t*>(buffer), count);
    position_ += static_cast<std::int64_t>(count);
    return count;
  }
  // Writing only ever appends: the position is the end.
  std::int64_t Seek(std::int64_t, int) override { return position_; }

 private:
  TZipExtractor& owner_;
  int index_;
  std::int64_t position_ = 0;
};

}  // namespace

struct TZipExtractor::TExtractRun {
  explicit TExtractRun(TZipExtractor& owner) : bridge(owner) { context.component = &bridge; }
  TExtractorBridge bridge;
  DecodeContext context;
  int count = 0;
  int filesToDo = 0;
};

int TZipExtractor::ExtractFiles() {
  if (destDir_ == "?") return 0;
  ReadDirectoryRetrying();
  OpenArchive();
  int count = 0;
  try {
    count = RunExtraction();
  } catch (...) {
    CloseArchive();
    throw;
  }
  CloseArchive();
  return count;
}

int TZipExtractor::RunExtraction() {
  TExtractRun run(*this);  // its work buffers: when they cannot be had, no run starts
  const bool keepOpen = keepZipOpen_;
  const TZipSortMode sortMode = sortMode_;
  keepZipOpen_ = true;
  std::exception_ptr failure;
  try {
    ExtractSelected(run);
  } catch (...) {
    failure = std::current_exception();
  }
  EndRun(run, keepOpen, sortMode, failure);
  return run.count;
}

void TZipExtractor::EndRun(TExtractRun& run, bool keepOpen, TZipSortMode sortMode, std::exception_ptr failure) {
  password_ = std::move(run.bridge.Password);
  filesList_.clear();
  // Sorting allocates and the handler is the caller's: each step runs
  // whatever the one before did, and the run's own failure comes first.
  auto step = [&failure](auto&& action) {
    try {
      action();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  step([&] {
    if (sortMode_ != sortMode) ApplySortMode(sortMode);
  });
  step([&] {
    if (OnUnZipComplete) OnUnZipComplete(*this, run.count);
  });
  keepZipOpen_ = keepOpen;
  if (failure) std::rethrow_exception(failure);
}

bool TZipExtractor::Selects(const TZipHeaderInfo& entry) const {
  if (entry.FileName().empty() && !recreateDirs_) return false;
  if (doAll_) return true;
  const std::string path = entry.StoredPath();
  return std::any_of(filesList_.begin(), filesList_.end(),
                     [&path](const std::string& pattern) { return IsMatch(pattern, path); });
}

void TZipExtractor::ExtractSelected(TExtractRun& run) {
  TExtractorBridge& bridge = run.bridge;
  bridge.Password = password_;
  bridge.DoProcessMessages = doProcessMessages_;
  bridge.RetainAttributes = retainAttributes_;
  if (OnDecrypt)
    bridge.OnDecrypt = [this](std::uint8_t* buffer, int length, const std::string& password) {
      OnDecrypt(*this, buffer, length, password);
    };
  if (OnBadPassword)
    bridge.OnBadPassword = [this](int index, std::string& newPassword) { OnBadPassword(*this, index, newPassword); };
  if (OnFilePercentDone) bridge.OnFilePercentDone = [this](int percent) { OnFilePercentDone(*this, percent); };
  if (OnTotalPercentDone) bridge.OnTotalPercentDone = [this](int percent) { OnTotalPercentDone(*this, percent); };

  // A folder named like nothing at all means the current folder.
  if (!OnMemoryOutput && !destDir_.empty() && !DirectoryExists(destDir_)) ForceDirectories(destDir_);
  if (volumeCount_ > 1 && sortMode_ != TZipSortMode::ByNone) ApplySortMode(TZipSortMode::ByNone);

  const int entries = Count();
  std::vector<int> selected;
  bridge.TotalBytes = 0;
  run.filesToDo = entries;
  for (int i = 0; i < entries; ++i) {
    TZipHeaderInfo& entry = *View().Entry(i);
    const bool chosen = Selects(entry);
    entry.Selected = chosen;  // left for the caller to read after the run
    if (chosen) {
      bridge.TotalBytes += entry.UncompressedSize;
      selected.push_back(i);
    } else {
      --run.filesToDo;
    }
  }

  bool stopNow = false;
  if (OnStartUnZipInfo) OnStartUnZipInfo(*this, run.filesToDo, bridge.TotalBytes, stopNow);
  if (run.filesToDo > 0 && !stopNow) {
    auto extract = [&](int i) {
      do ExtractEntry(i, run);
      while (run.context.retry);
    };
    if (doAll_) {
      for (int i = 0; i < entries; ++i) extract(i);
    } else {
      for (int i : selected) extract(i);
    }
  }
}

std::string TZipExtractor::BuildOutputFolder(const TZipHeaderInfo& entry) const {
  const std::string dest = OutputRoot();
  std::string folder = entry.Directory();
  if (!recreateDirs_ || folder.empty()) return dest + "/";
  if (!rootDir_.empty() && folder.size() >= rootDir_.size() &&
      AsciiLowerCopy(folder.substr(0, rootDir_.size())) == AsciiLowerCopy(rootDir_))
    folder.erase(0, rootDir_.size());
  // An absolute stored folder lands below DestDir too; a drive letter means nothing here.
  if (folder.size() >= 2 && folder[1] == ':') folder.erase(0, 2);
  while (!folder.empty() && folder.front() == '\\') folder.erase(0, 1);
  if (HasDotComponent(folder)) return {};
  BackslashesToSlashes(folder);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return dest + "/" + folder;
}

bool TZipExtractor::ReadLocalHeaderLengths(const TZipHeaderInfo& entry, std::uint16_t& nameLength,
                                           std::uint16_t& extraLength) {
  const std::int64_t offset = entry.LocalHeaderOffset;
  try {
    if (archive_->Seek(offset, soFromBeginning) != offset ||
        archive_->Read(localHeader_, kLocalHeaderSize) != kLocalHeaderSize)
      return false;
  } catch (const Exception&) {  // "Seek error": the offset cannot be reached
    return false;
  }
  nameLength = static_cast<std::uint16_t>(localHeader_[26] | localHeader_[27] << 8);
  extraLength = static_cast<std::uint16_t>(localHeader_[28] | localHeader_[29] << 8);
  archive_->Seek(offset + kLocalHeaderSize + nameLength + extraLength, soFromBeginning);
  return true;
}

bool TZipExtractor::EntryDecodesQuietly() const {
  const TZipHeaderInfo& entry = scratchHeader_;
  if (volumeCount_ > 1 || entry.IsEncrypted() || (entry.CompressionMethod != 0 && entry.CompressionMethod != 8))
    return false;
  // The archive stands at the entry's data, behind its local header. The
  // file's size is asked of the file itself, which leaves the buffer alone.
  const std::int64_t dataStart = archive_->Position();
  return dataStart >= 0 && dataStart + std::int64_t{entry.CompressedSize} <= archive_->FileStream().Size();
}

void TZipExtractor::SkipEntry(TExtractRun& run, TSkipReason reason, const std::string& fName, int index) {
  bool retry = false;  // offered to the handler, not acted on
  if (OnSkippingFile) OnSkippingFile(*this, reason, fName, index, retry);
  run.bridge.TotalBytes -= scratchHeader_.UncompressedSize;
  --run.filesToDo;
}

void TZipExtractor::ExtractEntry(int index, TExtractRun& run) {
  DecodeContext& context = run.context;
  context.retry = false;
  scratchHeader_.Assign(Entry(index));
  TZipHeaderInfo& entry = scratchHeader_;
  const bool hasName = !entry.FileName().empty();

  std::uint16_t localNameLength = 0, localExtraLength = 0;
  bool localHeaderRead = true;
  if (hasName) {
    if (volumeCount_ > 1 && currentVolume_ != entry.DiskNumberStart) SwapDisk(entry.DiskNumberStart + 1);
    localHeaderRead = ReadLocalHeaderLengths(entry, localNameLength, localExtraLength);
  }

  // A stored path that would leave DestDir (a "." or ".." folder, or a NUL that
  // cuts the path short) is refused; the path it asked for is reported.
  const std::string folder = HasNul(entry.StoredPath()) ? std::string() : BuildOutputFolder(entry);
  if (folder.empty()) {
    SkipEntry(run, TSkipReason::skipCannotCreate, RefusedOutputPath(OutputRoot(), entry), index);
    return;
  }
  if (!hasName) {
    // A folder that cannot be made (a file or a link is in the way) is no success.
    if (recreateDirs_ && !OnMemoryOutput && !MakeOutputFolder(folder)) {
      SkipEntry(run, TSkipReason::skipCannotCreate, folder, index);
      return;
    }
    ++run.count;
    return;
  }
  std::string fName = folder + entry.FileName();
  // An entry whose local header cannot be read is damaged alone: the run goes on.
  if (IsDotName(entry.FileName()) || !localHeaderRead) {
    SkipEntry(run, TSkipReason::skipCannotCreate, fName, index);
    return;
  }
  if (OnStartUnZip) {
    bool skip = false;
    OnStartUnZip(*this, index, fName, skip);
    if (skip) return;
  }
  const bool toMemory = static_cast<bool>(OnMemoryOutput);
  TOutputPlace place;
  if (!toMemory && !OpenOutputPlace(fName, place)) {
    SkipEntry(run, TSkipReason::skipCannotCreate, fName, index);
    return;
  }

  context.archive = archive_.get();
  if (entry.IsEncrypted() && !CheckEntryPassword(context, entry, index)) {
    SkipEntry(run, TSkipReason::skipBadPassword, entry.StoredPath(), index);
    return;
  }
  std::string decoded;
  if (toMemory) {
    if (OnMemoryChunk) {
      context.output = std::make_unique<TChunkSink>(*this, index);
    } else {
      context.output = std::make_unique<TStringSink>(decoded);
    }
    context.outputPath.clear();
  } else {
    const std::string asked = fName;
    if (!MayReplace(index, entry, fName, place)) {
      SkipEntry(run, TSkipReason::skipKeepExisting, fName, index);
      return;
    }
    // The prompt's handler may have named another file.
    if (fName != asked && !OpenOutputPlace(fName, place)) {
      SkipEntry(run, TSkipReason::skipCannotCreate, fName, index);
      return;
    }
    std::unique_ptr<TStream> output = CreateOutput(place, fName);
    if (!output) {
      SkipEntry(run, TSkipReason::skipCannotCreate, fName, index);
      return;
    }
    context.output = std::move(output);
    context.outputPath = place.temporary;  // stamped before it takes the name
    context.outputFolder = place.folder.Fd();
  }
  context.archive = archive_.get();
  try {
    DecodeEntryData(context, entry, index, localNameLength, localExtraLength);
  } catch (...) {
    // A file cut short by a failed write or by the end of the archive would
    // pass for the entry: it goes, and the failure goes on to the caller.
    context.outputFolder = AT_FDCWD;
    if (!toMemory) DiscardOutput(place);
    throw;
  }
  context.outputFolder = AT_FDCWD;

  const std::uint32_t crc = ~run.bridge.CRCRegister;
  if (crc == entry.CRC32) {
    // The new file takes the name only now, whole and checked; a folder that
    // appeared there meanwhile keeps it.
    if (!toMemory && !PutOutputInPlace(place)) {
      SkipEntry(run, TSkipReason::skipCannotCreate, fName, index);
      return;
    }
    if (toMemory) OnMemoryOutput(*this, index, entry.FileName(), decoded);
    if (OnEndUnZip) OnEndUnZip(*this, index, fName);
    ++run.count;
    return;
  }
  if (entry.IsEncrypted()) {
    if (OnBadPassword) {
      std::string newPassword = run.bridge.Password;
      OnBadPassword(*this, index, newPassword);
      if (newPassword != run.bridge.Password) {
        run.bridge.Password = newPassword;
        context.retry = true;
      }
    }
    if (!context.retry) {
      bool retry = false;
      if (OnSkippingFile) OnSkippingFile(*this, TSkipReason::skipBadPassword, entry.StoredPath(), index, retry);
    }
  } else if (OnBadCRC) {
    OnBadCRC(*this, crc, entry.CRC32, index);
  }
  if (!toMemory) DiscardOutput(place);
  if (!context.retry) --run.filesToDo;
}

}  // namespace tarvik
