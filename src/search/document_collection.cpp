#include "search/document_collection.h"

#include <set>

#include "platform/ascii_case.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/host.h"
#include "search/search_form.h"
#include "search/string_table.h"

namespace tarvik {
namespace {

// Document kinds, by the kind box that admits them; Any means no kind test.
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

// The kind box for the last character of a path, or false when it names no kind.
bool KindBoxFor(TKindTable table, char last, TFormBox& box) {
  switch (table) {
    case TKindTable::ZipFormat1:
      switch (last) {
        case 'w': box = TFormBox::cbWriter; return true;
        case 'c': box = TFormBox::cbCalc; return true;
        case 'i': box = TFormBox::cbImpress; return true;
        case 'd': box = TFormBox::cbDraw; return true;
        case 'm': box = TFormBox::cbFormel; return true;
        default: return false;
      }
    case TKindTable::ZipFormat2:
      switch (last) {
        case 't': box = TFormBox::cbWriter; return true;
        case 's': box = TFormBox::cbCalc; return true;
        case 'p': box = TFormBox::cbImpress; return true;
        case 'g': box = TFormBox::cbDraw; return true;
        case 'f': box = TFormBox::cbFormel; return true;
        default: return false;
      }
    case TKindTable::Legacy:
      switch (last) {
        case 'w': box = TFormBox::cbWriter; return true;
        case 'c': box = TFormBox::cbCalc; return true;
        case 'd': box = TFormBox::cbImpress; return true;
        case 'a': box = TFormBox::cbDraw; return true;
        default: return false;
      }
    case TKindTable::Any: return false;
  }
  return false;
}

bool Admitted(const TSearchForm& form, TKindTable table, const std::string& path) {
  if (table == TKindTable::Any) return true;
  if (path.empty()) return false;
  TFormBox box;
  if (!KindBoxFor(table, AsciiLower(path.back()), box)) return false;
  return form.IsChecked(TFormBox::cbAlleDateien) || form.IsChecked(box);
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

void CollectDocuments(TSearchForm& form, const std::string& folder, const std::string& listingRoot) {
  TBusyCursor busy;
  form.ClearCandidates();

  const bool templates = form.IsChecked(TFormBox::cbVorlagen);
  const bool newFormats = form.IsChecked(TFormBox::cbOO);
  const bool legacy = form.IsChecked(TFormBox::cbsdw);
  const TListingPass passes[] = {kPassSx, kPassSt, kPassOd, kPassOt, kPassSd, kPassVor};
  const bool runs[] = {true, templates, newFormats, newFormats && templates, legacy, legacy && templates};

  std::vector<std::string> working;
  for (std::size_t i = 0; i < std::size(passes); ++i) {
    if (!runs[i]) continue;
    working.clear();
    ListFilesAt(folder, listingRoot, working, passes[i].mask, form.IsChecked(TFormBox::cbUnter));
    for (const std::string& path : working)
      if (Admitted(form, passes[i].kinds, path)) form.AddCandidate(path);
  }
}

void CollectDocuments(TSearchForm& form, const std::string& folder) { CollectDocuments(form, folder, folder); }

bool ReadFolderCommand(TSearchForm& form) {
  form.ClearCandidates();
  form.ShowCandidatePlaceholder(true);
  // Candidates must stay valid once the folder is the current directory, so
  // they are named from the folder's absolute path.
  const std::string folder = AbsoluteFolder(form.FolderText());
  if (!SetCurrentDir(folder)) {
    Host().ShowMessage(MessageText(form, kMsgInvalidFolder));
    return false;
  }
  CollectDocuments(form, folder, ".");
  form.ShowCandidatePlaceholder(false);
  return true;
}

}  // namespace tarvik
