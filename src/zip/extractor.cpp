// TZipExtractor: creation, settings, opening and closing the archive, and the
// questions about its entries.

#include "zip/extractor.h"

#include "zip/archive_paths.h"
#include "zip/reader_helpers.h"

#include "platform/file_system.h"
#include "platform/host.h"

namespace tarvik {

namespace {

constexpr const char* kOpenZipCaption = "Open a Zip File";
constexpr const char* kOpenZipFilter =
    "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|All Files (*.*)|*.*";
constexpr const char* kDestDirCaption = "Set Destination Directory";

}  // namespace

TZipExtractor::TZipExtractor() {
  scratchHeader_.OEMConvert = oemConvert_;
  OnGetNextDisk = &TZipExtractor::DefaultGetNextDisk;
}

TZipExtractor::~TZipExtractor() { ClearArchive(); }

void TZipExtractor::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TZipExtractor*>(&source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  SetZipName(other->zipName_);
  destDir_ = other->destDir_;
  rootDir_ = other->rootDir_;
  sortMode_ = other->sortMode_;
  recreateDirs_ = other->recreateDirs_;
  overwriteMode_ = other->overwriteMode_;
  filesList_ = other->filesList_;
  doAll_ = other->doAll_;
  incompleteZipMode_ = other->incompleteZipMode_;
  keepZipOpen_ = other->keepZipOpen_;
  doProcessMessages_ = other->doProcessMessages_;
  retainAttributes_ = other->retainAttributes_;
  replaceReadOnly_ = other->replaceReadOnly_;
  OnStartUnZipInfo = other->OnStartUnZipInfo;
  OnFilePercentDone = other->OnFilePercentDone;
  OnTotalPercentDone = other->OnTotalPercentDone;
  OnStartUnZip = other->OnStartUnZip;
  OnEndUnZip = other->OnEndUnZip;
  OnPromptForOverwrite = other->OnPromptForOverwrite;
  OnSkippingFile = other->OnSkippingFile;
  OnBadPassword = other->OnBadPassword;
  OnBadCRC = other->OnBadCRC;
  OnInCompleteZip = other->OnInCompleteZip;
  OnGetNextDisk = other->OnGetNextDisk;
  OnUnZipComplete = other->OnUnZipComplete;
  OnGetNextBuffer = other->OnGetNextBuffer;
  OnDecrypt = other->OnDecrypt;
}

void TZipExtractor::Loaded() { scratchHeader_.OEMConvert = oemConvert_; }

// ---- Settings ----

void TZipExtractor::SetZipName(const std::string& name) {
  // File names on this system differ by letter case, so only an identical name
  // is the same archive.
  if (name == zipName_) return;
  std::string chosen = name;
  if (!chosen.empty() && chosen.back() == '?') {
    std::string folder = FileFolder(chosen.substr(0, chosen.size() - 1));
    std::string start = !folder.empty() && DirectoryExists(folder) ? folder : std::string("/");
    std::optional<std::string> picked = Host().ChooseFile(kOpenZipCaption, kOpenZipFilter, start);
    if (!picked) throw EUserCanceled(msg::kCanceledZipName);
    chosen = *picked;
  }
  SelectArchive(chosen);
}

void TZipExtractor::SelectArchive(const std::string& name) {
  zipName_ = name;
  DropDirectory();
  archiveModified_.reset();
  endCentral_.Clear();
  archive_.reset();
  openedFile_ = TFileHandle();
  openedStream_ = nullptr;
  rebuildDone_ = false;
}

void TZipExtractor::SetOpenedZip(const std::string& name, TFileHandle&& file, std::int64_t size,
                                 std::int64_t modified) {
  SelectArchive(name);
  openedFile_ = std::move(file);
  openedSize_ = size;
  openedModified_ = modified;
}

void TZipExtractor::SetDestDir(const std::string& dir) {
  std::string chosen = dir;
  if (chosen == "?") {
    std::string start = DirectoryExists(destDir_) ? destDir_ : GetCurrentDir();
    std::optional<std::string> picked = Host().BrowseForFolder(kDestDirCaption, start);
    if (!picked) throw EUserCanceled(msg::kCanceledDestDir);
    chosen = *picked;
  }
  if (!chosen.empty() && (chosen.back() == '/' || chosen.back() == '\\')) chosen.pop_back();
  destDir_ = chosen;
}

void TZipExtractor::SetRootDir(const std::string& dir) {
  std::string root = dir;
  SlashesToBackslashes(root);
  if (!root.empty() && root.back() != '\\') root.push_back('\\');
  rootDir_ = root;
}

// ---- Opening and closing ----

void TZipExtractor::EnsureArchiveOpen() {
  if (archive_) return;
  if (openedFile_) {
    archive_ = std::make_unique<TBufferedFileStream>(std::move(openedFile_), zipName_, kArchiveBufferSize, openedSize_);
    openedStream_ = archive_.get();
    return;
  }
  openedStream_ = nullptr;
  archive_ = std::make_unique<TBufferedFileStream>(zipName_, kArchiveBufferSize, flushFilesOnClose_,
                                                   fmOpenRead | fmShareDenyWrite);
}

std::optional<std::int64_t> TZipExtractor::ArchiveModificationTime() const {
  if (!archive_) return std::nullopt;
  if (archive_.get() == openedStream_) return openedModified_;
  return FileModificationTime(archive_->FileHandle());
}

void TZipExtractor::OpenArchive() {
  EnsureArchiveOpen();
  if (mainList_ && archiveModified_ && ArchiveModificationTime() == archiveModified_) return;
  ReadDirectory();
}

void TZipExtractor::CloseArchive() {
  if (!keepZipOpen_) archive_.reset();
}

void TZipExtractor::DropDirectory() {
  sortedView_.reset();
  mainList_.reset();
  view_ = nullptr;
}

void TZipExtractor::ClearArchive() {
  archive_.reset();
  zfc_.reset();
  DropDirectory();
  endCentral_.Clear();
  rebuildDone_ = false;
  archiveModified_.reset();
  volumeCount_ = 1;
  currentVolume_ = 0;
  multiMode_ = TMultiMode::multiNone;
  zipName_.clear();
  openedFile_ = TFileHandle();
  openedStream_ = nullptr;
}

void TZipExtractor::ReadDirectoryRetrying() {
  for (;;) {
    TBusyCursor busy;
    const std::optional<std::int64_t> before =
        openedFile_ ? std::optional<std::int64_t>(openedModified_) : FileModificationTime(zipName_);
    try {
      OpenArchive();
    } catch (const EIncompleteZip&) {
      archive_.reset();
      // The handler kept the mode: another attempt can only succeed when the
      // archive file has been replaced meanwhile (the missing last volume put
      // in its place). Otherwise the next OpenArchive reports the incomplete
      // archive, instead of asking the handler for ever.
      if (OnInCompleteZip && FileModificationTime(zipName_) != before) continue;
      return;
    } catch (...) {
      ClearArchive();
      throw;
    }
    CloseArchive();
    return;
  }
}

// ---- Entries ----

int TZipExtractor::Count() const { return mainList_ ? mainList_->Count() : 0; }

const TZipHeaderInfo& TZipExtractor::Entry(int index) const {
  if (view_ == nullptr || index < 0 || index >= view_->Count()) {
    throw EListError(FormatWithInt(msg::kIndexOutOfRange, index));
  }
  return *view_->Entry(index);
}

std::string TZipExtractor::ReadCommentAt(std::int64_t position, std::size_t length) {
  bool opened = !archive_;
  EnsureArchiveOpen();
  std::string text = ReadTextAt(*archive_, position, length);
  if (opened || multiMode_ == TMultiMode::multiNone) CloseArchive();
  return text;
}

std::string TZipExtractor::FileComment(int index) {
  Entry(index);  // raises for an index outside the view
  TZipHeaderInfo& entry = *view_->Entry(index);
  if (entry.FileComment()) return *entry.FileComment();
  if (!entry.HasComment()) return {};
  std::int64_t position = static_cast<std::int64_t>(entry.CentralHeaderOffset) + kCentralHeaderSize +
                          entry.StoredNameLength + entry.ExtraFieldLength;
  entry.SetFileComment(ReadCommentAt(position, entry.FileCommentLength));
  return *entry.FileComment();
}

std::string TZipExtractor::ZipComment() {
  if (endCentral_.ZipComment()) return *endCentral_.ZipComment();
  if (endCentral_.ZipCommentLength == 0) return {};
  endCentral_.SetZipComment(ReadCommentAt(endCentral_.CommentPosition, endCentral_.ZipCommentLength));
  return *endCentral_.ZipComment();
}

}  // namespace tarvik
