#pragma once
// StarOffice 5.x binaries: the whole file is one text, matched once.

#include <cstddef>
#include <string>

namespace tarvik {

class TSearchForm;

// How much of a legacy file is read and matched at a time.
inline constexpr std::size_t kLegacyPieceSize = std::size_t{1} << 20;

// Matches the file's bytes against the phrase (Windows-1252) and adds at most
// one result; a file that cannot be read goes to the error list. The file is
// matched in pieces of pieceSize bytes, with the result of matching it whole,
// so memory does not grow with the file.
void SearchLegacyDocument(TSearchForm& form, const std::string& path, const std::string& phrase, bool caseSensitive,
                          std::size_t pieceSize = kLegacyPieceSize);

}  // namespace tarvik
