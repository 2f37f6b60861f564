#pragma once
// Helpers for the legacy decoder tests: a bit writer to hand-build compressed
// streams, a harness that runs a decoder over bytes in memory, a reader for
// the local headers of the fixture archives and SHA-256 to check their content.

#include "support/memory_stream.h"

#include "decode/decode_component.h"
#include "decode/decode_context.h"
#include "decode/decode_errors.h"
#include "decode/legacy_methods.h"

#include "base/stream.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tarvik::legacy_test {

using Bytes = std::vector<std::uint8_t>;

// Writes values least significant bit first, as the decoders read them.
class TBitWriter {
 public:
  void Put(unsigned value, unsigned bits) {
    for (unsigned i = 0; i < bits; ++i) PutBit((value >> i) & 1);
  }
  void PutBit(unsigned bit) {
    if (used_ == 0) bytes_.push_back(0);
    bytes_.back() |= static_cast<std::uint8_t>(bit << used_);
    used_ = (used_ + 1) & 7;
  }
  void PutByte(std::uint8_t b) { Put(b, 8); }
  const Bytes& Data() const { return bytes_; }

 private:
  Bytes bytes_;
  unsigned used_ = 0;
};

struct TDecodeOutcome {
  Bytes bytes;
  std::uint32_t crc = 0;
  TLegacyResult result = TLegacyResult::Ok;
  bool tooBig = false;  // the output stage refused bytes beyond the size
};

// One decode context for a series of entries, as in one extraction run.
class TLegacyHarness {
 public:
  TLegacyHarness() {
    component_.DoProcessMessages = false;
    context.component = &component_;
  }
  TDecodeOutcome Decode(int method, std::uint16_t flags, std::span<const std::uint8_t> data,
                        std::int64_t uncompressedSize) {
    TMemoryStream archive(data.data(), data.size());
    context.archive = &archive;
    context.output = std::make_unique<TMemoryStream>();
    context.StartEntry(method, false, static_cast<std::int64_t>(data.size()), uncompressedSize);
    TDecodeOutcome outcome;
    try {
      outcome.result = DecodeLegacyEntry(context, flags);
    } catch (const EBiggerThanUncompressed&) {
      outcome.tooBig = true;
    }
    outcome.bytes = static_cast<TMemoryStream*>(context.output.get())->Bytes();
    outcome.crc = ~component_.CRCRegister;
    context.output.reset();
    context.archive = nullptr;
    return outcome;
  }
  DecodeContext context;

 private:
  TDecodeComponent component_;
};

inline TDecodeOutcome DecodeOnce(int method, std::uint16_t flags, std::span<const std::uint8_t> data,
                                 std::int64_t size) {
  return TLegacyHarness().Decode(method, flags, data, size);
}

inline std::string Text(const TDecodeOutcome& out) { return {out.bytes.begin(), out.bytes.end()}; }

// One entry as its local header describes it (no data descriptors here).
struct TFixtureEntry {
  std::string name;
  int method = 0;
  std::uint16_t flags = 0;
  std::uint32_t crc = 0, uncompressedSize = 0;
  Bytes data;
};

inline std::vector<TFixtureEntry> ReadFixtureEntries(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const Bytes zip{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  auto u16 = [&](std::size_t at) { return unsigned(zip[at]) | unsigned(zip[at + 1]) << 8; };
  auto u32 = [&](std::size_t at) { return u16(at) | std::uint32_t(u16(at + 2)) << 16; };
  std::vector<TFixtureEntry> entries;
  for (std::size_t at = 0; at + 30 <= zip.size() && u32(at) == 0x04034b50u;) {
    TFixtureEntry e;
    e.method = int(u16(at + 8));
    e.flags = std::uint16_t(u16(at + 6));
    e.crc = u32(at + 14);
    e.uncompressedSize = u32(at + 22);
    const std::size_t name = at + 30, data = name + u16(at + 26) + u16(at + 28);
    const std::size_t end = data + u32(at + 18);
    if (end > zip.size()) break;
    e.name.assign(zip.begin() + long(name), zip.begin() + long(name + u16(at + 26)));
    e.data.assign(zip.begin() + long(data), zip.begin() + long(end));
    entries.push_back(std::move(e));
    at = end;
  }
  return entries;
}

// SHA-256 as lower-case hex.
inline std::string Sha256Hex(std::span<const std::uint8_t> data) {
  static constexpr std::uint32_t k[64] = {
      0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
      0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
      0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
      0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
      0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
      0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
      0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
      0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
  std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  auto rotr = [](std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
  Bytes m(data.begin(), data.end());
  m.push_back(0x80);
  while (m.size() % 64 != 56) m.push_back(0);
  for (int i = 7; i >= 0; --i) m.push_back(std::uint8_t(std::uint64_t{data.size()} * 8 >> (8 * i)));
  for (std::size_t block = 0; block < m.size(); block += 64) {
    std::uint32_t w[64], v[8];
    for (int i = 0; i < 16; ++i)
      w[i] = std::uint32_t{m[block + 4 * i]} << 24 | std::uint32_t{m[block + 4 * i + 1]} << 16 |
             std::uint32_t{m[block + 4 * i + 2]} << 8 | m[block + 4 * i + 3];
    for (int i = 16; i < 64; ++i)
      w[i] = w[i - 16] + (rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3)) + w[i - 7] +
             (rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10));
    std::copy(h, h + 8, v);
    for (int i = 0; i < 64; ++i) {
      const std::uint32_t t1 =
          v[7] + (rotr(v[4], 6) ^ rotr(v[4], 11) ^ rotr(v[4], 25)) + ((v[4] & v[5]) ^ (~v[4] & v[6])) + k[i] + w[i];
      const std::uint32_t t2 =
          (rotr(v[0], 2) ^ rotr(v[0], 13) ^ rotr(v[0], 22)) + ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
      std::copy_backward(v, v + 7, v + 8);
      v[4] += t1;
      v[0] = t1 + t2;
    }
    for (int i = 0; i < 8; ++i) h[i] += v[i];
  }
  std::string hex;
  for (std::uint32_t word : h)
    for (int shift = 28; shift >= 0; shift -= 4) hex += "0123456789abcdef"[(word >> shift) & 0xF];
  return hex;
}

}  // namespace tarvik::legacy_test
