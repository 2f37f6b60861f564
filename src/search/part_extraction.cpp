#include "search/part_extraction.h"

#include "zip/extractor.h"

#include "platform/file_system.h"

namespace tarvik {
namespace {

// The settings both ways share; the caller adds the archive and where the bytes go.
void Prepare(TZipExtractor& extractor) {
  extractor.SetOverwriteMode(TUZOverwriteMode::Always);
  for (const TSlotName& name : kSlotNames) extractor.FilesList().push_back(name.pattern);
  extractor.SetDoAll(false);
}

// Hands the slots' entries of the archive the extractor has to receiver.
void Stream(TZipExtractor& extractor, TPartReceiver& receiver) {
  // One opening serves the directory and the entries.
  extractor.SetKeepZipOpen(true);
  // This runs on search jobs: events are let run between documents by the
  // thread that owns the window, never from inside one.
  extractor.SetDoProcessMessages(false);
  // Entries are decoded one after the other, each after its start event.
  int slot = -1;
  extractor.OnStartUnZip = [&receiver, &slot](TZipExtractor& sender, int index, std::string&, bool& skip) {
    slot = SlotOfEntry(sender.Entry(index));
    if (slot < 0) return;
    if (!receiver.Wants(slot) && sender.EntryDecodesQuietly()) {
      skip = true;
      return;
    }
    receiver.Begin(slot);
  };
  extractor.OnMemoryChunk = [&receiver, &slot](TZipExtractor&, int, const std::uint8_t* data, std::size_t count) {
    if (slot >= 0) receiver.Data(slot, reinterpret_cast<const char*>(data), count);
  };
  extractor.OnMemoryOutput = [&receiver, &slot](TZipExtractor&, int, const std::string&, std::string&) {
    if (slot >= 0) receiver.Complete(slot);
  };
  extractor.ExtractFiles();
}

}  // namespace

void ExtractDocumentParts(const std::string& path, const std::string& destFolder) {
  TZipExtractor extractor;
  Prepare(extractor);
  extractor.SetZipName(path);
  extractor.SetDestDir(destFolder);
  extractor.SetOverwriteMode(TUZOverwriteMode::Always);
  // Stored permissions could make a part unreadable here, where memory would
  // still hold it: the parts keep the scratch folder's own.
  extractor.SetRetainAttributes(false);
  // Every slot is written under one fixed name, whatever the stored name's
  // letter case. What an earlier entry of the slot wrote is removed first, so
  // that a later entry that fails leaves the slot empty, as in memory.
  extractor.OnStartUnZip = [](TZipExtractor& sender, int index, std::string& fName, bool&) {
    const int slot = SlotOfEntry(sender.Entry(index));
    if (slot < 0) return;
    fName = fName.substr(0, fName.rfind('/') + 1) + kSlotNames[slot].file;
    DeleteFile(fName);
  };
  extractor.ExtractFiles();
}

void StreamDocumentParts(const std::string& path, TPartReceiver& receiver) {
  TZipExtractor extractor;
  Prepare(extractor);
  extractor.SetZipName(path);
  Stream(extractor, receiver);
}

void StreamDocumentParts(const std::string& path, TOpenedDocument&& opened, TPartReceiver& receiver) {
  TZipExtractor extractor;
  Prepare(extractor);
  extractor.SetOpenedZip(path, std::move(opened.file), opened.size, opened.modified);
  Stream(extractor, receiver);
}

}  // namespace tarvik
