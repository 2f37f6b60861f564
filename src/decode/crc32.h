#pragma once
// The ZIP CRC-32 (reflected polynomial 0xEDB88320). The register starts at
// 0xFFFFFFFF for every entry; its complement after the last byte is the entry's
// checksum.

#include <cstddef>
#include <cstdint>

namespace tarvik {

// The standard byte table: entry 1 is 0x77073096, entry 255 is 0x2D02EF8D.
extern const std::uint32_t CRCTable[256];

// One byte into a running value; also used by the cipher's key schedule.
inline std::uint32_t CRCStep(std::uint32_t value, std::uint8_t byte) {
  return CRCTable[(value ^ byte) & 0xFF] ^ (value >> 8);
}

// Runs count bytes through the register and returns the new register. Long
// runs are folded with carry-less multiplication where the processor has it,
// else eight bytes at a time; the result always equals byte-wise CRCStep.
std::uint32_t UpdateCRC(std::uint32_t crc, const void* buffer, std::size_t count);

// The same, one byte at a time through CRCTable; kept as the reference the
// fast path is checked against.
std::uint32_t UpdateCRCBytewise(std::uint32_t crc, const void* buffer, std::size_t count);

}  // namespace tarvik
