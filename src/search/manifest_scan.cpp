#include "search/manifest_scan.h"

#include <cstdint>

namespace tarvik {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
// The longest entity reference worth decoding ("&#x10FFFF;" is the longest
// meaningful one); a search for its ";" never looks further.
constexpr std::size_t kLongestReference = 12;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool EndsName(char c) { return IsSpace(c) || c == '/' || c == '>' || c == '<' || c == '=' || c == '"' || c == '\''; }

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == kNone ? name : name.substr(colon + 1);
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The code point of a character reference body ("#38", "#x26"); 0 when it is none.
std::uint32_t CharacterReference(std::string_view body) {
  if (body.size() < 2 || body[0] != '#') return 0;
  const bool hex = body[1] == 'x';
  std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty()) return 0;
  std::uint32_t code = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return 0;
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    if (code > 0x10FFFF) return 0;  // the body is short, so this also stops any overflow
  }
  return code;
}

// The value with the predefined entities and character references replaced;
// any other reference stays as written.
std::string DecodeEntities(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t semi = value[i] == '&' ? value.substr(i + 1, kLongestReference).find(';') : kNone;
    if (semi == kNone) {
      out += value[i++];
      continue;
    }
    const std::string_view body = value.substr(i + 1, semi);
    if (body == "amp") out += '&';
    else if (body == "lt") out += '<';
    else if (body == "gt") out += '>';
    else if (body == "quot") out += '"';
    else if (body == "apos") out += '\'';
    else if (const std::uint32_t code = CharacterReference(body)) AppendUtf8(out, code);
    else {
      out += value[i++];
      continue;
    }
    i += semi + 2;
  }
  return out;
}

// One pass over the manifest. Every step moves the position forward, and each
// search starts where the last one ended, so the pass is linear.
class TManifestScanner {
 public:
  explicit TManifestScanner(std::string_view text) : text_(text) {}

  std::vector<std::string> Run() {
    while ((pos_ = text_.find('<', pos_)) != kNone) {
      const std::string_view rest = text_.substr(pos_);
      if (rest.starts_with("<!--")) {
        SkipPast(4, "-->");
      } else if (rest.starts_with("<![CDATA[")) {
        SkipPast(9, "]]>");
      } else if (rest.starts_with("<?")) {
        SkipPast(2, "?>");
      } else if (rest.starts_with("<!")) {
        SkipPast(2, ">");
      } else if (rest.starts_with("</")) {
        pos_ += 2;
        if (LocalName(ReadName()) == "file-entry") CloseEntry();
        SkipPast(0, ">");
      } else {
        ++pos_;
        StartTag();
      }
    }
    CloseEntry();  // an entry the text never closed
    return std::move(found_);
  }

 private:
  void SkipPast(std::size_t opening, std::string_view end) {
    const std::size_t at = text_.find(end, pos_ + opening);
    pos_ = at == kNone ? text_.size() : at + end.size();
  }

  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }

  std::string_view ReadName() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !EndsName(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  void CloseEntry() {
    if (inEntry_ && encrypted_ && hasPath_) found_.push_back(std::move(path_));
    inEntry_ = encrypted_ = hasPath_ = false;
    path_.clear();
  }

  // Reads a start tag from behind its "<" to behind its ">".
  void StartTag() {
    const std::string_view local = LocalName(ReadName());
    const bool fileEntry = local == "file-entry";
    if (local == "encryption-data" && inEntry_) encrypted_ = true;

    std::string fullPath;
    bool hasPath = false, selfClosing = false;
    while (SkipSpace(), pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '<') break;  // a tag left open: the next one begins here
      if (c == '>' || c == '/') {
        ++pos_;
        if (c == '>') break;
        if (pos_ < text_.size() && text_[pos_] == '>') {
          ++pos_;
          selfClosing = true;
          break;
        }
        continue;
      }
      const std::string_view attribute = ReadName();
      if (attribute.empty()) {  // a stray "=" or quote
        ++pos_;
        continue;
      }
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '=') continue;
      ++pos_;
      SkipSpace();
      if (pos_ >= text_.size()) break;
      const char quote = text_[pos_];
      if (quote != '"' && quote != '\'') continue;  // an unquoted value is read as more names
      const std::size_t close = text_.find(quote, pos_ + 1);
      if (close == kNone) {
        pos_ = text_.size();
        break;
      }
      if (fileEntry && LocalName(attribute) == "full-path") {
        fullPath = DecodeEntities(text_.substr(pos_ + 1, close - pos_ - 1));
        hasPath = true;
      }
      pos_ = close + 1;
    }

    if (!fileEntry) return;
    CloseEntry();             // file entries do not nest: an open one ends here
    if (selfClosing) return;  // no children, so nothing encrypted
    inEntry_ = true;
    hasPath_ = hasPath;
    path_ = std::move(fullPath);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  bool inEntry_ = false, encrypted_ = false, hasPath_ = false;
  std::string path_;
  std::vector<std::string> found_;
};

}  // namespace

std::vector<std::string> EncryptedManifestPaths(std::string_view manifest) { return TManifestScanner(manifest).Run(); }

}  // namespace tarvik
