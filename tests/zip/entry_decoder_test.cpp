#include "zip/entry_decoder.h"

#include "support/memory_stream.h"

#include "zip/exceptions.h"
#include "zip/records.h"

#include "decode/crc32.h"
#include "decode/decode_test_support.h"

#include "base/buffer_stream.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>

namespace tarvik {
namespace {

using decode_test::Bytes;
using decode_test::CrcOf;
using decode_test::RandomBytes;
using decode_test::TFakeComponent;
using decode_test::TRecordingHost;
using decode_test::TVectorSink;

constexpr std::uint16_t kNameLength = 5;  // every hand-made entry is called "a.txt"

// An archive holding one entry: a local header (only its length matters to
// the decoder) followed by the entry's data.
struct TOneEntry {
  TZipHeaderInfo entry;
  Bytes archive;

  TOneEntry(int method, const Bytes& data, std::uint32_t uncompressedSize) {
    archive.assign(30 + kNameLength, 0);
    archive.insert(archive.end(), data.begin(), data.end());
    entry.CompressionMethod = static_cast<std::uint16_t>(method);
    entry.CompressedSize = static_cast<std::uint32_t>(data.size());
    entry.UncompressedSize = uncompressedSize;
    entry.LocalHeaderOffset = 0;
    entry.DateTime = 0x576EB1AA;
  }
};

// Runs the decode step over one archive into memory.
struct TDecodeRun {
  TFakeComponent component;
  DecodeContext context;
  Bytes output;
  std::unique_ptr<TMemoryStream> archive;

  explicit TDecodeRun(const Bytes& archiveBytes)
      : archive(std::make_unique<TMemoryStream>(archiveBytes.data(), archiveBytes.size())) {
    context.component = &component;
    context.archive = archive.get();
  }
  bool Decode(TZipHeaderInfo& entry, std::size_t capacity = SIZE_MAX) {
    output.clear();
    context.output = std::make_unique<TVectorSink>(output, capacity);
    return DecodeEntryData(context, entry, 0, kNameLength, 0);
  }
  std::uint32_t Crc() const { return ~component.CRCRegister; }
};

TEST(EntryDecoderTest, StoredEntriesAndProgress) {
  TRecordingHost host;
  {  // Empty: nothing written, no progress, CRC 0.
    TOneEntry one(0, {}, 0);
    TDecodeRun run(one.archive);
    run.component.RecordProgress();
    EXPECT_TRUE(run.Decode(one.entry));
    EXPECT_TRUE(run.output.empty());
    EXPECT_TRUE(run.component.filePercents.empty());
    EXPECT_TRUE(run.component.totalPercents.empty());
    EXPECT_EQ(run.Crc(), 0u);
  }
  {  // 32768 bytes in one block, 32769 in two; totals round half to even.
    for (std::size_t size : {std::size_t{32768}, std::size_t{32769}}) {
      const Bytes data = RandomBytes(size, 1);
      TOneEntry one(0, data, static_cast<std::uint32_t>(size));
      TDecodeRun run(one.archive);
      run.component.RecordProgress();
      run.component.TotalBytes = 262144;  // 32768 bytes are exactly 12.5 %
      host.processed = 0;
      EXPECT_TRUE(run.Decode(one.entry));
      EXPECT_TRUE(run.output == data);
      EXPECT_EQ(run.Crc(), CrcOf(data));
      if (size == 32768) {
        EXPECT_EQ(run.component.filePercents, std::vector<int>{100});
        EXPECT_EQ(run.component.totalPercents, std::vector<int>{12});
        EXPECT_EQ(host.processed, 1);
      } else {
        EXPECT_EQ(run.component.filePercents, (std::vector<int>{100, 100}));
        EXPECT_EQ(run.component.totalPercents, (std::vector<int>{12, 13}));
        EXPECT_EQ(run.component.BytesDone, 32769);
        EXPECT_EQ(host.processed, 2);
      }
    }
  }
  {  // Never above 100, also when more is written than announced.
    const Bytes data = RandomBytes(70000, 2);
    TOneEntry one(0, data, 70000);
    TDecodeRun run(one.archive);
    run.component.RecordProgress();
    run.component.TotalBytes = 1000;
    run.component.DoProcessMessages = false;
    host.processed = 0;
    EXPECT_TRUE(run.Decode(one.entry));
    EXPECT_EQ(run.component.filePercents, (std::vector<int>{47, 94, 100}));
    EXPECT_EQ(run.component.totalPercents, (std::vector<int>{100, 100, 100}));
    EXPECT_EQ(host.processed, 0);
  }
}

TEST(EntryDecoderTest, OutputBeyondTheDeclaredSize) {
  // The block crossing the size is refused and not written; the step is not
  // completed and nothing is thrown.
  const Bytes data = RandomBytes(40000, 3);
  TOneEntry one(0, data, 35000);
  TDecodeRun run(one.archive);
  EXPECT_FALSE(run.Decode(one.entry));
  EXPECT_EQ(run.output.size(), 32768u);
  EXPECT_NE(run.Crc(), CrcOf(Bytes(data.begin(), data.begin() + 35000)));
}

TEST(EntryDecoderTest, UnknownMethods) {
  TRecordingHost host;
  for (int method : {7, 9, 12, 99}) {
    TOneEntry one(method, RandomBytes(100, 4), 100);
    TDecodeRun run(one.archive);
    host.messages.clear();
    host.captions.clear();
    EXPECT_TRUE(run.Decode(one.entry)) << method;
    EXPECT_EQ(host.messages, std::vector<std::string>{msg::kUnknownCompressionMethod});
    EXPECT_EQ(host.captions, std::vector<std::string>{"Zip Error"});
    EXPECT_TRUE(run.output.empty());
    EXPECT_EQ(run.Crc(), 0u);
  }
  // The legacy methods go to their decoders, which end bad data quietly.
  for (int method : {1, 2, 5, 6}) {
    TOneEntry one(method, RandomBytes(100, 4), 100);
    TDecodeRun run(one.archive);
    host.messages.clear();
    EXPECT_NO_THROW(run.Decode(one.entry)) << method;
    EXPECT_TRUE(host.messages.empty()) << method;
  }
}

TEST(EntryDecoderTest, ArchiveEndingEarly) {
  const Bytes data = RandomBytes(40000, 5);
  {  // Stored: the reader's failure reaches the caller; the part written stays.
    TOneEntry one(0, data, 40000);
    one.archive.resize(one.archive.size() - 5000);
    TDecodeRun run(one.archive);
    try {
      run.Decode(one.entry);
      ADD_FAILURE() << "no exception";
    } catch (const EFatalUnzipError& e) {
      EXPECT_STREQ(e.what(), msg::kPrematureEnd);
    }
    EXPECT_EQ(run.output.size(), 32768u);
    EXPECT_EQ(run.context.output, nullptr);  // released on the way out
  }
  {  // Deflated: absorbed by the decoder; the CRC tells.
    const Bytes plain = decode_test::ReadFileBytes(decode_test::InflateData("sample.txt"));
    const Bytes stream = decode_test::ReadFileBytes(decode_test::InflateData("text_level6.deflate"));
    TOneEntry one(8, stream, static_cast<std::uint32_t>(plain.size()));
    one.archive.resize(one.archive.size() - 100);
    TDecodeRun run(one.archive);
    EXPECT_TRUE(run.Decode(one.entry));
    EXPECT_NE(run.Crc(), CrcOf(plain));
  }
}

TEST(EntryDecoderTest, DataAcrossVolumes) {
  const Bytes data = RandomBytes(50000, 6);
  TOneEntry one(0, data, 50000);
  const auto split = [&](std::size_t at, std::size_t volumes) {
    auto run = std::make_unique<TDecodeRun>(one.archive);
    const std::size_t piece = (one.archive.size() - at) / (volumes - 1);
    std::size_t from = 0;
    for (std::size_t v = 0; v < volumes; ++v) {
      const std::size_t to = v + 1 == volumes ? one.archive.size() : (v == 0 ? at : from + piece);
      run->component.volumes.push_back(std::make_unique<TMemoryStream>(one.archive.data() + from, to - from));
      from = to;
    }
    run->context.archive = run->component.volumes[0].get();
    return run;
  };
  {  // Three volumes: the data continues on each next volume.
    auto run = split(20000, 3);
    EXPECT_TRUE(run->Decode(one.entry));
    EXPECT_TRUE(run->output == data);
    EXPECT_EQ(run->component.requested, (std::vector<int>{2, 3}));
  }
  {  // The second volume ends early and there is no third.
    auto run = split(20000, 2);
    run->component.volumes[1] = std::make_unique<TMemoryStream>(one.archive.data() + 20000, 100);
    try {
      run->Decode(one.entry);
      ADD_FAILURE() << "no exception";
    } catch (const EUserCanceled& e) {
      EXPECT_STREQ(e.what(), msg::kUserAborted);
    }
    EXPECT_EQ(run->component.requested, (std::vector<int>{2, 3}));
  }
  {  // Without a handler for the next disk the archive just ends early.
    auto run = split(20000, 2);
    run->component.canGetNextDisk = false;
    EXPECT_THROW(run->Decode(one.entry), EFatalUnzipError);
    EXPECT_TRUE(run->component.requested.empty());
  }
}

// The two entries of secret.zip (zip -P secret): hello.txt stored, song.txt
// deflated, both with a data descriptor.
struct TSecretArchive {
  Bytes bytes = decode_test::ReadFileBytes(decode_test::InflateData("secret.zip"));
  TZipHeaderInfo Entry(std::int64_t offset) {
    TMemoryStream stream(bytes.data(), bytes.size());
    stream.SetPosition(offset);
    TZipHeaderInfo entry;
    EXPECT_TRUE(entry.ReadLocalHeader(stream));
    return entry;
  }
};

TEST(EntryDecoderTest, EncryptedEntries) {
  TSecretArchive secret;
  const std::pair<std::int64_t, std::string> entries[] = {{0, "Hello from an encrypted entry.\n"}, {98, ""}};
  for (const auto& [offset, text] : entries) {
    TZipHeaderInfo entry = secret.Entry(offset);
    ASSERT_TRUE(entry.IsEncrypted());
    const std::uint16_t nameLength = entry.StoredNameLength;
    TDecodeRun run(secret.bytes);
    run.component.Password = "secret";
    run.context.archive->SetPosition(offset + 30 + nameLength);
    const std::uint32_t packed = entry.CompressedSize;
    ASSERT_TRUE(CheckEntryPassword(run.context, entry, 0));
    EXPECT_EQ(entry.CompressedSize, packed - 12);
    run.context.output = std::make_unique<TVectorSink>(run.output);
    EXPECT_TRUE(DecodeEntryData(run.context, entry, 0, nameLength, 0));
    EXPECT_EQ(run.Crc(), entry.CRC32) << offset;
    EXPECT_EQ(run.output.size(), entry.UncompressedSize);
    if (!text.empty()) {
      EXPECT_EQ(std::string(run.output.begin(), run.output.end()), text);
    }
  }
}

// Passwords other than "secret" whose header check fails for hello.txt (a
// wrong password passes the check byte once in 256 times).
std::vector<std::string> WrongPasswords(const Bytes& archive, std::size_t count) {
  std::vector<std::string> wrong;
  for (int i = 0; wrong.size() < count; ++i) {
    const std::string candidate = "wrong" + std::to_string(i);
    TMemoryStream stream(archive.data(), archive.size());
    stream.SetPosition(30 + 9);
    TCipherKeys keys;
    if (DecryptHeader(keys, candidate, stream) != 0xB1) wrong.push_back(candidate);
  }
  return wrong;
}

TEST(EntryDecoderTest, PasswordLoop) {
  TSecretArchive secret;
  const std::int64_t dataStart = 30 + 9;
  const auto wrong = WrongPasswords(secret.bytes, 2);
  {  // A wrong password and no handler: skipped.
    TZipHeaderInfo entry = secret.Entry(0);
    TDecodeRun run(secret.bytes);
    run.component.Password = wrong[0];
    run.context.archive->SetPosition(dataStart);
    EXPECT_FALSE(CheckEntryPassword(run.context, entry, 0));
  }
  {  // The handler offers another password: the same header is read again.
    TZipHeaderInfo entry = secret.Entry(0);
    TDecodeRun run(secret.bytes);
    run.component.Password = wrong[0];
    std::vector<std::string> offered;
    run.component.OnBadPassword = [&](int index, std::string& password) {
      EXPECT_EQ(index, 7);
      offered.push_back(password);
      password = offered.size() == 1 ? wrong[1] : "secret";
    };
    run.context.archive->SetPosition(dataStart);
    EXPECT_TRUE(CheckEntryPassword(run.context, entry, 7));
    EXPECT_EQ(offered, (std::vector<std::string>{wrong[0], wrong[1]}));
    EXPECT_EQ(run.component.Password, "secret");
    EXPECT_EQ(run.context.archive->Position(), dataStart + 12);
    EXPECT_EQ(entry.CompressedSize, 43u - 12u);
  }
  {  // The handler gives the password back unchanged: skipped.
    TZipHeaderInfo entry = secret.Entry(0);
    TDecodeRun run(secret.bytes);
    run.component.Password = wrong[0];
    int calls = 0;
    run.component.OnBadPassword = [&](int, std::string&) { ++calls; };
    run.context.archive->SetPosition(dataStart);
    EXPECT_FALSE(CheckEntryPassword(run.context, entry, 0));
    EXPECT_EQ(calls, 1);
  }
}

// Encrypts data as the traditional cipher does, with a header whose last byte
// is checkByte.
Bytes Encrypt(const std::string& password, const Bytes& plain, std::uint8_t checkByte) {
  TCipherKeys keys;
  InitKeys(keys, password);
  Bytes header(12, 0x5A);
  header[11] = checkByte;
  Bytes all = header;
  all.insert(all.end(), plain.begin(), plain.end());
  for (auto& b : all) {
    const std::uint8_t p = b;
    b = p ^ DecryptByte(keys);
    UpdateKeys(keys, p);
  }
  return all;
}

TEST(EntryDecoderTest, CheckByteChoiceAndOnDecrypt) {
  const Bytes plain = decode_test::ReadFileBytes(decode_test::InflateData("sample.txt"));
  const Bytes stream = decode_test::ReadFileBytes(decode_test::InflateData("text_level6.deflate"));
  for (bool descriptor : {false, true}) {
    const std::uint32_t crc = CrcOf(plain);
    const std::uint32_t dateTime = 0x576EB1AA;
    const std::uint8_t check = descriptor ? 0xB1 : static_cast<std::uint8_t>(crc >> 24);
    TOneEntry one(8, Encrypt("pw", stream, check), static_cast<std::uint32_t>(plain.size()));
    one.entry.Flags = descriptor ? 9 : 1;
    one.entry.CRC32 = crc;
    one.entry.DateTime = dateTime;
    TDecodeRun run(one.archive);
    run.component.Password = "pw";
    int decryptCalls = 0;
    run.component.OnDecrypt = [&](std::uint8_t* buffer, int length, const std::string& password) {
      EXPECT_EQ(password, "pw");
      ++decryptCalls;
      DecryptBuffer(run.component.CipherKeys, buffer, static_cast<std::size_t>(length));
    };
    run.context.archive->SetPosition(30 + kNameLength);
    ASSERT_TRUE(CheckEntryPassword(run.context, one.entry, 0)) << descriptor;
    EXPECT_TRUE(run.Decode(one.entry));
    EXPECT_TRUE(run.output == plain);
    EXPECT_EQ(decryptCalls, 1);  // 31 KB of input: one refill
  }
  {  // A stored entry is decrypted by the built-in cipher, never by OnDecrypt.
    const Bytes data = RandomBytes(40000, 9);
    TOneEntry one(0, Encrypt("pw", data, 0x12), 40000);
    one.entry.Flags = 1;
    one.entry.CRC32 = 0x12000000;
    TDecodeRun run(one.archive);
    run.component.Password = "pw";
    run.component.OnDecrypt = [](std::uint8_t*, int, const std::string&) { ADD_FAILURE(); };
    run.context.archive->SetPosition(30 + kNameLength);
    ASSERT_TRUE(CheckEntryPassword(run.context, one.entry, 0));
    EXPECT_TRUE(run.Decode(one.entry));
    EXPECT_TRUE(run.output == data);
  }
}

class TTempFolder {
 public:
  TTempFolder() {
    char name[] = "/tmp/tarvik-decode-XXXXXX";
    path_ = mkdtemp(name);
  }
  ~TTempFolder() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

TEST(EntryDecoderTest, StampsTheOutputFile) {
  TTempFolder folder;
  const Bytes data = decode_test::ToBytes("stamped\n");
  struct TCase {
    std::uint16_t madeBy;
    std::uint32_t attributes;
    bool retain;
    mode_t expected;  // 0: the mode the file was created with
  };
  const mode_t created = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  const TCase cases[] = {
      {0x0014, 0x20, true, static_cast<mode_t>(created | S_IWUSR)},  // DOS, archive bit
      {0x0014, 0x21, true, static_cast<mode_t>(created & ~0222)},    // DOS, read-only
      {0x0314, 0104755u << 16, true, 0755},                          // Unix, set-user-id dropped
      {0x0314, 0100640u << 16, true, 0640},
      {0x0314, 0x21, true, static_cast<mode_t>(created & ~0222)},           // Unix, no mode recorded
      {0x0314, 0100600u << 16, false, created},                             // attributes not kept
      {0x0314, 0120777u << 16, true, static_cast<mode_t>(created & 0644)},  // a link: a plain file
      {0x0314, 0060666u << 16, true, static_cast<mode_t>(created & 0644)},  // a device too
  };
  int n = 0;
  for (const TCase& c : cases) {
    const std::string path = folder.File("out" + std::to_string(n++));
    TOneEntry one(0, data, static_cast<std::uint32_t>(data.size()));
    one.entry.VersionMadeBy = c.madeBy;
    one.entry.ExternalAttributes = c.attributes;
    one.entry.DateTime = (std::uint32_t{(2021 - 1980) << 9 | 3 << 5 | 14} << 16) | (15 << 11 | 9 << 5 | 26 / 2);
    TDecodeRun run(one.archive);
    run.component.RetainAttributes = c.retain;
    run.context.output = std::make_unique<TBufferedFileStream>(path, 8192, false, fmCreate);
    run.context.outputPath = path;
    ASSERT_TRUE(DecodeEntryData(run.context, one.entry, 0, kNameLength, 0));

    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.expected) << n;
    EXPECT_EQ(status.st_size, static_cast<off_t>(data.size()));
    std::tm local{};
    local.tm_year = 121;
    local.tm_mon = 2;
    local.tm_mday = 14;
    local.tm_hour = 15;
    local.tm_min = 9;
    local.tm_sec = 26;
    local.tm_isdst = -1;
    EXPECT_EQ(status.st_mtime, std::mktime(&local));
    chmod(path.c_str(), 0600);
  }
  {  // An out-of-range date is repaired first (month 0 becomes January).
    const std::string path = folder.File("repaired");
    TOneEntry one(0, data, static_cast<std::uint32_t>(data.size()));
    one.entry.DateTime = std::uint32_t{(2000 - 1980) << 9 | 0 << 5 | 5} << 16;
    TDecodeRun run(one.archive);
    run.context.output = std::make_unique<TBufferedFileStream>(path, 8192, false, fmCreate);
    run.context.outputPath = path;
    ASSERT_TRUE(DecodeEntryData(run.context, one.entry, 0, kNameLength, 0));
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    std::tm local{};
    local.tm_year = 100;
    local.tm_mon = 0;
    local.tm_mday = 5;
    local.tm_isdst = -1;
    EXPECT_EQ(status.st_mtime, std::mktime(&local));
  }
  {  // A link standing at the path is not followed: its target keeps date and mode.
    const std::string target = folder.File("target");
    std::ofstream(target) << "target";
    chmod(target.c_str(), 0600);
    struct stat before {};
    ASSERT_EQ(stat(target.c_str(), &before), 0);
    const std::string link = folder.File("link");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    TOneEntry one(0, data, static_cast<std::uint32_t>(data.size()));
    one.entry.VersionMadeBy = 0x0314;
    one.entry.ExternalAttributes = 0100777u << 16;
    StampExtractedFile(AT_FDCWD, link, one.entry, true);
    struct stat after {};
    ASSERT_EQ(stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    EXPECT_EQ(after.st_mtime, before.st_mtime);
  }
}

TEST(EntryDecoderTest, WriteFailures) {
  const Bytes data = RandomBytes(100, 10);
  {  // A short write while decoding.
    TOneEntry one(0, data, 100);
    TDecodeRun run(one.archive);
    try {
      run.Decode(one.entry, 10);
      ADD_FAILURE() << "no exception";
    } catch (const ECantWriteUCF& e) {
      EXPECT_STREQ(e.what(), msg::kCantWriteUCF);
    }
  }
  {  // The last buffered bytes cannot be written when the file is released:
     // not reported as extracted.
    TOneEntry one(0, data, 100);
    TDecodeRun run(one.archive);
    auto sink = std::make_unique<TVectorSink>(run.output, 10);
    run.context.output = std::make_unique<TBufferStream>(*sink, 8192);
    EXPECT_THROW(DecodeEntryData(run.context, one.entry, 0, kNameLength, 0), ECantWriteUCF);
    EXPECT_EQ(run.context.output, nullptr);
  }
}

}  // namespace
}  // namespace tarvik
