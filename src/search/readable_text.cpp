#include "search/readable_text.h"

#include "search/manifest_scan.h"
#include "search/part_extraction.h"
#include "search/readable_text_fast.h"
#include "search/readable_text_scanner.h"

#include "platform/ascii_case.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tarvik {

namespace {

// Stands for a document type declaration that an earlier scan delivered.
constexpr std::string_view kSeenDoctype = "<!DOCTYPE d>";

// Whether a document type declaration declares anything: it has an internal
// subset or a parameter reference. An external one alone is never read.
bool DeclaresAnything(const char* begin, const char* end) {
  return std::find_if(begin, end + 1, [](char c) { return c == '[' || c == '%'; }) != end + 1;
}

// Whether a reference in the character data [begin, end] looks for its ';'
// beyond textEnd: the scanner searches for it anywhere after the '&'.
bool ReferenceOpen(const char* begin, const char* end, const char* textEnd) {
  const std::size_t ampersand = std::string_view(begin, static_cast<std::size_t>(end - begin) + 1).rfind('&');
  if (ampersand == std::string_view::npos) return false;
  const char* after = begin + ampersand + 1;
  return std::memchr(after, ';', static_cast<std::size_t>(textEnd - after)) == nullptr;
}

}  // namespace

TReadableText::TReadableText(TLineSink& sink, std::size_t chunk, bool fastPath)
    : lines_(sink),
      walk_(std::make_unique<TFastReadableWalk>(lines_)),
      chunk_(std::max<std::size_t>(chunk, 1)),
      scanAt_(chunk_),
      fastPath_(fastPath),
      fast_(fastPath) {}

TReadableText::~TReadableText() = default;

void TReadableText::SetConverted(bool converted) { walk_->SetConverted(converted); }

void TReadableText::Reset() {
  lines_.Reset();
  walk_->Reset();
  held_.clear();
  scanAt_ = chunk_;
  walkAt_ = 0;
  fast_ = fastPath_;
  ended_ = whole_ = doctypeSeen_ = false;
}

void TReadableText::Feed(const char* data, std::size_t size) {
  if (ended_) return;
  if (const void* nul = std::memchr(data, 0, size)) {
    size = static_cast<std::size_t>(static_cast<const char*>(nul) - data);
    ended_ = true;
  }
  if (fast_) return FeedFast(data, size);
  held_.append(data, size);
  if (!whole_ && held_.size() >= scanAt_) Scan(false);
}

// The bytes are walked where they lie; only a part that their end cuts is
// held, and completed with as few of the next bytes as can do it, doubling
// them while it is not, so that no byte is walked more than a few times.
void TReadableText::FeedFast(const char* data, std::size_t size) {
  const std::size_t growth = std::min(chunk_, kFastGrowth);
  TFastReadableWalk::TStop stop = TFastReadableWalk::kNeedMore;
  while (size > 0) {
    if (held_.empty()) {
      const std::size_t used = walk_->Walk(data, size, false, stop);
      held_.assign(data + used, size - used);
      walkAt_ = held_.size() + std::max(growth, held_.size());
      if (stop == TFastReadableWalk::kFullScanner) HandOver();
      return;
    }
    const std::size_t held = held_.size();
    const std::size_t take = std::min(size, walkAt_ - held);
    held_.append(data, take);
    if (held_.size() < walkAt_) return;
    const std::size_t used = walk_->Walk(held_.data(), held_.size(), false, stop);
    if (stop == TFastReadableWalk::kFullScanner) {
      held_.erase(0, used);
      held_.append(data + take, size - take);
      return HandOver();
    }
    if (used >= held) {  // the cut part is complete: the rest is walked where it lies
      held_.clear();
      data += used - held;
      size -= used - held;
      continue;
    }
    held_.erase(0, used);
    data += take;
    size -= take;
    walkAt_ = held_.size() + std::max(growth, held_.size());
  }
}

void TReadableText::HandOver() {
  fast_ = false;
  // The scanner passes over a document type declaration after the first.
  doctypeSeen_ = walk_->DoctypeSeen();
  if (doctypeSeen_) held_.insert(0, kSeenDoctype);
  scanAt_ = held_.size() + chunk_;
}

void TReadableText::Finish() {
  if (fast_) {
    TFastReadableWalk::TStop stop = TFastReadableWalk::kNeedMore;
    const std::size_t used = walk_->Walk(held_.data(), held_.size(), true, stop);
    held_.erase(0, used);
    if (stop == TFastReadableWalk::kFullScanner) HandOver();
  }
  if (!fast_) Scan(true);
  lines_.Finish();
  Reset();
}

void TReadableText::Scan(bool atEnd) {
  if (!scanner_) scanner_ = std::make_unique<TTextScanner>();
  TTextScanner& scanner = *scanner_;
  if (!scanner.OpenText(held_)) throw std::bad_alloc();
  scanner.PackWhitespace = false;  // the line builder packs white space across tags
  scanner.Rewind();
  const char* const text = scanner.DocumentText();
  const char* const textEnd = text + held_.size();
  bool standIn = doctypeSeen_;  // the held bytes begin with kSeenDoctype
  std::size_t used = 0;         // the held bytes whose parts were delivered
  while (scanner.Next()) {
    if (standIn) {
      standIn = false;
      continue;
    }
    if (!atEnd) {
      const char* begin = scanner.PartBegin;
      const char* end = scanner.PartEnd;
      // Positions outside the text belong to an entity's text: none can be
      // declared while the part is scanned in pieces, but be sure.
      const bool inText = begin >= text && end >= begin && end < textEnd;
      if (!inText || end + 1 == textEnd) break;  // it may go on in the bytes to come
      if (scanner.PartKind == pkText && ReferenceOpen(begin, end, textEnd)) break;
      if (scanner.PartKind == pkDoctype && !doctypeSeen_ && DeclaresAnything(begin, end)) {
        whole_ = true;  // its declarations must serve the whole text
        break;
      }
      used = static_cast<std::size_t>(end + 1 - text);
    }
    if (scanner.PartKind == pkDoctype) doctypeSeen_ = true;
    Deliver();
  }
  scanner.Reset();  // frees its copy of the text
  if (atEnd) {
    held_.clear();
  } else if (used != 0) {
    held_.erase(0, used);
    // The scanner analyses only the first document type declaration of a
    // text and passes over any later one: a stand-in keeps it so.
    if (doctypeSeen_) held_.insert(0, kSeenDoctype);
  }
  // Rescanning kept bytes is paid for by at least as many new ones.
  scanAt_ = held_.size() + std::max(chunk_, held_.size());
}

void TReadableText::Deliver() {
  const TTextScanner& scanner = *scanner_;
  switch (scanner.PartKind) {
    case pkStartTag:
    case pkEmptyTag: {
      const bool space = scanner.PartName == kSpaceElement;
      const std::string count = space ? scanner.PartAttrs.Value(kSpaceCountAttribute) : std::string();
      lines_.Element(scanner.PartName, scanner.PartKind == pkEmptyTag, count);
      break;
    }
    case pkEndTag: lines_.EndElement(scanner.PartName); break;
    case pkText:
    case pkCData: lines_.Characters(scanner.PartText); break;
    default: break;  // declarations, comments, processing instructions
  }
}

std::vector<std::string> ReadableLines(std::string_view part) {
  TLineCollector collector;
  TReadableText text(collector);
  text.Feed(part.data(), part.size());
  text.Finish();
  return std::move(collector.lines);
}

namespace {

// The longest manifest read; real ones take a few KB.
constexpr std::size_t kManifestLimit = std::size_t{4} << 20;

// Builds the lines of the content slot as its entries are decoded, and keeps
// the manifest; the last entry of a slot decides.
class TContentLines : public TPartReceiver {
 public:
  TContentLines() : text_(collector_) {}

  void Begin(int slot) override {
    if (slot == kManifest) {
      manifest.reset();
      manifestText_.clear();
    } else if (slot == kContent) {
      text_.Reset();
      collector_ = {};
      lines.reset();
    }
  }
  void Data(int slot, const char* data, std::size_t size) override {
    if (slot == kManifest) {
      if (manifestText_.size() + size > kManifestLimit) throw std::bad_alloc();
      manifestText_.append(data, size);
    } else if (slot == kContent) {
      text_.Feed(data, size);
    }
  }
  void Complete(int slot) override {
    if (slot == kManifest) {
      manifest = std::move(manifestText_);
    } else if (slot == kContent) {
      text_.Finish();
      lines = std::move(collector_.lines);
    }
  }

  std::optional<std::vector<std::string>> lines;
  std::optional<std::string> manifest;

 private:
  std::string manifestText_;
  TLineCollector collector_;
  TReadableText text_;
};

}  // namespace

std::optional<std::vector<std::string>> DocumentReadableLines(const std::string& path) {
  TContentLines content;
  StreamDocumentParts(path, content);
  if (content.manifest)
    for (const std::string& entry : EncryptedManifestPaths(*content.manifest))
      if (AsciiCaseBlindEqual(entry, kSlotNames[kContent].pattern))
        throw std::runtime_error("content.xml is encrypted: the document is saved with a password");
  return std::move(content.lines);
}

}  // namespace tarvik
