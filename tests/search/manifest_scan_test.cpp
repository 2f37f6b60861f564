#include "search/manifest_scan.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvik {
namespace {

using TPaths = std::vector<std::string>;

TEST(ManifestScan, FindsTheEncryptedEntriesWhateverTheirSpelling) {
  const std::string manifest =
      "<?xml version=\"1.0\"?><!DOCTYPE manifest:manifest PUBLIC \"-//x//EN\" \"Manifest.dtd\">\n"
      "<manifest:manifest xmlns:manifest=\"urn:x\">\n"
      " <manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"a\"/>\n"
      " <manifest:file-entry manifest:media-type=\"text/xml\" manifest:full-path=\"content.xml\" manifest:size=\"9\">\n"
      "  <manifest:encryption-data manifest:checksum=\"x\"><manifest:algorithm/></manifest:encryption-data>\n"
      " </manifest:file-entry>\n"
      " <manifest:file-entry manifest:full-path=\"settings.xml\"></manifest:file-entry>\n"
      " <!-- <manifest:file-entry manifest:full-path=\"x.xml\"><manifest:encryption-data/></manifest:file-entry> -->\n"
      " <m:file-entry m:full-path = 'a&amp;b&#x2F;&#99;.xml' m:note='>'><![CDATA[</m:file-entry>]]>\n"
      "  <m:encryption-data/></m:file-entry>\n"
      " <manifest:file-entry manifest:full-path=\"meta.xml\"/><manifest:encryption-data/>\n"
      " <file-entry full-path=\"styles.xml\"><encryption-data/>";  // never closed
  EXPECT_EQ(EncryptedManifestPaths(manifest), (TPaths{"content.xml", "a&b/c.xml", "styles.xml"}));
  EXPECT_EQ(EncryptedManifestPaths("<file-entry full-path='&bogus;&#xFFFFFFFFF;&'><encryption-data/>"),
            TPaths{"&bogus;&#xFFFFFFFFF;&"});
}

TEST(ManifestScan, HostileTextNeverFaults) {
  const std::string real =
      "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data a='1'/>"
      "</manifest:file-entry><!-- c --><![CDATA[ d ]]><?pi?>";
  for (std::size_t cut = 0; cut <= real.size(); ++cut) EncryptedManifestPaths(real.substr(0, cut));
  std::mt19937 random(7);
  const std::string alphabet = "<>/=:'\"&#;! -[]?xef";
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 200, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    EncryptedManifestPaths(text);
  }
  for (const char* unit : {"<", "&", "<a b='", "<file-entry full-path='x'>", "<!--", "</"}) {
    std::string repeated;
    for (int i = 0; i < 10000; ++i) repeated += unit;
    EncryptedManifestPaths(repeated);
  }
}

}  // namespace
}  // namespace tarvik
