#include "xml/xml_nvp.h"

#include "xml/xml_text.h"

#include <array>
#include <cstring>

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

// Appends the attributes written from position on to attrs, unordered;
// returns where reading stopped.
const char* ReadAttributes(const char* position, TAttrList& attrs) {
  enum { kName, kEquals, kValue } expected = kName;
  std::string name;
  const char* p = position;
  for (;;) {
    const char c = *p;
    if (c == '\0' || c == '>') return p;
    if (xml::IsWhitespace(c)) {
      ++p;
      continue;
    }
    switch (expected) {
      case kName: {
        if (!xml::IsNameStart(c)) return p;
        const char* end = xml::ReadName(p, xml::kAttrNameEnd);
        name.assign(p, end);
        p = end;
        expected = kEquals;
        break;
      }
      case kEquals:
        if (c == '=') expected = kValue;
        ++p;
        break;
      case kValue: {
        if (c != '"' && c != '\'') {
          ++p;
          break;
        }
        const char* close = std::strchr(p + 1, c);
        const char* end = close != nullptr ? close : xml::TextEnd(p + 1);
        attrs.Add(std::make_unique<TAttr>(name, std::string(p + 1, end)));
        p = close != nullptr ? close + 1 : end;
        expected = kName;
        break;
      }
    }
  }
}

}  // namespace

std::string_view DisplayName(TAttrValueKind kind) { return NameOf(kValueKindNames, kind); }
std::string_view DisplayName(TAttrType type) { return NameOf(kAttrTypeNames, type); }
std::string_view DisplayName(TAttrDefaultKind kind) { return NameOf(kDefaultKindNames, kind); }
std::string_view DisplayName(TElemKind kind) { return NameOf(kElemKindNames, kind); }

const char* TAttrList::Read(const char* position) {
  Clear();
  const char* stop = ReadAttributes(position, *this);
  Settle();  // ordered once: a tag of n attributes costs n log n, whatever their names
  return stop;
}

}  // namespace tarvik
