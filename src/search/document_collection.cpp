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

// A folder tree as one walk read it: each folder listed once, so that the
// passes of a collection, one per file mask, filter names in memory instead of
// listing every folder again.
struct TListedFolder {
  std::string shown;                   // the path candidates begin with
  std::vector<std::string> files;      // names of everything but folders, in listing order
  std::vector<TListedFolder> folders;  // the sub-folders to enter, in listing order
};

// Reads realFolder (and, with recurse, the folders below it); shown names it
// for the paths. Folder links are not entered, nor a folder met before (a bind
// mount loop), so the walk ends on any tree.
void ReadFolder(TListedFolder& into, const std::string& realFolder, bool recurse, std::set<TFileId>& entered) {
  for (TDirEntry& entry : ListDirectory(realFolder, "*")) {
    if (!entry.isFolder) {
      into.files.push_back(std::move(entry.name));
      continue;
    }
    if (!recurse || entry.isLink) continue;
    const std::string realSub = JoinPath(realFolder, entry.name);
    const auto id = FileIdentity(realSub);
    if (!id || !entered.insert(*id).second) continue;
    TListedFolder& sub = into.folders.emplace_back();
    sub.shown = JoinPath(into.shown, entry.name);
    ReadFolder(sub, realSub, recurse, entered);
  }
}

TListedFolder ReadTree(const std::string& shownFolder, const std::string& realFolder, bool recurse) {
  TListedFolder root;
  root.shown = shownFolder;
  std::set<TFileId> entered;
  if (const auto id = FileIdentity(realFolder)) entered.insert(*id);
  ReadFolder(root, realFolder, recurse, entered);
  return root;
}

// Each folder's files that match mask, then the same below each sub-folder:
// depth first, in listing order.
void AppendMatching(const TListedFolder& folder, std::string_view mask, std::vector<std::string>& list) {
  for (const std::string& name : folder.files)
    if (MatchesFilePattern(name, mask)) list.push_back(JoinPath(folder.shown, name));
  for (const TListedFolder& sub : folder.folders) AppendMatching(sub, mask, list);
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
  AppendMatching(ReadTree(folder, folder, recurse), mask, list);
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

  const TListedFolder tree = ReadTree(folder, listingRoot, options.subFolders);
  std::vector<std::string> working;
  for (std::size_t i = 0; i < std::size(passes); ++i) {
    if (!runs[i]) continue;
    working.clear();
    AppendMatching(tree, passes[i].mask, working);
    for (const std::string& path : working)
      if (Admitted(options, passes[i].kinds, path)) sink.AddCandidate(path);
  }
}

void CollectDocuments(TSearchSink& sink, const std::string& folder) { CollectDocuments(sink, folder, folder); }

}  // namespace tarvik
