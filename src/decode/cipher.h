#pragma once
// The traditional ZIP encryption: three 32-bit keys set from the password and
// advanced by every plain byte. Only decryption is needed here.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarvik {

class TStream;

struct TCipherKeys {
  std::uint32_t key0 = 0x12345678u;
  std::uint32_t key1 = 0x23456789u;
  std::uint32_t key2 = 0x34567890u;
};

// Size of the encryption header in front of an encrypted entry's data.
inline constexpr std::size_t kEncryptionHeaderSize = 12;

// Starts the keys from their initial values and feeds the password's bytes
// (taken as stored, without conversion) through UpdateKeys.
void InitKeys(TCipherKeys& keys, std::string_view password);
// Advances the keys by one plain byte.
void UpdateKeys(TCipherKeys& keys, std::uint8_t plain);
// The key-stream byte for the next position; depends on key2's low 16 bits only.
std::uint8_t DecryptByte(const TCipherKeys& keys);
// Decrypts count bytes in place, advancing the keys by each plain byte.
void DecryptBuffer(TCipherKeys& keys, std::uint8_t* buffer, std::size_t count);
// Reads the 12-byte header at the archive's position, sets the keys from the
// password and decrypts it; returns its last plain byte, which the caller
// compares with the entry's check byte. A short read is not an error: the
// header holds what could be read (zeros after it) and the comparison decides.
std::uint8_t DecryptHeader(TCipherKeys& keys, std::string_view password, TStream& archive);

}  // namespace tarvik
