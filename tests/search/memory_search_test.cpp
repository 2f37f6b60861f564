// The search through memory gives exactly what the search through the
// scratch folder gives, for every sample document, mode and part choice.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "search/document_search.h"
#include "search/part_extraction.h"
#include "support/fake_form.h"
#include "support/temp_folder.h"

namespace tarvik {
namespace {

using test::TFakeForm;

std::vector<std::string> SampleDocuments() {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(std::string(TARVIK_TEST_DATA) + "/corpus"))
    if (entry.is_regular_file() && entry.path().filename() != "README.md") paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

void Choose(TFakeForm& form, int mode, bool allParts) {
  form.Set(TFormBox::RadioButton1, mode == 1);
  form.Set(TFormBox::RadioButton2, mode != 1);
  form.Set(TFormBox::RadioButton3, mode == 2);
  form.Set(TFormBox::RadioButton4, mode == 3);
  form.Set(TFormBox::cbAlles, allParts);
}

TEST(MemorySearch, SameResultsAndErrorsAsTheScratchFolder) {
  test::TTempFolder scratch;
  const auto documents = SampleDocuments();
  ASSERT_GT(documents.size(), 30u);
  for (const char* phrase : {"Haselnuss", "osprey heron", "Caf\xE9 Z\xFCrich", "Smith &amp; Wesson", "2006",
                             "First line Walnut", "<office:"}) {
    for (int mode = 1; mode <= 3; ++mode) {
      for (bool allParts : {false, true}) {
        TFakeForm files, memory;
        Choose(files, mode, allParts);
        Choose(memory, mode, allParts);
        for (const std::string& path : documents) {
          SearchDocument(files, scratch.Path(), path, phrase, false);
          SearchDocumentInMemory(memory, path, phrase, false);
        }
        EXPECT_EQ(memory.results, files.results) << phrase << " mode " << mode << " all " << allParts;
        EXPECT_EQ(memory.errors, files.errors) << phrase;
        EXPECT_EQ(memory.folders, files.folders);
      }
    }
  }
  EXPECT_TRUE(ListDirectory(scratch.Path(), "*").empty());
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
