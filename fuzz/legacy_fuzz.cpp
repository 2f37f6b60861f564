// Any bytes as the data of a shrunk, reduced or imploded entry, with a
// declared size: no fault, and never more output than the declared size.
//
// Input: byte 0 picks the method (1 to 5, or 6 with each combination of flag
// bits 1 and 2); bytes 1-2 give the uncompressed size in units of 4 bytes;
// bit 0 of byte 3 claims a compressed size above 200,000 bytes (the archive
// then ends inside the entry); the rest is the entry's data.

#include "support/memory_stream.h"

#include "decode/decode_component.h"
#include "decode/decode_context.h"
#include "decode/decode_errors.h"
#include "decode/legacy_methods.h"

#include "base/stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct TVariant {
  int method;
  std::uint16_t flags;
};
constexpr TVariant kVariants[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {6, 2}, {6, 4}, {6, 6}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const TVariant variant = kVariants[data[0] % (sizeof kVariants / sizeof kVariants[0])];
  const std::int64_t uncompressedSize = 4 * (std::int64_t{data[1]} | std::int64_t{data[2]} << 8);
  const bool claimLarge = (data[3] & 1) != 0;
  const std::uint8_t* entry = data + 4;
  const std::size_t entrySize = size - 4;

  tarvik::TDecodeComponent component;
  component.DoProcessMessages = false;
  tarvik::DecodeContext context;
  context.component = &component;
  tarvik::TMemoryStream archive(entry, entrySize);
  context.archive = &archive;
  context.output = std::make_unique<tarvik::TMemoryStream>();
  const std::int64_t compressedSize =
      claimLarge ? 200001 + static_cast<std::int64_t>(entrySize) : static_cast<std::int64_t>(entrySize);
  context.StartEntry(variant.method, false, compressedSize, uncompressedSize);
  try {
    tarvik::DecodeLegacyEntry(context, variant.flags);
  } catch (const tarvik::EBiggerThanUncompressed&) {
  } catch (const tarvik::EFatalUnzipError&) {
  }
  const auto* output = static_cast<tarvik::TMemoryStream*>(context.output.get());
  if (static_cast<std::int64_t>(output->Bytes().size()) > uncompressedSize) std::abort();
  return 0;
}
