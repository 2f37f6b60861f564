#pragma once
// Walks a text with TXmlScanner and writes each part as its kind and the
// fields that kind sets: "5:name" for tags, "8:text" for text and CDATA,
// "3:target:text" for processing instructions, the bare kind otherwise.

#include "xml/xmlscan.h"

#include <string>
#include <vector>

namespace tarvik::test {

inline std::vector<std::string> Walk(TXmlScanner& scanner) {
  std::vector<std::string> parts;
  scanner.Rewind();
  while (scanner.Next()) {
    std::string part = std::to_string(scanner.PartKind);
    switch (scanner.PartKind) {
      case pkStartTag:
      case pkEmptyTag:
      case pkEndTag: part += ":" + scanner.PartName; break;
      case pkText:
      case pkCData: part += ":" + scanner.PartText; break;
      case pkPI: part += ":" + scanner.PartName + ":" + scanner.PartText; break;
      default: break;
    }
    parts.push_back(part);
  }
  return parts;
}

inline std::vector<std::string> Parts(const std::string& text, bool pack = true) {
  TXmlScanner scanner;
  scanner.OpenText(text);
  scanner.PackWhitespace = pack;
  return Walk(scanner);
}

using TParts = std::vector<std::string>;

}  // namespace tarvik::test
