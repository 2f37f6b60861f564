// TXmlScanner: loading, Next and its dispatch, and the parts outside the
// document type declaration.

#include "xml/xmlscan.h"

#include "xml/xml_text.h"

#include "platform/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

namespace tarvik {

namespace {

constexpr std::array<std::string_view, 10> kPartKindNames = {
    "", "XML Prolog", "Comment", "PI", "DTD Declaration", "Start Tag", "Empty Tag", "End Tag", "Text", "CDATA"};

// The text of a scanner without one: a NUL before it too, so that "the
// character before the end" exists.
constexpr char kEmptyText[2] = {0, 0};

// The '>' of the first close ("?>", "-->", "]]>") at or after from, or the
// last character of the text.
const char* CloseOrLast(const char* from, const char* close) {
  const char* found = xml::Find(from, close);
  return found != nullptr ? found + std::strlen(close) - 1 : xml::TextEnd(from) - 1;
}

}  // namespace

std::string_view DisplayName(TXmlPartKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < kPartKindNames.size() ? kPartKindNames[index] : std::string_view();
}

TXmlScanner::TXmlScanner() : IncludeStack(*this) { Reset(); }

TXmlScanner::~TXmlScanner() = default;

void TXmlScanner::Reset() {
  Rewind();
  std::string().swap(storage_);
  Buffer = nullptr;
  BufferSize = 0;
  documentEnd_ = kEmptyText + 1;
  SourceName.clear();
  DeclVersion.clear();
  DeclEncoding.clear();
  DeclStandalone = false;
  DoctypeName.clear();
  DoctypeEnd = nullptr;
  doctypeBegin_ = nullptr;
  PackWhitespace = true;
  ElementDefs.Clear();
  GeneralEntities.Clear();
  ParameterEntities.Clear();
  NotationDefs.Clear();
  replaced_.clear();
  defaulted_.clear();
  expansion_ = 0;
  doctypeExpansion_ = 0;
}

bool TXmlScanner::OpenFile(const std::string& path, int openFlags) {
  Reset();
  std::string storage(1, '\0');
  try {
    if (ReadWholeFile(path, kMaxFileSize, storage, openFlags & O_ACCMODE) != 0) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  Adopt(std::move(storage));
  SourceName = path;
  return true;
}

bool TXmlScanner::OpenText(std::string_view text) {
  Reset();
  if (text.size() > static_cast<std::size_t>(INT32_MAX) - 2) return false;
  std::string storage;
  try {
    storage.reserve(text.size() + 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  storage.push_back('\0');
  storage.append(text);
  Adopt(std::move(storage));
  SourceName = "<MEM>";
  return true;
}

void TXmlScanner::Adopt(std::string&& storage) {
  // The string's own terminator is the NUL after the text.
  storage_ = std::move(storage);
  Buffer = storage_.data() + 1;
  BufferSize = static_cast<std::int32_t>(storage_.size());
  documentEnd_ = xml::TextEnd(Buffer);
}

const char* TXmlScanner::DocumentText() const { return Buffer != nullptr ? Buffer : kEmptyText + 1; }

void TXmlScanner::Rewind() {
  PartKind = pkNone;
  PartName.clear();
  PartText.clear();
  PartBegin = nullptr;
  PartEnd = nullptr;
  PartAttrs.Clear();
  IncludeStack.Clear();
  IncludeStack.FreeClosed();
  expanding_.clear();
  next_ = nullptr;
  expansion_ = doctypeExpansion_;
  defaultsSpent_ = false;
  ForgetSemicolon();
}

bool TXmlScanner::Next() {
  for (;;) {
    if (IncludeStack.FreeClosed(semicolonFrom_)) ForgetSemicolon();
    deliverable_ = true;
    const char* start = next_ != nullptr ? next_ : DocumentText();
    while (*start == '\0' && !IncludeStack.Empty()) start = IncludeStack.Pop();
    PartBegin = start;
    PartEnd = start;
    if (*start == '\0') {
      PartBegin = documentEnd_;
      PartEnd = documentEnd_ - 1;
      next_ = documentEnd_;
      IncludeStack.Clear();
      return false;
    }
    if (xml::StartsWith(start, "<?xml")) {
      ScanXmlDeclaration(start);
    } else if (xml::StartsWith(start, "<?")) {
      ScanProcessingInstruction(start);
    } else if (xml::StartsWith(start, "<!--")) {
      ScanComment(start);
    } else if (xml::StartsWith(start, "<!DOCTYPE")) {
      ScanDoctype(start);
    } else if (xml::StartsWith(start, "<![CDATA[")) {
      ScanCData(start);
    } else if (*start != '<') {
      deliverable_ = ScanCharacterData(start);
    } else {
      ScanTag(start);
    }
    if (deliverable_) return true;
  }
}

void TXmlScanner::ScanXmlDeclaration(const char* start) {
  PartKind = pkXmlProlog;
  const char* stop = PartAttrs.Read(start + 5);
  const std::string encoding = PartAttrs.Value("encoding");
  if (IncludeStack.Empty()) {
    DeclVersion = PartAttrs.Value("version");
    DeclEncoding = encoding;
    DeclStandalone = PartAttrs.Value("standalone") == "yes";
  }
  PartEnd = CloseOrLast(stop, "?>");
  ActiveEncoding = encoding.empty() ? "UTF-8" : encoding;
  PartName.clear();
  PartText.clear();
  next_ = PartEnd + 1;
}

void TXmlScanner::ScanProcessingInstruction(const char* start) {
  PartKind = pkPI;
  const char* target = start + 2;
  const char* targetEnd = xml::ReadName(target, xml::kPITargetEnd);
  PartName.assign(target, targetEnd);
  const char* close = xml::Find(target, "?>");
  const char* textEnd = close != nullptr ? close : xml::TextEnd(targetEnd);
  if (textEnd > targetEnd) {
    PartText.assign(targetEnd, textEnd);
  } else {
    PartText.clear();
  }
  PartEnd = close != nullptr ? close + 1 : xml::TextEnd(target) - 1;
  PartAttrs.Read(targetEnd);
  next_ = PartEnd + 1;
}

void TXmlScanner::ScanComment(const char* start) {
  PartKind = pkComment;
  PartEnd = CloseOrLast(start + 4, "-->");
  next_ = PartEnd + 1;
}

void TXmlScanner::ScanCData(const char* start) {
  PartKind = pkCData;
  const char* text = start + 9;
  const char* close = xml::Find(text, "]]>");
  if (close != nullptr) {
    PartText = DecodeText(std::string_view(text, static_cast<std::size_t>(close - text)));
    PartEnd = close + 2;
  } else {
    const char* end = xml::TextEnd(text);
    PartText = DecodeText(std::string_view(text, static_cast<std::size_t>(end - text)));
    PartEnd = end - 1;
  }
  next_ = PartEnd + 1;
}

void TXmlScanner::ScanTag(const char* start) {
  PartKind = pkStartTag;
  const char* name = start + 1;
  if (*name == '/') {
    PartKind = pkEndTag;
    ++name;
  }
  const char* nameEnd = xml::ReadName(name, xml::kTagNameEnd);
  PartName.assign(name, nameEnd);
  const char* stop = PartAttrs.Read(nameEnd);
  if (*stop == '/') PartKind = pkEmptyTag;
  const char* close = std::strchr(stop, '>');
  PartEnd = close != nullptr ? close : xml::TextEnd(stop) - 1;
  next_ = PartEnd + 1;
  if (PartKind == pkEndTag) return;
  ApplyElementDefaults();
  for (int i = 0; i < PartAttrs.Count(); ++i) RewriteAttributeValue(PartAttrs[i]);
}

void TXmlScanner::ApplyElementDefaults() {
  const TElemDef* element = ElementDefs.Find(PartName);
  if (element == nullptr) return;
  // The attributes written in the tag, in name order: the first of each name
  // is the newest, the one a lookup finds.
  for (int i = 0; i < PartAttrs.Count(); ++i) {
    TAttr& attr = PartAttrs[i];
    if (i > 0 && PartAttrs[i - 1].Name == attr.Name) continue;
    if (const TAttrDef* definition = element->Find(attr.Name)) ApplyDefinition(*definition, attr, false);
  }
  // The defaults of the attributes the tag lacks, added once at the end.
  std::vector<std::unique_ptr<TAttr>> added;
  for (const TAttrDef* definition : DefaultedAttributes(*element)) {
    if (PartAttrs.Find(definition->Name) != nullptr) continue;
    if (!ChargeDefault(*definition)) break;
    added.push_back(std::make_unique<TAttr>(definition->Name, definition->Value));
    added.back()->ValueKind = avDefault;
    ApplyDefinition(*definition, *added.back(), true);
  }
  for (std::unique_ptr<TAttr>& attr : added) PartAttrs.Add(std::move(attr));
  PartAttrs.Settle();
}

void TXmlScanner::ApplyDefinition(const TAttrDef& definition, TAttr& attr, bool copied) {
  if (definition.DefaultKind == dkImplied) {
    attr.ValueKind = avImplied;
  } else if (definition.DefaultKind == dkFixed && (copied || ChargeDefault(definition))) {
    attr.ValueKind = avFixed;
    if (!copied) attr.Value = definition.Value;
  }
  attr.Type = definition.Type;
}

const std::vector<const TAttrDef*>& TXmlScanner::DefaultedAttributes(const TElemDef& element) {
  auto [entry, added] = defaulted_.try_emplace(&element);
  if (added)
    for (int i = 0; i < element.Count(); ++i)
      if (!element[i].Value.empty()) entry->second.push_back(&element[i]);
  return entry->second;
}

bool TXmlScanner::ChargeDefault(const TAttrDef& definition) {
  if (!defaultsSpent_ && !ChargeExpansion(definition.Name.size() + definition.Value.size())) defaultsSpent_ = true;
  return !defaultsSpent_;
}

bool TXmlScanner::ScanCharacterData(const char* start) {
  PartKind = pkText;
  PartText.clear();
  const char* run = start;  // the literal run not yet appended
  const char* p = start;
  const char* last = start;  // the last character consumed before run
  for (;;) {
    while (!xml::kTextStop(*p)) ++p;
    if (*p == '&') {
      if (p > run) PartText += DecodeText(std::string_view(run, static_cast<std::size_t>(p - run)));
      p = CharacterDataReference(p, PartText, last);
      run = p;
    } else if (*p == '\0' && !IncludeStack.Empty()) {
      if (p > run) PartText += DecodeText(std::string_view(run, static_cast<std::size_t>(p - run)));
      p = IncludeStack.Pop();
      last = p - 1;
      run = p;
    } else {
      break;
    }
  }
  if (p > run) {
    PartText += DecodeText(std::string_view(run, static_cast<std::size_t>(p - run)));
    last = p - 1;
  }
  // When the stop is the first character of an entity's text, the character
  // before it is the reference's ';': the next part starts at the stop.
  PartEnd = last;
  next_ = p;
  if (!PackWhitespace) return true;
  xml::PackSpaces(PartText);
  return !PartText.empty();
}

std::unique_ptr<TXmlScanner> TXmlScanner::OpenEntity(const std::string& systemId, const std::string& publicId,
                                                     const std::string& notation) {
  (void)publicId;
  (void)notation;
  std::string path = systemId;
  if (path.empty() || path[0] != '/') {
    if (!SourceName.empty() && SourceName[0] != '<') {
      const std::size_t slash = SourceName.rfind('/');
      if (slash != std::string::npos) path.insert(0, SourceName, 0, slash + 1);
    }
  }
  auto scanner = std::make_unique<TXmlScanner>();
  scanner->OpenFile(path);
  return scanner;
}

std::string TXmlScanner::DecodeText(std::string_view text) {
  if (ActiveEncoding == "UTF-8") return xml::Utf8ToWindows1252(text);
  return std::string(text);
}

void TXmlScanner::DtdItemFound(const TDtdItem& item) { (void)item; }

}  // namespace tarvik
