#include "search/cache_store.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tarvik {
namespace {

// How long a search waits for another writer before it goes without the cache.
constexpr int kBusyMilliseconds = 250;

enum class TVerdict { Ok, SetAside, GiveUp };

TVerdict VerdictOf(int code) {
  const int primary = code & 0xFF;
  if (primary == SQLITE_OK || primary == SQLITE_ROW || primary == SQLITE_DONE) return TVerdict::Ok;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED ? TVerdict::GiveUp : TVerdict::SetAside;
}

bool IsDamage(int code) {
  const int primary = code & 0xFF;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Makes file a regular file of ours that only we may read.
TVerdict PrepareFile(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return errno == ENOENT ? TVerdict::GiveUp : TVerdict::SetAside;
  struct stat info {};
  const bool ours = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
  if (ours && (info.st_mode & 07777) != 0600) ::fchmod(fd, 0600);
  ::close(fd);
  return ours ? TVerdict::Ok : TVerdict::SetAside;
}

// The single value the statement gives, or code in error.
int QueryInt(sqlite3* db, const char* sql, sqlite3_int64& value, int& rows) {
  sqlite3_stmt* statement = nullptr;
  int code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  rows = 0;
  while (code == SQLITE_OK && (code = sqlite3_step(statement)) == SQLITE_ROW) {
    value = sqlite3_column_int64(statement, 0);
    ++rows;
    code = SQLITE_OK;
  }
  sqlite3_finalize(statement);
  return code == SQLITE_DONE ? SQLITE_OK : code;
}

constexpr const char* kCreateSchema =
    "CREATE TABLE format(version INTEGER NOT NULL);"
    "INSERT INTO format VALUES(1);"
    "CREATE TABLE documents(path BLOB PRIMARY KEY, device INTEGER NOT NULL, inode INTEGER NOT NULL,"
    " size INTEGER NOT NULL, modified INTEGER NOT NULL, changed INTEGER NOT NULL, raw BLOB, text BLOB);";
static_assert(kCacheFormatVersion == 1, "kCreateSchema writes the version");

// Settings, then the schema: made in an empty database (by whichever process
// gets there first), checked in any other.
TVerdict SetUp(sqlite3* db) {
  int persistWal = 1;  // see the header: -wal files are never deleted by name
  sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persistWal);
  sqlite3_busy_timeout(db, kBusyMilliseconds);
  sqlite3_int64 value = 0;
  int rows = 0;
  int code = sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA journal_size_limit=1048576;",
                          nullptr, nullptr, nullptr);
  if (code == SQLITE_OK) code = QueryInt(db, "SELECT count(*) FROM sqlite_master", value, rows);
  if (code == SQLITE_OK && value == 0) {
    code = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code == SQLITE_OK) code = QueryInt(db, "SELECT count(*) FROM sqlite_master", value, rows);
    if (code == SQLITE_OK && value == 0) code = sqlite3_exec(db, kCreateSchema, nullptr, nullptr, nullptr);
    code = code == SQLITE_OK ? sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) : code;
    if (code != SQLITE_OK) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  if (code == SQLITE_OK) code = QueryInt(db, "SELECT version FROM format", value, rows);
  if (VerdictOf(code) != TVerdict::Ok) return VerdictOf(code);
  return rows == 1 && value == kCacheFormatVersion ? TVerdict::Ok : TVerdict::SetAside;
}

TVerdict OpenDatabase(const std::string& file, sqlite3*& db) {
  db = nullptr;
  const TVerdict prepared = PrepareFile(file);
  if (prepared != TVerdict::Ok) return prepared;
  const int code = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  const TVerdict verdict = code == SQLITE_OK ? SetUp(db) : VerdictOf(code);
  if (verdict != TVerdict::Ok) {
    sqlite3_close(db);
    db = nullptr;
  }
  return verdict;
}

void BindState(sqlite3_stmt* statement, const std::string& path, const TFileState& state) {
  sqlite3_bind_blob(statement, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
  int column = 2;
  for (const std::int64_t field : {state.device, state.inode, state.size, state.modified, state.changed})
    sqlite3_bind_int64(statement, column++, field);
}

// The row's file state (columns 0..4) and record (column 5) into row; false
// when it has no record.
bool ReadRow(sqlite3_stmt* statement, TCacheStore::TStored& row) {
  const void* blob = sqlite3_column_blob(statement, 5);
  if (blob == nullptr) return false;
  int column = 0;
  for (std::int64_t* field :
       {&row.state.device, &row.state.inode, &row.state.size, &row.state.modified, &row.state.changed})
    *field = sqlite3_column_int64(statement, column++);
  row.record.assign(static_cast<const char*>(blob), static_cast<std::size_t>(sqlite3_column_bytes(statement, 5)));
  return true;
}

}  // namespace

bool SetCacheFileAside(const std::string& file) {
  const std::string aside = file + ".old";
  for (const char* companion : {"-wal", "-shm"}) ::unlink((aside + companion).c_str());
  ::rename(file.c_str(), aside.c_str());
  for (const char* companion : {"-wal", "-shm"}) ::rename((file + companion).c_str(), (aside + companion).c_str());
  struct stat info {};
  return ::lstat(file.c_str(), &info) != 0 && errno == ENOENT;
}

std::unique_ptr<TCacheStore> TCacheStore::Open(const std::string& file) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    sqlite3* db = nullptr;
    TVerdict verdict = OpenDatabase(file, db);
    std::unique_ptr<TCacheStore> store;
    if (verdict == TVerdict::Ok) {
      store.reset(new TCacheStore(file, db));
      for (const sqlite3_stmt* statement : {store->lookup_[0], store->lookup_[1], store->write_[0], store->write_[1]})
        if (statement == nullptr) verdict = TVerdict::SetAside;  // the table lacks a column: another layout
      if (verdict == TVerdict::Ok) return store;
      store.reset();
    }
    if (verdict == TVerdict::GiveUp || !SetCacheFileAside(file)) return nullptr;
  }
  return nullptr;
}

TCacheStore::TCacheStore(std::string file, sqlite3* db) : file_(std::move(file)), db_(db) {
  lookup_[0] = Prepare("SELECT device, inode, size, modified, changed, raw FROM documents WHERE path = ?1");
  lookup_[1] = Prepare("SELECT device, inode, size, modified, changed, text FROM documents WHERE path = ?1");
  // A row of another state keeps nothing of it: its other record is dropped.
  constexpr const char* kSameState =
      " CASE WHEN device = excluded.device AND inode = excluded.inode AND size = excluded.size"
      " AND modified = excluded.modified AND changed = excluded.changed THEN ";
  const std::string insert = "INSERT INTO documents(path, device, inode, size, modified, changed, ";
  const std::string update =
      " ON CONFLICT(path) DO UPDATE SET device = excluded.device, inode = excluded.inode, size = excluded.size,"
      " modified = excluded.modified, changed = excluded.changed, ";
  write_[0] = Prepare((insert + "raw) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)" + update +
                       "raw = excluded.raw, text =" + kSameState + "text END")
                          .c_str());
  write_[1] = Prepare((insert + "text) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)" + update +
                       "text = excluded.text, raw =" + kSameState + "raw END")
                          .c_str());
}

TCacheStore::~TCacheStore() {
  EndReading();
  for (sqlite3_stmt* statement : {lookup_[0], lookup_[1], write_[0], write_[1]}) sqlite3_finalize(statement);
  sqlite3_close(db_);
  if (damaged_) SetCacheFileAside(file_);
}

sqlite3_stmt* TCacheStore::Prepare(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (!Check(sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr))) return nullptr;
  return statement;
}

bool TCacheStore::Check(int code) {
  if (IsDamage(code)) damaged_ = true;
  return VerdictOf(code) == TVerdict::Ok;
}

std::optional<TCacheStore::TStored> TCacheStore::Lookup(const std::string& path, bool readableText) {
  if (damaged_) return std::nullopt;
  BeginReading();
  sqlite3_stmt* statement = lookup_[readableText ? 1 : 0];
  sqlite3_bind_blob(statement, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
  std::optional<TStored> stored;
  const int code = sqlite3_step(statement);
  if (code == SQLITE_ROW) {
    stored.emplace();
    if (!ReadRow(statement, *stored)) stored.reset();
  } else {
    Check(code);
  }
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  return stored;
}

void TCacheStore::BeginReading() {
  // One read transaction for all lookups spares each its own locking.
  if (!reading_) reading_ = Check(sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr));
}

void TCacheStore::EndReading() {
  if (reading_) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  reading_ = false;
}

bool TCacheStore::Write(const std::vector<TWrite>& writes) {
  EndReading();
  if (damaged_ || !Check(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr))) return false;
  bool written = true;
  for (const TWrite& write : writes) {
    sqlite3_stmt* statement = write_[write.readableText ? 1 : 0];
    BindState(statement, write.path, write.state);
    sqlite3_bind_blob(statement, 7, write.record.data(), static_cast<int>(write.record.size()), SQLITE_STATIC);
    written = Check(sqlite3_step(statement)) && written;
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
  }
  if (written && Check(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr))) return true;
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return false;
}

sqlite3_stmt* TCacheStore::PrepareBelow(const char* columns, const std::string& folder, std::string& end) {
  if (damaged_ || folder.empty() || folder.back() != '/') return nullptr;
  end = folder;
  end.back() = '/' + 1;  // every path below folder sorts before it
  sqlite3_stmt* statement =
      Prepare((std::string("SELECT ") + columns + " FROM documents WHERE path >= ?1 AND path < ?2").c_str());
  if (statement == nullptr) return nullptr;
  sqlite3_bind_blob(statement, 1, folder.data(), static_cast<int>(folder.size()), SQLITE_STATIC);
  sqlite3_bind_blob(statement, 2, end.data(), static_cast<int>(end.size()), SQLITE_STATIC);
  return statement;
}

void TCacheStore::VisitBelow(const std::string& folder, bool readableText,
                             const std::function<void(std::string_view path, const TStored& row)>& visit) {
  BeginReading();
  std::string end;
  sqlite3_stmt* statement = PrepareBelow(readableText ? "device, inode, size, modified, changed, text, path"
                                                      : "device, inode, size, modified, changed, raw, path",
                                         folder, end);
  if (statement == nullptr) return;
  int code;
  TStored row;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
    const void* path = sqlite3_column_blob(statement, 6);
    if (path != nullptr && ReadRow(statement, row))
      visit({static_cast<const char*>(path), static_cast<std::size_t>(sqlite3_column_bytes(statement, 6))}, row);
  }
  Check(code);
  sqlite3_finalize(statement);
}

std::vector<std::string> TCacheStore::PathsBelow(const std::string& folder) {
  std::vector<std::string> paths;
  EndReading();
  std::string end;
  sqlite3_stmt* statement = PrepareBelow("path", folder, end);
  if (statement == nullptr) return paths;
  int code;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
    const void* blob = sqlite3_column_blob(statement, 0);
    if (blob != nullptr)
      paths.emplace_back(static_cast<const char*>(blob), static_cast<std::size_t>(sqlite3_column_bytes(statement, 0)));
  }
  Check(code);
  sqlite3_finalize(statement);
  return paths;
}

void TCacheStore::Delete(const std::vector<std::string>& paths) {
  EndReading();
  if (paths.empty() || damaged_ || !Check(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr))) return;
  sqlite3_stmt* statement = Prepare("DELETE FROM documents WHERE path = ?1");
  bool deleted = statement != nullptr;
  for (const std::string& path : paths) {
    if (!deleted) break;
    sqlite3_bind_blob(statement, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
    deleted = Check(sqlite3_step(statement));
    sqlite3_reset(statement);
  }
  sqlite3_finalize(statement);
  if (!deleted || !Check(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr)))
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace tarvik
