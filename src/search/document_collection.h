#pragma once
// Collecting the candidate documents of a folder: six listing passes, one file
// mask per document family, each path classed by its last character.

#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

class TSearchForm;

// folder + name, with one "/" between them unless folder already ends with one.
std::string JoinPath(const std::string& folder, const std::string& name);

// folder as an absolute path: a relative one is taken from base, without its
// leading "./" steps. Empty, absolute, or with an empty base: unchanged.
std::string AbsoluteFolder(const std::string& folder, const std::string& base);
// The same taken from the current directory.
std::string AbsoluteFolder(const std::string& folder);

// Appends the joined path of every file (anything but a folder) in folder whose
// name matches mask, in the order the file system gives them; then, when recurse
// is set, does the same below every sub-folder, depth first. Symbolic links to
// folders are not entered, and no folder is entered twice, so the walk ends on
// any tree. A folder that cannot be read adds nothing.
void ListFiles(const std::string& folder, std::vector<std::string>& list, std::string_view mask, bool recurse);

// Rebuilds the form's candidate list from folder and the form's kind, format and
// sub-folder boxes. listingRoot is where folder is found on the file system when
// that differs from its text (the current directory "." after the folder was
// made current); candidate paths always begin with folder as given.
void CollectDocuments(TSearchForm& form, const std::string& folder, const std::string& listingRoot);
void CollectDocuments(TSearchForm& form, const std::string& folder);

// The read command "---> Verz. einlesen": clears the candidates, makes the folder
// box's text the current directory and collects the candidates under the
// folder's absolute path; when the folder is not valid, shows message 501 and
// leaves the list empty. Returns whether it collected.
bool ReadFolderCommand(TSearchForm& form);

}  // namespace tarvik
