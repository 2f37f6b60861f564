#include "app/read_folder.h"

#include "app/search_form.h"
#include "app/string_table.h"

#include "search/document_collection.h"

#include "platform/file_system.h"
#include "platform/host.h"

#include <string>

namespace tarvik {

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
