#include "search/part_extraction.h"

#include "zip/zip_extractor.h"

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

}  // namespace tarvik
