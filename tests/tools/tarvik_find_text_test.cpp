// tarvik-find --text: the text a reader sees, one line per paragraph, against
// the raw XML lines that are matched without it.

#include "support/run_tool.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

using test::RunTool;

// Runs tarvik-find on tests/data/FOLDER with args, the phrase last.
test::TToolResult Find(const std::string& folder, std::vector<std::string> args) {
  args.insert(args.begin(), "--lang=en");
  args.insert(args.end() - 1, folder);
  return RunTool("tarvik-find", args, TARVIK_TEST_DATA);
}

// Whether the phrase is found in text/readable.odt, with --text or without.
bool FoundInText(std::vector<std::string> args, bool readable) {
  if (readable) args.insert(args.begin(), "--text");
  const auto r = Find("text", args);
  EXPECT_TRUE(r.status == 0 || r.status == 1) << r.err;
  EXPECT_EQ(r.out.empty(), r.status != 0);
  EXPECT_EQ(r.out.find_first_not_of("text/readable.odt\n"), std::string::npos) << r.out;  // a line per part
  return r.status == 0;
}

TEST(FindText, ReadableTextAgainstRawLines) {
  // Found only in the text a reader sees: across a bold or an italic span, with
  // "&", across a soft line break, with runs of blanks.
  for (const char* phrase : {"Ein fetter Text", "ein SCHRÄGER satz", "Smith & Wesson", "erste Zeile zweite",
                             "Preis:     12 Euro und Name\tWert"}) {
    EXPECT_FALSE(FoundInText({phrase}, false)) << phrase;
    EXPECT_TRUE(FoundInText({phrase}, true)) << phrase;
  }
  // The raw XML is no text: an entity reference, a hyperlink, a style or a font name.
  EXPECT_TRUE(FoundInText({"Smith &amp; Wesson"}, false));
  EXPECT_FALSE(FoundInText({"Smith &amp; Wesson"}, true));
  for (const char* word : {"Geheimwort", "Zauberstil", "Schriftwunder", "style"}) {
    EXPECT_TRUE(FoundInText({"-p", "all", word}, false)) << word;
    EXPECT_FALSE(FoundInText({"-p", "all", "-m", "any", word}, true)) << word;
  }
  // Every word must stand in one paragraph; a footnote is a paragraph of its own.
  EXPECT_TRUE(FoundInText({"-m", "every", "Apfelbaum Birnbaum"}, false)) << "one raw line holds the whole body";
  EXPECT_FALSE(FoundInText({"-m", "every", "Apfelbaum Birnbaum"}, true));
  EXPECT_TRUE(FoundInText({"-m", "every", "Birnbaum dort"}, true));
  EXPECT_TRUE(FoundInText({"-m", "every", "Hauptsatz weiter"}, true));
  EXPECT_FALSE(FoundInText({"-m", "every", "Hauptsatz Anmerkung"}, true));
  EXPECT_TRUE(FoundInText({"Anmerkung im Fuß"}, true));
  // Case, parts and the code page as without --text.
  EXPECT_FALSE(FoundInText({"-c", "ein fetter text"}, true));
  EXPECT_TRUE(FoundInText({"-p", "meta", "Titelwort"}, true));
  EXPECT_FALSE(FoundInText({"Titelwort"}, true));
  EXPECT_TRUE(FoundInText({"und ? Omega"}, true));
}

TEST(FindText, SampleDocumentsAndErrors) {
  // The 1.x and 2.0 formats; errors and legacy binaries (matched byte for byte) as without --text.
  const auto raw = Find("corpus", {"-t", "--legacy", "-p", "all", "12,50 €"});
  const auto text = Find("corpus", {"--text", "-t", "--legacy", "-p", "all", "12,50 €"});
  EXPECT_EQ(text.out, raw.out);
  EXPECT_EQ(text.err, raw.err);
  EXPECT_EQ(Find("corpus", {"--text", "-n", "our summer party"}).out, "Invitation.odt\n");
  EXPECT_EQ(Find("corpus", {"--text", "-n", "Café & Kuchen"}).out, "Kickoff.sxi\n");
  EXPECT_EQ(Find("corpus", {"-n", "Café & Kuchen"}).status, 1);
}

TEST(FindText, TextToolPrintsTheParagraphs) {
  const std::string data = TARVIK_TEST_DATA;
  auto r = RunTool("tarvik-text", {"--paragraphs", data + "/corpus/letters/Einladung.sxw"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Liebe Frau Fischer,\nwir feiern im Biergarten an der Königsallee 3.\nEintritt: 12,50 €\n");
  r = RunTool("tarvik-text", {"--paragraphs", data + "/text/readable.odt"});
  EXPECT_NE(r.out.find("\nAnmerkung im Fuß der Seite.\nHauptsatz mit Fußnote1 geht weiter.\n"), std::string::npos);
  // A document saved with a password, or none at all, cannot be unpacked.
  for (const char* document : {"/corpus/broken/protected.odt", "/corpus/broken/notazip.odt"}) {
    r = RunTool("tarvik-text", {"--paragraphs", data + document});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("tarvik-text: cannot unpack: " + data + document + ": ", 0), 0u) << r.err;
  }
  EXPECT_EQ(RunTool("tarvik-text", {"--raw", "--paragraphs", "x.odt"}).status, 2);

  // tarvik-find --show prints the whole paragraphs that matched, --json numbers them as printed above.
  r = Find("text", {"--text", "-s", "--color=always", "-m", "any", "fuß hauptsatz"});
  EXPECT_EQ(r.out,
            "text/readable.odt\n"
            "\tAnmerkung im \x1b[01;31mFuß\x1b[m der Seite.\n"
            "\t\x1b[01;31mHauptsatz\x1b[m mit \x1b[01;31mFuß\x1b[mnote1 geht weiter.\n");
  r = Find("text", {"--text", "--json", "--color=always", "-p", "all", "fuß"});
  EXPECT_EQ(r.out,
            "{\"path\": \"text/readable.odt\", \"part\": \"content\", \"line\": 7, "
            "\"text\": \"Anmerkung im Fuß der Seite.\", \"matches\": [[13, 17]]}\n"
            "{\"path\": \"text/readable.odt\", \"part\": \"content\", \"line\": 8, "
            "\"text\": \"Hauptsatz mit Fußnote1 geht weiter.\", \"matches\": [[14, 18]]}\n");
}

}  // namespace
}  // namespace tarvik
