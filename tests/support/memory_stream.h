#pragma once
// A growable block of bytes in memory, for feeding archives and decoders from
// the tests, benchmarks and fuzz targets. The position may lie beyond the end:
// reads there return nothing, a write there fills the gap with zeros.

#include "base/stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

namespace tarvik {

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  TMemoryStream(const void* data, std::size_t size)
      : bytes_(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size) {}

  std::size_t Read(void* buffer, std::size_t count) override {
    const auto size = static_cast<std::int64_t>(bytes_.size());
    if (position_ >= size || count == 0) return 0;
    const std::size_t n = std::min(count, static_cast<std::size_t>(size - position_));
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
  }

  std::size_t Write(const void* buffer, std::size_t count) override {
    if (count == 0) return 0;
    // Refuse what would not fit in memory's address range.
    if (static_cast<std::uint64_t>(position_) > bytes_.max_size() - count) return 0;
    const std::size_t end = static_cast<std::size_t>(position_) + count;
    if (end > bytes_.size()) {
      try {
        bytes_.resize(end);
      } catch (const std::exception&) {
        return 0;  // a position far beyond the end: nothing is accepted
      }
    }
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ = static_cast<std::int64_t>(end);
    return count;
  }

  std::int64_t Seek(std::int64_t offset, int origin) override {
    std::int64_t base = 0;
    switch (origin) {
      case soFromBeginning: base = 0; break;
      case soFromCurrent: base = position_; break;
      case soFromEnd: base = static_cast<std::int64_t>(bytes_.size()); break;
      default: return -1;
    }
    std::int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
    position_ = target;
    return target;
  }

  // Cuts or extends (with zeros); the position is kept.
  void SetSize(std::size_t size) { bytes_.resize(size); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::int64_t position_ = 0;
};

}  // namespace tarvik
