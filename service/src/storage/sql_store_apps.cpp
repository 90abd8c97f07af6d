#include "storage/sdk_key_hash.h"
#include "storage/sql_store.h"

namespace orvane::service::storage {

SqlStore::SqlStore(std::unique_ptr<ConnectionPool> pool, SqlEngine engine, std::string sqlitePath)
    : pool_(std::move(pool)),
      console_(std::make_unique<SqlConsoleStore>(*pool_)),
      engine_(engine),
      sqlitePath_(std::move(sqlitePath)) {}

bool SqlStore::reachable() {
  try {
    pool_->read([](SqlConnection& connection) { connection.run("SELECT 1"); });
    return true;
  } catch (const StoreError&) {
    return false;
  }
}

App SqlStore::createApp(const std::string& key, const std::string& name) {
  if (key.empty()) throw StoreError("an app needs a key");
  try {
    return pool_->write([&](SqlConnection& connection) {
      SqlResult result =
          connection.run("INSERT INTO apps (app_key, name, created_at) VALUES (?, ?, ?) RETURNING id",
                         {key, name, toMillis(std::chrono::system_clock::now())});
      return App{result.integer(0, 0), key, name};
    });
  } catch (const SqlError& error) {
    if (error.kind() == SqlError::Kind::constraint)
      throw StoreError("an app with the key \"" + key + "\" exists already");
    throw;
  }
}

namespace {

std::vector<App> appsOf(const SqlResult& result) {
  std::vector<App> apps;
  for (std::size_t row = 0; row < result.size(); ++row) {
    apps.push_back(App{result.integer(row, 0), result.text(row, 1), result.text(row, 2)});
  }
  return apps;
}

std::vector<SdkKeyInfo> keysOf(const SqlResult& result) {
  std::vector<SdkKeyInfo> keys;
  for (std::size_t row = 0; row < result.size(); ++row) {
    SdkKeyInfo key{result.integer(row, 0), result.text(row, 1), result.text(row, 2),
                   fromMillis(result.integer(row, 3)), std::nullopt};
    if (auto revoked = result.optionalInteger(row, 4)) key.revokedAt = fromMillis(*revoked);
    keys.push_back(std::move(key));
  }
  return keys;
}

}  // namespace

std::optional<App> SqlStore::appByKey(std::string_view key) {
  auto apps = appsOf(pool_->read([&](SqlConnection& connection) {
    return connection.run("SELECT id, app_key, name FROM apps WHERE app_key = ?", {key});
  }));
  if (apps.empty()) return std::nullopt;
  return apps.front();
}

std::vector<App> SqlStore::apps() {
  return appsOf(pool_->read([](SqlConnection& connection) {
    return connection.run("SELECT id, app_key, name FROM apps ORDER BY id");
  }));
}

SdkKeyInfo SqlStore::addSdkKey(std::int64_t appId, std::string_view sdkKey, const std::string& label) {
  if (sdkKey.empty()) throw StoreError("an SDK key cannot be empty");
  const std::string hash = hashSdkKey(sdkKey), prefix = sdkKeyPrefix(sdkKey);
  const auto now = std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
  try {
    return pool_->write([&](SqlConnection& connection) {
      if (connection.run("SELECT 1 FROM apps WHERE id = ?", {appId}).empty()) {
        throw StoreError("no app has the id " + std::to_string(appId));
      }
      SqlResult result = connection.run(
          "INSERT INTO sdk_keys (app_id, key_hash, label, prefix, created_at) VALUES (?, ?, ?, ?, ?) "
          "RETURNING id",
          {appId, hash, label, prefix, toMillis(now)});
      return SdkKeyInfo{result.integer(0, 0), label, prefix, now, std::nullopt};
    });
  } catch (const SqlError& error) {
    if (error.kind() == SqlError::Kind::constraint) throw StoreError("this SDK key is in use already");
    throw;
  }
}

std::vector<SdkKeyInfo> SqlStore::sdkKeys(std::int64_t appId) {
  return keysOf(pool_->read([&](SqlConnection& connection) {
    return connection.run(
        "SELECT id, label, prefix, created_at, revoked_at FROM sdk_keys WHERE app_id = ? ORDER BY id",
        {appId});
  }));
}

bool SqlStore::revokeSdkKey(std::int64_t appId, std::int64_t keyId) {
  // A key revoked before keeps its first revocation time; revoking again still finds it.
  return pool_->write([&](SqlConnection& connection) {
    return connection
               .run("UPDATE sdk_keys SET revoked_at = COALESCE(revoked_at, ?) WHERE id = ? AND app_id = ?",
                    {toMillis(std::chrono::system_clock::now()), keyId, appId})
               .affected() > 0;
  });
}

std::optional<App> SqlStore::appForSdkKey(std::string_view sdkKey) {
  if (sdkKey.empty()) return std::nullopt;
  const std::string hash = hashSdkKey(sdkKey);
  SqlResult result = pool_->read([&](SqlConnection& connection) {
    return connection.run(
        "SELECT k.key_hash, a.id, a.app_key, a.name FROM sdk_keys k JOIN apps a ON a.id = k.app_id "
        "WHERE k.key_hash = ? AND k.revoked_at IS NULL",
        {hash});
  });
  if (result.empty() || !sameKeyHash(result.text(0, 0), hash)) return std::nullopt;
  return App{result.integer(0, 1), result.text(0, 2), result.text(0, 3)};
}

}  // namespace orvane::service::storage
