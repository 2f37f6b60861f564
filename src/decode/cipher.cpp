#include "decode/cipher.h"

#include "decode/crc32.h"

#include "base/stream.h"

namespace tarvik {

void InitKeys(TCipherKeys& keys, std::string_view password) {
  keys = TCipherKeys{};
  for (char c : password) UpdateKeys(keys, static_cast<std::uint8_t>(c));
}

void UpdateKeys(TCipherKeys& keys, std::uint8_t plain) {
  keys.key0 = CRCStep(keys.key0, plain);
  keys.key1 = (keys.key1 + (keys.key0 & 0xFF)) * 134775813u + 1u;
  keys.key2 = CRCStep(keys.key2, static_cast<std::uint8_t>(keys.key1 >> 24));
}

std::uint8_t DecryptByte(const TCipherKeys& keys) {
  // Unsigned arithmetic throughout: the 16-bit product's high byte is the result.
  const std::uint32_t t = (keys.key2 & 0xFFFFu) | 2u;
  return static_cast<std::uint8_t>((t * (t ^ 1u)) >> 8);
}

void DecryptBuffer(TCipherKeys& keys, std::uint8_t* buffer, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t plain = buffer[i] ^ DecryptByte(keys);
    buffer[i] = plain;
    UpdateKeys(keys, plain);
  }
}

std::uint8_t DecryptHeader(TCipherKeys& keys, std::string_view password, TStream& archive) {
  std::uint8_t header[kEncryptionHeaderSize] = {};
  archive.Read(header, sizeof header);
  InitKeys(keys, password);
  DecryptBuffer(keys, header, sizeof header);
  return header[kEncryptionHeaderSize - 1];
}

}  // namespace tarvik
