#include "search/document_search.h"

#include "support/fake_form.h"
#include "support/temp_folder.h"

#include "search/legacy_search.h"
#include "search/term_match.h"

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <random>

namespace tarvik {
namespace {

using test::TFakeForm;
using test::TTempFolder;

TEST(DocumentSearch, LegacyExtensionsAndExtensionOf) {
  for (const char* ext : {".sdw", ".SDC", ".Sda", ".sdd", ".vor"}) EXPECT_TRUE(IsLegacyExtension(ext)) << ext;
  for (const char* ext : {"sdw", ".sxw", ".sdwx", "", ".vo"}) EXPECT_FALSE(IsLegacyExtension(ext)) << ext;
  EXPECT_EQ(ExtensionOf("/a/b/Report.SDW"), ".SDW");
  EXPECT_EQ(ExtensionOf("/a.b/Report"), "");
  EXPECT_EQ(ExtensionOf("/a/Brief.sxw.bak"), ".bak");
  EXPECT_EQ(ExtensionOf("Brief"), "");
}

TEST(DocumentSearch, OpenTestNeedsTwoRecordsAndWriteAccess) {
  TTempFolder root;
  EXPECT_FALSE(PassesOpenTest(root.Write("255", std::string(255, 'x'))));
  EXPECT_TRUE(PassesOpenTest(root.Write("256", std::string(256, 'x'))));
  EXPECT_FALSE(PassesOpenTest(root / "missing"));
  EXPECT_FALSE(PassesOpenTest(root.MakeFolder("folder")));
  if (::geteuid() != 0) {
    const std::string locked = root.Write("readonly", std::string(300, 'x'));
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    EXPECT_FALSE(PassesOpenTest(locked));
  }
}

TEST(DocumentSearch, ResultPairJoinsBackToThePath) {
  TFakeForm form;
  AddResult(form, "/daten/Alt/Brief.sxw");
  form.Set(TFormControl::cbFile, true);
  AddResult(form, "/daten/Alt/Brief.sxw");
  EXPECT_EQ(form.results, (std::vector<std::string>{"/daten/Alt/Brief.sxw", "Brief.sxw"}));
  EXPECT_EQ(form.folders, (std::vector<std::string>{"/daten/Alt/", "/daten/Alt/"}));
  EXPECT_EQ(form.folders[1] + form.results[1], "/daten/Alt/Brief.sxw");
}

class ScanTest : public ::testing::Test {
 protected:
  void Parts(const std::string& content, const std::string& meta, const std::string& styles) {
    if (!content.empty()) scratch.Write("content.xml", content);
    if (!meta.empty()) scratch.Write("meta.xml", meta);
    if (!styles.empty()) scratch.Write("styles.xml", styles);
  }
  void Scan(const std::string& phrase, bool caseSensitive = false) {
    ScanDocumentParts(form, scratch.Path(), "/docs/Brief.odt", phrase, caseSensitive);
  }
  TTempFolder scratch;
  TFakeForm form;
};

TEST_F(ScanTest, OneResultPerMatchingPartInPartOrder) {
  Parts("<text>Sam Otter</text>", "<meta:author>Sam Otter</meta:author>", "<style>Otter</style>");
  Scan("sam otter");
  EXPECT_EQ(form.results.size(), 1u);  // content only by default

  Parts("<text>Sam Otter</text>", "<meta:author>Sam Otter</meta:author>", "<style>Otter</style>");
  form.ClearResults();
  form.Set(TFormControl::cbAlles, true);
  form.Set(TFormControl::cbConntent, false);
  Scan("Sam Otter");
  EXPECT_EQ(form.results, (std::vector<std::string>{"/docs/Brief.odt", "/docs/Brief.odt"}));
  EXPECT_TRUE(ListDirectory(scratch.Path(), "*").empty()) << "the scratch folder is emptied";
}

TEST_F(ScanTest, NoPartChosenNoResult) {
  Parts("<text>Haus</text>", "<m>Haus</m>", "<s>Haus</s>");
  form.Set(TFormControl::cbConntent, false);
  Scan("Haus");
  EXPECT_TRUE(form.results.empty());
}

TEST_F(ScanTest, MetaAndStylesChosenSeparately) {
  Parts("<text>x</text>", "<m>Heron</m>", "<s>Osprey</s>");
  form.Set(TFormControl::cbConntent, false);
  form.Set(TFormControl::cbStyles, true);
  Scan("osprey");
  EXPECT_EQ(form.results.size(), 1u);
  Parts("<text>x</text>", "<m>Heron</m>", "<s>Osprey</s>");
  Scan("heron");
  EXPECT_TRUE(form.results.size() == 1u) << "meta is not chosen";
}

TEST_F(ScanTest, MatchesTheRawXmlOfOneLine) {
  // The converted UTF-8 line, markup and entity references included.
  Parts("<p>Caf\xC3\xA9 Z\xC3\xBCrich</p>\r\n<p>Smith &amp; Wesson</p>\r\n<p>sum<b>mer</b></p>", "", "");
  Scan("caf\xC9 z\xDCrich");  // Windows-1252 phrase, case ignored
  EXPECT_EQ(form.results.size(), 1u);
  for (const char* phrase : {"Smith & Wesson", "summer", "</p><p>"}) {
    Parts("<p>Caf\xC3\xA9 Z\xC3\xBCrich</p>\r\n<p>Smith &amp; Wesson</p>\r\n<p>sum<b>mer</b></p>", "", "");
    form.ClearResults();
    Scan(phrase);
    EXPECT_TRUE(form.results.empty()) << phrase;
  }
}

TEST_F(ScanTest, WordModesNeedTheWordsInOneLine) {
  form.Set(TFormControl::RadioButton1, false);
  form.Set(TFormControl::RadioButton2, true);
  form.Set(TFormControl::RadioButton3, true);
  Parts("<p>Garten</p>\r<p>Haus</p>", "", "");
  Scan("Haus-Garten");
  EXPECT_TRUE(form.results.empty());
  Parts("<p>Garten</p>\n<p>Haus</p>", "", "");  // bare LF: one line
  Scan("Haus-Garten");
  EXPECT_EQ(form.results.size(), 1u);
}

TEST_F(ScanTest, APartThatFailsToReadIsAnError) {
  // Reading this process's memory from address 0 fails with EIO.
  for (bool readableText : {false, true}) {
    ASSERT_EQ(::symlink("/proc/self/mem", (scratch / "content.xml").c_str()), 0);
    form.readableText = readableText;
    Scan("Haus");
    EXPECT_EQ(form.errors.size(), readableText ? 2u : 1u) << "readable text " << readableText;
    EXPECT_TRUE(form.results.empty());
  }
}

TEST(LegacySearch, WholeFileIsOneText) {
  TTempFolder root;
  TFakeForm form;
  const std::string binary = std::string("\0\x01\x02Jahresbericht", 16) + std::string(5000, '\0') +
                             "Haselnuss 12,50 \x80" + std::string(300, '\x07');
  const std::string path = root.Write("Report.sdw", binary);
  form.Set(TFormControl::cbConntent, false);  // parts do not matter here
  SearchLegacyDocument(form, path, "haselnuss 12,50 \x80", false);
  EXPECT_EQ(form.results.size(), 1u);

  form.Set(TFormControl::RadioButton1, false);
  form.Set(TFormControl::RadioButton3, true);
  SearchLegacyDocument(form, path, "Jahresbericht Haselnuss", true);
  EXPECT_EQ(form.results.size(), 2u);
  SearchLegacyDocument(form, path, "Jahresbericht Walnuss", true);
  EXPECT_EQ(form.results.size(), 2u);

  form.Set(TFormControl::RadioButton3, false);
  form.Set(TFormControl::RadioButton1, true);
  SearchLegacyDocument(form, path, std::string(4, '\x07') + std::string(297, '\x07'), true);
  EXPECT_EQ(form.results.size(), 2u) << "the last byte counts once";

  SearchLegacyDocument(form, root / "gone.sdw", "x", true);
  SearchLegacyDocument(form, root.MakeFolder("folder.sdw"), "x", true);  // opens, but every read fails
  EXPECT_EQ(form.errors, (std::vector<std::string>{root / "gone.sdw", root / "folder.sdw"}));
}

// Read in pieces of any size, a legacy file gives the result of matching it
// whole, in every mode and case rule: hits straddle the pieces, line ends,
// NULs and byte 26 end nothing, and words may stand anywhere.
TEST(LegacySearch, PiecesGiveTheResultOfTheWholeFile) {
  const std::vector<std::string> atoms = {
      "Hasel", "nuss", "HASELNUSS", "Jahres", "ber", "icht", "\r",  "\n", std::string(1, '\0'),
      "\x1a",  "\x80", " 5",        "x",      "caf", "\xE9", "\xC9"};
  const std::vector<std::string> phrases = {
      "Haselnuss", "haselnuss jahresbericht", "Jahres-Bericht",      "\x80 5", "caf\xE9 x",
      "s",         "nuss\r\nHasel",           std::string("x\0x", 3)};
  std::mt19937 random(20260214);
  TTempFolder root;
  for (int n = 0; n < 40; ++n) {
    std::string text;
    for (int i = static_cast<int>(random() % 12); i > 0; --i) text += atoms[random() % atoms.size()];
    const std::string path = root.Write("doc" + std::to_string(n) + ".sdw", text);
    for (const std::string& phrase : phrases) {
      for (TMatchMode mode : {TMatchMode::WholeText, TMatchMode::EveryWord, TMatchMode::AnyWord}) {
        for (bool caseSensitive : {false, true}) {
          const bool expected = TextMatches(text, mode, phrase, SplitWords(phrase), caseSensitive);
          for (std::size_t piece : {1, 2, 3, 7, 4096}) {
            TFakeForm form;
            form.Set(TFormControl::RadioButton1, mode == TMatchMode::WholeText);
            form.Set(TFormControl::RadioButton3, mode == TMatchMode::EveryWord);
            form.Set(TFormControl::RadioButton4, mode == TMatchMode::AnyWord);
            SearchLegacyDocument(form, path, phrase, caseSensitive, piece);
            ASSERT_EQ(form.results.size(), expected ? 1u : 0u)
                << "text \"" << text << "\" phrase \"" << phrase << "\" mode " << static_cast<int>(mode) << " case "
                << caseSensitive << " piece " << piece;
          }
        }
      }
    }
  }
}

TEST(DocumentSearchFlow, ShortMissingAndBrokenDocumentsGoToTheErrorList) {
  TTempFolder root, scratch;
  TFakeForm form;
  const std::string tiny = root.Write("tiny.sxw", std::string(200, 'x'));
  const std::string text = root.Write("notazip.odt", std::string(1024, 'a'));
  SearchDocument(form, scratch.Path(), tiny, "a", false);
  SearchDocument(form, scratch.Path(), text, "a", false);
  SearchDocument(form, scratch.Path(), root / "missing.odt", "a", false);
  EXPECT_EQ(form.errors, (std::vector<std::string>{tiny, text, root / "missing.odt"}));
  EXPECT_TRUE(form.results.empty());
  EXPECT_TRUE(ListDirectory(scratch.Path(), "*").empty());
}

TEST(DocumentSearchFlow, LegacyDocumentsSkipTheArchiveReader) {
  TTempFolder root, scratch;
  TFakeForm form;
  const std::string path = root.Write("Show.SDD", std::string(300, ' ') + "Haselnuss");
  SearchDocument(form, scratch.Path(), path, "HASELNUSS", false);
  EXPECT_EQ(form.results, std::vector<std::string>{path});
  EXPECT_TRUE(form.errors.empty());
}

}  // namespace
}  // namespace tarvik

namespace tarvik {
namespace {

TEST(DocumentSearchFlow, LeftoverPartsNeverCountForTheNextDocument) {
  test::TTempFolder scratch;
  test::TFakeForm form;
  const std::string invitation = std::string(TARVIK_TEST_DATA) + "/corpus/letters/Invitation.odt";
  scratch.Write("content.xml", "<p>Kastanienallee</p>");  // left by an earlier, failed run
  SearchDocument(form, scratch.Path(), invitation, "Kastanienallee", false);
  EXPECT_TRUE(form.results.empty());
  EXPECT_TRUE(form.errors.empty());

  scratch.MakeFolder("meta.xml");  // a leftover that cannot be deleted
  SearchDocument(form, scratch.Path(), invitation, "Fischer", false);
  EXPECT_TRUE(form.results.empty());
  EXPECT_EQ(form.errors, std::vector<std::string>{invitation});
}

}  // namespace
}  // namespace tarvik
