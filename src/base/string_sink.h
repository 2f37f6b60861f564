#pragma once
// An output stream that appends to a string its owner keeps, so decoded data
// outlives the stream that the decoding releases.

#include "base/stream.h"

#include <string>

namespace tarvik {

class TStringSink : public TStream {
 public:
  explicit TStringSink(std::string& target) : target_(target) {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void* buffer, std::size_t count) override {
    target_.append(static_cast<const char*>(buffer), count);
    return count;
  }
  // Writing only ever appends: the position is the end.
  std::int64_t Seek(std::int64_t, int) override { return static_cast<std::int64_t>(target_.size()); }

 private:
  std::string& target_;
};

}  // namespace tarvik
