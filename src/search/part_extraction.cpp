#include "search/part_extraction.h"

#include "platform/ascii_case.h"
#include "zip/extractor.h"

namespace tarvik {

void ExtractDocumentParts(const std::string& path, const std::string& destFolder) {
  TZipExtractor extractor;
  extractor.SetOverwriteMode(Always);
  extractor.FilesList() = {"content.xml", "meta.xml", "styles.xml"};
  extractor.SetZipName(path);
  extractor.SetDoAll(false);
  extractor.SetDestDir(destFolder);
  extractor.SetOverwriteMode(Always);
  extractor.ExtractFiles();
}

void ExtractDocumentPartsToMemory(const std::string& path, TPartTexts& parts) {
  static const char* const kNames[] = {"content.xml", "meta.xml", "styles.xml"};
  TZipExtractor extractor;
  extractor.SetOverwriteMode(Always);
  extractor.FilesList() = {kNames[0], kNames[1], kNames[2]};
  extractor.SetZipName(path);
  extractor.SetDoAll(false);
  extractor.OnMemoryOutput = [&parts](TZipExtractor&, int, const std::string& name, std::string& data) {
    std::string lower = name;
    for (char& c : lower) c = AsciiLower(c);
    for (std::size_t i = 0; i < parts.size(); ++i)
      // Three different names for the three parts: data moves at most once, i stays below 3.
      // NOLINTNEXTLINE(bugprone-use-after-move,clang-analyzer-core.CallAndMessage)
      if (lower == kNames[i]) parts[i] = std::move(data);  // a later entry replaces an earlier one
  };
  extractor.ExtractFiles();
}

}  // namespace tarvik
