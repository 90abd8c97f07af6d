#include "storage/migrations.h"
#include "storage/sql_store.h"

namespace orvane::service::storage {
namespace {

// Enough for the request threads of one instance; PostgreSQL's default allows 100 in all.
constexpr std::size_t sqliteConnections = 8;
constexpr std::size_t postgresConnections = 16;

void migrate(SqlConnection& connection) {
  try {
    migrateSchema(connection);
  } catch (const SqlError& error) {
    throw StoreError("cannot bring the database schema to version " + std::to_string(currentSchemaVersion()) +
                     ": " + error.what());
  }
}

}  // namespace

std::unique_ptr<Store> Store::open(const std::string& url) {
  if (url.starts_with("sqlite:")) {
    const std::string path = url.substr(7);
    if (path.empty()) throw StoreError("the database URL sqlite:PATH names no file");
    if (auto folder = std::filesystem::path(path).parent_path(); !folder.empty()) {
      std::error_code error;
      std::filesystem::create_directories(folder, error);
      if (error) throw StoreError("cannot create the folder " + folder.string() + ": " + error.message());
    }
    migrate(*connectSqlite(path));
    auto pool =
        std::make_unique<ConnectionPool>([path] { return connectSqlite(path); }, sqliteConnections, true);
    return std::make_unique<SqlStore>(std::move(pool), SqlEngine::sqlite, path);
  }
  if (url.starts_with("postgresql://") || url.starts_with("postgres://")) {
    migrate(*connectPostgres(url));
    auto pool =
        std::make_unique<ConnectionPool>([url] { return connectPostgres(url); }, postgresConnections, false);
    return std::make_unique<SqlStore>(std::move(pool), SqlEngine::postgresql, std::string());
  }
  throw StoreError("unknown database URL: expected sqlite:PATH or postgresql://...");
}

}  // namespace orvane::service::storage
