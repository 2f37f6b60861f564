// Volume sets: switching to another volume, the disk label test and the
// default way of naming the next volume.

#include "zip/archive_paths.h"
#include "zip/extractor.h"
#include "zip/reader_helpers.h"

#include "platform/file_system.h"
#include "platform/host.h"

#include <cstdio>

namespace tarvik {

namespace {

std::string ThreeDigits(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%3.3d", n);
  return text;
}

}  // namespace

TStream* TZipExtractor::SwapDisk(int n) {
  archive_.reset();
  std::string fName = zipName_;
  for (;;) {
    if (OnGetNextDisk) {
      OnGetNextDisk(*this, n, fName);
    } else {
      DefaultGetNextDisk(*this, n, fName);
    }
    if (fName.empty()) throw EUserCanceled(msg::kCanceledNewDisk);
    if ((!checkDiskLabels_ || DiskLabelMatches(n)) && FileExists(fName)) break;
  }
  archive_ = std::make_unique<TBufferedFileStream>(fName, kArchiveBufferSize, false, fmOpenRead);
  openedStream_ = nullptr;
  currentVolume_ = n - 1;
  archiveModified_ = ArchiveModificationTime();
  zipName_ = fName;
  return archive_.get();
}

bool TZipExtractor::DiskLabelMatches(int n) const {
  if (multiMode_ != TMultiMode::multiRemovable) return true;
  std::string label = VolumeLabel(LeftChars(zipName_, 3));
  return RightChars(label, 3) == ThreeDigits(n);
}

void TZipExtractor::DefaultGetNextDisk(TZipExtractor& sender, int nextDisk, std::string& fName) {
  if (sender.MultiMode() != TMultiMode::multiRemovable) {
    std::string extension = ".";
    extension += ThreeDigits(nextDisk);
    fName = ChangeFileExt(fName, extension);
    // Nobody can supply a missing volume file: answering "cancel" ends the
    // request instead of naming the same missing file for ever.
    if (!FileExists(fName)) fName.clear();
    return;
  }
  TCursorShape previous = Host().SetCursor(TCursorShape::Normal);
  bool ok = Host().AskOkCancel("Please insert disk " + std::to_string(nextDisk) + " of the multi-disk set.", "");
  Host().SetCursor(previous);
  if (!ok) fName.clear();
}

}  // namespace tarvik
