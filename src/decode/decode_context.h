#pragma once
// The state every decoder of one extraction run shares: the work areas
// (Inflate's window and output blocks; Explode's window and the legacy
// decoders' tables), the compressed input buffer and its reader, and the 32 KB
// output stage that writes the output file, keeps the CRC and reports
// progress.

#include <fcntl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tarvik {

class TStream;
struct TDecodeComponent;

inline constexpr std::size_t kDecodeBlockSize = 32768;  // input refills, output flushes
inline constexpr std::size_t kWindowSize = 32768;
// Spare bytes behind the window, so a decoder's word-wide copies may run past
// its end (Inflate's match copy relies on them; see inflate.cpp).
inline constexpr std::size_t kWorkAreaSlack = 12;
inline constexpr std::size_t kWorkAreaSize = kWindowSize + kWorkAreaSlack;
inline constexpr std::size_t kDecodeBufferSize = 32769;

namespace msg {
inline constexpr const char* kPrematureEnd = "Premature end of file reached";
inline constexpr const char* kUserAborted = "User Aborted Operation";
inline constexpr const char* kBiggerThanUncompressed = "File is larger than uncompressed size!";
inline constexpr const char* kCantWriteUCF = "Cant write uncompressed file";
}  // namespace msg

class DecodeContext {
 public:
  // Takes the input and output buffers (and Inflate's work area) that the
  // last context of this thread left, or allocates them: a search runs one
  // extraction per document.
  DecodeContext();
  // Leaves those buffers to the next context of this thread.
  ~DecodeContext();
  DecodeContext(const DecodeContext&) = delete;
  DecodeContext& operator=(const DecodeContext&) = delete;

  // Delivers the next compressed byte into lastByte and returns 8, or returns
  // 0 once the entry's data is exhausted (lastByte then keeps its value, so a
  // decoder asking on keeps getting the previous byte's bits). Refills the
  // input buffer 32 KB at a time: lets window events run, reads across volumes
  // and decrypts. Raises EFatalUnzipError or EUserCanceled when the archive
  // ends early.
  int NextInputByte();
  // Writes the output buffer (nothing when empty): decrypts a stored encrypted
  // entry, refuses output beyond the uncompressed size (EBiggerThanUncompressed),
  // writes (ECantWriteUCF on a short write), updates the CRC and reports progress.
  void FlushOutput();
  // Moves the first count bytes of the work area to the output buffer,
  // flushing whenever it holds 32 KB.
  void FlushWindow(std::size_t count) { FlushWindow(WorkArea(), count); }
  // The same for count bytes at from.
  void FlushWindow(const std::uint8_t* from, std::size_t count);
  // Moves the first count bytes of the work area out and writes everything
  // buffered: the same writes and events as FlushWindow(count) followed by
  // FlushOutput().
  void FinishWindow(std::size_t count) { FinishWindow(WorkArea(), count); }
  // The same for count bytes at from.
  void FinishWindow(const std::uint8_t* from, std::size_t count);
  // Writes count bytes (a block at most) straight from a decoder's own buffer
  // while the output buffer is empty, with the CRC register after them that
  // the decoder computed: the same checks, write, register and events as
  // FlushWindow and FlushOutput give for them.
  void WriteDecodedBlock(const std::uint8_t* data, std::size_t count, std::uint32_t crcAfter);
  // Appends one byte, flushing at 32 KB.
  void PutOutputByte(std::uint8_t b) {
    outputBuffer[outputCount++] = b;
    if (outputCount == kDecodeBlockSize) FlushOutput();
  }
  // Decodes a stored entry: its data straight through the output stage.
  void CopyStored();

  // Sets the per-entry counters as the decode step starts an entry.
  void StartEntry(int method, bool encrypted, std::int64_t compressedSize,
                  std::int64_t uncompressedSize);

  // The work area of Explode and the legacy decoders, allocated and cleared
  // by the first entry that needs it.
  std::uint8_t* WorkArea();

  // Buffers.
  std::unique_ptr<std::uint8_t[]> workArea;
  std::unique_ptr<std::uint8_t[]> inputBuffer;
  std::unique_ptr<std::uint8_t[]> outputBuffer;
  // Inflate's own work area, allocated by its first entry.
  std::unique_ptr<std::uint8_t[]> inflateArea;

  // Compressed input: the next unread byte and how many are left in the buffer.
  std::uint8_t* inputPointer = nullptr;
  std::size_t inputCount = 0;
  // Bytes the decoder may still take; goes below zero as it asks past the end.
  std::int64_t compressedBytesLeft = 0;
  // Bytes of the entry's data not yet read from the archive.
  std::int64_t archiveBytesUnread = 0;
  std::int64_t uncompressedSize = 0;
  // Output: bytes waiting in the output buffer, bytes of the entry written.
  std::size_t outputCount = 0;
  std::int64_t bytesWritten = 0;
  // The byte most recently delivered by NextInputByte.
  std::uint8_t lastByte = 0;
  // Bit reader of the legacy methods.
  std::uint32_t bitBuffer = 0;
  unsigned bitCount = 0;
  bool endOfInput = false;

  // The entry being decoded.
  int method = 0;
  bool encrypted = false;

  // The open archive (not owned; replaced when the next volume is opened).
  TStream* archive = nullptr;
  // The output file, released by the decode step once the entry is done.
  std::unique_ptr<TStream> output;
  // Its name, for stamping date and attributes, relative to outputFolder (a
  // folder's descriptor, or AT_FDCWD with a plain path); empty for output
  // that is no file on disk.
  std::string outputPath;
  int outputFolder = AT_FDCWD;
  // The component's state and events.
  TDecodeComponent* component = nullptr;
  // Set by the driver's outcome step when a new password is to be tried.
  bool retry = false;

 private:
  // The output stage's work on one block: size check, write, CRC, progress.
  void WriteBlock(const std::uint8_t* data, std::size_t count);
  // Reads exactly count bytes of entry data, moving on to further volumes.
  void ReadArchive(std::uint8_t* buffer, std::size_t count);
  bool RefillInput();
  // Once per 32 KB block, while the component's DoProcessMessages is on.
  void LetEventsRun();
};

}  // namespace tarvik
