#pragma once
// The read command "---> Verz. einlesen" of the window, and of tarvik-find
// before its search.

namespace tarvik {

class TSearchForm;

// Clears the candidates, makes the folder box's text the current directory and
// collects the candidates under the folder's absolute path; when the folder is
// not valid, shows message 501 and leaves the list empty. Returns whether it
// collected.
bool ReadFolderCommand(TSearchForm& form);

}  // namespace tarvik
