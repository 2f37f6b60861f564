#pragma once
// Searching one candidate document: the openability test, legacy binaries
// matched whole, every other document unpacked (into the scratch folder or into
// memory) and its chosen XML parts scanned line by line, or, when the form asks
// for readable text, paragraph by paragraph (readable_text.h). Which parts,
// under which names, and what makes a document fail: part_plan.h.
//
// Threads: SearchDocumentInMemory may run on a search job: it reads only its
// form and the document. SearchDocument lets window events run while it
// unpacks (on the window's thread only).

#include <string>
#include <string_view>

namespace tarvik {

class TPartSummaries;
class TSearchForm;

// True when extension (with its dot) is one of the StarOffice 5.x binaries:
// ".sdw", ".sdc", ".sda", ".sdd", ".vor", ASCII letter case ignored.
bool IsLegacyExtension(std::string_view extension);

// The extension of path: from the last dot after the last "/", or empty.
std::string ExtensionOf(const std::string& path);

// True when path can be opened for reading and writing and holds at least 256 bytes.
bool PassesOpenTest(const std::string& path);

// Appends one result pair for path: the full path (or only the file name when
// the form's names-only box is ticked) and the folder with its trailing "/".
void AddResult(TSearchForm& form, const std::string& path);

// Searches one document; failures go to the form's error list. phrase is
// Windows-1252. scratchFolder receives the extracted parts and is left empty.
void SearchDocument(TSearchForm& form, const std::string& scratchFolder, const std::string& path,
                    const std::string& phrase, bool caseSensitive);

// SearchDocument without a scratch folder: each part streams from the
// decoder through the line matcher block by block, so memory stays bounded
// whatever a part's size; the same results and errors, without a file
// written. Results are registered once the whole archive is read (the
// manifest that may refuse the document often comes last). Failures go to
// the form's error list. summaries, when given, receives the text each
// chosen part's matcher sees, and is told when the document was searched
// without failing.
void SearchDocumentInMemory(TSearchForm& form, const std::string& path, const std::string& phrase, bool caseSensitive,
                            TPartSummaries* summaries = nullptr);

// Scans the parts extracted into scratchFolder (each under its slot's file
// name) and registers one result per matching part, in the order content,
// meta, styles, or puts the document in the error list; then empties the
// folder, also when the scan failed.
void ScanDocumentParts(TSearchForm& form, const std::string& scratchFolder, const std::string& path,
                       const std::string& phrase, bool caseSensitive);

// Deletes every file in folder (and below, when recurse); folders stay.
// False when a file could not be deleted.
bool EmptyScratchFolder(const std::string& folder, bool recurse);

}  // namespace tarvik
