// TZipExtractor: the output side of the run — the folders below DestDir, the
// overwrite rules and the output file. Nothing here follows a symbolic link
// that stands below DestDir: a link is replaced, or the entry is not written.

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file_system.h"
#include "platform/host.h"
#include "zip/dos_time.h"
#include "zip/extractor.h"

namespace tarvik {
namespace {

constexpr const char* kReplaceQuestion = "Replace existing file ";
constexpr const char* kReplaceCaption = "File Exists Alert";

// A file without any write permission counts as read-only. A link is looked
// at itself, never at what it points to: it is replaced, not written through.
bool IsReadOnly(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

// Something other than a folder stands at path: a file, or a link of any kind,
// dangling or not, which counts as the existing file.
bool OccupiedByFile(const std::string& path, struct stat& info) {
  return path.find('\0') == std::string::npos && ::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace

std::string TZipExtractor::OutputRoot() const { return destDir_.empty() ? std::string(".") : destDir_; }

bool TZipExtractor::MakeOutputFolder(const std::string& folder) const {
  // Below DestDir only real folders are gone through or made: a link there
  // could lead anywhere, and the user's link is not ours to remove.
  const std::string root = OutputRoot();
  if (folder.compare(0, root.size() + 1, root + "/") == 0)
    return ForceDirectoriesBelow(root, folder.substr(root.size() + 1));
  // DestDir itself, or a folder an OnStartUnZip handler chose.
  return DirectoryExists(folder) || ForceDirectories(folder);
}

std::unique_ptr<TStream> TZipExtractor::CreateOutput(const std::string& fName) const {
  // A link at the output path is replaced by the file, never written through;
  // the open then refuses a link that appears in between.
  if (IsSymbolicLink(fName) && !DeleteFile(fName)) return nullptr;
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      // A read-only file is not replaced, not even by a user who could write it.
      if (IsReadOnly(fName)) throw EFCreateError("Cannot create file \"" + fName + "\": read-only");
      return std::make_unique<TBufferedFileStream>(fName, kBufferSize, flushFilesOnClose_, fmCreate | fmNoFollow);
    } catch (const EFCreateError&) {
      if (!replaceReadOnly_ || attempt > 0) return nullptr;
      struct stat info {};
      if (::lstat(fName.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        ::fchmodat(AT_FDCWD, fName.c_str(), (info.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW);
    } catch (const Exception&) {
      return nullptr;
    }
  }
  return nullptr;
}

bool TZipExtractor::MayReplace(int index, const TZipHeaderInfo& entry, std::string& fName) {
  struct stat info {};
  if (overwriteMode_ == Always || !OccupiedByFile(fName, info)) return true;
  switch (overwriteMode_) {
    case Never: return false;
    case ifNewer: return DosDateTimeToLocalTime(entry.DateTime) > info.st_mtime;
    case ifOlder: return DosDateTimeToLocalTime(entry.DateTime) < info.st_mtime;
    case Prompt:
    default: {
      bool overWriteIt = false;
      if (OnPromptForOverwrite) OnPromptForOverwrite(*this, overWriteIt, index, fName);
      else overWriteIt = Host().AskYesNo(kReplaceQuestion + entry.FileName() + "?", kReplaceCaption);
      return overWriteIt;
    }
  }
}

}  // namespace tarvik
