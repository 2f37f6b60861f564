#pragma once
// Unpacks the parts a search reads (see part_plan.h) into a folder, or hands
// them over block by block as they are decoded. Both ways
// select the same entries and apply the same rule: the last entry of a slot
// decides whether the slot is filled.

#include "search/part_plan.h"

#include "platform/file_handle.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvik {

// Extracts the document's parts and manifest into destFolder, each under its
// slot's file name (kSlotNames), replacing files there. Afterwards a slot's
// file exists exactly when the slot's last entry was extracted whole. Failures
// that concern the whole archive are thrown as the reader's exceptions.
void ExtractDocumentParts(const std::string& path, const std::string& destFolder);

// Takes the slots' entries as the reader decodes them, in archive order.
class TPartReceiver {
 public:
  virtual ~TPartReceiver() = default;
  // Whether the slot's bytes are wanted. An entry of a slot that is not is
  // passed over undecoded where decoding it could not change the run's outcome
  // (see TZipExtractor::EntryDecodesQuietly); else it is delivered as usual.
  virtual bool Wants(int slot) const {
    (void)slot;
    return true;
  }
  // An entry of slot starts: what an earlier entry of the slot delivered no
  // longer counts.
  virtual void Begin(int slot) = 0;
  // The entry's next decoded bytes, at most 32 KB at a time.
  virtual void Data(int slot, const char* data, std::size_t size) = 0;
  // The entry decoded to its end with the right CRC: it is the slot's part.
  virtual void Complete(int slot) = 0;
};

// Like ExtractDocumentParts, handing the bytes over as they are decoded
// instead of writing them: a slot is filled when Complete is the last
// call for it. An exception the receiver throws ends the run (std::bad_alloc
// passes through every decoder unchanged). Lets no window events run, so it
// may run on a search job.
void StreamDocumentParts(const std::string& path, TPartReceiver& receiver);

// The file at path as its opener found it: the open file, its size and
// modification time (nanoseconds).
struct TOpenedDocument {
  TFileHandle file;
  std::int64_t size = 0;
  std::int64_t modified = 0;
};

// The same, reading the document through the file its opener holds, so that
// opening and asking the file's state happen once per document.
void StreamDocumentParts(const std::string& path, TOpenedDocument&& opened, TPartReceiver& receiver);

}  // namespace tarvik
