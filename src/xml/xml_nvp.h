#pragma once
// The name-value classes of the XML scanner: attributes of a tag, declared
// elements with their attribute definitions, entities and notations. Every
// list owns its nodes and reads them in ordinal byte order of their names; a
// new node goes before existing nodes of the same name, so a lookup
// (case-sensitive) finds the newest of them.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
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

// A list that owns nodes of type T (which has a string member Name), in
// ordinal name order; among nodes of the same name the newest comes first, so
// a lookup finds it. A node's name must not change while it is in a list.
//
// Nodes are appended and put in order only when the list is next read by
// index (or by Settle), so that filling a list costs n log n whatever the
// order of the names. While it is out of order, lookups and removals by name
// go through a hash index of the newest node of each name, built on the first
// of them.
template <class T>
class TNamedList {
 public:
  TNamedList() = default;
  TNamedList(const TNamedList&) = delete;
  TNamedList& operator=(const TNamedList&) = delete;
  virtual ~TNamedList() = default;

  int Count() const { return static_cast<int>(nodes_.size() - removed_); }
  bool Empty() const { return Count() == 0; }
  T& Item(int index) const {
    Settle();
    return *nodes_[static_cast<std::size_t>(index)];
  }
  T& operator[](int index) const { return Item(index); }

  // Adds the node; in name order it goes before the nodes of the same name.
  // Returns the node.
  T* Add(std::unique_ptr<T> node) {
    T* added = node.get();
    nodes_.push_back(std::move(node));
    if (indexed_) IndexNewest(nodes_.size() - 1);
    return added;
  }
  // The newest node of that name, or nullptr.
  T* Find(std::string_view name) const {
    const std::size_t at = PositionOf(name);
    return at != kNone ? nodes_[at].get() : nullptr;
  }
  // Takes the newest node of that name out of the list and hands it to the
  // caller; nullptr when there is none.
  std::unique_ptr<T> Remove(std::string_view name) {
    const std::size_t at = PositionOf(name);
    if (at == kNone) return nullptr;
    std::unique_ptr<T> node = std::move(nodes_[at]);
    ++removed_;
    if (indexed_) {
      newest_.erase(node->Name);
      if (older_[at] != kNone) newest_.emplace(nodes_[older_[at]]->Name, older_[at]);
    }
    return node;
  }
  void Clear() {
    nodes_.clear();
    sorted_ = removed_ = 0;
    DropIndex();
  }
  // Puts the nodes in order now.
  void Settle() const {
    if (InOrder()) return;
    DropIndex();
    std::vector<std::unique_ptr<T>> added;
    added.reserve(nodes_.size() - sorted_);
    for (std::size_t i = nodes_.size(); i > sorted_; --i)  // newest first
      if (nodes_[i - 1]) added.push_back(std::move(nodes_[i - 1]));
    nodes_.resize(sorted_);
    SortStable(added);
    if (removed_ != 0) std::erase(nodes_, nullptr);
    if (nodes_.empty()) {
      nodes_ = std::move(added);
    } else {
      // The added nodes are newer: they go first among equal names.
      std::vector<std::unique_ptr<T>> merged;
      merged.reserve(nodes_.size() + added.size());
      std::merge(std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()),
                 std::make_move_iterator(nodes_.begin()), std::make_move_iterator(nodes_.end()),
                 std::back_inserter(merged), NameLess);
      nodes_ = std::move(merged);
    }
    sorted_ = nodes_.size();
    removed_ = 0;
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  static bool NameLess(const std::unique_ptr<T>& a, const std::unique_ptr<T>& b) { return a->Name < b->Name; }

  bool InOrder() const { return sorted_ == nodes_.size() && removed_ == 0; }

  // Stable by name; small lists (the attributes of a tag) without the
  // buffer std::stable_sort allocates.
  static void SortStable(std::vector<std::unique_ptr<T>>& nodes) {
    if (nodes.size() > 32) return std::stable_sort(nodes.begin(), nodes.end(), NameLess);
    for (std::size_t i = 1; i < nodes.size(); ++i)
      for (std::size_t j = i; j > 0 && NameLess(nodes[j], nodes[j - 1]); --j) std::swap(nodes[j], nodes[j - 1]);
  }

  std::size_t PositionOf(std::string_view name) const {
    if (InOrder()) {
      const auto at =
          std::lower_bound(nodes_.begin(), nodes_.end(), name,
                           [](const std::unique_ptr<T>& node, std::string_view key) { return node->Name < key; });
      return at != nodes_.end() && (*at)->Name == name ? static_cast<std::size_t>(at - nodes_.begin()) : kNone;
    }
    if (!indexed_) BuildIndex();
    const auto found = newest_.find(name);
    return found != newest_.end() ? found->second : kNone;
  }

  // Visits the nodes from the oldest to the newest of each name: the ordered
  // part holds equal names newest first, the appended ones follow it in the
  // order they came.
  void BuildIndex() const {
    indexed_ = true;
    older_.assign(nodes_.size(), kNone);
    for (std::size_t i = sorted_; i > 0; --i)
      if (nodes_[i - 1]) IndexNewest(i - 1);
    for (std::size_t i = sorted_; i < nodes_.size(); ++i)
      if (nodes_[i]) IndexNewest(i);
  }
  void IndexNewest(std::size_t at) const {
    if (older_.size() <= at) older_.resize(at + 1, kNone);
    auto [entry, added] = newest_.try_emplace(nodes_[at]->Name, at);
    if (!added) {
      older_[at] = entry->second;
      entry->second = at;
    }
  }
  void DropIndex() const {
    if (!indexed_) return;
    indexed_ = false;
    newest_.clear();
    older_.clear();
  }

  // [0, sorted_) in order, then the nodes added since in the order they
  // came; a removed node leaves an empty slot until the next Settle.
  mutable std::vector<std::unique_ptr<T>> nodes_;
  mutable std::size_t sorted_ = 0;
  mutable std::size_t removed_ = 0;
  // While out of order: the position of the newest node of each name (keys
  // view the nodes' names), and per position the next older one of its name.
  mutable bool indexed_ = false;
  mutable std::unordered_map<std::string_view, std::size_t> newest_;
  mutable std::vector<std::size_t> older_;
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
