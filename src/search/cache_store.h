#pragma once
// The prefilter cache's database: one SQLite file, written ahead (WAL) so
// that several searches, in one process or several, read and write it at
// once. A table "format" holds the version of the layout; "documents" one row
// per document path with its file state and a summary record (summary_record.h)
// for raw lines and one for readable text.
//
// A file that cannot be opened, is not a database, is damaged, is another
// program's or has another version is set aside (renamed to FILE.old, with
// its -wal and -shm files) and a new one is made in its place; when that
// fails too there is no store. A database locked by another writer for longer
// than a short wait is left alone: this search goes without it. Damage found
// while the store is in use makes it set itself aside when it is closed.
// No connection ever deletes its -wal file by name (it is kept, emptied), so
// a process that still has a set-aside file open cannot remove the new one's.

#include "search/summary_record.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tarvik {

inline constexpr int kCacheFormatVersion = 1;

class TCacheStore {
 public:
  // The store in file (its folder must exist), made when missing or set aside.
  static std::unique_ptr<TCacheStore> Open(const std::string& file);
  ~TCacheStore();
  TCacheStore(const TCacheStore&) = delete;
  TCacheStore& operator=(const TCacheStore&) = delete;

  struct TStored {
    TFileState state;
    std::string record;
  };
  // The row of path: the file state it belongs to and its record for the
  // way of matching. The lookups of one store share one snapshot of the
  // database, taken at the first, until the store writes.
  std::optional<TStored> Lookup(const std::string& path, bool readableText);

  struct TWrite {
    std::string path;
    TFileState state;
    bool readableText = false;
    std::string record;
  };
  // Writes the records in one transaction; a row of another state loses its
  // other record. False when the database was busy or failed.
  bool Write(const std::vector<TWrite>& writes);

  // Hands each row below folder (which ends with "/") that has a record for
  // the way of matching to visit, in path order. Reads in the lookups' snapshot.
  void VisitBelow(const std::string& folder, bool readableText,
                  const std::function<void(std::string_view path, const TStored& row)>& visit);
  // The paths of the rows below folder (which ends with "/").
  std::vector<std::string> PathsBelow(const std::string& folder);
  void Delete(const std::vector<std::string>& paths);

 private:
  TCacheStore(std::string file, sqlite3* db);
  // Marks the store damaged when code says so; true for success codes.
  bool Check(int code);
  sqlite3_stmt* Prepare(const char* sql);
  void BeginReading();
  void EndReading();
  // A statement over the rows below folder (?1 and ?2 bound), or null.
  sqlite3_stmt* PrepareBelow(const char* columns, const std::string& folder, std::string& end);

  std::string file_;
  sqlite3* db_;
  sqlite3_stmt* lookup_[2] = {};  // raw lines, readable text
  sqlite3_stmt* write_[2] = {};
  bool damaged_ = false;
  bool reading_ = false;  // in the read transaction the lookups share
};

// Renames file and its -wal and -shm companions to FILE.old...; false when
// file is still there afterwards.
bool SetCacheFileAside(const std::string& file);

}  // namespace tarvik
