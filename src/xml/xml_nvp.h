#pragma once
// The name-value classes of the XML scanner: attributes of a tag, declared
// elements with their attribute definitions, entities and notations. Every
// list owns its nodes and keeps them sorted by name in ordinal byte order; a
// new node goes before existing nodes of the same name, so a lookup (binary,
// case-sensitive) finds the newest of them.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvik {

// How an attribute of a tag got its value.
enum TAttrValueKind : std::uint8_t { avNormal = 0, avImplied = 1, avFixed = 2, avDefault = 3 };

// Declared type of an attribute (attribute-list declaration).
enum TAttrType : std::uint8_t {
  atUnknown = 0,
  atCData = 1,
  atId = 2,
  atIdRef = 3,
  atIdRefs = 4,
  atEntity = 5,
  atEntities = 6,
  atNmToken = 7,
  atNmTokens = 8,
  atNotation = 9,
  atEnumeration = 10
};

// Default kind of an attribute definition.
enum TAttrDefaultKind : std::uint8_t { dkDefault = 0, dkRequired = 1, dkImplied = 2, dkFixed = 3 };

// Content kind of an element declaration.
enum TElemKind : std::uint8_t { ekEmpty = 0, ekAny = 1, ekChildsOnly = 2, ekMixed = 3 };

// Display names ("Normal", "CDATA", "Required", "Childs only", ...); an
// out-of-range value gives an empty name.
std::string_view DisplayName(TAttrValueKind kind);
std::string_view DisplayName(TAttrType type);
std::string_view DisplayName(TAttrDefaultKind kind);
std::string_view DisplayName(TElemKind kind);

// A list that owns nodes of type T (which has a string member Name), sorted
// by name.
template <class T>
class TNamedList {
 public:
  TNamedList() = default;
  TNamedList(const TNamedList&) = delete;
  TNamedList& operator=(const TNamedList&) = delete;
  virtual ~TNamedList() = default;

  int Count() const { return static_cast<int>(nodes_.size()); }
  bool Empty() const { return nodes_.empty(); }
  T& Item(int index) const { return *nodes_[static_cast<std::size_t>(index)]; }
  T& operator[](int index) const { return Item(index); }

  // Inserts after the last node whose name is smaller; returns the node.
  T* Add(std::unique_ptr<T> node) {
    const auto at = LowerBound(node->Name);
    return nodes_.insert(at, std::move(node))->get();
  }
  // The first node of that name (the newest), or nullptr.
  T* Find(std::string_view name) const {
    const auto at = LowerBound(name);
    return at != nodes_.end() && (*at)->Name == name ? at->get() : nullptr;
  }
  int IndexOf(std::string_view name) const {
    const auto at = LowerBound(name);
    return at != nodes_.end() && (*at)->Name == name ? static_cast<int>(at - nodes_.begin()) : -1;
  }
  // Takes the node at index out of the list and hands it to the caller.
  std::unique_ptr<T> Extract(int index) {
    const auto at = nodes_.begin() + index;
    std::unique_ptr<T> node = std::move(*at);
    nodes_.erase(at);
    return node;
  }
  void Delete(int index) { Extract(index); }
  void Clear() { nodes_.clear(); }

 private:
  using TNodes = std::vector<std::unique_ptr<T>>;
  typename TNodes::const_iterator LowerBound(std::string_view name) const {
    return std::lower_bound(nodes_.begin(), nodes_.end(), name,
                            [](const std::unique_ptr<T>& node, std::string_view key) { return node->Name < key; });
  }
  typename TNodes::iterator LowerBound(std::string_view name) {
    return std::lower_bound(nodes_.begin(), nodes_.end(), name,
                            [](const std::unique_ptr<T>& node, std::string_view key) { return node->Name < key; });
  }

  TNodes nodes_;
};

// A name and a value.
class TNvpNode {
 public:
  TNvpNode() = default;
  TNvpNode(std::string name, std::string value) : Name(std::move(name)), Value(std::move(value)) {}
  TNvpNode(const TNvpNode&) = default;
  TNvpNode& operator=(const TNvpNode&) = default;
  virtual ~TNvpNode() = default;

  std::string Name;
  std::string Value;
};

// A sorted list of name-value nodes of type T.
template <class T = TNvpNode>
class TNvpListOf : public TNamedList<T> {
 public:
  // The value of the node of that name, or an empty string.
  std::string Value(std::string_view name) const {
    const T* node = this->Find(name);
    return node != nullptr ? node->Value : std::string();
  }
};

using TNvpList = TNvpListOf<TNvpNode>;

// An attribute of a tag (or of an XML declaration or processing instruction).
class TAttr : public TNvpNode {
 public:
  using TNvpNode::TNvpNode;
  TAttrValueKind ValueKind = avNormal;
  TAttrType Type = atUnknown;
};

class TAttrList : public TNvpListOf<TAttr> {
 public:
  // Empties the list and reads the attributes written from position on, each
  // value as written (raw). Stops at NUL, at '>' or at the first character
  // where a name is expected that cannot start one ('/' of an empty tag, '?'
  // of "?>"); returns that position.
  const char* Read(const char* position);
};

// A declared entity: name and replacement text. An empty replacement text
// means an external entity, loaded through its system id.
class TEntityDef : public TNvpNode {
 public:
  using TNvpNode::TNvpNode;
  bool IsExternal() const { return Value.empty(); }

  std::string SystemId;
  std::string PublicId;
  std::string NotationName;
};

// A declared attribute: name and default value.
class TAttrDef : public TNvpNode {
 public:
  using TNvpNode::TNvpNode;
  std::string TypeDef;       // the type as written (keyword or enumeration)
  std::string NotationList;  // the names of a NOTATION type
  TAttrType Type = atUnknown;
  TAttrDefaultKind DefaultKind = dkDefault;
};

// A declared element and the definitions of its attributes.
class TElemDef : public TNvpListOf<TAttrDef> {
 public:
  TElemDef() = default;
  explicit TElemDef(std::string name) : Name(std::move(name)) {}

  std::string Name;
  TElemKind Kind = ekAny;
  std::string ContentModel;  // whitespace removed, parameter references replaced
};

class TElemList : public TNamedList<TElemDef> {};

// A declared notation: name and system id.
class TNotationDef : public TNvpNode {
 public:
  using TNvpNode::TNvpNode;
  std::string PublicId;
};

// The ids of a SYSTEM or PUBLIC external id, and the last character read.
struct TExternalID {
  std::string PublicId;
  std::string SystemId;
  const char* Stop = nullptr;
};

}  // namespace tarvik
