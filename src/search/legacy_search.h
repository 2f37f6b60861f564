#pragma once
// StarOffice 5.x binaries: the whole file is one text, matched once.

#include <string>

namespace tarvik {

class TSearchForm;

// Matches the file's bytes against the phrase (Windows-1252) and adds at most
// one result; a file that cannot be read goes to the error list.
void SearchLegacyDocument(TSearchForm& form, const std::string& path, const std::string& phrase, bool caseSensitive);

}  // namespace tarvik
