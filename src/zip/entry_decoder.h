#pragma once
// The decoding half of extracting one archive entry: the password check of an
// encrypted entry and the decode step that positions the archive on the
// entry's data, runs the decoder for its method through the output stage, and
// closes and stamps the output file. The extraction driver decides where the
// entry goes and compares the CRC afterwards.
//
// Threads: any, one context per thread. What this step tells the user (an
// unknown method) goes to Host(): on a search job that is the job's recorder,
// and the window's thread shows it when the document's turn comes
// (parallel_walk.h). The decoders themselves report through the component.

#include "decode/decode_component.h"
#include "decode/decode_context.h"

#include <cstdint>
#include <string>

namespace tarvik {

class TZipHeaderInfo;

namespace msg {
inline constexpr const char* kUnknownCompressionMethod = "Unknown Compression Method";
inline constexpr const char* kZipErrorCaption = "Zip Error";
}  // namespace msg

// Checks the password of an encrypted entry. The archive (context.archive)
// must stand just behind the entry's local header. Reads the 12-byte
// encryption header, takes 12 off entry.CompressedSize and compares the last
// decrypted byte with the check byte (high byte of the DOS time when the entry
// has a data descriptor, else of the stored CRC). On a mismatch OnBadPassword
// may offer another password, which is tried on the same header. Returns true
// when accepted (the cipher keys then stand ready for the data), false when the
// entry is to be skipped; nothing is created either way.
bool CheckEntryPassword(DecodeContext& context, TZipHeaderInfo& entry, int fileIndex);

// Decodes the entry into context.output, whose ownership it takes and which it
// releases before returning. localNameLength and localExtraLength come from the
// entry's local header. Returns true when the decoder ran to its end (also for
// an unknown method, after a message), false when the output would have grown
// beyond the uncompressed size. The running CRC is left in the component.
// A completed file (with a path) gets the entry's date and time and, with
// RetainAttributes, its attributes. Raises EFatalUnzipError, EUserCanceled and
// ECantWriteUCF (also when the last buffered bytes cannot be written), after
// releasing the output.
bool DecodeEntryData(DecodeContext& context, TZipHeaderInfo& entry, int fileIndex, std::uint16_t localNameLength,
                     std::uint16_t localExtraLength);

// Gives the file `name` in the folder whose descriptor is folder (AT_FDCWD:
// name is a plain path) the entry's packed DOS date and time (local time,
// repaired) as its modification time, and with retainAttributes its
// permissions: an entry made on a Unix host carries them in the upper 16 bits
// of its external attributes (0777 only, and only for a regular file; any
// other kind gets rw-r--r-- less the umask); otherwise the DOS read-only bit
// removes write permission. A link at the name is left alone, never followed.
// Failures are silent.
void StampExtractedFile(int folder, const std::string& name, const TZipHeaderInfo& entry, bool retainAttributes);

}  // namespace tarvik
