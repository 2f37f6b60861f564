#include "zip/entry_decoder.h"

#include "zip/dos_time.h"
#include "zip/exceptions.h"
#include "zip/records.h"

#include "decode/cipher.h"
#include "decode/inflate.h"
#include "decode/legacy_methods.h"

#include "base/buffer_stream.h"
#include "base/stream.h"

#include "platform/file_handle.h"
#include "platform/file_system.h"
#include "platform/host.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace tarvik {

namespace {

constexpr int kUnixHost = 3;
constexpr std::uint32_t kDosReadOnly = 0x01;

std::uint8_t PasswordCheckByte(const TZipHeaderInfo& entry) {
  return entry.HasDataDescriptor() ? static_cast<std::uint8_t>(entry.DateTime >> 8)
                                   : static_cast<std::uint8_t>(entry.CRC32 >> 24);
}

// Runs the decoder of the entry's method; false for a method this reader
// cannot decode. Decoders end data errors quietly: the CRC comparison that
// follows reports them.
bool RunDecoder(DecodeContext& context, const TZipHeaderInfo& entry) {
  if (context.method == 0) {
    context.CopyStored();
    return true;
  }
  if (context.method == 8) {
    Inflate(context);
    return true;
  }
  if (IsLegacyMethod(context.method)) {
    DecodeLegacyEntry(context, entry.Flags);
    return true;
  }
  return false;
}

// Releases the output stream. Returns whether every buffered byte reached the
// file.
bool ReleaseOutput(DecodeContext& context) {
  std::unique_ptr<TStream> output = std::move(context.output);
  bool written = true;
  if (auto* buffered = dynamic_cast<TBufferStream*>(output.get())) written = buffered->Finish();
  output.reset();
  return written;
}

// The permissions the entry gives its file, which now has mode.
mode_t StampedMode(const TZipHeaderInfo& entry, mode_t mode) {
  const std::uint32_t attributes = entry.ExternalAttributes;
  const std::uint32_t unixMode = attributes >> 16;
  if ((entry.VersionMadeBy >> 8) == kUnixHost && unixMode != 0) {
    // Permission bits of a regular file only, never set-user-id, set-group-id
    // or sticky. A link, device or folder is written as a plain file with
    // default permissions: a link's 0777 would make its file writable by all.
    if ((unixMode & S_IFMT) == S_IFREG) return static_cast<mode_t>(unixMode & 0777);
    return static_cast<mode_t>(0644 & ~CurrentUmask());
  }
  mode &= 0777;
  if (attributes & kDosReadOnly) return mode & static_cast<mode_t>(~0222);
  return mode | S_IWUSR;
}

}  // namespace

bool CheckEntryPassword(DecodeContext& context, TZipHeaderInfo& entry, int fileIndex) {
  TDecodeComponent& component = *context.component;
  const std::uint8_t checkByte = PasswordCheckByte(entry);
  const std::uint32_t compressedSize = entry.CompressedSize;
  const std::int64_t headerPosition = context.archive->Position();
  for (;;) {
    const std::uint8_t last = DecryptHeader(component.CipherKeys, component.Password, *context.archive);
    // An entry too short to hold the header has no data after it.
    entry.CompressedSize = compressedSize >= kEncryptionHeaderSize
                               ? compressedSize - static_cast<std::uint32_t>(kEncryptionHeaderSize)
                               : 0;
    if (last == checkByte) return true;
    if (!component.OnBadPassword) return false;
    std::string newPassword = component.Password;
    component.OnBadPassword(fileIndex, newPassword);
    if (newPassword == component.Password) return false;
    component.Password = newPassword;
    // Back to the header, wherever a short read left the stream.
    context.archive->Seek(headerPosition, soFromBeginning);
    entry.CompressedSize = compressedSize;
  }
}

bool DecodeEntryData(DecodeContext& context, TZipHeaderInfo& entry, int fileIndex, std::uint16_t localNameLength,
                     std::uint16_t localExtraLength) {
  (void)fileIndex;
  const bool encrypted = entry.IsEncrypted();
  context.StartEntry(entry.CompressionMethod, encrypted, entry.CompressedSize, entry.UncompressedSize);
  bool completed = false;
  try {
    const std::int64_t dataStart = std::int64_t{entry.LocalHeaderOffset} + kLocalHeaderSize + localNameLength +
                                   localExtraLength + (encrypted ? std::int64_t{kEncryptionHeaderSize} : 0);
    if (context.archive->Seek(dataStart, soFromBeginning) != dataStart) throw EFatalUnzipError(msg::kPrematureEnd);
    if (!RunDecoder(context, entry)) Host().ShowMessage(msg::kUnknownCompressionMethod, msg::kZipErrorCaption);
    completed = true;
  } catch (const EBiggerThanUncompressed&) {
    completed = false;
  } catch (...) {
    ReleaseOutput(context);
    throw;
  }
  const std::string path = context.outputPath;
  // A completed entry whose last bytes cannot be written must not pass as
  // extracted: the CRC was computed over bytes the file does not hold.
  if (!ReleaseOutput(context) && completed) throw ECantWriteUCF(msg::kCantWriteUCF);
  if (completed && !path.empty())
    StampExtractedFile(context.outputFolder, path, entry, context.component->RetainAttributes);
  return completed;
}

void StampExtractedFile(int folder, const std::string& name, const TZipHeaderInfo& entry, bool retainAttributes) {
  // Through a handle opened relative to the folder that did not follow a
  // link: whatever stands at the name now, no other file gets the date or the
  // permissions.
  const TFileHandle file = TFileHandle::OpenAt(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
  struct stat status {};
  if (!file || fstat(file.Fd(), &status) != 0 || !S_ISREG(status.st_mode)) return;
  const std::time_t when = DosDateTimeToLocalTime(entry.DateTime);
  if (when != static_cast<std::time_t>(-1)) {
    const timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
    futimens(file.Fd(), times);
  }
  if (retainAttributes) fchmod(file.Fd(), StampedMode(entry, status.st_mode));
}

}  // namespace tarvik
