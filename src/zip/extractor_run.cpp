// TZipExtractor: the extraction run — selecting the entries, building output
// paths, the overwrite rules, decoding each entry and judging its CRC.

#include <sys/stat.h>

#include <algorithm>
#include <ctime>

#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "platform/host.h"
#include "decode/decode_component.h"
#include "decode/decode_context.h"
#include "decode/entry_decoder.h"
#include "zip/wild_match.h"
#include "zip/dos_time.h"
#include "base/string_sink.h"
#include "zip/extractor.h"
#include "zip/reader_helpers.h"

namespace tarvik {
namespace {

constexpr const char* kReplaceQuestion = "Replace existing file ";
constexpr const char* kReplaceCaption = "File Exists Alert";

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

// The folder every output path starts from. An empty DestDir is the current
// folder, never the file system's root.
std::string OutputRoot(const std::string& destDir) { return destDir.empty() ? std::string(".") : destDir; }

// Where an entry refused for its unsafe stored path would have gone.
std::string RefusedOutputPath(const std::string& destDir, const TZipHeaderInfo& entry) {
  std::string path = entry.StoredPath();
  BackslashesToSlashes(path);
  return OutputRoot(destDir) + "/" + path;
}


// A file without any write permission counts as read-only.
bool IsReadOnly(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
}

}  // namespace

// The decoding's view of the component, for one run.
class TExtractorBridge : public TDecodeComponent {
 public:
  explicit TExtractorBridge(TZipExtractor& owner) : owner_(owner) {}
  bool SpansVolumes() const override { return owner_.VolumeCount() > 1; }
  bool CanGetNextDisk() const override { return static_cast<bool>(owner_.OnGetNextDisk); }
  int CurrentVolume() const override { return owner_.CurrentVolume(); }
  TStream* SwapDisk(int volume) override { return owner_.SwapDisk(volume); }

 private:
  TZipExtractor& owner_;
};

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
  const bool keepOpen = keepZipOpen_;
  keepZipOpen_ = true;
  const TZipSortMode sortMode = sortMode_;
  TExtractRun run(*this);
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

  // The end of every run, also when an exception leaves it.
  struct TRunEnd {
    TZipExtractor& self;
    TExtractRun& run;
    bool keepOpen;
    TZipSortMode sortMode;
    ~TRunEnd() {
      self.password_ = run.bridge.Password;
      self.filesList_.clear();
      if (self.sortMode_ != sortMode) self.ApplySortMode(sortMode);
      if (self.OnUnZipComplete) self.OnUnZipComplete(self, run.count);
      self.keepZipOpen_ = keepOpen;
    }
  } runEnd{*this, run, keepOpen, sortMode};

  // A folder named like nothing at all means the current folder.
  if (!OnMemoryOutput && !destDir_.empty() && !DirectoryExists(destDir_)) ForceDirectories(destDir_);
  if (volumeCount_ > 1 && sortMode_ != ByNone) ApplySortMode(ByNone);

  const int entries = Count();
  std::vector<int> selected;
  bridge.TotalBytes = 0;
  run.filesToDo = entries;
  std::vector<std::string> patterns;
  for (const std::string& line : filesList_) patterns.push_back(AsciiLowerCopy(line));
  for (int i = 0; i < entries; ++i) {
    const TZipHeaderInfo& entry = Entry(i);
    bool chosen = doAll_;
    if (!entry.FileName().empty() || recreateDirs_) {
      const std::string path = AsciiLowerCopy(entry.StoredPath());
      for (const std::string& pattern : patterns)
        if (IsMatch(pattern, path)) {
          chosen = true;
          break;
        }
    }
    if (entry.FileName().empty() && !recreateDirs_) chosen = false;
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
  return run.count;
}

std::string TZipExtractor::BuildOutputFolder(const TZipHeaderInfo& entry) const {
  const std::string dest = OutputRoot(destDir_);
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

std::unique_ptr<TStream> TZipExtractor::CreateOutput(const std::string& fName) const {
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      // A read-only file is not replaced, not even by a user who could write it.
      if (IsReadOnly(fName)) throw EFCreateError("Cannot create file \"" + fName + "\": read-only");
      return std::make_unique<TBufferedFileStream>(fName, kBufferSize, flushFilesOnClose_, fmCreate);
    } catch (const EFCreateError&) {
      if (!replaceReadOnly_ || attempt > 0) return nullptr;
      struct stat info {};
      if (::stat(fName.c_str(), &info) == 0) ::chmod(fName.c_str(), (info.st_mode & 07777) | S_IWUSR);
    } catch (const Exception&) {
      return nullptr;
    }
  }
  return nullptr;
}

bool TZipExtractor::MayReplace(int index, const TZipHeaderInfo& entry, std::string& fName) {
  if (overwriteMode_ == Always || !FileExists(fName)) return true;
  struct stat info {};
  const bool dated = ::stat(fName.c_str(), &info) == 0;
  switch (overwriteMode_) {
    case Never:
      return false;
    case ifNewer:
      return dated && DosDateTimeToLocalTime(entry.DateTime) > info.st_mtime;
    case ifOlder:
      return dated && DosDateTimeToLocalTime(entry.DateTime) < info.st_mtime;
    case Prompt:
    default: {
      bool overWriteIt = false;
      if (OnPromptForOverwrite)
        OnPromptForOverwrite(*this, overWriteIt, index, fName);
      else
        overWriteIt = Host().AskYesNo(kReplaceQuestion + entry.FileName() + "?", kReplaceCaption);
      return overWriteIt;
    }
  }
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
  if (hasName) {
    if (volumeCount_ > 1 && currentVolume_ != entry.DiskNumberStart) SwapDisk(entry.DiskNumberStart + 1);
    const std::int64_t offset = entry.LocalHeaderOffset;
    if (archive_->Seek(offset, soFromBeginning) != offset ||
        archive_->Read(localHeader_, kLocalHeaderSize) != kLocalHeaderSize)
      throw EFatalUnzipError(msg::kPrematureEnd);
    localNameLength = static_cast<std::uint16_t>(localHeader_[26] | localHeader_[27] << 8);
    localExtraLength = static_cast<std::uint16_t>(localHeader_[28] | localHeader_[29] << 8);
    archive_->Seek(offset + kLocalHeaderSize + localNameLength + localExtraLength, soFromBeginning);
  }

  // A stored path that would leave DestDir (a "." or ".." folder, or a NUL that
  // cuts the path short) is refused; the path it asked for is reported.
  const std::string folder = HasNul(entry.StoredPath()) ? std::string() : BuildOutputFolder(entry);
  if (folder.empty()) {
    SkipEntry(run, skipCannotCreate, RefusedOutputPath(destDir_, entry), index);
    return;
  }
  if (!hasName) {
    // A folder that cannot be made (a file of that name is in the way) is no success.
    if (recreateDirs_ && !OnMemoryOutput && !DirectoryExists(folder) && !ForceDirectories(folder)) {
      SkipEntry(run, skipCannotCreate, folder, index);
      return;
    }
    ++run.count;
    return;
  }
  std::string fName = folder + entry.FileName();
  if (IsDotName(entry.FileName())) {
    SkipEntry(run, skipCannotCreate, fName, index);
    return;
  }
  if (OnStartUnZip) {
    bool skip = false;
    OnStartUnZip(*this, index, fName, skip);
    if (skip) return;
  }
  const bool toMemory = static_cast<bool>(OnMemoryOutput);
  const std::size_t slash = fName.rfind('/');
  if (!toMemory && slash != std::string::npos && slash > 0 && !DirectoryExists(fName.substr(0, slash)))
    ForceDirectories(fName.substr(0, slash));

  context.archive = archive_.get();
  if (entry.IsEncrypted() && !CheckEntryPassword(context, entry, index)) {
    SkipEntry(run, skipBadPassword, entry.StoredPath(), index);
    return;
  }
  std::string decoded;
  if (toMemory) {
    context.output = std::make_unique<TStringSink>(decoded);
    context.outputPath.clear();
  } else {
    if (!MayReplace(index, entry, fName)) {
      SkipEntry(run, skipKeepExisting, fName, index);
      return;
    }
    std::unique_ptr<TStream> output = CreateOutput(fName);
    if (!output) {
      SkipEntry(run, skipCannotCreate, fName, index);
      return;
    }
    context.output = std::move(output);
    context.outputPath = fName;
  }
  context.archive = archive_.get();
  DecodeEntryData(context, entry, index, localNameLength, localExtraLength);

  const std::uint32_t crc = ~run.bridge.CRCRegister;
  if (crc == entry.CRC32) {
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
      if (OnSkippingFile) OnSkippingFile(*this, skipBadPassword, entry.StoredPath(), index, retry);
    }
  } else if (OnBadCRC) {
    OnBadCRC(*this, crc, entry.CRC32, index);
  }
  if (!toMemory) DeleteFile(fName);
  if (!context.retry) --run.filesToDo;
}

}  // namespace tarvik
