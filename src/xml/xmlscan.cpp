#include "xml/xmlscan.h"

#include <array>

namespace tarvik {

namespace {

constexpr std::array<std::string_view, 10> kPartKindNames = {
    "", "XML Prolog", "Comment", "PI", "DTD Declaration", "Start Tag", "Empty Tag", "End Tag", "Text", "CDATA"};

constexpr char kEmptyText[2] = {0, 0};

}  // namespace

std::string_view DisplayName(TXmlPartKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < kPartKindNames.size() ? kPartKindNames[index] : std::string_view();
}

TEntityStack::TEntityStack(TXmlScanner& scanner) : scanner_(scanner) {}
TEntityStack::~TEntityStack() = default;

void TEntityStack::Push(const char* resume, std::unique_ptr<TXmlScanner> entityText, const TEntityDef* entity) {
  nodes_.push_back({std::move(entityText), scanner_.ActiveEncoding, resume, entity});
}

const char* TEntityStack::Pop() {
  if (nodes_.empty()) return nullptr;
  TEntityStackNode node = std::move(nodes_.back());
  nodes_.pop_back();
  if (!node.Encoding.empty()) scanner_.ActiveEncoding = node.Encoding;
  if (node.Scanner) closed_.push_back(std::move(node.Scanner));
  return node.Resume;
}

void TEntityStack::Clear() {
  for (TEntityStackNode& node : nodes_)
    if (node.Scanner) closed_.push_back(std::move(node.Scanner));
  nodes_.clear();
}

bool TEntityStack::IsOpen(const TEntityDef* entity) const {
  for (const TEntityStackNode& node : nodes_)
    if (node.Entity == entity) return true;
  return false;
}

void TEntityStack::FreeClosed() { closed_.clear(); }

TXmlScanner::TXmlScanner() : IncludeStack(*this) { Reset(); }

TXmlScanner::~TXmlScanner() { Reset(); }

void TXmlScanner::Reset() {}

bool TXmlScanner::OpenFile(const std::string&, int) { return false; }

bool TXmlScanner::OpenText(std::string_view) { return false; }

const char* TXmlScanner::DocumentText() const { return Buffer != nullptr ? Buffer : kEmptyText + 1; }

void TXmlScanner::Rewind() {}

bool TXmlScanner::Next() { return false; }

std::unique_ptr<TXmlScanner> TXmlScanner::OpenEntity(const std::string&, const std::string&, const std::string&) {
  return std::make_unique<TXmlScanner>();
}

std::string TXmlScanner::DecodeText(std::string_view text) { return std::string(text); }

void TXmlScanner::DtdItemFound(const TDtdItem&) {}

}  // namespace tarvik
