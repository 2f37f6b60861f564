// Reading an archive's directory into the entry list: the end record (or the
// ".zfc" copy of the directory), the central headers with their repairs, the
// rebuild from local headers when the directory is damaged, and the sorted view.
//
// Every count and offset comes from the file. Loops are bounded by the 16-bit
// entry count and by the file's bytes (each header read consumes at least its
// fixed size), nothing is allocated by a size field larger than 16 bits, and a
// damaged directory ends in a rebuild or EBadZipFile.

#include "zip/archive_paths.h"
#include "zip/extractor.h"

#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "platform/host.h"

#include <memory>

namespace tarvik {

namespace {

bool IsSelfExtractor(const std::string& path) { return AsciiCaseBlindEqual(FileExtension(path), ".exe"); }

// Moves by delta from the current position; false when that would go before
// the start of the stream.
bool SeekBy(TStream& stream, std::int64_t delta) {
  std::int64_t target = stream.Position() + delta;
  if (target < 0) return false;
  stream.Seek(target, soFromBeginning);
  return true;
}

}  // namespace

TStream* TZipExtractor::NextVolume() {
  if (currentVolume_ + 1 >= volumeCount_) return nullptr;
  return SwapDisk(currentVolume_ + 2);
}

void TZipExtractor::ReadDirectory() {
  TStream* directory = LocateDirectory();
  if (!mainList_) {
    mainList_ = std::make_unique<TSortedZip>(TDuplicates::dupError, TZipSortMode::ByNone);
    view_ = mainList_.get();
  }
  ReadCentralHeaders(directory);
  ReadArchiveCommentNow();
  // The volume now open stays the current one: the directory may have ended on
  // another volume than the end record's.
  if (zfc_) currentVolume_ = 0;
  ApplySortMode(sortMode_);
  zfc_.reset();
}

TStream* TZipExtractor::LocateDirectory() {
  archiveModified_ = ArchiveModificationTime();
  DropDirectory();
  zfc_.reset();
  endCentral_.Clear();
  rebuildDone_ = false;
  multiMode_ = TMultiMode::multiNone;
  currentVolume_ = 0;
  volumeCount_ = 1;

  bool found = endCentral_.FindEndRecord(*archive_) && EndRecordIsUsable(endCentral_);
  if (!found) {
    endCentral_.Clear();
    std::string zfcName = ChangeFileExt(zipName_, ".zfc");
    if (FileExists(zfcName)) {
      try {
        zfc_ = std::make_unique<TBufferedFileStream>(zfcName, kBufferSize, false, fmOpenRead);
        found = endCentral_.FindEndRecord(*zfc_) && EndRecordIsUsable(endCentral_);
      } catch (const EStreamError&) {
        found = false;
      }
      if (!found) {
        zfc_.reset();
        endCentral_.Clear();
      }
    }
  }

  TStream* directory = zfc_ ? static_cast<TStream*>(zfc_.get()) : archive_.get();
  if (found) {
    currentVolume_ = zfc_ ? 0 : endCentral_.ThisDisk;
    volumeCount_ = endCentral_.ThisDisk + 1;
    if (endCentral_.ThisDisk == 0) {
      multiMode_ = TMultiMode::multiNone;
    } else {
      multiMode_ = IsRemovableDrive(zipName_) ? TMultiMode::multiRemovable : TMultiMode::multiNumberedFiles;
    }
    if (endCentral_.TotalEntries > 0) {
      if (multiMode_ != TMultiMode::multiNone && !zfc_ && endCentral_.CentralDisk != currentVolume_) {
        directory = SwapDisk(endCentral_.CentralDisk + 1);
      }
      directory->Seek(zfc_ ? 0 : endCentral_.CentralOffset, soFromBeginning);
    }
  } else {
    if (OnInCompleteZip) OnInCompleteZip(*this, incompleteZipMode_);
    switch (incompleteZipMode_) {
      case TIncompleteZipMode::izAssumeNotAZip: throw ENotAZipFile();
      case TIncompleteZipMode::izAssumeBad:
        if (!RebuildFromLocalHeaders()) {
          ClearArchive();
          throw EBadZipFile();
        }
        directory = archive_.get();
        break;
      case TIncompleteZipMode::izAssumeMulti:
      default: throw EIncompleteZip();
    }
  }

  return directory;
}

void TZipExtractor::ReadCentralHeaders(TStream* directory) {
  // The extra field length of the header read last, and the listed entry that
  // holds it (none when that header was dropped), for the repair below.
  std::uint16_t previousExtraLength = 0;
  std::uint16_t* previousExtraField = nullptr;
  // Restarts the entry loop on the rebuilt list; the central headers are read
  // again from where the local headers ended, in the archive itself.
  auto restartAfterRebuild = [&] {
    zfc_.reset();
    directory = archive_.get();
    previousExtraLength = 0;
    previousExtraField = nullptr;
  };

  for (int i = 0; i < endCentral_.TotalEntries; ++i) {
    auto entry = std::make_unique<TZipHeaderInfo>();
    entry->OEMConvert = oemConvert_;
    const bool volumeSet = multiMode_ != TMultiMode::multiNone && !zfc_;
    TNextVolume next;
    if (volumeSet && !rebuildDone_) next = [this] { return NextVolume(); };

    bool read = entry->ReadCentralHeader(directory, next);
    if (!read && previousExtraLength != 0) {
      // The previous entry's extra field length was probably wrong: read again
      // from where the header would have started without it.
      std::int64_t wrongLength = previousExtraLength;
      previousExtraLength = 0;
      if (previousExtraField != nullptr) *previousExtraField = 0;
      if (SeekBy(*directory, -wrongLength)) read = entry->ReadCentralHeader(directory, next);
    }

    if (!read) {
      if (rebuildDone_) break;
      if (volumeSet || !RebuildFromLocalHeaders()) {
        ClearArchive();
        throw EBadZipFile();
      }
      restartAfterRebuild();
      i = -1;
      continue;
    }

    TZipHeaderInfo* listed = nullptr;
    if (!rebuildDone_) {
      try {
        mainList_->Add(entry.get());
        listed = entry.release();
      } catch (const EListError&) {
        // Two entries name the same local header: the directory cannot be trusted.
        if (volumeSet || !RebuildFromLocalHeaders()) {
          ClearArchive();
          throw EBadZipFile();
        }
        restartAfterRebuild();
        i = -1;
        continue;
      }
    } else {
      // A rebuilt entry takes the data of the central header naming its local
      // header, the last one when several do; its own offset stays. Sizes
      // that do not fit its data end in a CRC failure of that entry alone.
      int index = mainList_->IndexOf(entry.get());
      if (index >= 0) {
        listed = mainList_->Entry(index);
        std::uint32_t localOffset = listed->LocalHeaderOffset;
        listed->Assign(*entry);
        listed->LocalHeaderOffset = localOffset;
      }
    }

    // The extra field and comment follow the name. In a volume set, and in a
    // ".zfc" copy, the comment cannot be fetched later from the archive at the
    // recorded offset, so it is read now.
    const std::int64_t extraLength = entry ? entry->ExtraFieldLength : listed->ExtraFieldLength;
    const std::int64_t commentLength = entry ? entry->FileCommentLength : listed->FileCommentLength;
    if (commentLength != 0 && (volumeSet || zfc_)) {
      directory->Seek(extraLength, soFromCurrent);
      std::string comment(static_cast<std::size_t>(commentLength), '\0');
      comment.resize(directory->Read(comment.data(), comment.size()));
      if (listed != nullptr) listed->SetFileComment(std::move(comment));
    } else {
      directory->Seek(extraLength + commentLength, soFromCurrent);
    }
    previousExtraLength = static_cast<std::uint16_t>(extraLength);
    previousExtraField = listed != nullptr ? &listed->ExtraFieldLength : nullptr;
  }
}

void TZipExtractor::ReadArchiveCommentNow() {
  // The archive comment of a volume set (or of a ".zfc" copy) is read now; a
  // single archive's comment only on request.
  if (endCentral_.ZipCommentLength != 0 && (zfc_ || multiMode_ != TMultiMode::multiNone)) {
    TStream* source = zfc_.get();
    if (source == nullptr) {
      if (currentVolume_ != endCentral_.ThisDisk) SwapDisk(endCentral_.ThisDisk + 1);
      source = archive_.get();
    }
    endCentral_.SetZipComment(ReadTextAt(*source, endCentral_.CommentPosition, endCentral_.ZipCommentLength));
  }
}

bool TZipExtractor::RebuildFromLocalHeaders() {
  if (rebuildDone_) return false;
  rebuildDone_ = true;
  DropDirectory();

  TBufferedFileStream& stream = *archive_;
  stream.Seek(IsSelfExtractor(zipName_) ? kSfxScanStart : 0, soFromBeginning);

  static constexpr std::uint8_t kSignature[4] = {'P', 'K', 3, 4};
  int matched = 0;
  int sinceMessages = 0;
  for (;;) {
    int b = stream.ReadByte();
    if (b < 0) return false;
    if (b == kSignature[matched]) {
      ++matched;
    } else {
      matched = b == kSignature[0] ? 1 : 0;
      if (matched == 0 && ++sinceMessages >= 10240) {
        sinceMessages = 0;
        if (doProcessMessages_) Host().ProcessMessages();
      }
    }
    if (matched < 4) continue;
    std::uint8_t version[2];
    if (stream.Read(version, 2) != 2) return false;
    if (version[1] < 10) break;
    // Not a plausible header: scan on from just behind the signature.
    stream.Seek(-2, soFromCurrent);
    matched = 0;
  }
  stream.Seek(-6, soFromCurrent);

  mainList_ = std::make_unique<TSortedZip>(TDuplicates::dupError, TZipSortMode::ByNone);
  view_ = mainList_.get();
  // The entry count of the directory is a 16-bit field.
  while (mainList_->Count() < 0xFFFF) {
    auto entry = std::make_unique<TZipHeaderInfo>();
    entry->OEMConvert = oemConvert_;
    if (!entry->ReadLocalHeader(stream)) break;
    std::int64_t skip = static_cast<std::int64_t>(entry->CompressedSize) + entry->LocalExtraFieldLength +
                        (entry->HasDataDescriptor() ? 16 : 0);
    try {
      mainList_->Add(entry.get());
      static_cast<void>(entry.release());  // the list owns it now
    } catch (const EListError&) {
      break;
    }
    stream.Seek(skip, soFromCurrent);
  }

  endCentral_.ThisDisk = 0;
  currentVolume_ = 0;
  endCentral_.CentralOffset = static_cast<std::uint32_t>(stream.Position());
  endCentral_.TotalEntries = static_cast<std::uint16_t>(mainList_->Count());
  return true;
}

void TZipExtractor::ApplySortMode(TZipSortMode mode) {
  sortedView_.reset();
  view_ = mainList_.get();
  if (mode != TZipSortMode::ByNone && mainList_) {
    sortedView_ = std::make_unique<TSortedZip>(TDuplicates::dupAccept, mode);
    sortedView_->SetOwnsObjects(false);
    for (int i = 0; i < mainList_->Count(); ++i) sortedView_->Add(mainList_->Entry(i));
    view_ = sortedView_.get();
  }
  sortMode_ = mode;
}

}  // namespace tarvik
