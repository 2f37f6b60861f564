#pragma once
// The sliding window of the reduced and imploded methods: the start of the
// work area, moved to the output stage whenever it is full. Copies reaching
// before the start of the entry's output read zeros, so nothing an earlier
// entry left in the work area shows through.

#include "decode/decode_context.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tarvik {

class TLegacyWindow {
 public:
  // size is a power of two no larger than the work area.
  TLegacyWindow(DecodeContext& context, std::size_t size)
      : context_(context), window_(context.WorkArea()), size_(size) {}

  void Put(std::uint8_t b) {
    window_[position_++] = b;
    if (position_ == size_) Wrap();
  }

  // Copies length bytes from distance (1 to size) behind the write position,
  // in pieces that stop at the window's end for either position. Before the
  // first wrap a source at or after the write position lies before the start
  // of the output and is filled with zeros.
  void Copy(std::size_t distance, std::size_t length) {
    std::size_t from = (position_ - distance) & (size_ - 1);
    while (length > 0) {
      const std::size_t piece = std::min(length, size_ - std::max(from, position_));
      std::uint8_t* to = window_ + position_;
      if (firstPass_ && from >= position_) {
        std::memset(to, 0, piece);
      } else if (from < position_ && position_ - from < piece) {
        for (std::size_t i = 0; i < piece; ++i) to[i] = window_[from + i];  // repeats the pattern
      } else {
        std::memmove(to, window_ + from, piece);
      }
      position_ += piece;
      from = (from + piece) & (size_ - 1);
      length -= piece;
      if (position_ == size_) Wrap();
    }
  }

  // Moves what the window holds to the output stage; the output buffer is
  // left for the caller to flush.
  void MoveOut() { context_.FlushWindow(position_); }

 private:
  void Wrap() {
    context_.FlushWindow(size_);
    position_ = 0;
    firstPass_ = false;
  }

  DecodeContext& context_;
  std::uint8_t* window_;
  std::size_t size_;
  std::size_t position_ = 0;
  bool firstPass_ = true;
};

}  // namespace tarvik
