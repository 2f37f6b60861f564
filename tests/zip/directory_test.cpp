// The archive's records and entry lists: end record search and check, date
// repair, header reading and name splitting, the sort orders.

#include "support/memory_stream.h"

#include "zip/dos_time.h"
#include "zip/entry_list.h"
#include "zip/records.h"

#include "base/stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarvik {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

Bytes EndRecord(unsigned thisDisk, unsigned cdDisk, unsigned total, std::uint32_t cdSize, std::uint32_t cdOffset,
                const std::string& comment) {
  Bytes out;
  Put32(out, kEndCentralSignature);
  Put16(out, thisDisk);
  Put16(out, cdDisk);
  Put16(out, total);
  Put16(out, total);
  Put32(out, cdSize);
  Put32(out, cdOffset);
  Put16(out, static_cast<unsigned>(comment.size()));
  PutText(out, comment);
  return out;
}

Bytes CentralHeader(const std::string& name, unsigned host, std::uint32_t dateTime, std::uint32_t offset,
                    unsigned extraLength = 0, unsigned commentLength = 0) {
  Bytes out;
  Put32(out, kCentralHeaderSignature);
  Put16(out, (host << 8) | 20);
  Put16(out, 10);      // version needed
  Put16(out, 0x0009);  // encrypted, data descriptor
  Put16(out, 8);
  Put32(out, dateTime);
  Put32(out, 0x12345678);
  Put32(out, 100);
  Put32(out, 300);
  Put16(out, static_cast<unsigned>(name.size()));
  Put16(out, extraLength);
  Put16(out, commentLength);
  Put16(out, 2);  // disk number start
  Put16(out, 0);
  Put32(out, 0x81A40000);
  Put32(out, offset);
  PutText(out, name);
  return out;
}

Bytes LocalHeader(const std::string& name, std::uint32_t dateTime, std::uint32_t compressed, unsigned extraLength) {
  Bytes out;
  Put32(out, kLocalHeaderSignature);
  Put16(out, 20);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, dateTime);
  Put32(out, 0xCAFEBABE);
  Put32(out, compressed);
  Put32(out, compressed);
  Put16(out, static_cast<unsigned>(name.size()));
  Put16(out, extraLength);
  PutText(out, name);
  return out;
}

Bytes Join(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

constexpr std::uint32_t kStamp = (((2020 - 1980) << 9 | 5 << 5 | 17) << 16) | (10 << 11 | 30 << 5 | 7);

// ---- End record ----

TEST(EndRecord, ShortAndEmptyStreams) {
  TEndCentral record;
  TMemoryStream empty;
  EXPECT_TRUE(record.FindEndRecord(empty)) << "an empty file is an archive without entries";
  EXPECT_EQ(record.TotalEntries, 0);
  EXPECT_EQ(record.CommentPosition, 0u);
  for (std::size_t size = 1; size <= 21; ++size) {
    Bytes bytes = EndRecord(0, 0, 0, 0, 0, "");
    bytes.resize(size);
    TMemoryStream stream(bytes);
    EXPECT_FALSE(record.FindEndRecord(stream)) << size;
  }
  TMemoryStream noSignature(Bytes(200, 'x'));
  EXPECT_FALSE(record.FindEndRecord(noSignature));
}

TEST(EndRecord, FieldsAndCommentPosition) {
  Bytes bytes = Join(Bytes(100, 'j'), EndRecord(3, 2, 7, 0x1234, 0x55, "hi"));
  TMemoryStream stream(bytes);
  TEndCentral record;
  ASSERT_TRUE(record.FindEndRecord(stream));
  EXPECT_EQ(record.ThisDisk, 3);
  EXPECT_EQ(record.CentralDisk, 2);
  EXPECT_EQ(record.EntriesOnDisk, 7);
  EXPECT_EQ(record.TotalEntries, 7);
  EXPECT_EQ(record.CentralSize, 0x1234u);
  EXPECT_EQ(record.CentralOffset, 0x55u);
  EXPECT_EQ(record.ZipCommentLength, 2);
  EXPECT_EQ(record.CommentPosition, 122u);
  EXPECT_FALSE(record.ZipComment()) << "the comment is read only on request";
  EXPECT_EQ(ReadTextAt(stream, record.CommentPosition, record.ZipCommentLength), "hi");
}

TEST(EndRecord, LongestCommentAndSignatureInsideComment) {
  // 65535 comment bytes behind the record: still within the searched tail.
  Bytes longest = Join(Bytes(5000, 'a'), EndRecord(0, 0, 4, 10, 20, std::string(65535, 'c')));
  TMemoryStream stream(longest);
  TEndCentral record;
  ASSERT_TRUE(record.FindEndRecord(stream));
  EXPECT_EQ(record.TotalEntries, 4);
  EXPECT_EQ(record.CommentPosition, 5022u);

  // One comment byte more than the format allows pushes the record out of reach.
  Bytes tooFar = Join(EndRecord(0, 0, 4, 10, 20, ""), Bytes(65536, 'c'));
  TMemoryStream farStream(tooFar);
  EXPECT_FALSE(record.FindEndRecord(farStream));

  // A signature inside the comment, far enough from the end, is the one found.
  std::string comment = std::string("PK\x05\x06", 4) + std::string(6, '\0') + "\x09" + std::string(11, '\0') + "tail";
  Bytes tricky = EndRecord(0, 0, 4, 10, 20, comment);
  TMemoryStream trickyStream(tricky);
  ASSERT_TRUE(record.FindEndRecord(trickyStream));
  EXPECT_EQ(record.TotalEntries, 9);
  EXPECT_EQ(record.CommentPosition, 22u + 22u);
}

TEST(EndRecord, UsabilityCheck) {
  struct Case {
    unsigned thisDisk, cdDisk;
    std::uint32_t offset;
    bool usable;
  } cases[] = {
      {0, 0, 0, true},  {999, 999, 0, true},      {1000, 0, 0, false},        {5, 1000, 0, false},
      {1, 2, 0, false}, {2, 1, 0x7FFFFFFF, true}, {0, 0, 0x80000000u, false},
  };
  for (const Case& c : cases) {
    TEndCentral record;
    record.ThisDisk = static_cast<std::uint16_t>(c.thisDisk);
    record.CentralDisk = static_cast<std::uint16_t>(c.cdDisk);
    record.CentralOffset = c.offset;
    EXPECT_EQ(EndRecordIsUsable(record), c.usable) << c.thisDisk << " " << c.cdDisk << " " << c.offset;
  }
}

TEST(EndRecord, ClearAndAssign) {
  TEndCentral source;
  source.ThisDisk = 1;
  source.TotalEntries = 9;
  source.CentralOffset = 77;
  source.CommentPosition = 500;
  source.SetZipComment("note");
  TEndCentral copy;
  copy.Assign(source);
  EXPECT_EQ(copy.ThisDisk, 1);
  EXPECT_EQ(copy.TotalEntries, 9);
  EXPECT_EQ(copy.CentralOffset, 77u);
  EXPECT_EQ(copy.CommentPosition, 500u);
  ASSERT_TRUE(copy.ZipComment());
  EXPECT_EQ(*copy.ZipComment(), "note");
  EXPECT_EQ(copy.ZipCommentLength, 4);

  copy.Signature = 0;
  copy.CommentChanged = true;
  copy.Clear();
  EXPECT_EQ(copy.Signature, kEndCentralSignature);
  EXPECT_EQ(copy.TotalEntries, 0);
  EXPECT_EQ(copy.CentralOffset, 0u);
  EXPECT_EQ(copy.CommentPosition, 0u);
  EXPECT_FALSE(copy.ZipComment());
  EXPECT_FALSE(copy.CommentChanged);
  EXPECT_TRUE(source.ZipComment()) << "the copy owns its own comment";
}

// ---- Dates ----

TEST(DosDateTime, RepairClampsOnlyWhatIsOutOfRange) {
  auto pack = [](int y, int mo, int d, int h, int mi, int s2) {
    return static_cast<std::uint32_t>((((y - 1980) << 9 | mo << 5 | d) << 16) | (h << 11 | mi << 5 | s2));
  };
  struct Case {
    std::uint32_t in, out;
  } cases[] = {
      {kStamp, kStamp},                                          // valid: bit for bit
      {pack(2005, 0, 9, 1, 2, 3), pack(2005, 1, 9, 1, 2, 3)},    // month 0 → 1
      {pack(2005, 13, 9, 1, 2, 3), pack(2005, 12, 9, 1, 2, 3)},  // month 13 → 12
      {pack(2005, 3, 0, 1, 2, 3), pack(2005, 3, 1, 1, 2, 3)},    // day 0 → 1
      {pack(2005, 3, 9, 1, 2, 30), pack(2005, 3, 9, 1, 2, 29)},  // 60 s → 58 s
      {pack(2005, 3, 9, 1, 2, 31), pack(2005, 3, 9, 1, 2, 29)},  // 62 s → 58 s
      {pack(2005, 3, 9, 24, 2, 3), pack(2005, 3, 9, 23, 2, 3)},  // hour 24 → 23
      {pack(2005, 3, 9, 31, 63, 3), pack(2005, 3, 9, 23, 59, 3)},
      {pack(2107, 3, 9, 1, 2, 3), pack(2099, 3, 9, 1, 2, 3)},    // year above 2099
      {pack(2005, 2, 31, 1, 2, 3), pack(2005, 2, 31, 1, 2, 3)},  // 31 February stays
      {0, pack(1980, 1, 1, 0, 0, 0)},
  };
  for (const Case& c : cases) EXPECT_EQ(RepairDosDateTime(c.in), c.out) << std::hex << c.in;
}

TEST(DosDateTime, ValuesOrderByTimeAndRejectImpossibleDays) {
  std::uint32_t earlier = kStamp;
  std::uint32_t later = kStamp + 1;              // two seconds later
  std::uint32_t nextYear = kStamp + (1u << 25);  // one year later
  std::uint32_t feb31 = ((25u << 9 | 2u << 5 | 31u) << 16);
  std::uint32_t feb29Leap = ((20u << 9 | 2u << 5 | 29u) << 16);  // 2000-02-29
  EXPECT_LT(DosDateTimeValue(earlier), DosDateTimeValue(later));
  EXPECT_LT(DosDateTimeValue(later), DosDateTimeValue(nextYear));
  EXPECT_EQ(DosDateTimeValue(feb31), 0);
  EXPECT_GT(DosDateTimeValue(feb29Leap), 0);
  // 1980-01-01 is 29221 days after the date-time origin 1899-12-30.
  EXPECT_EQ(DosDateTimeValue((0u << 9 | 1u << 5 | 1u) << 16), 29221LL * 86400);
}

// ---- Entries ----

TEST(ZipHeaderInfo, FreshStateDerivedTestsAndAssign) {
  TZipHeaderInfo fresh;
  EXPECT_EQ(fresh.VersionMadeBy, 20);
  EXPECT_EQ(fresh.VersionNeeded, 20);
  EXPECT_EQ(fresh.CompressionMethod, 8);
  EXPECT_EQ(fresh.CRC32, 0xFFFFFFFFu);
  EXPECT_EQ(fresh.InternalAttributes, 1);
  EXPECT_EQ(fresh.ExternalAttributes, 32u);
  EXPECT_FALSE(fresh.IsEncrypted() || fresh.HasDataDescriptor() || fresh.HasComment());

  TZipHeaderInfo source;
  source.Flags = 0x0009;
  source.DateTime = kStamp;
  source.LocalHeaderOffset = 99;
  source.Selected = true;
  source.OEMConvert = true;
  source.SetStoredName("docs\\a.txt");
  source.SetFileComment("remark");
  EXPECT_TRUE(source.IsEncrypted() && source.HasDataDescriptor() && source.HasComment());

  TZipHeaderInfo copy;
  copy.Assign(source);
  EXPECT_EQ(copy.Flags, 0x0009);
  EXPECT_EQ(copy.DateTime, kStamp);
  EXPECT_EQ(copy.LocalHeaderOffset, 99u);
  EXPECT_TRUE(copy.Selected);
  EXPECT_FALSE(copy.OEMConvert) << "the conversion flag belongs to the creator";
  EXPECT_EQ(copy.StoredPath(), "docs\\a.txt");
  EXPECT_EQ(copy.FileNameLength(), 10);
  EXPECT_EQ(*copy.FileComment(), "remark");
  EXPECT_EQ(copy.FileCommentLength, 6);

  source.SetFileComment(std::nullopt);
  EXPECT_EQ(*copy.FileComment(), "remark") << "the comment was duplicated";
  copy.Clear();
  EXPECT_EQ(copy.StoredPath(), "");
  EXPECT_FALSE(copy.FileComment());
  EXPECT_EQ(copy.CRC32, 0xFFFFFFFFu);

  TEndCentral other;
  EXPECT_THROW(copy.Assign(other), EConvertError);
}

TEST(ZipHeaderInfo, NameSplitting) {
  struct Case {
    const char* stored;
    const char* directory;
    const char* name;
  } cases[] = {
      {"Dir\\Sub\\file.txt", "Dir\\Sub\\", "file.txt"},
      {"Dir\\", "Dir\\", ""},
      {"plain.txt", "", "plain.txt"},
      {"C:file.txt", "C:\\", "file.txt"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    TZipHeaderInfo entry;
    entry.SetStoredName(c.stored);
    EXPECT_EQ(entry.Directory(), c.directory) << c.stored;
    EXPECT_EQ(entry.FileName(), c.name) << c.stored;
    EXPECT_EQ(entry.FileNameLength(), entry.Directory().size() + entry.FileName().size());
  }
  TZipHeaderInfo entry;
  entry.SetDirectory("folder");
  EXPECT_EQ(entry.Directory(), "folder\\");
  entry.SetFileName("x");
  EXPECT_EQ(entry.FileNameLength(), 8);
}

TEST(ZipHeaderInfo, ReadCentralHeaderFieldsAndNames) {
  const std::string oemName =
      "Dir/Sub/\x9A"
      "bersicht.txt";  // Ü in CP850
  struct Case {
    unsigned host;
    bool convert;
    const char* directory;
    const char* name;
  } cases[] = {
      {0, true, "Dir\\Sub\\",
       "\xC3\x9C"
       "bersicht.txt"},  // MS-DOS: CP850 → UTF-8
      {0, false, "Dir\\Sub\\",
       "\x9A"
       "bersicht.txt"},
      {3, true, "Dir\\Sub\\",
       "\x9A"
       "bersicht.txt"},  // Unix: left alone
  };
  for (const Case& c : cases) {
    Bytes bytes = Join(Bytes(7, 'z'), CentralHeader(oemName, c.host, kStamp + 30, 1234, 5, 3));
    bytes.resize(bytes.size() + 8, 'e');
    TMemoryStream memory(bytes);
    memory.Seek(7, soFromBeginning);
    TStream* stream = &memory;
    TZipHeaderInfo entry;
    entry.OEMConvert = c.convert;
    ASSERT_TRUE(entry.ReadCentralHeader(stream));
    EXPECT_EQ(entry.Directory(), c.directory);
    EXPECT_EQ(entry.FileName(), c.name);
    EXPECT_EQ(entry.StoredNameLength, oemName.size());
    EXPECT_EQ(entry.VersionMadeBy, (c.host << 8) | 20);
    EXPECT_EQ(entry.VersionNeeded, 10);
    EXPECT_TRUE(entry.IsEncrypted());
    EXPECT_TRUE(entry.HasDataDescriptor());
    EXPECT_EQ(entry.DateTime, RepairDosDateTime(kStamp + 30)) << "dates are repaired on load";
    EXPECT_EQ(entry.CRC32, 0x12345678u);
    EXPECT_EQ(entry.CompressedSize, 100u);
    EXPECT_EQ(entry.UncompressedSize, 300u);
    EXPECT_EQ(entry.ExtraFieldLength, 5);
    EXPECT_EQ(entry.FileCommentLength, 3);
    EXPECT_EQ(entry.DiskNumberStart, 2);
    EXPECT_EQ(entry.ExternalAttributes, 0x81A40000u);
    EXPECT_EQ(entry.LocalHeaderOffset, 1234u);
    EXPECT_EQ(entry.CentralHeaderOffset, 7u);
    EXPECT_EQ(memory.Position(), static_cast<std::int64_t>(7 + kCentralHeaderSize + oemName.size()));
  }
}

TEST(ZipHeaderInfo, ReadCentralHeaderFailuresRestorePosition) {
  Bytes good = CentralHeader("name.txt", 3, kStamp, 0);
  Bytes badSignature = good;
  badSignature[2] = 9;
  Bytes shortFixed(good.begin(), good.begin() + 40);
  Bytes shortName(good.begin(), good.end() - 2);
  for (const Bytes* bytes : {&badSignature, &shortFixed, &shortName}) {
    Bytes padded = Join(Bytes(3, 0), *bytes);
    TMemoryStream memory(padded);
    memory.Seek(3, soFromBeginning);
    TStream* stream = &memory;
    TZipHeaderInfo entry;
    EXPECT_FALSE(entry.ReadCentralHeader(stream));
    EXPECT_EQ(memory.Position(), 3);
  }
}

TEST(ZipHeaderInfo, ReadCentralHeaderContinuesOnNextVolume) {
  Bytes header = CentralHeader("vol.txt", 3, kStamp, 0);
  TMemoryStream first(Bytes(header.begin(), header.begin() + 20));
  TMemoryStream second(Bytes(header.begin() + 20, header.end()));
  TStream* stream = &first;
  int calls = 0;
  TZipHeaderInfo entry;
  ASSERT_TRUE(entry.ReadCentralHeader(stream, [&]() -> TStream* {
    ++calls;
    return &second;
  }));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(stream, &second);
  EXPECT_EQ(entry.FileName(), "vol.txt");

  // Not a header start: the next volume is not asked for.
  TMemoryStream junk(Bytes(20, 'j'));
  stream = &junk;
  EXPECT_FALSE(entry.ReadCentralHeader(stream, [&]() -> TStream* {
    ++calls;
    return &second;
  }));
  EXPECT_EQ(calls, 1);

  // No next volume: a plain failure.
  TMemoryStream part(Bytes(header.begin(), header.begin() + 20));
  stream = &part;
  EXPECT_FALSE(entry.ReadCentralHeader(stream, []() -> TStream* { return nullptr; }));
}

TEST(ZipHeaderInfo, ReadLocalHeader) {
  Bytes bytes = Join(Bytes(11, 0), LocalHeader("a/\x9A.txt", kStamp, 40, 6));
  TMemoryStream memory(bytes);
  memory.Seek(11, soFromBeginning);
  TZipHeaderInfo entry;
  entry.OEMConvert = true;
  ASSERT_TRUE(entry.ReadLocalHeader(memory));
  EXPECT_EQ(entry.Directory(), "a\\");
  EXPECT_EQ(entry.FileName(), "\xC3\x9C.txt") << "local headers carry no host: the flag decides";
  EXPECT_EQ(entry.LocalHeaderOffset, 11u);
  EXPECT_EQ(entry.CentralHeaderOffset, 0u);
  EXPECT_EQ(entry.LocalExtraFieldLength, 6);
  EXPECT_EQ(entry.CompressedSize, 40u);
  EXPECT_EQ(entry.CRC32, 0xCAFEBABEu);
  EXPECT_EQ(entry.VersionMadeBy, 0);
  EXPECT_EQ(entry.ExternalAttributes, 0u);

  Bytes truncated(bytes.begin(), bytes.begin() + 11 + 33);
  TMemoryStream shortStream(truncated);
  shortStream.Seek(11, soFromBeginning);
  EXPECT_FALSE(entry.ReadLocalHeader(shortStream));
  EXPECT_EQ(shortStream.Position(), 11);
}

// ---- Sort orders ----

struct TEntryFields {
  const char* path;
  std::uint32_t dateTime;
  std::uint32_t compressed;
  std::uint32_t uncompressed;
  std::uint16_t disk;
  std::uint32_t offset;
};

std::vector<std::string> SortedPaths(TZipSortMode mode, const std::vector<TEntryFields>& rows) {
  std::vector<std::unique_ptr<TZipHeaderInfo>> entries;
  TSortedZip list(TDuplicates::dupAccept, mode);
  list.SetOwnsObjects(false);
  for (const TEntryFields& row : rows) {
    auto entry = std::make_unique<TZipHeaderInfo>();
    entry->SetStoredName(row.path);
    entry->DateTime = row.dateTime;
    entry->CompressedSize = row.compressed;
    entry->UncompressedSize = row.uncompressed;
    entry->DiskNumberStart = row.disk;
    entry->LocalHeaderOffset = row.offset;
    list.Add(entry.get());
    entries.push_back(std::move(entry));
  }
  std::vector<std::string> paths;
  for (int i = 0; i < list.Count(); ++i) paths.push_back(list.Entry(i)->StoredPath());
  return paths;
}

TEST(SortedZip, EveryMode) {
  const std::uint32_t day = 1u << 16;
  const std::vector<TEntryFields> rows = {
      {"B.txt", kStamp + 2 * day, 50, 100, 0, 300},                     // rate 50
      {"z\\a.txt", kStamp, 10, 100, 1, 0},                              // rate 10
      {"a.txt", kStamp + 5 * day, 90, 100, 0, 100},                     // rate 90
      {"Docs\\c.txt", kStamp + day, 0x90000000u, 0x90000000u, 0, 200},  // rate from signed sizes: 0
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(SortedPaths(TZipSortMode::ByName, rows), (V{"a.txt", "B.txt", "Docs\\c.txt", "z\\a.txt"}));
  EXPECT_EQ(SortedPaths(TZipSortMode::ByFileName, rows), (V{"a.txt", "z\\a.txt", "B.txt", "Docs\\c.txt"}));
  EXPECT_EQ(SortedPaths(TZipSortMode::ByDirectoryName, rows), (V{"a.txt", "B.txt", "Docs\\c.txt", "z\\a.txt"}));
  EXPECT_EQ(SortedPaths(TZipSortMode::ByDate, rows), (V{"a.txt", "B.txt", "Docs\\c.txt", "z\\a.txt"}));
  EXPECT_EQ(SortedPaths(TZipSortMode::ByCompressedSize, rows), (V{"Docs\\c.txt", "a.txt", "B.txt", "z\\a.txt"}));
  EXPECT_EQ(SortedPaths(TZipSortMode::ByUnCompressedSize, rows), (V{"Docs\\c.txt", "B.txt", "z\\a.txt", "a.txt"}));
  EXPECT_EQ(SortedPaths(TZipSortMode::ByRate, rows), (V{"a.txt", "B.txt", "z\\a.txt", "Docs\\c.txt"}));
  EXPECT_EQ(SortedPaths(TZipSortMode::ByNone, rows), (V{"a.txt", "Docs\\c.txt", "B.txt", "z\\a.txt"}));
}

TEST(SortedZip, RatesOfAbsurdSizesStillOrder) {
  // A compressed size with the top bit set counts as negative: the lowest rate.
  const std::vector<TEntryFields> rows = {
      {"negative", 0, 0x80000000u, 1, 0, 0}, {"full", 0, 200, 100, 0, 1}, {"half", 0, 50, 100, 0, 2}};
  EXPECT_EQ(SortedPaths(TZipSortMode::ByRate, rows), (std::vector<std::string>{"full", "half", "negative"}));
}

TEST(SortedZip, EqualValuesKeepInsertionOrderWhereNeverEqual) {
  const std::vector<TEntryFields> same = {
      {"first", kStamp, 5, 5, 0, 0}, {"second", kStamp, 5, 5, 0, 1}, {"third", kStamp, 5, 5, 0, 2}};
  using V = std::vector<std::string>;
  EXPECT_EQ(SortedPaths(TZipSortMode::ByDate, same), (V{"first", "second", "third"}));
  EXPECT_EQ(SortedPaths(TZipSortMode::ByCompressedSize, same), (V{"first", "second", "third"}));
  EXPECT_EQ(SortedPaths(TZipSortMode::ByUnCompressedSize, same), (V{"first", "second", "third"}));
  // An impossible day counts as the earliest date.
  const std::vector<TEntryFields> dates = {{"feb31", (25u << 9 | 2u << 5 | 31u) << 16, 0, 0, 0, 0},
                                           {"real", kStamp, 0, 0, 0, 1}};
  EXPECT_EQ(SortedPaths(TZipSortMode::ByDate, dates), (V{"real", "feb31"}));
}

TEST(SortedZip, PhysicalOrderRejectsTheSameLocalHeaderTwice) {
  TSortedZip list(TDuplicates::dupError);
  auto* first = new TZipHeaderInfo();
  first->LocalHeaderOffset = 10;
  list.Add(first);
  TZipHeaderInfo duplicate;
  duplicate.LocalHeaderOffset = 10;
  EXPECT_THROW(list.Add(&duplicate), EListError);
  EXPECT_EQ(list.Count(), 1);
  duplicate.DiskNumberStart = 1;
  EXPECT_EQ(list.IndexOf(&duplicate), -1) << "another disk is another header";
}

}  // namespace
}  // namespace tarvik
