#include "search/summary_record.h"

#include <cstring>

namespace tarvik {
namespace {

void Put(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

std::uint64_t Get(std::string_view in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= std::uint64_t{static_cast<unsigned char>(in[at + i])} << (8 * i);
  return value;
}

// Not cryptographic: it only has to notice damage and a record filed under
// the wrong name or state.
class TChecksum {
 public:
  void Add(std::string_view bytes) {
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
      std::uint64_t eight;
      std::memcpy(&eight, bytes.data() + at, 8);
      Mix(eight);
    }
    for (; at < bytes.size(); ++at) Mix(static_cast<unsigned char>(bytes[at]));
    Mix(bytes.size());
  }
  void Mix(std::uint64_t value) {
    hash_ = (hash_ ^ value) * 0x100000001B3ull;
    hash_ ^= hash_ >> 29;
  }
  std::uint64_t Value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

std::uint64_t Checksum(std::string_view body, std::string_view path, const TFileState& state, bool readableText) {
  TChecksum sum;
  sum.Add(path);
  for (const std::int64_t field : {state.device, state.inode, state.size, state.modified, state.changed})
    sum.Mix(static_cast<std::uint64_t>(field));
  sum.Mix(readableText ? 1 : 0);
  sum.Add(body);
  return sum.Value();
}

constexpr std::size_t kHeaderBytes = std::size_t{4} * kPartCount;

}  // namespace

std::string EncodeSummaryRecord(const TPartSummaryArray& parts, std::string_view path, const TFileState& state,
                                bool readableText) {
  std::string record;
  for (const auto& part : parts) Put(record, part ? part->words.size() + 1 : 0, 4);
  for (const auto& part : parts)
    if (part)
      for (const std::uint64_t word : part->words) Put(record, word, 8);
  Put(record, Checksum(record, path, state, readableText), 8);
  return record;
}

std::optional<TPartSummaryArray> DecodeSummaryRecord(std::string_view record, std::string_view path,
                                                     const TFileState& state, bool readableText) {
  if (record.size() < kHeaderBytes + 8) return std::nullopt;
  const std::string_view body = record.substr(0, record.size() - 8);
  if (Get(record, body.size(), 8) != Checksum(body, path, state, readableText)) return std::nullopt;
  TPartSummaryArray parts;
  std::size_t at = kHeaderBytes;
  for (std::size_t part = 0; part < parts.size(); ++part) {
    const std::uint64_t count = Get(record, 4 * part, 4);
    if (count == 0) continue;
    if ((count - 1) > (body.size() - at) / 8) return std::nullopt;
    TSummaryBits& bits = parts[part].emplace();
    bits.words.resize(count - 1);
    for (std::uint64_t& word : bits.words) {
      word = Get(record, at, 8);
      at += 8;
    }
  }
  if (at != body.size()) return std::nullopt;
  return parts;
}

}  // namespace tarvik
