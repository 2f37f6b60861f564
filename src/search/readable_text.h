#pragma once
// Walks one XML part and hands its elements and character data to the
// paragraph line builder (paragraph_lines.h), taking the part's decoded bytes
// as they arrive.
//
// The fast path (readable_text_fast.h) walks the markup at memchr speed and
// holds only a part cut by the end of the bytes so far. It gives what the
// XML scanner gives, and hands over to the scanner, for the rest of the
// part, at a document type declaration that declares anything.
//
// The scanner works on a text in memory. To keep memory bounded whatever a
// part's size, the bytes are collected up to a few MB and scanned; the parts
// the scanner delivers are used as long as the rest of the part cannot change
// them (they end before the collected bytes do and no reference in them looks
// for its ';' beyond them), and the bytes from the first part that could
// still change are kept and scanned again with the bytes that follow. A part
// whose document type declaration declares anything (an internal subset) is
// held whole from there on, since its entities must be known to the rest.
// Markup without any tag in it for megabytes (one huge run of text, say) is
// held until a tag ends it.
//
// Text is converted from UTF-8 to Windows-1252 as the raw lines of a part
// are (Utf8ToAnsiLine): each character the code page cannot hold becomes one
// "?", whatever encoding the part declares. External entities and external
// document types are never read: the search reads no file but the document.
// The text ends at its first NUL byte.

#include "search/paragraph_lines.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

class TTextScanner;
class TFastReadableWalk;

class TReadableText {
 public:
  // The held bytes at which a scan is first tried.
  static constexpr std::size_t kScanChunk = std::size_t{4} << 20;

  // The most bytes the fast path adds to a part cut by the end of the bytes
  // before it tries again.
  static constexpr std::size_t kFastGrowth = 4096;

  // sink must outlive the walker. chunk: kScanChunk but in tests (it bounds
  // the fast path's growth too). fastPath false: the scanner walks every part.
  explicit TReadableText(TLineSink& sink, std::size_t chunk = kScanChunk, bool fastPath = true);
  ~TReadableText();
  TReadableText(const TReadableText&) = delete;
  TReadableText& operator=(const TReadableText&) = delete;

  // Starts a new part.
  void Reset();
  // false: the fast path hands literal text on as UTF-8, for a matcher whose
  // needles occur in a converted line exactly where they occur in its bytes
  // (plain ASCII without "?": conversion keeps every byte below 0x80 and
  // turns every other sequence into one byte that is 0x80 or above, or "?").
  // The lines are then no text to show.
  void SetConverted(bool converted);
  // The part's next bytes.
  void Feed(const char* data, std::size_t size);
  // The part has ended: scans what is held and ends the open lines.
  void Finish();

 private:
  // Scans the held bytes and delivers the parts that the bytes still to come
  // cannot change (all of them when atEnd); drops the delivered bytes.
  void Scan(bool atEnd);
  void Deliver();
  void FeedFast(const char* data, std::size_t size);
  // The rest of the part, held from where the fast path stopped, goes to the scanner.
  void HandOver();

  TParagraphLines lines_;
  std::unique_ptr<TTextScanner> scanner_;
  std::unique_ptr<TFastReadableWalk> walk_;
  std::string held_;
  std::size_t chunk_;
  std::size_t scanAt_;        // the held size at which the next scan is tried
  std::size_t walkAt_ = 0;    // the held size at which the fast path tries again
  bool fastPath_;             // the fast path is wanted
  bool fast_;                 // the fast path walks this part (it has not handed over)
  bool ended_ = false;        // a NUL byte ended the text
  bool whole_ = false;        // the part is scanned whole at its end
  bool doctypeSeen_ = false;  // a document type declaration was delivered
};

// The readable text of a whole part, one line per paragraph in the order in
// which the lines end, in Windows-1252.
std::vector<std::string> ReadableLines(std::string_view part);

// The readable text of a document's content.xml, as tarvik-find --text
// matches it; nothing when the document has no content.xml that decodes
// whole with the right CRC. Failures of the whole archive are thrown as the
// reader's exceptions; a content.xml that the manifest marks as encrypted (a
// document saved with a password) as std::runtime_error.
std::optional<std::vector<std::string>> DocumentReadableLines(const std::string& path);

}  // namespace tarvik
