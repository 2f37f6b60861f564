#include "search/preview_text.h"

#include "search/document_collection.h"
#include "search/document_search.h"
#include "search/manifest_scan.h"

#include "xml/xmlscan.h"

#include "zip/extractor.h"

#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

#include <exception>
#include <memory>

namespace tarvik {
namespace {

// Unpacks every "*.xml" entry of document straight into scratchFolder (no
// sub-folders: a later entry of the same name replaces an earlier one).
void UnpackXmlParts(const std::string& document, const std::string& scratchFolder) {
  TZipExtractor extractor;
  extractor.SetOverwriteMode(TUZOverwriteMode::Always);
  extractor.FilesList().push_back("*.xml");
  extractor.SetZipName(document);
  extractor.SetDoAll(false);
  extractor.SetDestDir(scratchFolder);
  // Stored permissions could make content.xml unreadable, or keep a later
  // entry of the same name from replacing it: the files keep the folder's own.
  extractor.SetRetainAttributes(false);
  // Every entry lands straight in the folder, so the content.xml of an
  // embedded object ("Object 1/content.xml") stored after the document's own
  // would replace the document's text: once that is out, they are left alone.
  bool ownContentOut = false;
  extractor.OnStartUnZip = [&ownContentOut](TZipExtractor& sender, int index, std::string&, bool& skip) {
    const TZipHeaderInfo& entry = sender.Entry(index);
    if (!AsciiCaseBlindEqual(entry.FileName(), "content.xml")) return;
    if (entry.Directory().empty()) ownContentOut = true;
    else skip = ownContentOut;
  };
  extractor.ExtractFiles();
}

std::string FailureText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& known) {
    return known.what();
  } catch (...) {
    return "unknown failure";
  }
}

// Appends the pieces of text between its line breaks (CR LF, LF or CR), each
// as a line: a text without any is one line, also when it is empty.
void AppendSplitAtLineBreaks(const std::string& text, std::vector<std::string>& lines) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text, start, i - start);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.emplace_back(text, start);
}

// Whether the manifest unpacked beside content.xml marks it as encrypted: a
// document saved with a password, whose text would only show as noise.
bool ContentIsEncrypted(const std::string& scratchFolder) {
  const std::optional<std::string> manifest = ReadJoinedByCrLf(JoinPath(scratchFolder, "manifest.xml"));
  if (!manifest) return false;
  for (const std::string& path : EncryptedManifestPaths(*manifest))
    if (AsciiCaseBlindEqual(path, "content.xml")) return true;
  return false;
}

// The scanner of the preview: a document's text never pulls in a file from
// the disk (its document type or an entity naming one, "office.dtd" of the
// 1.x formats among them); such a text counts as empty.
class TPreviewScanner : public TXmlScanner {
 public:
  std::unique_ptr<TXmlScanner> OpenEntity(const std::string&, const std::string&, const std::string&) override {
    return std::make_unique<TXmlScanner>();
  }
};

bool IsBlankLine(const std::string& line) { return line.find_first_not_of(' ') == std::string::npos; }

}  // namespace

std::optional<std::string> ReadJoinedByCrLf(const std::string& path) {
  std::vector<std::string> lines;
  try {
    lines = ReadTextLines(path);
  } catch (const EInOutError&) {
    return std::nullopt;
  }
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

std::vector<std::string> CharacterDataLines(const std::string& xml) {
  std::vector<std::string> lines;
  TPreviewScanner scanner;
  if (!scanner.OpenText(xml)) return lines;
  scanner.Rewind();
  scanner.PackWhitespace = false;
  while (scanner.Next())
    if (scanner.PartKind == pkText) AppendSplitAtLineBreaks(scanner.PartText, lines);
  return lines;
}

std::vector<std::string> PackBlankLines(const std::vector<std::string>& lines) {
  std::vector<std::string> packed;
  int blanksInARow = 0;
  for (const std::string& line : lines) {
    blanksInARow = IsBlankLine(line) ? blanksInARow + 1 : 0;
    if (blanksInARow <= 1) packed.push_back(line);
  }
  return packed;
}

TPreviewText BuildPreviewText(const std::string& document, const std::string& scratchFolder,
                              const std::string& contentsFolder) {
  TPreviewText preview;
  ForceDirectories(scratchFolder);  // a failure shows in the unpacking
  const std::string content = JoinPath(scratchFolder, "content.xml");
  // What another document left must never count as this one's.
  DeleteFile(content);
  DeleteFile(JoinPath(scratchFolder, "manifest.xml"));
  try {
    UnpackXmlParts(document, scratchFolder);
  } catch (...) {
    preview.unpackFailure = FailureText(std::current_exception());
  }
  try {
    if (ContentIsEncrypted(scratchFolder)) {
      if (!preview.unpackFailure)
        preview.unpackFailure = "content.xml is encrypted: the document is saved with a password";
    } else if (const std::optional<std::string> xml = ReadJoinedByCrLf(content))
      preview.unpacked = CharacterDataLines(*xml);
  } catch (...) {  // out of memory on a huge part: an empty preview, as for a missing one
    preview.unpacked.clear();
  }
  if (!contentsFolder.empty()) {
    try {
      WriteTextLines(JoinPath(contentsFolder, kContentsFile), preview.unpacked);
      preview.contentsWritten = true;
    } catch (const EInOutError&) {
      // The folder of the executable is often not writable here; the text is shown all the same.
    }
  }
  EmptyScratchFolder(scratchFolder, false);
  preview.shown = PackBlankLines(preview.unpacked);
  return preview;
}

}  // namespace tarvik
