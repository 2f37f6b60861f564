#include "search/document_search.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/ascii_case.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "search/document_collection.h"
#include "search/legacy_search.h"
#include "search/line_reader.h"
#include "search/part_extraction.h"
#include "search/search_form.h"
#include "search/term_match.h"

namespace tarvik {
namespace {

constexpr std::int64_t kSmallestDocument = 256;  // two records of 128 bytes

enum TPart { kContent, kMeta, kStyles, kPartCount };
constexpr std::array<const char*, kPartCount> kPartFiles = {"content.xml", "meta.xml", "styles.xml"};

// Whether any line of the part matches; false when the part is absent.
bool PartMatches(const std::string& file, TTermMatcher& matcher, std::string& converted) {
  TLineReader reader(file);
  if (!reader.Ok()) return false;
  std::string_view line;
  while (reader.Next(line)) {
    Utf8ToAnsiLine(line, converted);
    if (matcher.Matches(converted)) return true;  // the rest cannot change the outcome
  }
  return false;
}

// Deletes the part files an earlier document may have left; false when one
// of them is there and cannot be deleted.
bool RemoveLeftoverParts(const std::string& scratchFolder) {
  for (const char* part : kPartFiles) {
    const std::string file = JoinPath(scratchFolder, part);
    if (!DeleteFile(file) && errno != ENOENT) return false;
  }
  return true;
}

// The steps before unpacking: a document that fails the open test goes to the
// error list, a legacy binary is matched whole. True when nothing is left to do.
bool SettledWithoutUnpacking(TSearchForm& form, const std::string& path, const std::string& phrase,
                                    bool caseSensitive) {
  if (FileExists(path) && !PassesOpenTest(path)) {
    form.AddError(path);
    return true;
  }
  if (IsLegacyExtension(ExtensionOf(path))) {
    SearchLegacyDocument(form, path, phrase, caseSensitive);
    return true;
  }
  return false;
}

}  // namespace

bool IsLegacyExtension(std::string_view extension) {
  std::string lower(extension);
  for (char& c : lower) c = AsciiLower(c);
  return lower == ".sdw" || lower == ".sdc" || lower == ".sda" || lower == ".sdd" || lower == ".vor";
}

std::string ExtensionOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot);
}

bool PassesOpenTest(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool sized = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  return sized && info.st_size >= kSmallestDocument;
}

void AddResult(TSearchForm& form, const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  form.AddResult(form.IsChecked(TFormBox::cbFile) ? name : path, folder);
}

bool EmptyScratchFolder(const std::string& folder, bool recurse) {
  // One listing serves both the files and the sub-folders (folder links are
  // not entered); the scratch folder is never deep, so no loop guard is needed
  // beyond that.
  bool emptied = true;
  for (const TDirEntry& entry : ListDirectory(folder, "*")) {
    const std::string path = JoinPath(folder, entry.name);
    if (!entry.isFolder) {
      emptied = DeleteFile(path) && emptied;
    } else if (recurse && !entry.isLink) {
      emptied = EmptyScratchFolder(path, recurse) && emptied;
    }
  }
  return emptied;
}

void SearchDocument(TSearchForm& form, const std::string& scratchFolder, const std::string& path,
                    const std::string& phrase, bool caseSensitive) {
  if (SettledWithoutUnpacking(form, path, phrase, caseSensitive)) return;
  ForceDirectories(scratchFolder);
  // A part left over from an earlier document must never be read as this one's.
  if (!RemoveLeftoverParts(scratchFolder)) {
    form.AddError(path);
    return;
  }
  try {
    ExtractDocumentParts(path, scratchFolder);
  } catch (...) {
    form.AddError(path);
    EmptyScratchFolder(scratchFolder, form.IsChecked(TFormBox::cbUnter));
    return;
  }
  ScanDocumentParts(form, scratchFolder, path, phrase, caseSensitive);
}

namespace {

// Matches the chosen parts, asking partMatches(part, matcher, buffer) for each,
// and registers one result per matching part in the order content, meta, styles.
template <typename PartMatchesFn>
void ScanParts(TSearchForm& form, const std::string& path, const std::string& phrase, bool caseSensitive,
               PartMatchesFn partMatches) {
  const TMatchMode mode = CurrentMatchMode(form);
  const std::vector<std::string> words = SplitWords(phrase);
  TTermMatcher matcher(mode, phrase, words, caseSensitive);

  const bool all = form.IsChecked(TFormBox::cbAlles);
  const std::array<bool, kPartCount> chosen = {all || form.IsChecked(TFormBox::cbConntent),
                                               all || form.IsChecked(TFormBox::cbMeta),
                                               all || form.IsChecked(TFormBox::cbStyles)};
  std::array<bool, kPartCount> matched{};
  std::string converted;
  for (int part = kContent; part < kPartCount; ++part)
    if (chosen[part]) matched[part] = partMatches(part, matcher, converted);

  for (int part = kContent; part < kPartCount; ++part)
    if (matched[part]) AddResult(form, path);
}

bool TextMatchesAnyLine(std::string_view text, TTermMatcher& matcher, std::string& converted) {
  std::string_view line;
  while (NextTextLine(text, line)) {
    Utf8ToAnsiLine(line, converted);
    if (matcher.Matches(converted)) return true;
  }
  return false;
}

}  // namespace

void ScanDocumentParts(TSearchForm& form, const std::string& scratchFolder, const std::string& path,
                       const std::string& phrase, bool caseSensitive) {
  ScanParts(form, path, phrase, caseSensitive, [&](int part, TTermMatcher& matcher, std::string& converted) {
    return PartMatches(JoinPath(scratchFolder, kPartFiles[part]), matcher, converted);
  });
  EmptyScratchFolder(scratchFolder, form.IsChecked(TFormBox::cbUnter));
}

void SearchDocumentInMemory(TSearchForm& form, const std::string& path, const std::string& phrase,
                            bool caseSensitive) {
  if (SettledWithoutUnpacking(form, path, phrase, caseSensitive)) return;
  TPartTexts parts;
  try {
    ExtractDocumentPartsToMemory(path, parts);
  } catch (...) {
    form.AddError(path);
    return;
  }
  ScanParts(form, path, phrase, caseSensitive, [&](int part, TTermMatcher& matcher, std::string& converted) {
    return parts[part] && TextMatchesAnyLine(*parts[part], matcher, converted);
  });
}

}  // namespace tarvik
