#pragma once
// Collects the trigram keys (trigram_keys.h) of a text that arrives in pieces
// and turns them into a summary: a small set of hashed bits sized to the
// number of keys.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvik {

// About this many bits per key: a key that is not there finds its bit set
// about one time in three, so a phrase with a few rare trigrams rules out
// nearly every text that lacks it.
inline constexpr std::uint32_t kSummaryBitsPerKeyTimes4 = 10;

// The summary of one text. No bits: the text holds no trigram at all.
struct TSummaryBits {
  std::vector<std::uint64_t> words;

  bool Has(std::uint32_t key) const;
  bool HasAll(const std::vector<std::uint32_t>& keys) const;
};

// Where a text stands between two pieces: its last two bytes, which begin
// the trigrams that the next piece ends.
struct TTrigramTail {
  unsigned char bytes[2] = {};
  std::size_t size = 0;
};

class TTrigramCollector {
 public:
  TTrigramCollector();

  // The next piece of the text that tail follows.
  void Add(TTrigramTail& tail, const char* data, std::size_t size);
  // The summary of every key added since the last Take; forgets them.
  TSummaryBits Take();

 private:
  void AddWithin(const unsigned char* text, std::size_t size);
  void AddOne(const unsigned char* at);

  std::vector<unsigned char> seen_;  // per key, and a spare entry that stands for none
  std::vector<std::uint32_t> keys_;  // Take's work list
  bool any_ = false;
};

}  // namespace tarvik
