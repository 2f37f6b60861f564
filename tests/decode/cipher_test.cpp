#include "decode/cipher.h"

#include "support/memory_stream.h"

#include "decode/decode_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvik {
namespace {

using decode_test::Bytes;

// The first entry of secret.zip (`zip -P secret -0`): hello.txt, stored.
constexpr std::size_t kHelloHeaderEnd = 30 + 9;
constexpr std::size_t kHelloPackedSize = 43;
constexpr const char* kHelloText = "Hello from an encrypted entry.\n";
constexpr std::uint8_t kHelloTimeHighByte = 0xB1;  // data descriptor: checked against the time

TEST(CipherTest, KeySchedule) {
  TCipherKeys keys;
  keys.key0 = keys.key1 = keys.key2 = 1;
  InitKeys(keys, "");
  EXPECT_EQ(keys.key0, 0x12345678u);
  EXPECT_EQ(keys.key1, 0x23456789u);
  EXPECT_EQ(keys.key2, 0x34567890u);

  // Only the low 16 bits of key2 count.
  TCipherKeys a;
  TCipherKeys b;
  for (std::uint32_t low : {0u, 1u, 2u, 0xFFFDu, 0xFFFFu, 0x1234u}) {
    a.key2 = low;
    b.key2 = low | 0xABCD0000u;
    EXPECT_EQ(DecryptByte(a), DecryptByte(b));
  }
  EXPECT_NE(TCipherKeys{}.key0, [] {
    TCipherKeys k;
    InitKeys(k, "secret");
    return k.key0;
  }());
}

TEST(CipherTest, DecryptsArchiveMadeByZip) {
  const Bytes archive = decode_test::ReadFileBytes(decode_test::InflateData("secret.zip"));
  ASSERT_GE(archive.size(), kHelloHeaderEnd + kHelloPackedSize);

  TMemoryStream stream(archive.data(), archive.size());
  stream.SetPosition(kHelloHeaderEnd);
  TCipherKeys keys;
  EXPECT_EQ(DecryptHeader(keys, "secret", stream), kHelloTimeHighByte);
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(kHelloHeaderEnd + 12));

  Bytes data(archive.begin() + kHelloHeaderEnd + 12, archive.begin() + kHelloHeaderEnd + kHelloPackedSize);
  DecryptBuffer(keys, data.data(), data.size());
  EXPECT_EQ(std::string(data.begin(), data.end()), kHelloText);

  // Wrong passwords pass the one-byte check only by chance (1 in 256).
  int passed = 0;
  for (const char* wrong : {"Secret", "secret ", "", "geheim"}) {
    stream.SetPosition(kHelloHeaderEnd);
    passed += DecryptHeader(keys, wrong, stream) == kHelloTimeHighByte;
  }
  EXPECT_LT(passed, 2);

  // A header cut short by the end of the archive is decrypted as far as it goes.
  stream.SetPosition(static_cast<std::int64_t>(archive.size()) - 5);
  DecryptHeader(keys, "secret", stream);
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(archive.size()));
}

// Decrypting in blocks of any sizes gives what one block gives, because the
// key state carries over from byte to byte.
TEST(CipherTest, BlockSplittingDoesNotMatter) {
  std::mt19937 random(11);
  Bytes cipher(5000);
  for (auto& b : cipher) b = static_cast<std::uint8_t>(random());
  TCipherKeys whole;
  InitKeys(whole, "pass\xE4wort");
  Bytes once = cipher;
  DecryptBuffer(whole, once.data(), once.size());

  for (int round = 0; round < 5; ++round) {
    TCipherKeys keys;
    InitKeys(keys, "pass\xE4wort");
    Bytes pieces = cipher;
    std::size_t at = 0;
    while (at < pieces.size()) {
      const std::size_t n = std::min<std::size_t>(random() % 700, pieces.size() - at);
      DecryptBuffer(keys, pieces.data() + at, n);
      at += n;
    }
    EXPECT_EQ(pieces, once);
    EXPECT_EQ(keys.key0, whole.key0);
    EXPECT_EQ(keys.key2, whole.key2);
  }
}

}  // namespace
}  // namespace tarvik
