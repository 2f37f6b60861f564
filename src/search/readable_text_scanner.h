#pragma once
// The XML scanner as the readable text uses it: text converted from UTF-8 as
// raw lines are (Utf8ToAnsiLine), and no file read for an external entity or
// document type.

#include "xml/xmlscan.h"

#include "platform/code_page.h"

#include <memory>
#include <string>
#include <string_view>

namespace tarvik {

class TTextScanner : public TXmlScanner {
 public:
  std::unique_ptr<TXmlScanner> OpenEntity(const std::string&, const std::string&, const std::string&) override {
    return std::make_unique<TXmlScanner>();
  }
  std::string DecodeText(std::string_view text) override { return Utf8ToAnsiLine(text); }
};

}  // namespace tarvik
