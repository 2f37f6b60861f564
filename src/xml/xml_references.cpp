// Character and entity references in character data and attribute values,
// parameter references in declaration texts, and the limits that keep entity
// expansion finite: an entity is not entered while it is open, nesting is
// limited to kMaxEntityDepth, and the text entered for one document is
// charged against kMaxExpansion. A reference that would break a limit stays
// as written.

#include "xml/xml_text.h"
#include "xml/xmlscan.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace tarvik {

namespace {

// Every entry into an entity text costs a little beyond its length, so that
// many tiny entities cannot make the work unbounded either.
constexpr std::size_t kEntryCost = 16;
// Loading an external entity costs this much beyond its length.
constexpr std::size_t kLoadCost = 4096;

}  // namespace

bool TXmlScanner::ChargeExpansion(std::size_t bytes) {
  if (bytes > kMaxExpansion || expansion_ + bytes + kEntryCost > kMaxExpansion) return false;
  expansion_ += bytes + kEntryCost;
  return true;
}

bool TXmlScanner::MayEnter(const TEntityDef* entity) const {
  const std::size_t depth = static_cast<std::size_t>(IncludeStack.Count()) + expanding_.size();
  return depth < static_cast<std::size_t>(kMaxEntityDepth) && !IncludeStack.IsOpen(entity) &&
         std::find(expanding_.begin(), expanding_.end(), entity) == expanding_.end();
}

std::unique_ptr<TXmlScanner> TXmlScanner::LoadExternal(const std::string& systemId, const std::string& publicId,
                                                       const std::string& notation) {
  if (!ChargeExpansion(kLoadCost)) return nullptr;
  std::unique_ptr<TXmlScanner> text = OpenEntity(systemId, publicId, notation);
  if (!text) text = std::make_unique<TXmlScanner>();
  if (!ChargeExpansion(std::strlen(text->DocumentText()))) return nullptr;
  return text;
}

const char* TXmlScanner::NextSemicolon(const char* from) {
  // Positions of one text compare in order; a position inside the cached
  // stretch lies in the text that stretch was found in.
  const std::less_equal<const char*> before;
  if (semicolonFrom_ != nullptr && before(semicolonFrom_, from) && before(from, semicolonAt_)) return semicolonAt_;
  semicolonFrom_ = from;
  semicolonAt_ = from + std::strcspn(from, ";");
  return semicolonAt_;
}

void TXmlScanner::ForgetSemicolon() {
  semicolonFrom_ = nullptr;
  semicolonAt_ = nullptr;
}

const char* TXmlScanner::CharacterDataReference(const char* ampersand, std::string& out, const char*& last) {
  const char* semicolon = NextSemicolon(ampersand + 1);
  if (*semicolon != ';') {  // no ';' anywhere: the '&' is dropped
    last = ampersand;
    return ampersand + 1;
  }
  last = semicolon;
  const char* after = semicolon + 1;
  const std::string_view name(ampersand + 1, static_cast<std::size_t>(semicolon - ampersand - 1));
  const std::string_view written(ampersand, name.size() + 2);
  if (!name.empty() && name[0] == '#') {
    out.push_back(xml::CharacterReferenceByte(name.substr(1), ' ', ' '));
    return after;
  }
  if (const char predefined = xml::PredefinedEntity(name)) {
    out.push_back(predefined);
    return after;
  }
  const TEntityDef* entity = GeneralEntities.Find(name);
  if (entity == nullptr) {
    out.append(name);
    return after;
  }
  if (!MayEnter(entity)) {
    out.append(written);
    return after;
  }
  if (!entity->IsExternal()) {
    if (!ChargeExpansion(entity->Value.size())) {
      out.append(written);
      return after;
    }
    IncludeStack.Push(after, nullptr, entity);
    return entity->Value.c_str();
  }
  std::unique_ptr<TXmlScanner> text = LoadExternal(entity->SystemId, entity->PublicId, entity->NotationName);
  if (!text) {
    out.append(written);
    return after;
  }
  const char* start = text->DocumentText();
  IncludeStack.Push(after, std::move(text), entity);
  return start;
}

void TXmlScanner::ReplaceEntityReferences(std::string_view value, std::string& out) {
  std::size_t done = 0;
  std::size_t semicolon = 0;
  for (;;) {
    const std::size_t ampersand = value.find('&', done);
    if (ampersand == std::string_view::npos) break;
    // The ';' is searched from the second character after '&'; the last one
    // found serves every '&' before it.
    if (semicolon < ampersand + 2) semicolon = value.find(';', ampersand + 2);
    if (semicolon == std::string_view::npos) break;
    out.append(value, done, ampersand - done);
    const std::string_view name = value.substr(ampersand + 1, semicolon - ampersand - 1);
    done = semicolon + 1;
    if (const char predefined = xml::PredefinedEntity(name)) {
      out.push_back(predefined);
      continue;
    }
    const TEntityDef* entity = GeneralEntities.Find(name);
    if (entity != nullptr && MayEnter(entity)) {
      std::unique_ptr<TXmlScanner> external;
      std::string_view text;
      bool entered = false;
      if (!entity->IsExternal()) {
        text = entity->Value;
        entered = ChargeExpansion(text.size());
      } else if ((external = LoadExternal(entity->SystemId, entity->PublicId, entity->NotationName))) {
        text = external->DocumentText();
        entered = true;
      }
      if (entered) {
        expanding_.push_back(entity);
        ReplaceEntityReferences(text, out);
        expanding_.pop_back();
        continue;
      }
    }
    // Left as written; the walk goes on after the '&'.
    out.push_back('&');
    done = ampersand + 1;
  }
  out.append(value, done);
}

void TXmlScanner::ReplaceParameterReferences(std::string_view text, std::string& out) {
  std::size_t done = 0;
  std::size_t semicolon = 0;
  for (;;) {
    const std::size_t percent = text.find('%', done);
    if (percent == std::string_view::npos) break;
    if (semicolon < percent + 2) semicolon = text.find(';', percent + 2);
    if (semicolon == std::string_view::npos) break;
    out.append(text, done, percent - done);
    const std::string_view name = text.substr(percent + 1, semicolon - percent - 1);
    const TEntityDef* entity = ParameterEntities.Find(name);
    if (entity != nullptr && MayEnter(entity) && ChargeExpansion(entity->Value.size())) {
      expanding_.push_back(entity);
      ReplaceParameterReferences(entity->Value, out);
      expanding_.pop_back();
      done = semicolon + 1;
      continue;
    }
    out.push_back('%');
    done = percent + 1;
  }
  out.append(text, done);
}

std::string TXmlScanner::ParameterReferencesReplaced(std::string_view text) {
  std::string out;
  ReplaceParameterReferences(text, out);
  return out;
}

void TXmlScanner::RewriteAttributeValue(TAttr& attr) {
  std::string expanded;
  ReplaceEntityReferences(attr.Value, expanded);
  std::string value = xml::ReplaceCharacterReferences(expanded);
  if (attr.Type != atUnknown && attr.Type != atCData) {
    xml::PackSpaces(value);
  } else {
    xml::WhitespaceToSpaces(value);
  }
  attr.Value = DecodeText(value);
}

}  // namespace tarvik
