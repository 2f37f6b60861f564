// The search through memory gives exactly what the search through the
// scratch folder gives, for every sample document, mode and part choice,
// raw lines or readable text.

#include "support/archive_patch.h"
#include "support/fake_form.h"
#include "support/temp_folder.h"

#include "search/document_search.h"
#include "search/legacy_search.h"
#include "search/parallel_walk.h"
#include "search/part_extraction.h"

#include "xml/xmlscan.h"

#include "zip/extractor.h"

#include "platform/file_handle.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

// While not 0, any single allocation larger than this fails as when memory
// runs out. The replacements serve the whole test program. GCC cannot see that
// the replaced operator new allocates with malloc and warns about every free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
std::atomic<std::size_t> gAllocationLimit{0};

void* operator new(std::size_t size) {
  const std::size_t limit = gAllocationLimit.load(std::memory_order_relaxed);
  if (limit != 0 && size > limit) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace tarvik {
namespace {

using test::TFakeForm;

// The slots decoded whole into memory, selected as the search selects them;
// an empty slot was not delivered, and the last entry of a slot decides.
using TPartTexts = std::array<std::optional<std::string>, kSlotCount>;
void ExtractDocumentPartsToMemory(const std::string& path, TPartTexts& parts) {
  TZipExtractor extractor;
  extractor.SetOverwriteMode(TUZOverwriteMode::Always);
  for (const TSlotName& name : kSlotNames) extractor.FilesList().push_back(name.pattern);
  extractor.SetZipName(path);
  extractor.SetDoAll(false);
  extractor.OnStartUnZip = [&parts](TZipExtractor& sender, int index, std::string&, bool&) {
    const int slot = SlotOfEntry(sender.Entry(index));
    if (slot >= 0) parts[slot].reset();
  };
  extractor.OnMemoryOutput = [&parts](TZipExtractor& sender, int index, const std::string&, std::string& data) {
    const int slot = SlotOfEntry(sender.Entry(index));
    if (slot >= 0) parts[slot] = std::move(data);
  };
  extractor.ExtractFiles();
}

struct TAllocationLimit {
  explicit TAllocationLimit(std::size_t bytes) { gAllocationLimit = bytes; }
  ~TAllocationLimit() { gAllocationLimit = 0; }
};

// The sample corpus, the part-lookup fixtures and the readable-text documents.
std::vector<std::string> SampleDocuments() {
  std::vector<std::string> paths;
  for (const char* folder : {"/corpus", "/parts", "/text"})
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::string(TARVIK_TEST_DATA) + folder))
      if (entry.is_regular_file() && entry.path().extension() != ".md" && entry.path().extension() != ".py")
        paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

void Choose(TFakeForm& form, int mode, bool allParts) {
  form.Set(TFormControl::RadioButton1, mode == 1);
  form.Set(TFormControl::RadioButton2, mode != 1);
  form.Set(TFormControl::RadioButton3, mode == 2);
  form.Set(TFormControl::RadioButton4, mode == 3);
  form.Set(TFormControl::cbAlles, allParts);
}

TEST(MemorySearch, SameResultsAndErrorsAsTheScratchFolder) {
  test::TTempFolder scratch;
  const auto documents = SampleDocuments();
  ASSERT_GT(documents.size(), 30u);
  for (const char* phrase : {"Haselnuss", "osprey heron", "Caf\xE9 Z\xFCrich", "Smith &amp; Wesson", "2006",
                             "First line Walnut", "<office:", "Smith & Wesson", "ein fetter text"}) {
    for (int mode = 1; mode <= 3; ++mode) {
      for (int choice = 0; choice < 4; ++choice) {
        const bool allParts = choice % 2 != 0;
        TFakeForm files, memory;
        Choose(files, mode, allParts);
        Choose(memory, mode, allParts);
        files.readableText = memory.readableText = choice >= 2;
        for (const std::string& path : documents) {
          SearchDocument(files, scratch.Path(), path, phrase, false);
          SearchDocumentInMemory(memory, path, phrase, false);
        }
        EXPECT_EQ(memory.results, files.results) << phrase << " mode " << mode << " choice " << choice;
        EXPECT_EQ(memory.errors, files.errors) << phrase;
        EXPECT_EQ(memory.folders, files.folders);
      }
    }
  }

  // A line too long for memory fails the document in the scratch folder,
  // which is emptied all the same; in memory the part streams through in
  // blocks and the hit is found.
  const std::string longLine = std::string(TARVIK_TEST_DATA) + "/parts/long_line.odt";
  TFakeForm files, memory;
  Choose(files, 1, true);
  Choose(memory, 1, true);
  {
    TAllocationLimit limit(1 << 20);
    SearchDocument(files, scratch.Path(), longLine, "Heron", false);
    SearchDocumentInMemory(memory, longLine, "Heron", false);
  }
  EXPECT_EQ(files.errors, std::vector<std::string>{longLine});
  EXPECT_TRUE(files.results.empty());
  EXPECT_TRUE(memory.errors.empty());
  EXPECT_EQ(memory.results.size(), 1u);
  EXPECT_TRUE(ListDirectory(scratch.Path(), "*").empty());
}

std::size_t OpenDescriptors() {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// Every reader lets go of its file when memory runs out halfway: the search
// of a folder of such files does not run out of descriptors.
TEST(MemorySearch, NoDescriptorLeaksWhenMemoryRunsOut) {
  test::TTempFolder scratch, files;
  const std::string big = files.Write("big.sdw", std::string(1 << 20, 'x'));
  const std::string longLine = std::string(TARVIK_TEST_DATA) + "/parts/long_line.odt";
  const std::size_t before = OpenDescriptors();
  TFakeForm form;
  for (int round = 0; round < 20; ++round) {
    TAllocationLimit limit(1 << 19);
    std::string text;
    EXPECT_THROW(ReadWholeFile(big, std::size_t{1} << 30, text), std::bad_alloc);
    EXPECT_THROW(ReadTextLines(big), std::bad_alloc);
    TXmlScanner scanner;
    EXPECT_FALSE(scanner.OpenFile(big));
    SearchLegacyDocument(form, big, "x", false);                 // no room for a piece
    SearchDocument(form, scratch.Path(), longLine, "x", false);  // no room for the line
  }
  EXPECT_EQ(form.errors.size(), 40u);
  EXPECT_EQ(OpenDescriptors(), before);
}

// What both paths find in archives whose parts have odd names, come twice or
// are partly encrypted.
TEST(MemorySearch, PartsByAnyLetterCaseTheLastEntryDecidesAndTheManifestRefuses) {
  test::TTempFolder scratch;
  const std::string parts = std::string(TARVIK_TEST_DATA) + "/parts/";
  struct TCase {
    const char* document;
    const char* phrase;
    int mode;
    bool allParts;
    std::size_t results;
    bool error;
  };
  for (const TCase& c : {TCase{"mixed_case.odt", "Haselnuss", 1, false, 1, false},
                         TCase{"mixed_case.odt", "osprey heron haselnuss", 3, true, 3, false},
                         TCase{"last_entry.odt", "Chestnut", 1, false, 1, false},
                         TCase{"last_entry.odt", "Walnut Heron", 3, true, 0, false},
                         TCase{"styles_encrypted.odt", "Haselnuss", 1, false, 1, false},
                         TCase{"styles_encrypted.odt", "Haselnuss", 1, true, 0, true}}) {
    for (bool inMemory : {false, true}) {
      TFakeForm form;
      Choose(form, c.mode, c.allParts);
      if (inMemory) {
        SearchDocumentInMemory(form, parts + c.document, c.phrase, false);
      } else {
        SearchDocument(form, scratch.Path(), parts + c.document, c.phrase, false);
      }
      EXPECT_EQ(form.results.size(), c.results) << c.document << " " << c.phrase << " memory " << inMemory;
      EXPECT_EQ(form.errors.size(), c.error ? 1u : 0u) << c.document << " " << c.phrase << " memory " << inMemory;
    }
  }
}

// A part that is not searched is passed over undecoded in memory; whatever is
// wrong with it, both paths still end alike. Deflated data running past the
// archive's end or a wrong checksum leave the part absent; stored data running
// past the end fails the document.
TEST(MemorySearch, PartsNotSearchedEndAsInTheScratchFolder) {
  test::TTempFolder scratch, patched;
  const std::string invitation = std::string(TARVIK_TEST_DATA) + "/corpus/letters/Invitation.odt";
  constexpr std::size_t kMethodField = 10, kCrcField = 16, kSizeField = 20;  // method: with the time
  constexpr std::uint32_t kPastTheEnd = 0x7FFFFFF0u;
  struct TCase {
    const char* part;
    std::vector<std::pair<std::size_t, std::uint32_t>> fields;
    bool error;  // with content only
  };
  const std::vector<TCase> cases = {{"styles.xml", {{kSizeField, kPastTheEnd}}, false},
                                    {"styles.xml", {{kMethodField, 0}, {kSizeField, kPastTheEnd}}, true},
                                    {"meta.xml", {{kMethodField, 0}}, false},
                                    {"meta.xml", {{kCrcField, 0}}, false}};
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const TCase& c = cases[i];
    std::string document = invitation;
    for (const auto& [field, value] : c.fields)
      document = test::WithCentralField(patched, document, c.part, field, value);
    for (bool allParts : {false, true}) {
      TFakeForm files, memory;
      Choose(files, 1, allParts);
      Choose(memory, 1, allParts);
      SearchDocument(files, scratch.Path(), document, "Fischer", false);
      SearchDocumentInMemory(memory, document, "Fischer", false);
      EXPECT_EQ(memory.results, files.results) << "case " << i << " all " << allParts;
      EXPECT_EQ(memory.errors, files.errors) << "case " << i << " all " << allParts;
      EXPECT_EQ(files.errors.size(), c.error ? 1u : 0u) << "case " << i << " all " << allParts;
      EXPECT_EQ(files.results.size(), c.error ? 0u : 1u) << "case " << i << " all " << allParts;
    }
  }
}

// Every candidate of form searched in memory, with jobs, as a run hands them out.
void WalkCandidates(TFakeForm& form, int jobs) {
  TWalk walk;
  walk.paths = form.candidates.Paths();
  walk.options = form.Options();
  walk.jobs = jobs;
  walk.search = [phrase = form.phrase](TSearchSink& sink, const std::string& path) {
    SearchDocumentInMemory(sink, path, phrase, false);
  };
  ParallelWalk(form, walk);
}

// When no thread can be started, the calling thread searches every document.
TEST(MemorySearch, WalkGoesOnWithoutThreads) {
  TFakeForm expected, form;
  for (TFakeForm* f : {&expected, &form}) {
    for (const std::string& path : SampleDocuments()) f->candidates.Add(path);
    f->phrase = "Haselnuss";
    f->Set(TFormControl::cbAlles, true);
  }
  WalkCandidates(expected, 1);

  // A default stack larger than the whole user address space makes every
  // thread start fail, whatever the overcommit policy.
  pthread_attr_t attributes, saved;
  ASSERT_EQ(pthread_getattr_default_np(&saved), 0);
  ASSERT_EQ(pthread_getattr_default_np(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, std::size_t{1} << 47), 0);
  ASSERT_EQ(pthread_setattr_default_np(&attributes), 0);
  bool refused = false;
  try {
    std::thread([] {}).join();
  } catch (const std::system_error&) {
    refused = true;
  }
  WalkCandidates(form, 4);
  pthread_setattr_default_np(&saved);
  pthread_attr_destroy(&attributes);
  pthread_attr_destroy(&saved);

  EXPECT_TRUE(refused) << "the thread start did not fail";
  EXPECT_EQ(form.results, expected.results);
  EXPECT_EQ(form.errors, expected.errors);
  EXPECT_FALSE(expected.results.empty());
}

TEST(MemorySearch, PartsArriveWithoutAnyFile) {
  test::TTempFolder folder;
  const std::string saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(folder.Path()));
  TPartTexts parts;
  ExtractDocumentPartsToMemory(std::string(TARVIK_TEST_DATA) + "/corpus/letters/Invitation.odt", parts);
  SetCurrentDir(saved);
  ASSERT_TRUE(parts[0] && parts[1] && parts[2]);
  EXPECT_NE(parts[0]->find("Fischer"), std::string::npos);
  EXPECT_NE(parts[1]->find("Sam Otter"), std::string::npos);
  EXPECT_NE(parts[2]->find("Osprey"), std::string::npos);
  EXPECT_TRUE(ListDirectory(folder.Path(), "*").empty());

  TPartTexts none;
  EXPECT_ANY_THROW(ExtractDocumentPartsToMemory(std::string(TARVIK_TEST_DATA) + "/corpus/broken/cut.odt", none));
  TPartTexts locked;  // encrypted parts without a password are skipped, not thrown
  ExtractDocumentPartsToMemory(std::string(TARVIK_TEST_DATA) + "/corpus/broken/locked.odt", locked);
  EXPECT_FALSE(locked[0] || locked[1] || locked[2]);
}

}  // namespace
}  // namespace tarvik
