#include "search/document_collection.h"

#include "search/search_sink.h"

#include "platform/ascii_case.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/host.h"

#include <set>

namespace tarvik {
namespace {

// The kinds a family tells apart by a path's last character; Any means no kind test.
enum class TKindTable { ZipFormat1, ZipFormat2, Legacy, Any };

struct TListingPass {
  const char* mask;
  TKindTable kinds;
};

constexpr TListingPass kPassSx{"*.sx*", TKindTable::ZipFormat1};
constexpr TListingPass kPassSt{"*.st*", TKindTable::ZipFormat1};
constexpr TListingPass kPassOd{"*.od*", TKindTable::ZipFormat2};
constexpr TListingPass kPassOt{"*.ot*", TKindTable::ZipFormat2};
constexpr TListingPass kPassSd{"*.sd*", TKindTable::Legacy};
constexpr TListingPass kPassVor{"*.vor*", TKindTable::Any};

// The kind the last character of a path names, or false when it names none.
bool KindFor(TKindTable table, char last, TDocumentKind& kind) {
  switch (table) {
    case TKindTable::ZipFormat1:
      switch (last) {
        case 'w': kind = TDocumentKind::Writer; return true;
        case 'c': kind = TDocumentKind::Calc; return true;
        case 'i': kind = TDocumentKind::Impress; return true;
        case 'd': kind = TDocumentKind::Draw; return true;
        case 'm': kind = TDocumentKind::Formula; return true;
        default: return false;
      }
    case TKindTable::ZipFormat2:
      switch (last) {
        case 't': kind = TDocumentKind::Writer; return true;
        case 's': kind = TDocumentKind::Calc; return true;
        case 'p': kind = TDocumentKind::Impress; return true;
        case 'g': kind = TDocumentKind::Draw; return true;
        case 'f': kind = TDocumentKind::Formula; return true;
        default: return false;
      }
    case TKindTable::Legacy:
      switch (last) {
        case 'w': kind = TDocumentKind::Writer; return true;
        case 'c': kind = TDocumentKind::Calc; return true;
        case 'd': kind = TDocumentKind::Impress; return true;
        case 'a': kind = TDocumentKind::Draw; return true;
        default: return false;
      }
    case TKindTable::Any: return false;
  }
  return false;
}

bool Admitted(const TSearchOptions& options, TKindTable table, const std::string& path) {
  if (table == TKindTable::Any) return true;
  if (path.empty()) return false;
  TDocumentKind kind;
  return KindFor(table, AsciiLower(path.back()), kind) && options.Admits(kind);
}

// Walks realFolder; paths are built on shownFolder, which names the same folder.
void ListInto(const std::string& shownFolder, const std::string& realFolder, std::vector<std::string>& list,
              std::string_view mask, bool recurse, std::set<TFileId>& entered) {
  for (const TDirEntry& entry : ListDirectory(realFolder, mask))
    if (!entry.isFolder) list.push_back(JoinPath(shownFolder, entry.name));
  if (!recurse) return;
  for (const TDirEntry& entry : ListDirectory(realFolder, "*")) {
    if (!entry.isFolder || entry.isLink || entry.name == "." || entry.name == "..") continue;
    const std::string realSub = JoinPath(realFolder, entry.name);
    const auto id = FileIdentity(realSub);
    if (!id || !entered.insert(*id).second) continue;  // a folder met twice (bind mount loop)
    ListInto(JoinPath(shownFolder, entry.name), realSub, list, mask, recurse, entered);
  }
}

void ListFilesAt(const std::string& shownFolder, const std::string& realFolder, std::vector<std::string>& list,
                 std::string_view mask, bool recurse) {
  std::set<TFileId> entered;
  if (const auto id = FileIdentity(realFolder)) entered.insert(*id);
  ListInto(shownFolder, realFolder, list, mask, recurse, entered);
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

std::string AbsoluteFolder(const std::string& folder, const std::string& base) {
  if (folder.empty() || folder.front() == '/' || base.empty()) return folder;
  std::string_view rest = folder;
  while (rest.starts_with("./")) {
    rest.remove_prefix(2);
    while (rest.starts_with("/")) rest.remove_prefix(1);
  }
  if (rest.empty() || rest == ".") return base;
  return JoinPath(base, std::string(rest));
}

std::string AbsoluteFolder(const std::string& folder) {
  if (folder.empty() || folder.front() == '/') return folder;
  return AbsoluteFolder(folder, GetCurrentDir());
}

void ListFiles(const std::string& folder, std::vector<std::string>& list, std::string_view mask, bool recurse) {
  ListFilesAt(folder, folder, list, mask, recurse);
}

void CollectDocuments(TSearchSink& sink, const std::string& folder, const std::string& listingRoot) {
  TBusyCursor busy;
  sink.ClearCandidates();

  const TSearchOptions options = sink.Options();
  const bool templates = options.templates;
  const bool newFormats = options.newFormats;
  const bool legacy = options.legacy;
  const TListingPass passes[] = {kPassSx, kPassSt, kPassOd, kPassOt, kPassSd, kPassVor};
  const bool runs[] = {true, templates, newFormats, newFormats && templates, legacy, legacy && templates};

  std::vector<std::string> working;
  for (std::size_t i = 0; i < std::size(passes); ++i) {
    if (!runs[i]) continue;
    working.clear();
    ListFilesAt(folder, listingRoot, working, passes[i].mask, options.subFolders);
    for (const std::string& path : working)
      if (Admitted(options, passes[i].kinds, path)) sink.AddCandidate(path);
  }
}

void CollectDocuments(TSearchSink& sink, const std::string& folder) { CollectDocuments(sink, folder, folder); }

}  // namespace tarvik
