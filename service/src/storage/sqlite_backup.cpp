#include <sqlite3.h>

#include <system_error>

#include "storage/sql_store.h"

namespace orvane::service::storage {
namespace {

struct Database {
  sqlite3* handle = nullptr;
  ~Database() { sqlite3_close(handle); }
};

}  // namespace

void backupSqlite(const std::string& databasePath, const std::filesystem::path& file) {
  std::error_code ignored;
  if (std::filesystem::equivalent(databasePath, file, ignored)) {
    throw StoreError("the backup would overwrite the database itself: name another file");
  }
  // Written beside the target and renamed, so a failed backup never leaves a half copy under its name.
  const std::filesystem::path partial = file.string() + ".partial";
  Database source, target;
  if (sqlite3_open_v2(databasePath.c_str(), &source.handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
      sqlite3_open_v2(partial.c_str(), &target.handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
          SQLITE_OK) {
    throw StoreError("cannot open " + (source.handle ? partial.string() : databasePath) + " for the backup");
  }
  sqlite3_busy_timeout(source.handle, 5000);
  sqlite3_backup* backup = sqlite3_backup_init(target.handle, "main", source.handle, "main");
  if (!backup) throw StoreError(std::string("cannot start the backup: ") + sqlite3_errmsg(target.handle));
  // All pages in one step: one read transaction, so the copy is a single moment of the database
  // while writers carry on in the write-ahead log.
  int status = sqlite3_backup_step(backup, -1);
  sqlite3_backup_finish(backup);
  if (status != SQLITE_DONE) {
    std::filesystem::remove(partial, ignored);
    throw StoreError(std::string("the backup failed: ") + sqlite3_errstr(status));
  }
  sqlite3_close(target.handle);
  target.handle = nullptr;
  std::filesystem::rename(partial, file);
}

}  // namespace orvane::service::storage
