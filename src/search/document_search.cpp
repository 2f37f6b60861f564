#include "search/document_search.h"

#include "search/document_collection.h"
#include "search/legacy_search.h"
#include "search/line_reader.h"
#include "search/part_extraction.h"
#include "search/part_matcher.h"
#include "search/part_plan.h"
#include "search/part_summaries.h"
#include "search/search_sink.h"
#include "search/term_match.h"
#include "search/text_part_matcher.h"

#include "platform/ascii_case.h"
#include "platform/code_page.h"
#include "platform/file_handle.h"
#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>

namespace tarvik {
namespace {

constexpr std::int64_t kSmallestDocument = 256;  // two records of 128 bytes

// The longest manifest kept for the password check; a longer one fails the
// document like a part too large for memory. Real manifests take a few KB.
constexpr std::size_t kManifestLimit = std::size_t{4} << 20;

// Where the parts of one unpacked document are: files in the scratch folder,
// or texts in memory.
class TPartSource {
 public:
  virtual ~TPartSource() = default;
  // The manifest's text, or nothing when it was not delivered or cannot be read.
  virtual std::optional<std::string> Manifest() = 0;
  // Whether any line of the part matches.
  virtual TPartScan Scan(int part, TTermMatcher& matcher, std::string& converted) = 0;
};

class TScratchParts : public TPartSource {
 public:
  TScratchParts(const std::string& folder, bool readableText) : folder_(folder), readableText_(readableText) {}

  std::optional<std::string> Manifest() override {
    std::string text;
    const int error = ReadWholeFile(File(kManifest), kManifestLimit, text);
    if (error == EFBIG) throw std::bad_alloc();  // as in memory: the document fails
    if (error != 0) return std::nullopt;
    return text;
  }

  TPartScan Scan(int part, TTermMatcher& matcher, std::string& converted) override {
    const std::string file = File(part);
    if (!FileExists(file)) return TPartScan::Absent;
    if (readableText_) return ScanText(file, matcher);
    TLineReader reader(file);
    if (!reader.Ok()) return TPartScan::Unreadable;
    std::string_view line;
    while (reader.Next(line)) {
      Utf8ToAnsiLine(line, converted);
      if (matcher.Matches(converted)) return TPartScan::Match;  // the rest cannot change the outcome
    }
    // A read error is no end of the part: what was not read may hold the phrase.
    return reader.Failed() ? TPartScan::Unreadable : TPartScan::NoMatch;
  }

 private:
  std::string File(int slot) const { return JoinPath(folder_, kSlotNames[slot].file); }

  // The part's readable text, matched as its blocks are read.
  static TPartScan ScanText(const std::string& file, const TTermMatcher& terms) {
    const TFileHandle part = TFileHandle::Open(file, O_RDONLY);
    if (!part) return TPartScan::Unreadable;
    TTextPartMatcher matcher(terms);
    char block[1 << 15];
    while (!matcher.Matched()) {
      const ssize_t got = part.Read(block, sizeof block);
      if (got < 0) return TPartScan::Unreadable;
      if (got == 0) break;
      matcher.Feed(block, static_cast<std::size_t>(got));
    }
    return matcher.Finish() ? TPartScan::Match : TPartScan::NoMatch;
  }

  const std::string& folder_;
  bool readableText_;
};

// The document's parts as they are decoded: each chosen part streams through
// the matcher, the manifest is kept for the password check afterwards.
// summaries, when given, sees what the matchers see.
class TStreamedParts : public TPartReceiver {
 public:
  TStreamedParts(const TPartPlan& plan, const TTermMatcher& terms, bool collectLines, TPartSummaries* summaries)
      : plan_(plan),
        matcher_(terms, collectLines),
        textMatcher_(terms, collectLines, summaries != nullptr ? &summaries->TextLines() : nullptr),
        summaries_(summaries) {}

  // The manifest and the chosen parts; nothing else can show in the outcome.
  bool Wants(int slot) const override { return slot == kManifest || plan_.chosen[slot]; }

  void Begin(int slot) override {
    if (slot == kManifest) {
      manifest_.reset();
      text_.clear();
      return;
    }
    matched_[slot] = false;
    lines_[slot].clear();
    if (plan_.readableText) {
      textMatcher_.Reset();
    } else {
      matcher_.Reset();
    }
    if (plan_.chosen[slot] && summaries_ != nullptr) summaries_->Begin(slot);
  }
  void Data(int slot, const char* data, std::size_t size) override {
    if (slot == kManifest) {
      if (text_.size() + size > kManifestLimit) throw std::bad_alloc();
      text_.append(data, size);
    } else if (plan_.chosen[slot] && plan_.readableText) {
      textMatcher_.Feed(data, size);
    } else if (plan_.chosen[slot]) {
      matcher_.Feed(data, size);
      if (summaries_ != nullptr) summaries_->Data(slot, data, size);
    }
  }
  void Complete(int slot) override {
    if (slot == kManifest) {
      manifest_ = std::move(text_);
      text_.clear();
    } else if (plan_.chosen[slot]) {
      matched_[slot] = plan_.readableText ? textMatcher_.Finish() : matcher_.Finish();
      lines_[slot] = plan_.readableText ? textMatcher_.Lines() : matcher_.Lines();
      // The readable-text matcher stops reading at its first matching line unless it collects lines.
      if (summaries_ != nullptr) summaries_->Complete(slot, !(plan_.readableText && textMatcher_.Matched()));
    }
  }

  const std::optional<std::string>& Manifest() const { return manifest_; }
  bool Matched(int part) const { return matched_[part]; }
  // The part's matching lines, when collected.
  const std::vector<TMatchingLine>& Lines(int part) const { return lines_[part]; }

 private:
  const TPartPlan& plan_;
  TPartMatcher matcher_;
  TTextPartMatcher textMatcher_;
  TPartSummaries* summaries_;
  std::array<bool, kPartCount> matched_{};
  std::array<std::vector<TMatchingLine>, kPartCount> lines_;
  std::optional<std::string> manifest_;
  std::string text_;
};

// Searches the parts of an unpacked document as the plan says and registers
// one result per matching part, in the order content, meta, styles; a refused
// or unreadable document goes to the error list instead.
void SearchParts(TSearchSink& form, const std::string& path, const std::string& phrase, bool caseSensitive,
                 TPartSource& parts) {
  const TPartPlan plan(form.Options());
  if (plan.RefusedBy(parts.Manifest())) {
    form.AddError(path);
    return;
  }
  TTermMatcher matcher(form.Options().mode, phrase, SplitWords(phrase), caseSensitive);
  std::array<bool, kPartCount> matched{};
  std::string converted;
  for (int part = 0; part < kPartCount; ++part) {
    if (!plan.chosen[part]) continue;
    const TPartScan scan = parts.Scan(part, matcher, converted);
    if (scan == TPartScan::Unreadable) {
      form.AddError(path);
      return;
    }
    matched[part] = scan == TPartScan::Match;
  }
  for (int part = 0; part < kPartCount; ++part)
    if (matched[part]) AddResult(form, path);
}

// Deletes the slot files an earlier document may have left; false when one
// of them is there and cannot be deleted.
bool RemoveLeftoverParts(const std::string& scratchFolder) {
  for (const TSlotName& name : kSlotNames) {
    const std::string file = JoinPath(scratchFolder, name.file);
    if (!DeleteFile(file) && errno != ENOENT) return false;
  }
  return true;
}

// The open test: the document opened for reading and writing, a regular file
// of at least kSmallestDocument bytes. The file it opened serves the search,
// so that a document is opened and asked its state once.
bool OpenForSearch(const std::string& path, TOpenedDocument& opened) {
  TFileHandle file = TFileHandle::Open(path, O_RDWR);
  struct stat info {};
  if (!file || ::fstat(file.Fd(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < kSmallestDocument)
    return false;
  opened.file = std::move(file);
  opened.size = static_cast<std::int64_t>(info.st_size);
  opened.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
  return true;
}

// The steps before unpacking: a document that fails the open test goes to the
// error list, a legacy binary is matched whole. True when nothing is left to
// do; else opened holds the document when it could be opened (a path that
// names nothing fails later, where it is read).
bool SettledWithoutUnpacking(TSearchSink& form, const std::string& path, const std::string& phrase, bool caseSensitive,
                             TOpenedDocument& opened) {
  if (!OpenForSearch(path, opened) && FileExists(path)) {
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
  TOpenedDocument opened;
  return OpenForSearch(path, opened);
}

void AddResult(TSearchSink& form, const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  form.AddResult(form.Options().namesOnly ? name : path, folder);
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

void SearchDocument(TSearchSink& form, const std::string& scratchFolder, const std::string& path,
                    const std::string& phrase, bool caseSensitive) {
  TOpenedDocument opened;
  if (SettledWithoutUnpacking(form, path, phrase, caseSensitive, opened)) return;
  opened.file = TFileHandle();  // unpacked by name into the scratch folder
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
    EmptyScratchFolder(scratchFolder, form.Options().subFolders);
    return;
  }
  ScanDocumentParts(form, scratchFolder, path, phrase, caseSensitive);
}

void ScanDocumentParts(TSearchSink& form, const std::string& scratchFolder, const std::string& path,
                       const std::string& phrase, bool caseSensitive) {
  try {
    TScratchParts parts(scratchFolder, form.Options().readableText);
    SearchParts(form, path, phrase, caseSensitive, parts);
  } catch (...) {  // out of memory on a long line, say: the document failed, its files still go
    form.AddError(path);
  }
  EmptyScratchFolder(scratchFolder, form.Options().subFolders);
}

void SearchDocumentInMemory(TSearchSink& form, const std::string& path, const std::string& phrase, bool caseSensitive,
                            TPartSummaries* summaries) {
  TOpenedDocument opened;
  if (SettledWithoutUnpacking(form, path, phrase, caseSensitive, opened)) return;
  try {
    // Results wait for the whole archive: the manifest that may refuse the
    // document often comes last.
    const TPartPlan plan(form.Options());
    const TTermMatcher terms(form.Options().mode, phrase, SplitWords(phrase), caseSensitive);
    const bool withLines = form.Options().matchingLines;
    TStreamedParts parts(plan, terms, withLines, summaries);
    if (opened.file) {
      StreamDocumentParts(path, std::move(opened), parts);
    } else {
      StreamDocumentParts(path, parts);
    }
    if (plan.RefusedBy(parts.Manifest())) {
      form.AddError(path);
      return;
    }
    for (int part = 0; part < kPartCount; ++part) {
      if (!parts.Matched(part)) continue;
      AddResult(form, path);
      if (withLines) form.AddMatchingLines(part, parts.Lines(part));
    }
    if (summaries != nullptr) summaries->Searched(plan);
  } catch (...) {  // a damaged archive, or a manifest too large for memory
    form.AddError(path);
  }
}

}  // namespace tarvik
