#pragma once
// TXmlScanner: a pull scanner over an XML text held in memory. The caller
// loads a text (OpenFile, OpenText), optionally sets PackWhitespace, calls
// Rewind and then Next until it returns false, reading the part fields
// after each true result: kind, name, text, extent and attributes.
//
// The scanner resolves character and entity references, packs whitespace on
// request, converts UTF-8 text to Windows-1252 (DecodeText) and keeps the
// declarations of the document type in lists. It never reports an error:
// malformed input yields parts that run to the next delimiter or to the end
// of the text, and it never reads past the NUL that ends a text. Entity
// expansion is bounded: an entity is not expanded inside itself, nesting is
// limited, and the text that expansion produces for one document has a cap,
// beyond which references stay as written. Attribute defaults and fixed
// values copied into tags are charged to the same cap; once it refuses one,
// no more are copied. Every list is filled unordered and ordered once, so no
// input makes the work grow faster than n log n.

#include "xml/xml_nvp.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvik {

// Kind of the current part.
enum TXmlPartKind : std::uint8_t {
  pkNone = 0,       // "" after a rewind
  pkXmlProlog = 1,  // "XML Prolog": "<?xml" to "?>"
  pkComment = 2,    // "Comment": "<!--" to "-->"
  pkPI = 3,         // "PI": "<?" to "?>"
  pkDoctype = 4,    // "DTD Declaration": "<!DOCTYPE" to its '>', internal subset included
  pkStartTag = 5,   // "Start Tag"
  pkEmptyTag = 6,   // "Empty Tag": closed by "/>"
  pkEndTag = 7,     // "End Tag": opened by "</"
  pkText = 8,       // "Text": character data between markup
  pkCData = 9       // "CDATA": "<![CDATA[" to "]]>"
};

std::string_view DisplayName(TXmlPartKind kind);

// Kind of an item met inside a document type declaration.
enum TDtdItemKind : std::uint8_t {
  diElement = 0,
  diAttList = 1,
  diEntity = 2,
  diNotation = 3,
  diPI = 4,
  diComment = 5,
  diUnknown = 6  // an unrecognised stretch
};

// What DtdItemFound receives. The definitions belong to the scanner's lists.
struct TDtdItem {
  const char* Start = nullptr;  // first character of the item
  const char* End = nullptr;    // last character of the item
  TDtdItemKind Kind = diUnknown;
  // The declaration's definition: Element for diElement and diAttList (none
  // when an attribute-list declaration names no element), Entity for
  // diEntity, Notation for diNotation.
  const TElemDef* Element = nullptr;
  const TEntityDef* Entity = nullptr;
  const TNotationDef* Notation = nullptr;
  // diPI: the target, the text and the attributes of the instruction.
  std::string_view Target;
  std::string_view Text;
  const TAttrList* Attrs = nullptr;
};

class TXmlScanner;

// One open entity text: where to resume, the scanner holding an external
// entity's text (or none), the encoding in force when it was entered, and the
// entity itself (so it is not entered again while open).
struct TEntityStackNode {
  std::unique_ptr<TXmlScanner> Scanner;
  std::string Encoding;
  const char* Resume = nullptr;
  const TEntityDef* Entity = nullptr;
};

// The include stack: the entity texts the scanner reads at the moment.
class TEntityStack {
 public:
  explicit TEntityStack(TXmlScanner& scanner);
  ~TEntityStack();
  TEntityStack(const TEntityStack&) = delete;
  TEntityStack& operator=(const TEntityStack&) = delete;

  void Push(const char* resume, std::unique_ptr<TXmlScanner> entityText, const TEntityDef* entity);
  // The resume position of the top entry (nullptr when empty); restores the
  // scanner's ActiveEncoding when the saved one is not empty.
  const char* Pop();
  void Clear();
  int Count() const { return static_cast<int>(nodes_.size()); }
  bool Empty() const { return nodes_.empty(); }
  bool IsOpen(const TEntityDef* entity) const;
  // Where the text that the first entry was entered from goes on (nullptr
  // when empty).
  const char* OutermostResume() const { return nodes_.empty() ? nullptr : nodes_.front().Resume; }
  // Frees the texts of entries popped so far; whether watched lay in one of
  // them. A popped text may still hold the current part's positions, so the
  // scanner frees them only when it moves to the next part.
  bool FreeClosed(const char* watched = nullptr);

 private:
  TXmlScanner& scanner_;
  std::vector<TEntityStackNode> nodes_;
  std::vector<std::unique_ptr<TXmlScanner>> closed_;
};

class TXmlScanner {
 public:
  // The text produced by entity expansion for one document is capped at this.
  static constexpr std::size_t kMaxExpansion = 10u << 20;
  // Entities open inside each other at most this deep.
  static constexpr int kMaxEntityDepth = 64;
  // OpenFile refuses larger files.
  static constexpr std::int64_t kMaxFileSize = std::int64_t{1} << 30;

  TXmlScanner();
  virtual ~TXmlScanner();
  TXmlScanner(const TXmlScanner&) = delete;
  TXmlScanner& operator=(const TXmlScanner&) = delete;

  // Frees the text, forgets the declarations, PackWhitespace true.
  void Reset();
  // Loads a regular file whole (openFlags as for open(2): O_RDONLY by
  // default). False, and the scanner empty, when it cannot.
  bool OpenFile(const std::string& path, int openFlags = 0);
  // Loads a copy of text; SourceName "<MEM>". The text ends at its first NUL.
  bool OpenText(std::string_view text);
  // The loaded text, or an empty one.
  const char* DocumentText() const;
  // Back to before the first part; a rescan does not analyse the document
  // type declaration again.
  void Rewind();
  // Moves to the next part and sets the part fields; false at the end.
  bool Next();

  // Returns a new scanner holding an external entity's text (empty when it
  // cannot be loaded). Default: the file named by systemId, relative to the
  // folder of SourceName unless it begins with '/'.
  virtual std::unique_ptr<TXmlScanner> OpenEntity(const std::string& systemId, const std::string& publicId,
                                                  const std::string& notation);
  // The text to deliver for literal text of the document. Default: converted
  // from UTF-8 to Windows-1252 when ActiveEncoding is exactly "UTF-8".
  virtual std::string DecodeText(std::string_view text);
  // Called for each declaration, processing instruction, comment and
  // unrecognised stretch inside a document type declaration. Default: nothing.
  virtual void DtdItemFound(const TDtdItem& item);

  // The document text, NUL-terminated (nullptr when none is loaded), and the
  // bytes allocated for it including the NUL (0 when none).
  const char* Buffer = nullptr;
  std::int32_t BufferSize = 0;
  std::string SourceName;  // the file's path, "<MEM>", or empty after a reset
  std::string DeclVersion;
  std::string DeclEncoding;
  bool DeclStandalone = false;
  std::string DoctypeName;
  const char* DoctypeEnd = nullptr;  // last character of the analysed document type declaration
  bool PackWhitespace = true;
  TEntityStack IncludeStack;
  std::string ActiveEncoding;
  TElemList ElementDefs;
  TNvpListOf<TEntityDef> GeneralEntities;
  TNvpListOf<TEntityDef> ParameterEntities;
  TNvpListOf<TNotationDef> NotationDefs;

  // The current part.
  TXmlPartKind PartKind = pkNone;
  std::string PartName;
  std::string PartText;
  const char* PartBegin = nullptr;  // first character
  const char* PartEnd = nullptr;    // last character
  TAttrList PartAttrs;

 private:
  // The parts; each sets PartKind, PartEnd and next_.
  void ScanXmlDeclaration(const char* start);
  void ScanProcessingInstruction(const char* start);
  void ScanComment(const char* start);
  void ScanCData(const char* start);
  void ScanDoctype(const char* start);
  void AnalyseDoctype(const char* start);
  void ScanTag(const char* start);
  void ApplyElementDefaults();
  // What a definition does to an attribute of the tag (copied: the value is
  // the definition's already).
  void ApplyDefinition(const TAttrDef& definition, TAttr& attr, bool copied);
  // The definitions of element that have a default value, in list order.
  const std::vector<const TAttrDef*>& DefaultedAttributes(const TElemDef& element);
  // Charges a copy of the definition's value; false once the budget refused one.
  bool ChargeDefault(const TAttrDef& definition);
  // False when packing leaves nothing to deliver.
  bool ScanCharacterData(const char* start);

  // References. A character-data reference at '&': appends what it stands
  // for to out, or enters an entity text; returns where scanning goes on and
  // sets last to the reference's last character.
  const char* CharacterDataReference(const char* ampersand, std::string& out, const char*& last);
  void ReplaceEntityReferences(std::string_view value, std::string& out);
  void ReplaceParameterReferences(std::string_view text, std::string& out);
  std::string ParameterReferencesReplaced(std::string_view text);
  void RewriteAttributeValue(TAttr& attr);
  // An external entity's text through OpenEntity, charged to the expansion
  // budget; nullptr when the budget is spent.
  std::unique_ptr<TXmlScanner> LoadExternal(const std::string& systemId, const std::string& publicId,
                                            const std::string& notation);
  bool ChargeExpansion(std::size_t bytes);
  bool MayEnter(const TEntityDef* entity) const;
  // The first ';' at or after from in its text, or the text's NUL. Cached, so
  // that a run of '&' or '%' without ';' is not searched over and over; the
  // cache is forgotten whenever a text it may lie in is freed.
  const char* NextSemicolon(const char* from);
  void ForgetSemicolon();

  // Declarations inside a document type declaration.
  const char* AnalyseDeclarations(const char* position, int stackFloor);
  const char* ElementDeclaration(const char* start);
  const char* AttributeListDeclaration(const char* start, int stackFloor);
  const char* EntityDeclaration(const char* start);
  const char* NotationDeclaration(const char* start);
  const char* ParameterReference(const char* percent);
  void AnalyseExternalDocumentType(const TExternalID& id);
  // Orders the declaration lists once their analysis is over.
  void SettleDeclarations();
  static bool ReadExternalId(const char* position, TExternalID& id);
  TEntityDef* ReplaceEntity(TNvpListOf<TEntityDef>& list, std::unique_ptr<TEntityDef> entity);
  void Report(const char* start, const char* end, TDtdItemKind kind);

  // Takes storage (a NUL, then the text) as the text to scan.
  void Adopt(std::string&& storage);

  std::string storage_;  // a NUL, the text, its NUL
  const char* documentEnd_ = nullptr;
  const char* next_ = nullptr;  // where the next part starts; nullptr: at the text's start
  const char* doctypeBegin_ = nullptr;
  bool deliverable_ = true;
  std::size_t expansion_ = 0;                          // text produced by entity expansion so far
  std::size_t doctypeExpansion_ = 0;                   // of it, while the document type was analysed
  std::vector<const TEntityDef*> expanding_;           // entities open in a replacement pass
  std::vector<std::unique_ptr<TEntityDef>> replaced_;  // redeclared entities: their texts may still be read
  bool defaultsSpent_ = false;                         // the budget refused a default: no more are copied
  std::unordered_map<const TElemDef*, std::vector<const TAttrDef*>> defaulted_;  // DefaultedAttributes
  const char* semicolonFrom_ = nullptr;
  const char* semicolonAt_ = nullptr;
};

}  // namespace tarvik
