#include "search/part_extraction.h"

#include "platform/file_system.h"
#include "zip/extractor.h"

namespace tarvik {
namespace {

// The settings both ways share; the caller adds where the bytes go.
void Prepare(TZipExtractor& extractor, const std::string& path) {
  extractor.SetOverwriteMode(Always);
  for (const TSlotName& name : kSlotNames) extractor.FilesList().push_back(name.pattern);
  extractor.SetZipName(path);
  extractor.SetDoAll(false);
}

}  // namespace

void ExtractDocumentParts(const std::string& path, const std::string& destFolder) {
  TZipExtractor extractor;
  Prepare(extractor, path);
  extractor.SetDestDir(destFolder);
  extractor.SetOverwriteMode(Always);
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
  Prepare(extractor, path);
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

}  // namespace tarvik
