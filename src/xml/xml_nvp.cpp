#include "xml/xml_nvp.h"

#include <array>

namespace tarvik {

namespace {

template <std::size_t N, class E>
std::string_view NameOf(const std::array<std::string_view, N>& names, E value) {
  const auto index = static_cast<std::size_t>(value);
  return index < N ? names[index] : std::string_view();
}

constexpr std::array<std::string_view, 4> kValueKindNames = {"Normal", "Implied", "Fixed", "Default"};
constexpr std::array<std::string_view, 11> kAttrTypeNames = {"Unknown",  "CDATA",    "ID",         "IDREF",
                                                             "IDREFS",   "ENTITY",   "ENTITIES",   "NMTOKEN",
                                                             "NMTOKENS", "Notation", "Enumeration"};
constexpr std::array<std::string_view, 4> kDefaultKindNames = {"Default", "Required", "Implied", "Fixed"};
constexpr std::array<std::string_view, 4> kElemKindNames = {"Empty", "Any", "Childs only", "Mixed"};

}  // namespace

std::string_view DisplayName(TAttrValueKind kind) { return NameOf(kValueKindNames, kind); }
std::string_view DisplayName(TAttrType type) { return NameOf(kAttrTypeNames, type); }
std::string_view DisplayName(TAttrDefaultKind kind) { return NameOf(kDefaultKindNames, kind); }
std::string_view DisplayName(TElemKind kind) { return NameOf(kElemKindNames, kind); }

const char* TAttrList::Read(const char* position) {
  Clear();
  return position;
}

}  // namespace tarvik
