// tarvik-find with the prefilter cache prints exactly what it prints without
// it (stdout, stderr, exit status): over random searches of a folder whose
// documents change between them in every way a file can, and whatever the
// file the cache is kept in holds.

#include "support/run_tool.h"
#include "support/temp_folder.h"

#include "decode/crc32.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>

namespace tarvik {
namespace {

namespace fs = std::filesystem;
using test::RunTool;
using test::TTempFolder;

void Put(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

// A ZIP archive of stored entries.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string zip, directory;
  for (const auto& [name, data] : entries) {
    const std::uint32_t crc = ~UpdateCRC(0xFFFFFFFF, data.data(), data.size());
    std::string fields;  // version, flags, method, time, date, CRC, sizes, name length, extra length
    Put(fields, 20, 2), Put(fields, 0, 2), Put(fields, 0, 2), Put(fields, 0, 2), Put(fields, 0x5A21, 2);
    Put(fields, crc, 4), Put(fields, static_cast<std::uint32_t>(data.size()), 4);
    Put(fields, static_cast<std::uint32_t>(data.size()), 4), Put(fields, static_cast<std::uint32_t>(name.size()), 2);
    Put(fields, 0, 2);
    directory += std::string("PK\x01\x02", 4) + std::string("\x14\x00", 2) + fields + std::string(8, '\0');
    Put(directory, static_cast<std::uint32_t>(zip.size()), 4);
    directory += name;
    zip += std::string("PK\x03\x04", 4) + fields + name + data;
  }
  const auto count = static_cast<std::uint32_t>(entries.size());
  const auto offset = static_cast<std::uint32_t>(zip.size());
  zip += directory + std::string("PK\x05\x06", 4) + std::string(4, '\0');
  Put(zip, count, 2), Put(zip, count, 2), Put(zip, static_cast<std::uint32_t>(directory.size()), 4);
  Put(zip, offset, 4), Put(zip, 0, 2);
  return zip;
}

// Words of both cases, umlauts and the letters whose capitals the cache must
// know, words in words (rot in Karotte), digits and an entity.
const std::vector<std::string> kWords = {"Haus",    "Garten", "Gartenhaus", "Kastanie", "Müller", "MÜLLER", "Straße",
                                         "Café",    "Zürich", "œuvre",      "Œuvre",    "ÿacht",  "Ÿacht",  "rot",
                                         "Karotte", "Wolf",   "A4-Blatt",   "2006",     "&amp;",  "éte",    "ÉTE"};

// A document's text: its words, some cut by a formatting tag (so that only
// the readable text holds them whole), in paragraphs.
std::string Paragraphs(std::mt19937& random, int count) {
  std::string text;
  for (int p = 0; p < count; ++p) {
    text += "<text:p text:style-name=\"P1\">";
    for (int w = 0, n = 2 + static_cast<int>(random() % 8); w < n; ++w) {
      std::string word = kWords[random() % kWords.size()];
      if (random() % 5 == 0 && word.size() > 3)
        word.insert(2, "<text:span text:style-name=\"T1\">"), word += "</text:span>";
      text += word + (random() % 4 == 0 ? "\r\n" : " ");
    }
    text += "</text:p>";
  }
  return text;
}

struct TDocumentText {
  std::string content, meta, styles;
  bool metaEncrypted = false;
};

TDocumentText RandomText(std::mt19937& random) {
  TDocumentText text;
  text.content = Paragraphs(random, 1 + static_cast<int>(random() % 6));
  text.meta = Paragraphs(random, 1);
  text.styles = Paragraphs(random, static_cast<int>(random() % 2));
  text.metaEncrypted = random() % 12 == 0;
  return text;
}

std::string Document(const TDocumentText& text) {
  auto xml = [](const std::string& root, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<office:" + root +
           " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"><office:body>" + body +
           "</office:body></office:" + root + ">";
  };
  std::vector<std::pair<std::string, std::string>> entries = {{"mimetype", "application/vnd.oasis.opendocument.text"},
                                                              {"content.xml", xml("document-content", text.content)},
                                                              {"meta.xml", xml("document-meta", text.meta)},
                                                              {"styles.xml", xml("document-styles", text.styles)}};
  if (text.metaEncrypted)
    entries.emplace_back("META-INF/manifest.xml",
                         "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
                         "<manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\">"
                         "<manifest:encryption-data/></manifest:file-entry></manifest:manifest>");
  return StoredZip(entries);
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Other text of the same size, the modification time put back: only the
// change time tells the new file from the old.
void RewriteKeepingSizeAndTime(const std::string& path, TDocumentText& text) {
  struct stat before {};
  ::stat(path.c_str(), &before);
  for (std::size_t at = 0; (at = text.content.find("Haus", at)) != std::string::npos; at += 4)
    text.content.replace(at, 4, "Wolf");
  WriteFile(path, Document(text));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

class FindCache : public ::testing::Test {
 protected:
  // tarvik-find on the documents, with the cache and without; both must say the same.
  void ExpectSameWithAndWithoutCache(std::vector<std::string> args) {
    args.insert(args.begin(), "--lang=en");
    args.insert(args.end() - 1, docs_);
    const auto cached = RunTool("tarvik-find", args, "", {"TARVIK_CACHE=on", "XDG_CACHE_HOME=" + root_ / "xdg"});
    args.insert(args.begin(), "--no-cache");
    const auto plain = RunTool("tarvik-find", args);
    std::string shown;
    for (const std::string& arg : args) shown += arg + " ";
    ASSERT_EQ(cached.out, plain.out) << shown;
    ASSERT_EQ(cached.err, plain.err) << shown;
    ASSERT_EQ(cached.status, plain.status) << shown;
  }

  // The rows the cache holds with a summary.
  int CachedRows() {
    sqlite3* db = nullptr;
    int rows = -1;
    if (sqlite3_open_v2(CacheFile().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_stmt* statement = nullptr;
      if (sqlite3_prepare_v2(db, "SELECT count(*) FROM documents WHERE raw IS NOT NULL OR text IS NOT NULL", -1,
                             &statement, nullptr) == SQLITE_OK &&
          sqlite3_step(statement) == SQLITE_ROW)
        rows = sqlite3_column_int(statement, 0);
      sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
  }

  std::string CacheFile() const { return root_ / "xdg/tarvik/cache.sqlite"; }

  TTempFolder root_;
  const std::string docs_ = root_.MakeFolder("docs");
};

TEST_F(FindCache, SameOutputAsWithoutItWhateverChangesBetweenSearches) {
  std::mt19937 random(7);
  std::map<std::string, TDocumentText> texts;  // the documents written from a text
  int made = 0;
  auto add = [&] {
    const std::string path = docs_ + "/" + (random() % 2 ? "sub/" : "") + "doc" + std::to_string(made++) + ".odt";
    fs::create_directories(fs::path(path).parent_path());
    texts[path] = RandomText(random);
    WriteFile(path, Document(texts[path]));
  };
  for (int i = 0; i < 14; ++i) add();
  const std::string data = TARVIK_TEST_DATA;
  for (const char* fixture : {"letters/Invitation.odt", "letters/Einladung.sxw", "broken/protected.odt",
                              "broken/notazip.odt", "misc/crlf.odt", "legacy/Report.sdw"})
    fs::copy_file(data + "/corpus/" + fixture, docs_ + "/" + fs::path(fixture).filename().string());

  auto changeOne = [&] {
    if (texts.empty()) return add();
    auto it = texts.begin();
    std::advance(it, static_cast<long>(random() % texts.size()));
    const std::string path = it->first;
    switch (random() % 8) {
      case 0:  // other text
        it->second = RandomText(random);
        WriteFile(path, Document(it->second));
        break;
      case 1: RewriteKeepingSizeAndTime(path, it->second); break;
      case 2: ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0); break;  // touched
      case 3: {                                                        // renamed
        const std::string to = docs_ + "/renamed" + std::to_string(made++) + ".odt";
        fs::rename(path, to);
        texts[to] = it->second;
        texts.erase(path);
        break;
      }
      case 4:  // deleted
        fs::remove(path);
        texts.erase(path);
        break;
      case 5: add(); break;
      case 6:  // write access taken away or given back: the open test decides
        fs::permissions(path, fs::perms::owner_write, random() % 2 ? fs::perm_options::remove : fs::perm_options::add);
        break;
      default: {  // broken: cut short, or not an archive at all
        const std::string bytes = Slurp(path);
        WriteFile(path, random() % 2 ? bytes.substr(0, bytes.size() / 2) : std::string(300, 'x'));
        texts.erase(path);
        break;
      }
    }
  };

  const std::vector<std::string> phrases = {
      "Haus",           "haus",           "Gartenhaus",   "Wolf",    "rot",
      "Karotte",        "Müller",         "müller",       "STRASSE", "straße",
      "Café Zürich",    "œuvre",          "ŸACHT",        "2006",    "A4-Blatt",
      "&amp;",          "Smith & Wesson", "Gar",          "ab",      "Haus Garten",
      "Kastanienallee", "Zürich rot",     "Ha<text:span", "éte",     "xyz qwert"};
  const std::vector<std::string> parts = {"content", "meta", "styles", "all", "content,meta"};
  auto search = [&] {
    std::vector<std::string> args = {"-m", std::vector<std::string>{"whole", "every", "any"}[random() % 3],
                                     "-p", parts[random() % parts.size()],
                                     "-j", random() % 2 ? "1" : "2"};
    if (random() % 2) args.push_back("-c");
    if (random() % 3 == 0) args.push_back("--text");
    if (random() % 4 == 0) args.push_back("--legacy");
    if (random() % 3 == 0) args.push_back(random() % 2 ? "--show" : "--json");  // every line read, not the first
    args.push_back(phrases[random() % phrases.size()]);
    ExpectSameWithAndWithoutCache(args);
  };

  // Files changed in the last two seconds are not recorded: the first round
  // records the documents as made, the second those changed in the first.
  TDocumentText fixed{"<text:p>Haus</text:p>", "", ""};
  const std::string fixedPath = docs_ + "/fixed.odt";
  WriteFile(fixedPath, Document(fixed));
  for (int round = 0; round < 2; ++round) {
    ::sleep(2);
    if (round == 1) {
      RewriteKeepingSizeAndTime(fixedPath, fixed);
      ExpectSameWithAndWithoutCache({"Wolf"});
    }
    for (int step = 0; step < 10; ++step) {
      search();
      if (HasFatalFailure()) return;
      changeOne();
    }
    ExpectSameWithAndWithoutCache({"Haus"});
    EXPECT_GT(CachedRows(), 5) << "the cache was used";
  }
  struct stat info {};
  ASSERT_EQ(::stat(CacheFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(fs::path(CacheFile()).parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(FindCache, AFileThatIsNoCacheOfOursIsSetAsideAndTheSearchIsRight) {
  std::mt19937 random(3);
  for (int i = 0; i < 4; ++i) WriteFile(docs_ + "/doc" + std::to_string(i) + ".odt", Document(RandomText(random)));
  ::sleep(2);
  const std::string file = CacheFile();
  fs::create_directories(fs::path(file).parent_path());
  auto makeDatabase = [&](const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  };
  auto damagePages = [&] {
    std::string bytes = Slurp(file);
    for (std::size_t at = 4096; at < bytes.size(); at += 7) bytes[at] = static_cast<char>(at);
    WriteFile(file, bytes);
  };
  const std::vector<std::function<void()>> spoilers = {
      [&] { WriteFile(file, std::string(5000, 'x')); },                                      // not a database
      [&] { makeDatabase("CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');"); },  // another program's
      [&] { makeDatabase("UPDATE format SET version = 2;"); },                               // another version
      [&] { fs::create_directories(file + "/inside"); },                                     // a folder
      [&] { damagePages(); }};                                                               // damaged pages
  for (std::size_t i = 0; i < spoilers.size(); ++i) {
    ExpectSameWithAndWithoutCache({"Haus"});  // a good cache to start from
    if (i != 4) {
      fs::remove_all(file);
      fs::remove_all(file + "-wal");
      fs::remove_all(file + "-shm");
      if (i == 2) ExpectSameWithAndWithoutCache({"Haus"});
    }
    spoilers[i]();
    ExpectSameWithAndWithoutCache({"-m", "any", "Wolf Garten"});
    ExpectSameWithAndWithoutCache({"Kastanie"});
    if (i < 4) {
      EXPECT_TRUE(fs::exists(file + ".old")) << i;
      EXPECT_EQ(CachedRows(), 4) << i << ": a new cache in its place";
    }
    fs::remove_all(file + ".old");
  }
}

}  // namespace
}  // namespace tarvik
