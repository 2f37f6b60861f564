// The readable text of a part: one line per paragraph, built from the XML
// scanner's walk, the same whether the part is scanned whole or in pieces.

#include "support/temp_folder.h"

#include "search/part_extraction.h"
#include "search/readable_text.h"

#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarvik {
namespace {

// The lines of an XML text (UTF-8), each converted back to UTF-8.
std::vector<std::string> Lines(std::string_view xml) {
  std::vector<std::string> lines = ReadableLines(xml);
  for (std::string& line : lines) line = AnsiToUtf8(line);
  return lines;
}

using TLines = std::vector<std::string>;

TEST(ParagraphText, LinesOfTinyParts) {
  // Generated blanks, tabs and line breaks; XML white space packed across tags.
  EXPECT_EQ(Lines("<text:p>a <text:s text:c=\"3\"/>b<text:s/>c<text:tab/>d<text:line-break/>e"
                  "<text:s text:c='x'/>f<text:tab-stop/>g</text:p>"),
            TLines{"a    b c\td e f\tg"});
  EXPECT_EQ(Lines("<text:p>\n  x \t\r\n y<text:span> z</text:span>  </text:p>"), TLines{"x y z"});
  EXPECT_EQ(Lines("<text:h>Ein <text:span>fetter</text:span> Text</text:h>"), TLines{"Ein fetter Text"});
  // References resolved; names and attribute values are no text.
  EXPECT_EQ(Lines("<text:p text:style-name=\"Geheim\">A&amp;B &lt;c&gt; &#65;</text:p>"), TLines{"A&B <c> A"});
  // A nested paragraph is a line of its own, ended first; the outer one goes on around it.
  EXPECT_EQ(Lines("<text:p>vor<text:note><text:note-citation>1</text:note-citation><text:note-body>"
                  "<text:p>innen</text:p></text:note-body></text:note> nach</text:p>"),
            (TLines{"innen", "vor1 nach"}));
  // A comment's author and an image title stand outside the paragraph they are anchored in.
  EXPECT_EQ(Lines("<text:p>Text<office:annotation><dc:creator>Otto</dc:creator><text:p>Notiz</text:p>"
                  "</office:annotation> weiter<draw:frame><svg:title>Bild</svg:title></draw:frame></text:p>"),
            (TLines{"Otto", "Notiz", "Bild", "Text weiter"}));
  // Outside paragraphs: a line per element, white space alone is none.
  EXPECT_EQ(Lines("<?xml version=\"1.0\"?><office:meta>\n <dc:title> Mein &amp; Titel </dc:title>\n"
                  " <meta:keyword>eins</meta:keyword><!-- x --><x/> </office:meta>"),
            (TLines{"Mein & Titel", "eins"}));
  // Empty paragraphs are empty lines; unclosed ones end with the part.
  EXPECT_EQ(Lines("<text:p/><text:h></text:h><text:p>offen<text:p>innen"), (TLines{"", "", "innen", "offen"}));
  // Paragraphs nested beyond any real document's depth make the part unreadable.
  std::string deep;
  for (int i = 0; i < 2000; ++i) deep += "<text:p>";
  EXPECT_THROW(ReadableLines(deep), std::length_error);
  // UTF-8 converted as raw lines are: what Windows-1252 cannot hold is "?".
  EXPECT_EQ(Lines("<text:p>5 \xE2\x82\xAC, \xCE\xA9, \xF0\x9F\x98\x80.</text:p>"), TLines{"5 €, ?, ?."});
}

// The lines of a part fed in small pieces and walked in small chunks, by the
// fast path or by the XML scanner alone.
TLines LinesInChunks(const std::string& xml, std::size_t chunk, std::size_t piece, bool fastPath = true) {
  TLineCollector collector;
  TReadableText text(collector, chunk, fastPath);
  for (std::size_t at = 0; at < xml.size(); at += piece) text.Feed(xml.data() + at, std::min(piece, xml.size() - at));
  text.Finish();
  TLines lines;
  for (const std::string& line : collector.lines) lines.push_back(AnsiToUtf8(line));
  return lines;
}

TEST(ParagraphText, ChunksGiveTheLinesOfTheWholePart) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:text>";
  for (int i = 0; i < 20; ++i)
    xml += "<text:p a=\"x>y<z\">Zeile " + std::to_string(i) +
           " &amp; mehr<!-- <text:p>nicht</text:p> --><![CDATA[ roh <b> ]]><text:span>fett</text:span>"
           "<?pi <text:p>?> Ende &#x41;<text:s text:c=\"2\"/>R\xC3\xBC"
           "be</text:p>\n";
  // A reference looks for its ';' as far as it must, markup or not.
  xml += "<text:p>a &weit</text:p><text:p>b;</text:p><text:p>x &ohne</text:p></office:text>";
  const TLines whole = Lines(xml);
  ASSERT_EQ(whole.size(), 22u);
  EXPECT_EQ(whole[0], "Zeile 0 & mehr roh <b> fett Ende A  Rübe");
  EXPECT_EQ(whole[20], "a weit</text:p><text:p>b");
  EXPECT_EQ(whole[21], "x ohne");
  for (std::size_t chunk : {1, 7, 64, 300})
    for (std::size_t piece : {1, 5, 4096})
      for (bool fastPath : {true, false})
        EXPECT_EQ(LinesInChunks(xml, chunk, piece, fastPath), whole) << chunk << " " << piece << " " << fastPath;

  // Declarations in the document type serve the whole part.
  const std::string declared = "<!DOCTYPE t [<!ENTITY e \"Ersatz\">]><t><text:p>&e; &amp; " + std::string(200, 'x') +
                               "</text:p><text:p>&e;</text:p></t>";
  EXPECT_EQ(LinesInChunks(declared, 16, 3), (TLines{"Ersatz & " + std::string(200, 'x'), "Ersatz"}));
  // Only the first one is read; a later one is passed over, in pieces too.
  const std::string twice =
      "<!DOCTYPE a><t><text:p>eins</text:p><!DOCTYPE b SYSTEM \"c>d\" [<!ENTITY e 'E'>]>"
      "<text:p>&e;" +
      std::string(100, 'y') + "</text:p></t>";
  const TLines twiceWhole = Lines(twice);
  EXPECT_EQ(twiceWhole.front(), "eins");
  EXPECT_EQ(twiceWhole.back(), "e" + std::string(100, 'y'));
  for (std::size_t chunk : {1, 20, 50})
    for (bool fastPath : {true, false}) EXPECT_EQ(LinesInChunks(twice, chunk, 3, fastPath), twiceWhole) << chunk;
  // The text ends at its first NUL, as the scanner's does.
  EXPECT_EQ(LinesInChunks(std::string("<text:p>ab\0cd</text:p><text:p>x</text:p>", 37), 4, 2), TLines{"ab"});
}

// The fast path follows the scanner's rules in what malformed or unusual
// markup it meets, and leaves a part whose document type declares anything to
// the scanner.
TEST(ParagraphText, FastPathGivesTheScannersLines) {
  for (const std::string xml : {
           "<?xml version='?>' ?><text:p a='>' b=\"/>\">x</text:p/><text:p>y</text:p>",
           "<text:p>a<text:s text:c='&#51;'/>b<text:s text:c='\t2' text:c='4'/>c</text:s text:c='2'/>d</text:p>",
           "<!DOCTYPE o PUBLIC \"-//x//EN\" \"office.dtd\"><text:p>1.x &amp; &#x41;&nix;</text:p>"
           "<!DOCTYPE b [<!ENTITY e 'E'>]><text:p>&e;</text:p>&",
           "<text:p>x<!DOCTYPE t [<!ATTLIST text:s text:c CDATA '3'>]><text:s/>y</text:p>",
           "<text:p>Stra\xC3\x9Fe <![CDATA[<b>\xE2\x82\xAC]]><!-- <text:p> --><?pi ?>< text:p>z</text:p><text:p",
       }) {
    const TLines scanned = LinesInChunks(xml, TReadableText::kScanChunk, xml.size(), false);
    EXPECT_EQ(LinesInChunks(xml, TReadableText::kScanChunk, xml.size()), scanned) << xml;
    for (std::size_t piece : {1, 3, 7}) EXPECT_EQ(LinesInChunks(xml, 5, piece), scanned) << xml << " " << piece;
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TLines PartLines(const std::string& document, const std::string& part) {
  test::TTempFolder folder;
  ExtractDocumentParts(std::string(TARVIK_TEST_DATA) + "/" + document, folder.Path());
  return Lines(ReadFile(folder / part));
}

TEST(ParagraphText, LinesOfRealDocuments) {
  // Written by LibreOffice from text/readable.fodt.
  EXPECT_EQ(
      PartLines("text/readable.odt", "content.xml"),
      (TLines{"Überschrift der Probe", "Ein fetter Text steht hier.", "Ein schräger Satz folgt.",
              "Die Firma Smith & Wesson liefert.", "erste Zeile zweite Zeile", "Preis:     12 Euro und Name\tWert",
              "Anmerkung im Fuß der Seite.", "Hauptsatz mit Fußnote1 geht weiter.", "Apfelbaum steht hier.",
              "Birnbaum steht dort.", "Siehe Linktext im Netz.", "Preis 5 € und ? Omega."}));
  const TLines meta = PartLines("text/readable.odt", "meta.xml");
  ASSERT_GE(meta.size(), 2u);
  EXPECT_EQ(meta[0], "Lesbarer Titelwort Text");
  EXPECT_EQ(meta[1], "Stichwort");
  for (const std::string& line : meta) EXPECT_EQ(line.find("meta:"), std::string::npos) << line;
  for (const std::string& line : PartLines("text/readable.odt", "styles.xml"))
    EXPECT_EQ(line.find("Zauberstil"), std::string::npos) << "style names are no text";
  // The 1.x formats.
  EXPECT_EQ(PartLines("corpus/letters/Einladung.sxw", "content.xml"),
            (TLines{"Liebe Frau Fischer,", "wir feiern im Biergarten an der Königsallee 3.", "Eintritt: 12,50 €"}));
  EXPECT_EQ(PartLines("corpus/slides/Kickoff.sxi", "content.xml"),
            (TLines{"Kickoff Meeting", "Agenda: Café & Kuchen"}));
}

}  // namespace
}  // namespace tarvik
