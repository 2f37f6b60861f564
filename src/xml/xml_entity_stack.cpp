#include "xml/xmlscan.h"

#include <functional>

namespace tarvik {

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

bool TEntityStack::FreeClosed(const char* watched) {
  const std::less<const char*> before;
  bool freed = false;
  for (const std::unique_ptr<TXmlScanner>& text : closed_) {
    const char* begin = text->Buffer;
    if (begin != nullptr && !before(watched, begin) && before(watched, begin + text->BufferSize)) freed = true;
  }
  closed_.clear();
  return freed;
}

}  // namespace tarvik
