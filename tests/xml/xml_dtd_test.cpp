#include "xml/xml_test_support.h"
#include "xml/xmlscan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>

namespace tarvik {
namespace {

using test::Parts;
using test::TParts;

// Records the items of the document type declaration; serves external texts
// from a map instead of files.
class TRecordingScanner : public TXmlScanner {
 public:
  std::vector<std::string> items;
  std::map<std::string, std::string> files;

  void DtdItemFound(const TDtdItem& item) override {
    std::string text = std::to_string(item.Kind) + ":" + std::string(item.Start, item.End + 1);
    if (item.Kind == diPI) text += ":" + std::string(item.Target);
    items.push_back(text);
  }
  std::unique_ptr<TXmlScanner> OpenEntity(const std::string& systemId, const std::string&,
                                          const std::string&) override {
    auto text = std::make_unique<TXmlScanner>();
    text->OpenText(files[systemId]);
    return text;
  }
};

TEST(XmlDtd, EntitiesReplaceTheirReferences) {
  EXPECT_EQ(Parts("<!DOCTYPE d [<!ENTITY e \"xyz\"><!ENTITY e 'second'><!ENTITY f 'a&#66;c'>]><d>&e;-&f;</d>"),
            (TParts{"4", "5:d", "8:second-aBc", "7:d"}));
  // Markup in a replacement text is scanned as parts; parameter entities
  // declare further entities.
  EXPECT_EQ(Parts("<!DOCTYPE d [<!ENTITY % p \"<!ENTITY q 'from %r;'>\"><!ENTITY % r 'pe'>%p;"
                  "<!ENTITY m '<b>bold</b> &q;'>]><d>x&m;y<i a='&m;'/></d>"),
            (TParts{"4", "5:d", "8:x", "5:b", "8:bold", "7:b", "8:from pey", "6:i", "7:d"}));

  TRecordingScanner scanner;
  scanner.files["ext.dtd"] = "<?xml version='1.0'?><!ENTITY ext 'outside'><!ATTLIST d x CDATA 'dx'>";
  scanner.OpenText(
      "<!DOCTYPE d SYSTEM \"ext.dtd\" [<!ELEMENT d (#PCDATA|b)*><!NOTATION n PUBLIC 'pub' 'sys'>"
      "<?pi a='1'?><!-- c --><x ]><d>&ext;</d>");
  EXPECT_EQ(test::Walk(scanner), (TParts{"4", "5:d", "8:outside", "7:d"}));
  EXPECT_EQ(scanner.DoctypeName, "d");
  EXPECT_EQ(scanner.items,
            (std::vector<std::string>{"2:<!ENTITY ext 'outside'>", "1:<!ATTLIST d x CDATA 'dx'>",
                                      "0:<!ELEMENT d (#PCDATA|b)*>", "3:<!NOTATION n PUBLIC 'pub' 'sys'>",
                                      "4:<?pi a='1'?>:pi", "5:<!-- c -->", "6:<"}));
  ASSERT_NE(scanner.ElementDefs.Find("d"), nullptr);
  EXPECT_EQ(scanner.ElementDefs.Find("d")->Kind, ekMixed);
  EXPECT_EQ(scanner.ElementDefs.Find("d")->Count(), 0);  // the later ELEMENT dropped the ATTLIST's definitions
  EXPECT_EQ(scanner.NotationDefs.Find("n")->Value, "sys");
  EXPECT_EQ(scanner.NotationDefs.Find("n")->PublicId, "pub");
  EXPECT_EQ(scanner.DoctypeEnd, scanner.DocumentText() + std::string(scanner.DocumentText()).find("]>") + 1);
  // A rescan does not analyse the declaration again.
  scanner.items.clear();
  EXPECT_EQ(test::Walk(scanner), (TParts{"4", "5:d", "8:outside", "7:d"}));
  EXPECT_TRUE(scanner.items.empty());
}

TEST(XmlDtd, AttributeDefaultsFixedValuesAndTypes) {
  TXmlScanner scanner;
  scanner.OpenText(
      "<!DOCTYPE a [<!ATTLIST a d CDATA '1' f CDATA #FIXED 'fixed' i CDATA #IMPLIED r CDATA #REQUIRED"
      " t NMTOKENS 'x' e (p | q) 'p' n NOTATION (n1|n2) #IMPLIED>]><a f='mine' i=' 1  2 ' t=' u  v ' r='&#65;'/>");
  scanner.Rewind();
  scanner.Next();
  ASSERT_TRUE(scanner.Next());
  const TAttrList& attrs = scanner.PartAttrs;
  ASSERT_EQ(attrs.Count(), 6);
  EXPECT_EQ(attrs.Value("d"), "1");
  EXPECT_EQ(attrs.Find("d")->ValueKind, avDefault);
  EXPECT_EQ(attrs.Value("f"), "fixed");
  EXPECT_EQ(attrs.Find("f")->ValueKind, avFixed);
  EXPECT_EQ(attrs.Find("i")->ValueKind, avImplied);
  EXPECT_EQ(attrs.Value("i"), " 1  2 ");  // CDATA keeps its spaces
  EXPECT_EQ(attrs.Value("t"), "u v");     // other types are packed
  EXPECT_EQ(attrs.Find("t")->Type, atNmTokens);
  EXPECT_EQ(attrs.Value("r"), "A");
  EXPECT_EQ(attrs.Find("r")->ValueKind, avNormal);
  EXPECT_EQ(attrs.Value("e"), "p");
  const TElemDef& element = *scanner.ElementDefs.Find("a");
  EXPECT_EQ(element.Find("e")->Type, atEnumeration);
  EXPECT_EQ(element.Find("n")->NotationList, "n1|n2");
  EXPECT_EQ(element.Find("r")->DefaultKind, dkRequired);
  EXPECT_EQ(DisplayName(element.Find("n")->Type), "Notation");
  EXPECT_EQ(DisplayName(element.Kind), "Any");
}

// Entities that refer to themselves, or that multiply ("a billion laughs"),
// in text, attribute values and parameter references: every scan ends, and
// what expansion produces stays bounded.
TEST(XmlDtd, EntityExpansionIsFiniteAndBounded) {
  TXmlScanner scanner;
  scanner.OpenText("<!DOCTYPE d [<!ENTITY a 'x&b;'><!ENTITY b '&a;y'><!ENTITY % p '%p;'>%p;]><d v='&a;'>&a;</d>");
  EXPECT_EQ(test::Walk(scanner), (TParts{"4", "5:d", "8:x&a;y", "7:d"}));
  EXPECT_EQ(scanner.PartAttrs.Count(), 0);  // the end tag's
  scanner.Rewind();
  scanner.Next();
  scanner.Next();
  EXPECT_EQ(scanner.PartAttrs.Value("v"), "x&a;y");

  // Ten times ten times ... "lol" in text and attributes, and "pp" in a
  // content model.
  auto laughs = [](const std::string& percent, const std::string& reference) {
    std::string text = "<!ENTITY " + percent + "l0 'lol'>";
    for (int i = 1; i <= 9; ++i) {
      text += "<!ENTITY " + percent + "l" + std::to_string(i) + " '";
      for (int j = 0; j < 10; ++j) text += reference + "l" + std::to_string(i - 1) + ";";
      text += "'>";
    }
    return text;
  };
  for (const std::string& document : {"<!DOCTYPE d [" + laughs("", "&") + "]><d a='&l9;'>&l9;&l9;</d>",
                                      "<!DOCTYPE d [" + laughs("% ", "%") + "<!ELEMENT e (%l9;)>]><d/>"}) {
    for (bool pack : {true, false}) {
      scanner.OpenText(document);
      scanner.PackWhitespace = pack;
      scanner.Rewind();
      std::size_t produced = 0;
      while (scanner.Next()) {
        produced += scanner.PartText.size();
        for (int i = 0; i < scanner.PartAttrs.Count(); ++i) produced += scanner.PartAttrs[i].Value.size();
      }
      if (const TElemDef* element = scanner.ElementDefs.Find("e")) produced += element->ContentModel.size();
      EXPECT_LE(produced, TXmlScanner::kMaxExpansion);
      EXPECT_GT(produced, 1000000u);
    }
  }
}

// A document type declaration closed by a parameter entity's text ends at
// the reference; the rest of the document is scanned, also after a rewind.
TEST(XmlDtd, DeclarationClosedInsideAnEntityLeavesTheRestScanned) {
  TRecordingScanner scanner;
  scanner.OpenText("<!DOCTYPE d [<!ENTITY % end ']> <lost/>'><!ENTITY e 'E'>%end;<d>after &e;</d>");
  for (int scan = 0; scan < 2; ++scan) EXPECT_EQ(test::Walk(scanner), (TParts{"4", "5:d", "8:after E", "7:d"}));
  EXPECT_EQ(scanner.DoctypeEnd, std::strchr(scanner.DocumentText(), ';'));
}

std::string Repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

std::string Numbered(const char* format, int n) {
  std::string text;
  char piece[1100];
  for (int i = n; i > 0; --i) text.append(piece, std::snprintf(piece, sizeof piece, format, i, i));
  return text;
}

// The processor time this thread has used, in seconds: less disturbed by
// other load than the time on the clock.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The shapes that made the scanner quadratic (bench/make_hostile_xml.py
// writes them at full size), at n and 32 n: the time of a scan grows about
// 32-fold (n log n: 50-fold), where a quadratic one grows a thousandfold.
TEST(XmlDtd, HostileShapesScanInLinearTime) {
  const auto document = [](const std::string& subset, const std::string& body) {
    return "<!DOCTYPE d [" + subset + "]><d>" + body + "<p>Findmich</p></d>";
  };
  const std::vector<std::pair<std::string, std::function<std::string(int)>>> shapes = {
      {"same attribute names", [&](int n) { return document("", "<x" + Repeated(" a=''", 2 * n) + "/>"); }},
      {"descending attribute names", [&](int n) { return document("", "<x" + Numbered(" a%06d='%d'", n) + "/>"); }},
      {"huge default",
       [&](int n) { return document("<!ATTLIST e a CDATA '" + std::string(16 * n, 'x') + "'>", Repeated("<e/>", n)); }},
      {"many defaults",
       [&](int n) {
         return document("<!ATTLIST e" + Numbered(" a%d CDATA '%01000d'", n / 10) + ">", Repeated("<e/>", n));
       }},
      {"descending declarations",
       [&](int n) { return document(Numbered("<!NOTATION n%06d SYSTEM 's'><!ELEMENT e%06d ANY>", n / 2), ""); }},
      {"stray percents", [&](int n) { return document(Repeated("<!ENTITY e 'x'>%", n), ""); }},
  };
  const auto fastestScan = [](const std::string& text) {
    double fastest = 1e9;
    for (int round = 0; round < 3; ++round) {
      TXmlScanner scanner;
      scanner.OpenText(text);
      const double start = ThreadSeconds();
      std::string last;
      scanner.Rewind();
      while (scanner.Next())
        if (scanner.PartKind == pkText) last = scanner.PartText;
      fastest = std::min(fastest, ThreadSeconds() - start);
      EXPECT_EQ(last, "Findmich");
    }
    return fastest;
  };
  constexpr int kSmall = 1000;
  for (const auto& [name, shape] : shapes) {
    const double small = fastestScan(shape(kSmall));
    const double large = fastestScan(shape(32 * kSmall));
    EXPECT_LT(large, 200 * small) << name << ": " << small << " s, then " << large << " s";
  }

  // Defaults are charged to the expansion budget: once it is spent, no tag
  // gets one.
  TXmlScanner scanner;
  scanner.OpenText(shapes[2].second(1000));
  scanner.Rewind();
  int withDefault = 0;
  int tags = 0;
  while (scanner.Next())
    if (scanner.PartKind == pkEmptyTag) {
      ++tags;
      withDefault += scanner.PartAttrs.Count();
    }
  EXPECT_EQ(tags, 1000);
  EXPECT_GT(withDefault, 0);
  EXPECT_LE(withDefault * 16000u, TXmlScanner::kMaxExpansion);
}

}  // namespace
}  // namespace tarvik
