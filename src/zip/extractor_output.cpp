// TZipExtractor: the output side of the run — the folders below DestDir, the
// overwrite rules and the output file. Below DestDir every folder is reached
// through the descriptor of the one above it and never through a symbolic
// link, and the output file is made relative to its folder's descriptor: a
// folder swapped for a link while the run goes on cannot redirect a write.

#include "zip/dos_time.h"
#include "zip/extractor.h"
#include "zip/output_place.h"

#include "platform/folder_walk.h"
#include "platform/host.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <chrono>

namespace tarvik {
namespace {

constexpr const char* kReplaceQuestion = "Replace existing file ";
constexpr const char* kReplaceCaption = "File Exists Alert";

// What stands at the name in the place's folder, the name itself if it is a link.
bool StatInPlace(const TOutputPlace& place, struct stat& info) {
  return ::fstatat(place.folder.Fd(), place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// A name no one else is likely to pick in the folder; O_EXCL settles the rest.
std::string TemporaryName() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                       (static_cast<std::uint64_t>(::getpid()) << 40) ^ (++counter * 0x9E3779B97F4A7C15ull);
  std::string name = ".tarvik-";
  for (int i = 0; i < 8; ++i, seed /= 36) name += "0123456789abcdefghijklmnopqrstuvwxyz"[seed % 36];
  return name;
}

}  // namespace

std::string TZipExtractor::OutputRoot() const { return destDir_.empty() ? std::string(".") : destDir_; }

TFileHandle TZipExtractor::OpenOutputFolder(std::string folder) const {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  // Below DestDir only real folders are gone through or made: a link there
  // could lead anywhere, and the user's link is not ours to remove.
  const std::string root = OutputRoot();
  if (folder.compare(0, root.size() + 1, root + "/") == 0)
    return OpenFolderBelow(OpenFolder(root, true), folder.substr(root.size() + 1), true);
  // DestDir itself, or a folder an OnStartUnZip handler chose.
  return OpenFolder(folder, true);
}

bool TZipExtractor::MakeOutputFolder(const std::string& folder) const { return OpenOutputFolder(folder).Valid(); }

bool TZipExtractor::OpenOutputPlace(const std::string& fName, TOutputPlace& place) const {
  const std::size_t slash = fName.rfind('/');
  place.folder = slash == std::string::npos ? OpenFolder(".", false)
                                            : OpenOutputFolder(slash == 0 ? std::string("/") : fName.substr(0, slash));
  place.name = slash == std::string::npos ? fName : fName.substr(slash + 1);
  return place.folder.Valid() && !place.name.empty();
}

bool TZipExtractor::MayBeReplaced(const TOutputPlace& place) const {
  struct stat info {};
  if (!StatInPlace(place, info)) return true;  // nothing there
  if (S_ISDIR(info.st_mode)) return false;
  if (!S_ISREG(info.st_mode)) return true;  // a link gives way to the file, never written through
  // A read-only file (no write permission at all) is not replaced, not even
  // by a user who could write it; with ReplaceReadOnly it is when its owner
  // could clear that state.
  if ((info.st_mode & 0222) == 0) return replaceReadOnly_ && (::geteuid() == 0 || info.st_uid == ::geteuid());
  // Any other file only by a user who could have written it.
  return ::faccessat(place.folder.Fd(), place.name.c_str(), W_OK, AT_EACCESS) == 0;
}

std::unique_ptr<TStream> TZipExtractor::CreateOutput(TOutputPlace& place, const std::string& fName) const {
  if (!MayBeReplaced(place)) return nullptr;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temporary = TemporaryName();
    TFileHandle file = TFileHandle::OpenAt(place.folder.Fd(), temporary, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    if (!file) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    place.temporary = temporary;  // from here on, the place removes it unless it is put in place
    return std::make_unique<TBufferedFileStream>(std::move(file), fName, kBufferSize, flushFilesOnClose_);
  }
  return nullptr;
}

bool TZipExtractor::PutOutputInPlace(TOutputPlace& place) {
  if (::renameat(place.folder.Fd(), place.temporary.c_str(), place.folder.Fd(), place.name.c_str()) != 0) return false;
  place.temporary.clear();
  return true;
}

void TZipExtractor::DiscardOutput(TOutputPlace& place) {
  // The file that stood at the name was replaced by what failed, as far as
  // the run's outcome goes: it goes too, through this name only.
  ::unlinkat(place.folder.Fd(), place.temporary.c_str(), 0);
  place.temporary.clear();
  struct stat info {};
  if (StatInPlace(place, info) && !S_ISDIR(info.st_mode)) ::unlinkat(place.folder.Fd(), place.name.c_str(), 0);
}

bool TZipExtractor::MayReplace(int index, const TZipHeaderInfo& entry, std::string& fName, const TOutputPlace& place) {
  struct stat info {};
  if (overwriteMode_ == TUZOverwriteMode::Always || !StatInPlace(place, info) || S_ISDIR(info.st_mode)) return true;
  switch (overwriteMode_) {
    case TUZOverwriteMode::Never: return false;
    case TUZOverwriteMode::ifNewer: return DosDateTimeToLocalTime(entry.DateTime) > info.st_mtime;
    case TUZOverwriteMode::ifOlder: return DosDateTimeToLocalTime(entry.DateTime) < info.st_mtime;
    case TUZOverwriteMode::Prompt:
    default: {
      bool overWriteIt = false;
      if (OnPromptForOverwrite) OnPromptForOverwrite(*this, overWriteIt, index, fName);
      else overWriteIt = Host().AskYesNo(kReplaceQuestion + entry.FileName() + "?", kReplaceCaption);
      return overWriteIt;
    }
  }
}

}  // namespace tarvik
