#include <sqlite3.h>

#include <charconv>
#include <unordered_map>

#include "storage/sql_connection.h"

namespace orvane::service::storage {
namespace {

class SqliteConnection final : public SqlConnection {
 public:
  explicit SqliteConnection(const std::string& path) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw StoreError("cannot open the SQLite database " + path + ": " + reason);
    }
    // Writers are serialized by the store; the timeout covers other processes (a backup, the CLI).
    sqlite3_busy_timeout(db_, 5000);
    sqlite3_extended_result_codes(db_, 1);
    // WAL lets readers run beside the writer; NORMAL keeps every commit across a process crash.
    executeScript("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON");
  }

  ~SqliteConnection() override {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    sqlite3_close(db_);
  }

  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  SqlEngine engine() const override { return SqlEngine::sqlite; }

  SqlResult run(std::string_view sql, const std::vector<SqlValue>& parameters) override {
    sqlite3_stmt* statement = prepared(sql);
    struct Reset {
      sqlite3_stmt* statement;
      ~Reset() {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
      }
    } reset{statement};
    if (static_cast<int>(parameters.size()) != sqlite3_bind_parameter_count(statement)) {
      throw StoreError("internal error: wrong parameter count for " + std::string(sql));
    }
    for (std::size_t i = 0; i < parameters.size(); ++i)
      bind(statement, static_cast<int>(i + 1), parameters[i]);

    const auto columns = static_cast<std::size_t>(sqlite3_column_count(statement));
    std::vector<std::optional<std::string>> cells;
    for (;;) {
      int status = sqlite3_step(statement);
      if (status == SQLITE_DONE) break;
      if (status != SQLITE_ROW) fail(status);
      for (std::size_t c = 0; c < columns; ++c) {
        const int column = static_cast<int>(c);
        if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
          cells.emplace_back();
        } else {
          const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
          cells.emplace_back(
              std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column))));
        }
      }
    }
    return SqlResult(columns, std::move(cells), sqlite3_changes64(db_));
  }

  void executeScript(const std::string& sql) override {
    char* error = nullptr;
    int status = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
    if (status != SQLITE_OK) {
      std::string message = error ? error : sqlite3_errstr(status);
      sqlite3_free(error);
      throw SqlError(kindOf(status), "SQLite: " + message);
    }
  }

  void beginWrite() override { executeScript("BEGIN IMMEDIATE"); }
  bool healthy() override { return true; }
  void reconnect() override {}

 private:
  sqlite3_stmt* prepared(std::string_view sql) {
    auto found = statements_.find(std::string(sql));
    if (found != statements_.end()) return found->second;
    sqlite3_stmt* statement = nullptr;
    int status = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                    &statement, nullptr);
    if (status != SQLITE_OK) fail(status);
    statements_.emplace(std::string(sql), statement);
    return statement;
  }

  static void bind(sqlite3_stmt* statement, int index, const SqlValue& value) {
    int status = SQLITE_OK;
    if (std::holds_alternative<std::nullptr_t>(value)) {
      status = sqlite3_bind_null(statement, index);
    } else if (auto* integer = std::get_if<std::int64_t>(&value)) {
      status = sqlite3_bind_int64(statement, index, *integer);
    } else if (auto* real = std::get_if<double>(&value)) {
      status = sqlite3_bind_double(statement, index, *real);
    } else {
      auto text = std::get<std::string_view>(value);
      status = sqlite3_bind_text64(statement, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
    }
    if (status != SQLITE_OK)
      throw StoreError(std::string("SQLite: cannot bind a value: ") + sqlite3_errstr(status));
  }

  static SqlError::Kind kindOf(int status) {
    switch (status & 0xff) {
      case SQLITE_CONSTRAINT:
        return SqlError::Kind::constraint;
      case SQLITE_BUSY:
      case SQLITE_LOCKED:
        return SqlError::Kind::conflict;
      default:
        return SqlError::Kind::other;
    }
  }

  [[noreturn]] void fail(int status) {
    throw SqlError(kindOf(status), std::string("SQLite: ") + sqlite3_errmsg(db_));
  }

  sqlite3* db_ = nullptr;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace

std::unique_ptr<SqlConnection> connectSqlite(const std::string& path) {
  return std::make_unique<SqliteConnection>(path);
}

}  // namespace orvane::service::storage
