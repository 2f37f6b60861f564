#pragma once
// The text preview of a Writer or Calc document: every piece of character
// data of its content.xml on a line of its own, in Windows-1252, with runs of
// blank lines packed to one. The preview window and tarvik-text both show
// exactly what BuildPreviewText returns.

#include <optional>
#include <string>
#include <vector>

namespace tarvik {

// The file that keeps the unpacked lines of the last preview, in the folder
// of the program's executable.
inline constexpr const char* kContentsFile = "Contents.txt";

struct TPreviewText {
  // Windows-1252 lines without their line ends.
  std::vector<std::string> unpacked;  // every piece of character data: what Contents.txt holds
  std::vector<std::string> shown;     // after blank-line packing: what the preview shows
  // The failure's text when the document could not be unpacked. The preview
  // still goes on with whatever content.xml the unpacking left.
  std::optional<std::string> unpackFailure;
  bool contentsWritten = false;  // Contents.txt was written
};

// Builds the preview of document: unpacks its "*.xml" entries into
// scratchFolder (created when missing), walks content.xml, writes Contents.txt
// into contentsFolder (not when that is empty), and deletes the files of
// scratchFolder again. A content.xml that is missing or cannot be walked gives
// an empty text; failing to write Contents.txt changes nothing in the text. A
// document saved with a password (its manifest marks content.xml encrypted)
// counts as not unpacked, with an empty text.
TPreviewText BuildPreviewText(const std::string& document, const std::string& scratchFolder,
                              const std::string& contentsFolder);

// The text of the file with each of its line ends (CR LF, LF or CR) made
// CR LF: its lines joined by CR LF. Nothing when it cannot be read.
std::optional<std::string> ReadJoinedByCrLf(const std::string& path);

// The character data of an XML text as the XML scanner delivers it with
// whitespace packing off, one piece per line; a line break inside a piece
// breaks the line too.
std::vector<std::string> CharacterDataLines(const std::string& xml);

// A line that is empty or holds only blanks (32) is kept only when the line
// before it is not such a line; every other line is kept.
std::vector<std::string> PackBlankLines(const std::vector<std::string>& lines);

}  // namespace tarvik
