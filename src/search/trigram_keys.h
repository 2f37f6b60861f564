#pragma once
// The trigrams a prefilter summary holds and the keys they go by.
//
// A summary holds the byte trigrams of a part's decoded UTF-8 text whose three
// bytes are letter bytes (A-Z, a-z, 0x80 and above), each byte folded with
// kTrigramFold. Every character of the Windows-1252 text the matcher compares
// that is not "?" comes from the UTF-8 form of its own code point, and every
// letter of a phrase is a letter byte or a run of them in that form. So when a
// phrase occurs in a converted line, the UTF-8 form of each of its letter runs
// occurs in the part's bytes, and with it all of the run's trigrams. The fold
// gives a letter and its Windows-1252 capital the same bytes (and merges more
// than that, which only admits more), so a match with or without letter case
// finds every key of the phrase in the summary. Working on the UTF-8 bytes
// spares the summary a conversion of its own.
//
// Keys: a trigram of three ASCII letters is 0..17575 exactly; any other is
// kAsciiTrigramKeys plus a 12-bit hash of its folded bytes.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvik {

inline constexpr std::uint32_t kAsciiTrigramKeys = 26 * 26 * 26;
inline constexpr int kOtherTrigramBits = 12;
inline constexpr std::uint32_t kTrigramKeyCount = kAsciiTrigramKeys + (1u << kOtherTrigramBits);

// a-z as A-Z; in UTF-8 sequences, the bytes that tell a Windows-1252 letter
// from its capital made equal (lead bytes 0xC3 and 0xC5; continuation bytes
// without 0x20, and the pairs of š, œ, ž, ÿ merged).
extern const std::array<unsigned char, 256> kTrigramFold;

constexpr bool IsLetterByte(unsigned char byte) {
  return static_cast<unsigned char>((byte | 0x20) - 'a') < 26 || byte >= 0x80;
}

// The key of three letter bytes, as they stand in the text (folded here).
std::uint32_t TrigramKey(unsigned char a, unsigned char b, unsigned char c);

// The keys a text must hold where the Windows-1252 needle occurs in it: those
// of the UTF-8 form of each of its letter runs. Sorted, without repeats; empty
// when no run is three bytes long in UTF-8.
std::vector<std::uint32_t> NeedleTrigramKeys(std::string_view ansi);

// The bit that stands for key in a summary of bitCount bits (bitCount > 0).
inline std::uint32_t SummaryBit(std::uint32_t key, std::uint32_t bitCount) {
  std::uint32_t h = key * 0x9E3779B1u;  // spreads neighbouring keys, then a final mix
  h ^= h >> 15;
  h *= 0x85EBCA77u;
  h ^= h >> 13;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(h) * bitCount) >> 32);
}

}  // namespace tarvik
