// Decodes arbitrary bytes as one deflated entry through the real decoding
// stage: the first 4 bytes (little-endian) are the entry's declared
// uncompressed size, the rest its compressed data behind a local header.
// Nothing may come out of the decode step (the decoder absorbs every data
// error), and decoding the same entry a second time with the same context must
// give the same result, so no output depends on an earlier entry. Output is
// counted, not kept; the declared size bounds it. Where zlib is at hand, a
// stream it inflates to exactly the declared size must give the same bytes
// (size and CRC) here.

#include "support/memory_stream.h"

#include "zip/entry_decoder.h"
#include "zip/records.h"

#include "decode/decode_component.h"
#include "decode/decode_context.h"

#include "base/stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#ifdef TARVIK_FUZZ_HAVE_ZLIB
#include <zlib.h>
#endif

namespace {

class TCountingSink : public tarvik::TStream {
 public:
  explicit TCountingSink(std::int64_t& size) : size_(size) {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void*, std::size_t count) override {
    size_ += static_cast<std::int64_t>(count);
    return count;
  }
  std::int64_t Seek(std::int64_t, int) override { return size_; }

 private:
  std::int64_t& size_;
};

#ifdef TARVIK_FUZZ_HAVE_ZLIB
// zlib's verdict on the raw stream: true with its size and CRC when it ends
// cleanly.
bool InflateWithZlib(const std::uint8_t* data, std::size_t size, std::int64_t& outSize, std::uint32_t& crc) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  z.next_in = const_cast<std::uint8_t*>(data);
  z.avail_in = static_cast<uInt>(size);
  std::vector<std::uint8_t> buffer(1 << 16);
  uLong sum = crc32(0, nullptr, 0);
  int result;
  do {
    z.next_out = buffer.data();
    z.avail_out = static_cast<uInt>(buffer.size());
    result = inflate(&z, Z_NO_FLUSH);
    sum = crc32(sum, buffer.data(), static_cast<uInt>(buffer.size() - z.avail_out));
  } while (result == Z_OK && z.total_out <= (1u << 26));
  outSize = static_cast<std::int64_t>(z.total_out);
  crc = static_cast<std::uint32_t>(sum);
  inflateEnd(&z);
  return result == Z_STREAM_END;
}
#endif

struct TOutcome {
  bool completed;
  std::uint32_t crc;
  std::int64_t size;
};

TOutcome DecodeOnce(tarvik::DecodeContext& context, const std::vector<std::uint8_t>& archive,
                    std::uint32_t declaredSize) {
  tarvik::TDecodeComponent component;
  component.DoProcessMessages = false;
  tarvik::TMemoryStream stream(archive.data(), archive.size());
  tarvik::TZipHeaderInfo entry;
  entry.CompressionMethod = 8;
  entry.CompressedSize = static_cast<std::uint32_t>(archive.size() - 30);
  entry.UncompressedSize = declaredSize;
  entry.LocalHeaderOffset = 0;
  std::int64_t size = 0;
  context.archive = &stream;
  context.component = &component;
  context.output = std::make_unique<TCountingSink>(size);
  const bool completed = tarvik::DecodeEntryData(context, entry, 0, 0, 0);
  context.archive = nullptr;
  return {completed, ~component.CRCRegister, size};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::uint32_t declaredSize = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                                     static_cast<std::uint32_t>(data[2]) << 16 |
                                     static_cast<std::uint32_t>(data[3]) << 24;
  std::vector<std::uint8_t> archive(30, 0);
  archive.insert(archive.end(), data + 4, data + size);

  static tarvik::DecodeContext context;
  const TOutcome first = DecodeOnce(context, archive, declaredSize);
  const TOutcome second = DecodeOnce(context, archive, declaredSize);
  if (first.completed != second.completed || first.crc != second.crc || first.size != second.size) std::abort();
  if (first.size > static_cast<std::int64_t>(declaredSize)) std::abort();
#ifdef TARVIK_FUZZ_HAVE_ZLIB
  std::int64_t zlibSize = 0;
  std::uint32_t zlibCrc = 0;
  if (InflateWithZlib(data + 4, size - 4, zlibSize, zlibCrc) && zlibSize == std::int64_t{declaredSize} &&
      (!first.completed || first.size != zlibSize || first.crc != zlibCrc))
    std::abort();
#endif
  return 0;
}
