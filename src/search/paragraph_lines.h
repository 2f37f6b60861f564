#pragma once
// Builds the text a reader sees in an office XML part, one line per paragraph,
// from the part's elements and character data in document order.
//
// - A paragraph or heading (text:p, text:h) is one line: its character data
//   with the references resolved, text:s as its count of blanks (text:c,
//   default 1), text:tab (text:tab-stop in the 1.x format) as a tab and
//   text:line-break as a blank. A run of white space in the XML text (blank,
//   tab, CR, LF) counts as one blank, also across element boundaries, and
//   none at the line's start or end.
// - A paragraph inside another one (a footnote, a frame's text box) is a line
//   of its own; the outer paragraph's text before and after it forms the outer
//   line, which ends with the outer paragraph (after the nested line).
// - Character data outside any paragraph that is more than white space is a
//   line per element: every tag ends such a line (meta.xml's title, a cell's
//   value). Inside a paragraph, a comment (office:annotation) or a drawing
//   object (draw:*) is outside it in this sense: its author, its date and an
//   image's title do not join the paragraph's line.
// - Element and attribute names and attribute values are never text.
// Element names compare as written, with their prefix ("text:p"): the 1.x
// and the 2.0 formats both use these prefixes.

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// Receives the lines as they are built. A long line arrives in several
// pieces. Lines built at the same time (a paragraph and one nested in it) are
// told apart by their level: the number of paragraphs around the line.
class TLineSink {
 public:
  virtual ~TLineSink() = default;
  virtual void LinePiece(std::size_t level, std::string_view text) = 0;
  // The line of this level is complete (it may be empty: an empty paragraph).
  virtual void LineEnd(std::size_t level) = 0;
};

// A sink that keeps the lines, each one whole, in the order in which they end.
class TLineCollector : public TLineSink {
 public:
  void LinePiece(std::size_t level, std::string_view text) override;
  void LineEnd(std::size_t level) override;

  std::vector<std::string> lines;

 private:
  std::vector<std::string> open_;  // the line being built at each level
};

// The element whose count attribute the builder needs: text:s, with text:c.
inline constexpr std::string_view kSpaceElement = "text:s";
inline constexpr std::string_view kSpaceCountAttribute = "text:c";

class TParagraphLines {
 public:
  // sink must outlive the builder.
  explicit TParagraphLines(TLineSink& sink);

  // Forgets the lines being built, for a new part.
  void Reset();
  // A start tag (empty false) or an empty-element tag (empty true). count is
  // the value of text:c when name is text:s, else ignored.
  void Element(std::string_view name, bool empty, std::string_view count = {});
  void EndElement(std::string_view name);
  // Character data, references resolved, in Windows-1252. singleBlanks: the
  // caller knows that the text holds no control character and no two blanks
  // in a row, so that only its ends need a look.
  void Characters(std::string_view text, bool singleBlanks = false);
  // The part has ended: ends the lines still open, innermost first.
  void Finish();

 private:
  struct TLine {
    std::string text;      // not yet handed to the sink
    bool content = false;  // something other than XML white space was added
    bool blank = false;    // XML white space after content, not yet written
    void Clear() {         // keeps the text's storage
      text.clear();
      content = blank = false;
    }
  };
  struct TRegion {
    std::string name;
    bool paragraph = false;  // else a comment or a drawing object: outside the paragraph
    TLine line;              // a paragraph's line
  };

  bool InParagraph() const { return !regions_.empty() && regions_.back().paragraph; }
  // The line that character data goes to now, and its level.
  TLine& Current() { return InParagraph() ? regions_.back().line : loose_; }
  std::size_t Level() const { return InParagraph() ? paragraphs_ - 1 : paragraphs_; }
  // Words that single blanks part, neither beginning nor ending with one.
  void AddStretch(TLine& line, std::string_view stretch);
  void AddGenerated(char c, std::size_t count);
  void Flush(TLine& line, std::size_t level, std::size_t atLeast);
  void EndLine(TLine& line, std::size_t level);
  void EndLooseLine();
  void Open(std::string_view name, bool paragraph);
  // Ends the innermost region.
  void Close();
  // How many regions of that name are open; the first adds the name.
  std::size_t& OpenCount(std::string_view name);
  std::size_t Opened(std::string_view name) const;

  TLineSink& sink_;
  std::vector<TRegion> regions_;  // the open paragraphs, comments and drawing objects
  std::size_t paragraphs_ = 0;    // how many of them are paragraphs
  // How many regions of each name are open; the two paragraph names apart.
  std::size_t openParagraphs_ = 0;
  std::size_t openHeadings_ = 0;
  std::map<std::string, std::size_t, std::less<>> openNames_;
  TLine loose_;        // character data outside paragraphs
  std::string spare_;  // the storage of a closed region's line
};

}  // namespace tarvik
