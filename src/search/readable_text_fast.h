#pragma once
// The fast path of the readable text (readable_text.h): walks an XML part's
// markup without building the XML scanner's parts, and hands the line builder
// exactly what the scanner's walk would hand it, as long as the part's
// document type declaration declares nothing.
//
// Markup costs a search for its end: a tag its name and the syntax of its
// attribute list, which is followed (a quoted '>' does not end a tag) but not
// stored, nor are defaults or references applied to it; only the count of
// text:s is read. Character data is converted run by run, as the scanner
// converts it, and its references are resolved as the scanner resolves them
// when nothing is declared. The scanner's rules are followed to the letter,
// malformed markup included: a tag without '>' runs to the end of the text, a
// reference looks for its ';' across any markup, "</a/>" is an empty tag.
//
// Where the walk cannot be sure it stops and says so: at a document type
// declaration with an internal subset or a parameter reference, whose
// declarations would serve the rest of the part. The first document type
// declaration itself is read by the scanner; later ones are passed over, as
// the scanner passes over them.

#include "search/paragraph_lines.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tarvik {

class TTextScanner;

class TFastReadableWalk {
 public:
  // Why a walk ended.
  enum TStop {
    kNeedMore,     // the next part may still change with the bytes to come
    kEnd,          // every byte was used
    kFullScanner,  // the next part needs the XML scanner, from there to the end
  };

  // lines must outlive the walk.
  explicit TFastReadableWalk(TParagraphLines& lines);
  ~TFastReadableWalk();
  TFastReadableWalk(const TFastReadableWalk&) = delete;
  TFastReadableWalk& operator=(const TFastReadableWalk&) = delete;

  // Starts a new part.
  void Reset();
  // Walks [text, text + size), which begins where a part begins (or within
  // character data, where the walk stopped before), and hands the lines what
  // the bytes after it cannot change (all of it when atEnd: the text ends
  // there). Returns how many bytes were used; stop tells why it ended.
  std::size_t Walk(const char* text, std::size_t size, bool atEnd, TStop& stop);
  // A document type declaration was walked: a later one is passed over.
  bool DoctypeSeen() const { return doctypeSeen_; }
  // false: literal text is handed on as UTF-8, unconverted.
  void SetConverted(bool converted) { converted_ = converted; }

 private:
  // Each part starting at p returns where the next part starts, or nullptr
  // when the bytes to come may still change it.
  const char* Text(const char* p, bool& more);
  const char* Tag(const char* p);
  const char* CData(const char* p);
  const char* Doctype(const char* p, bool& needsScanner);
  // Where the scanner's attribute reading stops; the raw value of the last
  // text:c when wanted.
  const char* SkipAttributes(const char* p, bool wanted, std::string_view& count, bool& counted);
  // The position after the first close at or after from.
  const char* After(const char* from, std::string_view close) const;
  const char* NextSemicolon(const char* from);
  // A literal run of character data; runs: it may hold white space other
  // than single blanks (see TParagraphLines::Characters).
  void Literal(const char* begin, const char* end, bool runs);
  const char* LiteralPiece(const char* begin, const char* end, bool runs);
  void Characters(std::string_view text) { lines_.Characters(text); }
  TTextScanner& Scanner();

  TParagraphLines& lines_;
  std::unique_ptr<TTextScanner> scanner_;  // the first document type, text:c with references
  std::string text_;                       // a literal run converted
  bool converted_ = true;
  bool doctypeSeen_ = false;
  // The walk in progress: its bytes' end, whether the text ends there, and
  // the last ';' looked up (so that a run of '&' is not searched over and over).
  const char* end_ = nullptr;
  bool atEnd_ = false;
  const char* semicolonFrom_ = nullptr;
  const char* semicolonAt_ = nullptr;
};

}  // namespace tarvik
