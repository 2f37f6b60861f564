#include "search/preview_text.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarvik {
namespace {

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

std::string Corpus(const std::string& relative) { return std::string(TARVIK_TEST_DATA) + "/corpus/" + relative; }

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The preview of a real document, with the scratch folder checked empty afterwards.
TPreviewText Preview(const std::string& relative) {
  const test::TTempFolder scratch, contents;
  TPreviewText preview = BuildPreviewText(Corpus(relative), scratch / "temp", contents.Path());
  EXPECT_FALSE(preview.unpackFailure) << relative << ": " << preview.unpackFailure.value_or("");
  EXPECT_TRUE(fs::is_directory(scratch / "temp") && fs::is_empty(scratch / "temp")) << relative;
  EXPECT_TRUE(preview.contentsWritten);
  EXPECT_EQ(Slurp(contents / kContentsFile), [&] {
    std::string text;
    for (const std::string& line : preview.unpacked) text += line + "\r\n";
    return text;
  }()) << relative;
  return preview;
}

// Writer and Calc, in the 1.x and 2.0 formats: one line per piece of character
// data, in Windows-1252. The line break after the XML declaration is
// character data too: two empty lines, packed to one.
TEST(PreviewText, RealWriterAndCalcDocuments) {
  TPreviewText invitation = Preview("letters/Invitation.odt");
  // The bold "summer" splits its paragraph; the blanks stay with the pieces.
  const Lines invitationText = {"",
                                "Dear Ms. Fischer,",
                                "please join our ",
                                "summer",
                                " party at the Caf\xE9 Z\xFCrich on 5 July.",
                                "Entry: 12,50 \x80 per person.",
                                "Smith & Wesson Ltd. sponsors the drinks."};
  EXPECT_EQ(invitation.shown, invitationText);
  Lines unpacked = invitationText;
  unpacked.insert(unpacked.begin(), "");
  EXPECT_EQ(invitation.unpacked, unpacked);

  EXPECT_EQ(
      Preview("letters/Einladung.sxw").shown,
      (Lines{"", "Liebe Frau Fischer,", "wir feiern im Biergarten an der K\xF6nigsallee 3.", "Eintritt: 12,50 \x80"}));
  EXPECT_EQ(Preview("sheets/Budget.ods").shown, (Lines{"", "Item", "Cost", "Coffee beans", "120",
                                                       "B\xE4"
                                                       "ckerei Sch\xE4"
                                                       "fer",
                                                       "Br\xF6tchen", "Total", "300"}));
  EXPECT_EQ(Preview("sheets/Inventar.sxc").shown,
            (Lines{"", "Artikel", "Anzahl", "Haselnuss", "40", "Walross-Figur", "2"}));

  // CR LF between the paragraphs: each is two empty lines, packed to one.
  const TPreviewText crlf = Preview("misc/crlf.odt");
  EXPECT_EQ(crlf.unpacked, (Lines{"", "", "First line Walnut", "", "", "Second line Chestnut", "", ""}));
  EXPECT_EQ(crlf.shown, (Lines{"", "First line Walnut", "", "Second line Chestnut", ""}));
}

// An embedded object's content.xml stored after the document's own does not
// take its place.
TEST(PreviewText, EmbeddedObjectKeepsOffTheText) {
  const test::TTempFolder scratch;
  const std::string chart = std::string(TARVIK_TEST_DATA) + "/preview/Chart.odt";
  EXPECT_EQ(BuildPreviewText(chart, scratch.Path(), "").shown, (Lines{"", "Report text"}));
}

TEST(PreviewText, PiecesBlanksAndLineBreaks) {
  EXPECT_EQ(CharacterDataLines("<p>Ein <b>fetter</b> Text</p>\r\n<p>zwei\r\nZeilen &amp; mehr</p><!-- x --><p/>"),
            (Lines{"Ein ", "fetter", " Text", "", "", "zwei", "Zeilen & mehr"}));
  EXPECT_EQ(CharacterDataLines("<p>\t</p>"), Lines{"\t"});
  // Declared entities are replaced; one naming a file is not read.
  const test::TTempFolder folder;
  const std::string file = folder.Write("secret", "Geheimnis");
  EXPECT_EQ(CharacterDataLines("<!DOCTYPE p [<!ENTITY a 'A'><!ENTITY f SYSTEM '" + file + "'>]><p>&a;[&f;]</p>"),
            Lines{"A[]"});
  // Blank means empty or only blanks; a tab is text.
  EXPECT_EQ(PackBlankLines({"", "", "a", "", " ", "  ", "\t", "", "", "b", " "}),
            (Lines{"", "a", "", "\t", "", "b", " "}));
}

TEST(PreviewText, LineEndsOfTheLoadedFileBecomeCrLf) {
  const test::TTempFolder folder;
  EXPECT_EQ(ReadJoinedByCrLf(folder.Write("mixed", "a\nb\r\nc\rd\n")), std::string("a\r\nb\r\nc\r\nd"));
  EXPECT_FALSE(ReadJoinedByCrLf(folder / "missing"));
}

// A document that is not an archive: the failure is told, the preview is
// empty (never what an earlier document left), and the scratch folder is
// emptied all the same.
TEST(PreviewText, NotAnArchiveGivesAnEmptyPreview) {
  const test::TTempFolder scratch, contents;
  scratch.Write("content.xml", "<p>stale</p>");
  scratch.Write("meta.xml", "<p>stale</p>");
  const TPreviewText preview = BuildPreviewText(Corpus("broken/notazip.odt"), scratch.Path(), contents.Path());
  ASSERT_TRUE(preview.unpackFailure);
  EXPECT_FALSE(preview.unpackFailure->empty());
  EXPECT_TRUE(preview.unpacked.empty() && preview.shown.empty());
  EXPECT_TRUE(fs::is_empty(scratch.Path()));
  EXPECT_EQ(Slurp(contents / kContentsFile), "");

  // Saved with a password: unpacked, but the encrypted text counts as not unpacked.
  for (const char* document : {"broken/protected.odt", "broken/protected.sxw", "broken/protected.ods"}) {
    const TPreviewText locked = BuildPreviewText(Corpus(document), scratch.Path(), "");
    EXPECT_TRUE(locked.unpackFailure) << document;
    EXPECT_TRUE(locked.shown.empty()) << document;
    EXPECT_TRUE(fs::is_empty(scratch.Path()));
  }
}

// Contents.txt is only a copy: where it cannot be written, or when none is
// asked for, the text is the same.
TEST(PreviewText, ContentsFileIsOptional) {
  const test::TTempFolder scratch, elsewhere;
  const std::string notAFolder = elsewhere.Write("file");
  const TPreviewText written = BuildPreviewText(Corpus("letters/Einladung.sxw"), scratch.Path(), elsewhere.Path());
  const TPreviewText unwritable = BuildPreviewText(Corpus("letters/Einladung.sxw"), scratch.Path(), notAFolder);
  const TPreviewText none = BuildPreviewText(Corpus("letters/Einladung.sxw"), scratch.Path(), "");
  EXPECT_TRUE(written.contentsWritten);
  EXPECT_FALSE(unwritable.contentsWritten || none.contentsWritten);
  EXPECT_FALSE(unwritable.unpackFailure || none.unpackFailure);
  EXPECT_EQ(unwritable.shown, written.shown);
  EXPECT_EQ(none.unpacked, written.unpacked);
  EXPECT_EQ(written.shown.size(), 4u);
}

}  // namespace
}  // namespace tarvik
