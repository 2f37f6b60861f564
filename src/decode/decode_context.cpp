#include "decode/decode_context.h"

#include "decode/cipher.h"
#include "decode/crc32.h"
#include "decode/decode_component.h"
#include "decode/decode_errors.h"

#include "base/compression_rate.h"
#include "base/stream.h"

#include <algorithm>
#include <cstring>

namespace tarvik {

namespace {

// The buffers of the last context that ended on this thread. The input and
// output buffers are always filled before they are read, and Inflate never
// reads its work area where this entry has not written, so what an earlier
// context left in them does not matter.
struct TSpareBuffers {
  std::unique_ptr<std::uint8_t[]> input;
  std::unique_ptr<std::uint8_t[]> output;
  std::unique_ptr<std::uint8_t[]> inflateArea;
};
thread_local TSpareBuffers spareBuffers;

std::unique_ptr<std::uint8_t[]> SpareOrNew(std::unique_ptr<std::uint8_t[]>& spare) {
  if (spare) return std::move(spare);
  return std::unique_ptr<std::uint8_t[]>(new std::uint8_t[kDecodeBufferSize]);
}

}  // namespace

// Only the shared work area starts cleared, when it is first needed.
DecodeContext::DecodeContext()
    : inputBuffer(SpareOrNew(spareBuffers.input)),
      outputBuffer(SpareOrNew(spareBuffers.output)),
      inflateArea(std::move(spareBuffers.inflateArea)),
      inputPointer(inputBuffer.get()) {}

DecodeContext::~DecodeContext() {
  spareBuffers.input = std::move(inputBuffer);
  spareBuffers.output = std::move(outputBuffer);
  if (inflateArea) spareBuffers.inflateArea = std::move(inflateArea);
}

std::uint8_t* DecodeContext::WorkArea() {
  if (!workArea) workArea.reset(new std::uint8_t[kWorkAreaSize]());
  return workArea.get();
}

void DecodeContext::StartEntry(int entryMethod, bool entryEncrypted, std::int64_t compressedSize,
                               std::int64_t entryUncompressedSize) {
  method = entryMethod;
  encrypted = entryEncrypted;
  compressedBytesLeft = compressedSize;
  archiveBytesUnread = compressedSize;
  uncompressedSize = entryUncompressedSize;
  bitCount = 0;
  bitBuffer = 0;
  endOfInput = false;
  bytesWritten = 0;
  inputCount = 0;
  outputCount = 0;
  inputPointer = inputBuffer.get();
  if (component) component->CRCRegister = 0xFFFFFFFFu;
}

void DecodeContext::ReadArchive(std::uint8_t* buffer, std::size_t count) {
  std::size_t got = archive->Read(buffer, count);
  if (got == count) return;
  if (!component->SpansVolumes() || !component->CanGetNextDisk())
    throw EFatalUnzipError(msg::kPrematureEnd);
  while (got < count) {
    TStream* next = component->SwapDisk(component->CurrentVolume() + 2);
    if (!next) throw EUserCanceled(msg::kUserAborted);
    archive = next;
    got += archive->Read(buffer + got, count - got);
  }
}

void DecodeContext::LetEventsRun() {
  if (component->DoProcessMessages && component->OnProcessMessages) component->OnProcessMessages();
}

bool DecodeContext::RefillInput() {
  LetEventsRun();
  const auto count = static_cast<std::size_t>(
      std::min<std::int64_t>(kDecodeBlockSize, std::max<std::int64_t>(archiveBytesUnread, 0)));
  archiveBytesUnread -= static_cast<std::int64_t>(count);
  ReadArchive(inputBuffer.get(), count);
  if (encrypted) {
    if (component->OnDecrypt)
      component->OnDecrypt(inputBuffer.get(), static_cast<int>(count), component->Password);
    else
      DecryptBuffer(component->CipherKeys, inputBuffer.get(), count);
  }
  if (count == 0) return false;
  inputPointer = inputBuffer.get();
  inputCount = count;
  return true;
}

int DecodeContext::NextInputByte() {
  if (compressedBytesLeft <= 0) {
    --compressedBytesLeft;
    return 0;
  }
  --compressedBytesLeft;
  if (inputCount == 0 && !RefillInput()) return 0;
  lastByte = *inputPointer++;
  --inputCount;
  return 8;
}

void DecodeContext::FlushOutput() {
  const std::size_t count = outputCount;
  if (count == 0) return;
  std::uint8_t* data = outputBuffer.get();
  if (method == 0 && encrypted) DecryptBuffer(component->CipherKeys, data, count);
  WriteBlock(data, count);
  outputCount = 0;
}

void DecodeContext::WriteBlock(const std::uint8_t* data, std::size_t count) {
  WriteDecodedBlock(data, count, UpdateCRC(component->CRCRegister, data, count));
}

void DecodeContext::WriteDecodedBlock(const std::uint8_t* data, std::size_t count,
                                      std::uint32_t crcAfter) {
  if (output->Position() + static_cast<std::int64_t>(count) > uncompressedSize)
    throw EBiggerThanUncompressed(msg::kBiggerThanUncompressed);
  if (output->Write(data, count) < count) throw ECantWriteUCF(msg::kCantWriteUCF);
  component->CRCRegister = crcAfter;
  bytesWritten += static_cast<std::int64_t>(count);
  if (component->OnFilePercentDone)
    component->OnFilePercentDone(CompressionRate64(bytesWritten, uncompressedSize));
  if (component->OnTotalPercentDone) {
    component->BytesDone += static_cast<std::int64_t>(count);
    component->OnTotalPercentDone(CompressionRate64(component->BytesDone, component->TotalBytes));
  }
}

void DecodeContext::FlushWindow(const std::uint8_t* from, std::size_t count) {
  const bool decryptsOutput = method == 0 && encrypted;
  while (count > 0) {
    if (outputCount >= kDecodeBlockSize) FlushOutput();  // left full by a failed flush
    if (outputCount == 0 && count >= kDecodeBlockSize && !decryptsOutput) {
      // A whole block goes out straight from the work area: the same bytes,
      // writes and events as through the output buffer, without the copy.
      WriteBlock(from, kDecodeBlockSize);
      from += kDecodeBlockSize;
      count -= kDecodeBlockSize;
      continue;
    }
    const std::size_t piece = std::min(count, kDecodeBlockSize - outputCount);
    std::memcpy(outputBuffer.get() + outputCount, from, piece);
    outputCount += piece;
    from += piece;
    count -= piece;
    if (outputCount == kDecodeBlockSize) FlushOutput();
  }
}

void DecodeContext::FinishWindow(const std::uint8_t* from, std::size_t count) {
  if (outputCount == 0 && count > 0 && count < kDecodeBlockSize && !(method == 0 && encrypted)) {
    // The last piece is one write straight from the work area: the same bytes,
    // write and events as through the output buffer, without the copy.
    WriteBlock(from, count);
    return;
  }
  FlushWindow(from, count);
  FlushOutput();
}

void DecodeContext::CopyStored() {
  while (archiveBytesUnread > 0) {
    LetEventsRun();
    const auto count =
        static_cast<std::size_t>(std::min<std::int64_t>(kDecodeBlockSize, archiveBytesUnread));
    archiveBytesUnread -= static_cast<std::int64_t>(count);
    ReadArchive(outputBuffer.get(), count);
    outputCount = count;
    FlushOutput();
  }
}

}  // namespace tarvik
