#include "xml/xmlscan.h"

#include "support/temp_folder.h"

#include "xml/xml_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvik {
namespace {

using test::Parts;
using test::TParts;

TEST(XmlScanner, ReferencesInTextAndAttributes) {
  EXPECT_EQ(Parts("<a>x &amp; y</a>", false), (TParts{"5:a", "8:x & y", "7:a"}));
  EXPECT_EQ(Parts("<a>&#65;&#x41;&#zz;&lt;&foo;&gt;&#99999999999999999999;</a>", false),
            (TParts{"5:a", "8:AA <foo>\xFF", "7:a"}));
  EXPECT_EQ(Parts("<a>1 & 2</a>", false), (TParts{"5:a", "8:1  2", "7:a"}));  // no ';': the '&' goes

  TXmlScanner scanner;
  scanner.OpenText("<x v='&foo; &lt;&amp;#66; &#x41;&#xZ;&#q;' w='a\tb&#10;'>");
  ASSERT_TRUE((scanner.Rewind(), scanner.Next()));
  EXPECT_EQ(scanner.PartAttrs.Value("v"), std::string("&foo; <B A\0 ", 12));
  EXPECT_EQ(scanner.PartAttrs.Value("w"), "a b ");
  EXPECT_EQ(scanner.PartAttrs[0].ValueKind, avNormal);
}

TEST(XmlScanner, PacksWhitespaceOnlyWhenAsked) {
  EXPECT_EQ(Parts("<a>  </a>"), (TParts{"5:a", "7:a"}));
  EXPECT_EQ(Parts("<a> x \t\n y </a>"), (TParts{"5:a", "8:x y", "7:a"}));
  EXPECT_EQ(Parts("<a> x  y </a>\n", false), (TParts{"5:a", "8: x  y ", "7:a", "8:\n"}));
}

TEST(XmlScanner, TagsAttributesAndOtherParts) {
  EXPECT_EQ(Parts("<br/><br /><br a='1'/></br >"), (TParts{"6:br", "6:br", "6:br", "7:br"}));

  TXmlScanner scanner;
  scanner.OpenText(
      "<?xml version='1.0' encoding=\"ISO-8859-1\" standalone='yes'?><!-- c --><?pi b='2' a='1'?>"
      "<x b='2' a=\"1\" c = 'x>y'><![CDATA[<&>]]></x>");
  EXPECT_EQ(test::Walk(scanner), (TParts{"1", "2", "3:pi: b='2' a='1'", "5:x", "9:<&>", "7:x"}));
  EXPECT_EQ(scanner.DeclVersion, "1.0");
  EXPECT_EQ(scanner.DeclEncoding, "ISO-8859-1");
  EXPECT_TRUE(scanner.DeclStandalone);
  EXPECT_EQ(scanner.ActiveEncoding, "ISO-8859-1");
  scanner.Rewind();
  for (int i = 0; i < 4; ++i) scanner.Next();
  ASSERT_EQ(scanner.PartAttrs.Count(), 3);  // sorted by name, whatever the written order
  EXPECT_EQ(scanner.PartAttrs[0].Name + scanner.PartAttrs[1].Name + scanner.PartAttrs[2].Name, "abc");
  EXPECT_EQ(scanner.PartAttrs.Value("c"), "x>y");
  EXPECT_EQ(std::string(scanner.PartBegin, scanner.PartEnd + 1), "<x b='2' a=\"1\" c = 'x>y'>");
  EXPECT_EQ(DisplayName(scanner.PartKind), "Start Tag");
  EXPECT_EQ(DisplayName(pkNone), "");
  // A repeated name goes before the earlier one, and a lookup finds it.
  scanner.OpenText("<x a='1' b='3' a='2'/>");
  scanner.Rewind();
  scanner.Next();
  EXPECT_EQ(scanner.PartAttrs[0].Value + scanner.PartAttrs[1].Value + scanner.PartAttrs[2].Value, "213");
  EXPECT_EQ(scanner.PartAttrs.Value("a"), "2");
}

TEST(XmlScanner, UnterminatedConstructsEndAtTheLastCharacter) {
  for (const std::string text : {"<a b='1", "<a b='1'", "<!-- x -", "<![CDATA[ab]]", "<?pi x?", "<?xml v", "<", "</",
                                 "<!DOCTYPE d [<!ENTITY e 'x", "a &b"}) {
    TXmlScanner scanner;
    scanner.OpenText(text);
    scanner.Rewind();
    ASSERT_TRUE(scanner.Next()) << text;
    EXPECT_EQ(scanner.PartBegin, scanner.DocumentText()) << text;
    EXPECT_EQ(scanner.PartEnd, scanner.DocumentText() + text.size() - 1) << text;
    // Next after the end keeps returning false, the part at the final NUL.
    for (int i = 0; i < 3; ++i) {
      EXPECT_FALSE(scanner.Next()) << text;
      EXPECT_EQ(scanner.PartBegin, scanner.DocumentText() + text.size());
    }
  }
  EXPECT_EQ(Parts("<![CDATA[ab]]"), TParts{"9:ab]]"});
  EXPECT_EQ(Parts("<a b='1"), TParts{"5:a"});
  TXmlScanner empty;
  EXPECT_FALSE((empty.Rewind(), empty.Next()));
  EXPECT_FALSE(empty.OpenFile("/nonexistent/file.xml"));
  EXPECT_FALSE(empty.Next());
}

TEST(XmlScanner, DecodesUtf8OnlyUnderThatExactEncodingName) {
  const std::string body = "<a>\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80z\xC4\x80\x80\xC3</a>";
  EXPECT_EQ(Parts("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body)[2], "8:\xE4\x80\xBFz\xBF\xBF\xBF");
  EXPECT_EQ(Parts("<?xml version=\"1.0\"?>" + body)[2], "8:\xE4\x80\xBFz\xBF\xBF\xBF");  // UTF-8 by default
  EXPECT_EQ(Parts("<?xml version=\"1.0\" encoding=\"utf-8\"?>" + body)[2], "8:" + body.substr(3, 14));
  TXmlScanner scanner;  // attribute values are decoded whole, references included
  scanner.OpenText("<?xml version='1.0'?><x a='\xC3\xA4&#xC3;&#xA4;'/>");
  scanner.Rewind();
  scanner.Next();
  scanner.Next();
  EXPECT_EQ(scanner.PartAttrs.Value("a"), "\xE4\xE4");
}

TEST(XmlScanner, LoadsFilesAndExternalEntities) {
  test::TTempFolder folder;
  folder.Write("sub/part.xml", "<?xml version='1.0' encoding='UTF-8'?>\xC3\xA4<b>in</b>");
  const std::string path =
      folder.Write("doc.xml",
                   "<?xml version='1.0' encoding='ISO-8859-1'?><!DOCTYPE d [<!ENTITY p SYSTEM 'sub/part.xml'>"
                   "<!ENTITY dir SYSTEM 'sub'><!ENTITY zero SYSTEM '/dev/zero'><!ENTITY self SYSTEM 'doc.xml'>]>"
                   "<d>\xE4&p;\xE4&dir;&zero;</d>");
  TXmlScanner scanner;
  ASSERT_TRUE(scanner.OpenFile(path));
  EXPECT_EQ(scanner.SourceName, path);
  EXPECT_EQ(test::Walk(scanner),
            (TParts{"1", "4", "5:d", "8:\xE4", "1", "8:\xE4", "5:b", "8:in", "7:b", "8:\xE4", "7:d"}));
  EXPECT_EQ(scanner.ActiveEncoding, "ISO-8859-1");  // restored when the entity text ends

  // A file that includes itself is entered once at a time.
  folder.Write("self.xml", "<!DOCTYPE d [<!ENTITY self SYSTEM 'self.xml'>]><d>&self;</d>");
  ASSERT_TRUE(scanner.OpenFile(folder / "self.xml"));
  EXPECT_EQ(test::Walk(scanner), (TParts{"4", "5:d", "4", "5:d", "8:&self;", "7:d", "7:d"}));

  EXPECT_FALSE(scanner.OpenFile(folder.Path()));
  EXPECT_FALSE(scanner.OpenFile("/dev/zero"));
  EXPECT_EQ(scanner.BufferSize, 0);
  EXPECT_STREQ(scanner.DocumentText(), "");
}

// Every prefix of a text with every construct, and random texts: each scan
// ends without reading past the text (the sanitizers watch), with packing on
// and off.
TEST(XmlScanner, HostileTextNeverFaults) {
  const std::string real =
      "<?xml version='1.0' encoding='UTF-8'?><!DOCTYPE d SYSTEM 'none.dtd' [<!ENTITY e 'x&#65;'>"
      "<!ENTITY % p '<!ENTITY q \"%r;\">'><!ENTITY % r 'pe'>%p;<!ELEMENT d (#PCDATA)><!ATTLIST d a CDATA #FIXED 'f'"
      " b (x|y) 'x' n NOTATION (m) #IMPLIED><!NOTATION m SYSTEM 'm'><!ENTITY u SYSTEM 'u' NDATA m><?pi x?><!-- c -->]>"
      "<d a='&e;&q;&#x41;'>\xC3\xA4 &e; &q; &#65; &#x41;<![CDATA[c]]><!-- c --><?pi a='1'?><b/></d>";
  for (bool pack : {true, false}) {
    for (std::size_t cut = 0; cut <= real.size(); ++cut) {
      TXmlScanner scanner;
      scanner.OpenText(real.substr(0, cut));
      scanner.PackWhitespace = pack;
      test::Walk(scanner);
    }
  }
  std::mt19937 random(12);
  const std::string alphabet =
      "<>/=:'\"&#;!%-[]?xe \xC3\xF0"
      "DOCTYPEELEMENTATTLISTENTITYSYSTEM(|)";
  for (int round = 0; round < 3000; ++round) {
    std::string text(random() % 120, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    TXmlScanner scanner;
    scanner.OpenText(text);
    scanner.PackWhitespace = round % 2 == 0;
    test::Walk(scanner);
  }
}

}  // namespace
}  // namespace tarvik
