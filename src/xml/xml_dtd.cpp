// The document type declaration: its walk, the external document type, and
// the element, attribute-list, entity and notation declarations, each
// reported to DtdItemFound. Nothing is validated.

#include "xml/xml_text.h"
#include "xml/xmlscan.h"

#include <cstring>

namespace tarvik {

namespace {

// The end of a declaration: the next '>' at or after from, or the last
// character of the text.
const char* DeclarationEnd(const char* from) {
  const char* close = std::strchr(from, '>');
  return close != nullptr ? close : xml::TextEnd(from) - 1;
}

// The end of a document type declaration that is not analysed: the first
// '>' after its internal subset, if it has one.
const char* PassedOverDoctypeEnd(const char* start) {
  const char* p = start + 9;
  p += std::strcspn(p, "[>");
  if (*p == '[') p += std::strcspn(p, "]");
  return DeclarationEnd(p);
}

// A quoted literal at or after from, found by looking ahead to the first
// quote, NUL, '>' or '['. Returns the last character read: the closing quote,
// the text's last character when the literal is not closed, or the character
// before the stop when no literal begins.
const char* ReadLiteral(const char* from, std::string& literal, bool& closed) {
  const char* open = from + std::strcspn(from, "\"'>[");
  closed = false;
  if (*open != '"' && *open != '\'') return open - 1;
  const char* close = std::strchr(open + 1, *open);
  const char* end = close != nullptr ? close : xml::TextEnd(open + 1);
  literal.assign(open + 1, end);
  closed = close != nullptr;
  return close != nullptr ? close : end - 1;
}

// A quoted literal at quote, running to the same quote or the end of the
// text; returns the position after it.
const char* ReadQuoted(const char* quote, std::string& literal) {
  const char* close = std::strchr(quote + 1, *quote);
  const char* end = close != nullptr ? close : xml::TextEnd(quote + 1);
  literal.assign(quote + 1, end);
  return close != nullptr ? close + 1 : end;
}

TAttrType TypeOfKeyword(std::string_view word) {
  static constexpr std::pair<std::string_view, TAttrType> kTypes[] = {{"CDATA", atCData},     {"ID", atId},
                                                                      {"IDREF", atIdRef},     {"IDREFS", atIdRefs},
                                                                      {"ENTITY", atEntity},   {"ENTITIES", atEntities},
                                                                      {"NMTOKEN", atNmToken}, {"NMTOKENS", atNmTokens}};
  for (const auto& [keyword, type] : kTypes)
    if (word == keyword) return type;
  return atUnknown;
}

TElemKind KindOfContentModel(std::string_view model) {
  if (model == "EMPTY") return ekEmpty;
  if (model == "ANY") return ekAny;
  if (model.starts_with("(#PCDATA")) return ekMixed;
  if (model.starts_with("(")) return ekChildsOnly;
  return ekAny;
}

}  // namespace

void TXmlScanner::ScanDoctype(const char* start) {
  PartKind = pkDoctype;
  if (DoctypeEnd != nullptr && start == doctypeBegin_) {
    IncludeStack.Clear();
    PartEnd = DoctypeEnd;
  } else if (DoctypeEnd != nullptr || !IncludeStack.Empty()) {
    // Only the document's first document type declaration is analysed, and
    // not inside an entity's text: its declarations would outlive that text.
    // Another one is passed over.
    PartEnd = PassedOverDoctypeEnd(start);
  } else {
    AnalyseDoctype(start);
  }
  PartKind = pkDoctype;
  next_ = PartEnd + 1;
}

void TXmlScanner::AnalyseDoctype(const char* start) {
  const char* p = start + 9;
  bool named = false;
  bool inSubset = false;
  for (;;) {
    const char c = *p;
    if (c == '\0') {
      if (IncludeStack.Empty()) {
        PartEnd = p - 1;
        break;
      }
      p = IncludeStack.Pop();
    } else if (!named && xml::IsNameStart(c)) {
      const char* end = xml::ReadName(p, xml::kDoctypeNameEnd);
      DoctypeName.assign(p, end);
      named = true;
      p = end;
    } else if (xml::StartsWith(p, "SYSTEM") || xml::StartsWith(p, "PUBLIC")) {
      TExternalID id;
      ReadExternalId(p, id);
      AnalyseExternalDocumentType(id);
      p = id.Stop + 1;
    } else if (c == '[') {
      inSubset = true;
      p = AnalyseDeclarations(p + 1, 0);
      if (*p == ']') ++p;
    } else if (c == '%') {
      p = ParameterReference(p);
    } else if (c == '>') {
      PartEnd = p;
      break;
    } else if (inSubset && !xml::IsWhitespace(c)) {
      const char* stretch = p;
      while (!xml::IsWhitespace(*p) && *p != '\0' && *p != '[' && *p != '%' && *p != '>') ++p;
      Report(stretch, p - 1, diUnknown);
    } else {
      ++p;
    }
  }
  PartName.clear();
  PartText.clear();
  if (!IncludeStack.Empty()) {
    // Closed inside an entity's text: the document goes on after the
    // outermost reference, which ends the part.
    Report(PartEnd, PartEnd, diUnknown);
    PartEnd = IncludeStack.OutermostResume() - 1;
    IncludeStack.Clear();
  }
  SettleDeclarations();
  DoctypeEnd = PartEnd;
  doctypeBegin_ = start;
  doctypeExpansion_ = expansion_;
}

void TXmlScanner::SettleDeclarations() {
  ElementDefs.Settle();
  for (int i = 0; i < ElementDefs.Count(); ++i) ElementDefs[i].Settle();
  GeneralEntities.Settle();
  ParameterEntities.Settle();
  NotationDefs.Settle();
  defaulted_.clear();
}

void TXmlScanner::AnalyseExternalDocumentType(const TExternalID& id) {
  std::unique_ptr<TXmlScanner> text = LoadExternal(id.SystemId, id.PublicId, std::string());
  if (!text) return;
  const char* start = xml::Find(text->DocumentText(), "<!");
  if (start != nullptr) {
    const int floor = IncludeStack.Count();
    AnalyseDeclarations(start, floor);
    while (IncludeStack.Count() > floor) IncludeStack.Pop();
  }
  text.reset();
  ForgetSemicolon();
}

const char* TXmlScanner::AnalyseDeclarations(const char* position, int stackFloor) {
  const char* p = position;
  for (;;) {
    const char c = *p;
    if (c == '\0') {
      if (IncludeStack.Count() <= stackFloor) return p;
      p = IncludeStack.Pop();
    } else if (c == '%') {
      p = ParameterReference(p);
    } else if (c == '>' || c == ']') {
      return p;
    } else if (c != '<') {
      ++p;
    } else if (xml::StartsWith(p, "<!ELEMENT")) {
      p = ElementDeclaration(p) + 1;
    } else if (xml::StartsWith(p, "<!ATTLIST")) {
      p = AttributeListDeclaration(p, stackFloor) + 1;
    } else if (xml::StartsWith(p, "<!ENTITY")) {
      p = EntityDeclaration(p) + 1;
    } else if (xml::StartsWith(p, "<!NOTATION")) {
      p = NotationDeclaration(p) + 1;
    } else if (p[1] == '?') {
      ScanProcessingInstruction(p);
      DtdItemFound(
          {.Start = p, .End = PartEnd, .Kind = diPI, .Target = PartName, .Text = PartText, .Attrs = &PartAttrs});
      p = PartEnd + 1;
    } else if (xml::StartsWith(p, "<!--")) {
      ScanComment(p);
      Report(p, PartEnd, diComment);
      p = PartEnd + 1;
    } else {
      Report(p, p, diUnknown);
      ++p;
    }
  }
}

const char* TXmlScanner::ParameterReference(const char* percent) {
  const char* semicolon = NextSemicolon(percent + 1);
  if (*semicolon != ';') return percent + 1;
  const char* after = semicolon + 1;
  const std::string_view name(percent + 1, static_cast<std::size_t>(semicolon - percent - 1));
  const TEntityDef* entity = ParameterEntities.Find(name);
  if (entity == nullptr || !MayEnter(entity) || !ChargeExpansion(entity->Value.size())) return after;
  IncludeStack.Push(after, nullptr, entity);
  return entity->Value.c_str();
}

bool TXmlScanner::ReadExternalId(const char* position, TExternalID& id) {
  id.Stop = position;
  bool closed = false;
  if (xml::StartsWith(position, "SYSTEM")) {
    id.Stop = ReadLiteral(position + 6, id.SystemId, closed);
    return true;
  }
  if (!xml::StartsWith(position, "PUBLIC")) return false;
  id.Stop = ReadLiteral(position + 6, id.PublicId, closed);
  if (closed) id.Stop = ReadLiteral(id.Stop + 1, id.SystemId, closed);
  return true;
}

TEntityDef* TXmlScanner::ReplaceEntity(TNvpListOf<TEntityDef>& list, std::unique_ptr<TEntityDef> entity) {
  // The earlier text may still be open (a parameter entity redeclared inside
  // itself), so it is kept until the scanner is reset.
  if (std::unique_ptr<TEntityDef> earlier = list.Remove(entity->Name)) replaced_.push_back(std::move(earlier));
  return list.Add(std::move(entity));
}

void TXmlScanner::Report(const char* start, const char* end, TDtdItemKind kind) {
  DtdItemFound({.Start = start, .End = end, .Kind = kind});
}

const char* TXmlScanner::ElementDeclaration(const char* start) {
  const char* p = start + 9;
  while (*p != '\0' && *p != '>' && !xml::IsNameStart(*p)) ++p;
  auto element = std::make_unique<TElemDef>();
  if (xml::IsNameStart(*p)) {
    const char* nameEnd = xml::ReadName(p, xml::kElementNameEnd);
    element->Name.assign(p, nameEnd);
    const char* close = std::strchr(nameEnd, '>');
    const char* modelEnd = close != nullptr ? close : xml::TextEnd(nameEnd);
    element->ContentModel = ParameterReferencesReplaced(xml::RemoveWhitespace(std::string_view(nameEnd, modelEnd)));
    p = nameEnd;
  }
  element->Kind = KindOfContentModel(element->ContentModel);
  ElementDefs.Remove(element->Name);
  const TElemDef* added = ElementDefs.Add(std::move(element));
  const char* end = DeclarationEnd(p);
  DtdItemFound({.Start = start, .End = end, .Kind = diElement, .Element = added});
  return end;
}

const char* TXmlScanner::AttributeListDeclaration(const char* start, int stackFloor) {
  enum { kElement, kAttrName, kType, kNotationList, kDefault } state = kElement;
  TElemDef* element = nullptr;
  TAttrDef* attr = nullptr;
  const char* p = start + 9;
  const char* end = nullptr;
  while (end == nullptr) {
    const char c = *p;
    if (c == '\0') {
      if (IncludeStack.Count() <= stackFloor) {
        end = p - 1;
      } else {
        p = IncludeStack.Pop();
      }
      continue;
    }
    if (c == '%') {
      p = ParameterReference(p);
      continue;
    }
    if (c == '>') {
      end = p;
      continue;
    }
    if (xml::IsWhitespace(c)) {
      ++p;
      continue;
    }
    switch (state) {
      case kElement: {
        const char* nameEnd = xml::ReadName(p, xml::kAttlistNameEnd);
        const std::string name(p, nameEnd);
        element = ElementDefs.Find(name);
        if (element == nullptr) {
          auto added = std::make_unique<TElemDef>(name);
          added->ContentModel = "ANY";
          added->Kind = ekAny;
          element = ElementDefs.Add(std::move(added));
        }
        p = nameEnd;
        state = kAttrName;
        break;
      }
      case kAttrName: {
        const char* nameEnd = xml::ReadName(p, xml::kAttlistNameEnd);
        auto definition = std::make_unique<TAttrDef>(std::string(p, nameEnd), std::string());
        element->Remove(definition->Name);
        attr = element->Add(std::move(definition));
        p = nameEnd;
        state = kType;
        break;
      }
      case kType:
        if (c == '(') {
          const char* close = std::strchr(p + 1, ')');
          const char* textEnd = close != nullptr ? close : xml::TextEnd(p + 1);
          attr->TypeDef = xml::ReplaceCharacterReferences(
              ParameterReferencesReplaced(xml::RemoveWhitespace(std::string_view(p, textEnd))));
          attr->Type = atEnumeration;
          p = textEnd;
          state = kDefault;
        } else if (xml::StartsWith(p, "NOTATION")) {
          attr->Type = atNotation;
          p += 8;
          state = kNotationList;
        } else {
          const char* wordEnd = xml::ReadName(p, xml::kAttlistNameEnd);
          attr->TypeDef.assign(p, wordEnd);
          attr->Type = TypeOfKeyword(attr->TypeDef);
          p = wordEnd;
          state = kDefault;
        }
        break;
      case kNotationList: {
        const char* close = std::strchr(p + 1, ')');
        const char* textEnd = close != nullptr ? close : xml::TextEnd(p + 1);
        attr->NotationList = xml::RemoveWhitespace(ParameterReferencesReplaced(std::string_view(p + 1, textEnd)));
        p = textEnd;
        state = kDefault;
        break;
      }
      case kDefault:
        if (c == '"' || c == '\'') {
          std::string literal;
          p = ReadQuoted(p, literal);
          attr->Value = xml::ReplaceCharacterReferences(ParameterReferencesReplaced(literal));
          state = kAttrName;
        } else if (c == '#') {
          const char* keywordEnd = xml::ReadName(p, xml::kKeywordEnd);
          const std::string_view keyword(p, static_cast<std::size_t>(keywordEnd - p));
          if (keyword == "#REQUIRED") {
            attr->DefaultKind = dkRequired;
            state = kAttrName;
          } else if (keyword == "#IMPLIED") {
            attr->DefaultKind = dkImplied;
            state = kAttrName;
          } else if (keyword == "#FIXED") {
            attr->DefaultKind = dkFixed;
          }
          p = keywordEnd;
        } else {
          ++p;
        }
        break;
    }
  }
  DtdItemFound({.Start = start, .End = end, .Kind = diAttList, .Element = element});
  return end;
}

const char* TXmlScanner::EntityDeclaration(const char* start) {
  enum { kName, kValue, kNotationKeyword, kNotationName, kDone } state = kName;
  auto entity = std::make_unique<TEntityDef>();
  bool parameter = false;
  const char* p = start + 8;
  while (*p != '\0' && *p != '>') {
    const char c = *p;
    if (xml::IsWhitespace(c)) {
      ++p;
      continue;
    }
    if (c == '%') {
      parameter = true;
      ++p;
      continue;
    }
    switch (state) {
      case kName:
        if (xml::IsNameStart(c)) {
          const char* nameEnd = xml::ReadName(p, xml::kEntityNameEnd);
          entity->Name.assign(p, nameEnd);
          p = nameEnd;
          state = kValue;
        } else {
          ++p;
        }
        break;
      case kValue: {
        TExternalID id;
        if (c == '"' || c == '\'') {
          p = ReadQuoted(p, entity->Value);
          state = kDone;
        } else if (ReadExternalId(p, id)) {
          entity->SystemId = id.SystemId;
          entity->PublicId = id.PublicId;
          p = id.Stop + 1;
          state = kNotationKeyword;
        } else {
          ++p;
        }
        break;
      }
      case kNotationKeyword:
        if (xml::StartsWith(p, "NDATA")) {
          p += 5;
          state = kNotationName;
        } else {
          ++p;
        }
        break;
      case kNotationName:
        if (xml::IsNameStart(c)) {
          const char* nameEnd = xml::ReadName(p, xml::kNotationNameEnd);
          entity->NotationName.assign(p, nameEnd);
          p = nameEnd;
          state = kDone;
        } else {
          ++p;
        }
        break;
      case kDone: ++p; break;
    }
  }
  const char* end = *p == '>' ? p : p - 1;
  TEntityDef* added;
  if (parameter) {
    added = ReplaceEntity(ParameterEntities, std::move(entity));
  } else {
    added = ReplaceEntity(GeneralEntities, std::move(entity));
    added->Value = ParameterReferencesReplaced(added->Value);
  }
  added->Value = xml::ReplaceCharacterReferences(added->Value);
  DtdItemFound({.Start = start, .End = end, .Kind = diEntity, .Entity = added});
  return end;
}

const char* TXmlScanner::NotationDeclaration(const char* start) {
  auto notation = std::make_unique<TNotationDef>();
  bool named = false;
  const char* p = start + 10;
  while (*p != '\0' && *p != '>') {
    TExternalID id;
    if (!named && !xml::IsWhitespace(*p)) {
      const char* nameEnd = xml::ReadName(p, xml::kNotationNameEnd);
      notation->Name.assign(p, nameEnd);
      named = true;
      p = nameEnd;
    } else if (ReadExternalId(p, id)) {
      notation->Value = id.SystemId;
      notation->PublicId = id.PublicId;
      p = id.Stop + 1;
    } else {
      ++p;
    }
  }
  const char* end = *p == '>' ? p : p - 1;
  DtdItemFound({.Start = start, .End = end, .Kind = diNotation, .Notation = NotationDefs.Add(std::move(notation))});
  return end;
}

}  // namespace tarvik
