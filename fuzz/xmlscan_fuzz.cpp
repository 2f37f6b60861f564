// Any bytes through TXmlScanner: OpenText, Rewind and Next to the end, with
// whitespace packing on and off, document type declarations included. The
// input up to its first NUL is the document; what follows the NUL is the text
// of every external entity and document type, served from memory so that the
// fuzzer never touches the file system (an empty system id gives an empty
// text). No fault, no hang; the text delivered stays within the document's
// size plus the expansion cap; Next after the end stays false; two scans
// after the first one (the declarations are then known) deliver the same.

#include "xml/xmlscan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

class TMemoryEntityScanner : public tarvik::TXmlScanner {
 public:
  explicit TMemoryEntityScanner(std::string_view external) : external_(external) {}

  std::unique_ptr<tarvik::TXmlScanner> OpenEntity(const std::string& systemId, const std::string&,
                                                  const std::string&) override {
    auto text = std::make_unique<tarvik::TXmlScanner>();
    if (!systemId.empty()) text->OpenText(external_);
    return text;
  }
  void DtdItemFound(const tarvik::TDtdItem& item) override {
    // The item's extent must be readable.
    if (item.Start == nullptr || item.End == nullptr) std::abort();
    checksum_ += static_cast<unsigned char>(*item.Start) + static_cast<unsigned char>(*item.End);
  }

 private:
  std::string_view external_;
  unsigned checksum_ = 0;
};

std::vector<std::string> Scan(tarvik::TXmlScanner& scanner, bool pack, std::size_t limit) {
  std::vector<std::string> parts;
  scanner.PackWhitespace = pack;
  scanner.ActiveEncoding.clear();
  scanner.Rewind();
  std::size_t delivered = 0;
  while (scanner.Next()) {
    delivered += scanner.PartText.size();
    if (delivered > limit) std::abort();
    std::string part = std::to_string(scanner.PartKind) + scanner.PartName + "|" + scanner.PartText;
    for (int i = 0; i < scanner.PartAttrs.Count(); ++i)
      part += "|" + scanner.PartAttrs[i].Name + "=" + scanner.PartAttrs[i].Value;
    part += *scanner.PartBegin;
    part += *scanner.PartEnd;
    parts.push_back(std::move(part));
  }
  for (int i = 0; i < 2; ++i)
    if (scanner.Next()) std::abort();
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view document = input.substr(0, nul);
  const std::string_view external = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

  TMemoryEntityScanner scanner(external);
  if (!scanner.OpenText(document)) std::abort();
  const std::size_t limit = size + tarvik::TXmlScanner::kMaxExpansion;
  Scan(scanner, true, limit);
  if (Scan(scanner, false, limit) != Scan(scanner, false, limit)) std::abort();
  return 0;
}
