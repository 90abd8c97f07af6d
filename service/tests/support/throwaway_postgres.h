#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace orvane::service::test_support {

// A folder of this test binary's own, deleted when the binary ends, even when it crashes.
const std::filesystem::path& scratchFolder();

// A PostgreSQL 15 cluster of this test binary's own, started on first use from Debian's
// binaries as an unprivileged user, reachable only through a Unix socket in the scratch folder,
// and stopped with it.
class ThrowawayPostgres {
 public:
  static ThrowawayPostgres& instance();

  bool binariesFound() const { return binariesFound_; }
  // Empty while the cluster runs; otherwise why it does not.
  const std::string& unavailableReason() const { return unavailableReason_; }
  // A new empty database; its postgresql:// URL.
  std::string createDatabase();
  // Stops the server, cutting every connection, and starts it again: what clients see of a
  // database restarted under them.
  void restart();
  // The database down (connections cut, new ones refused) until startServer().
  void stopServer();
  void startServer();

 private:
  ThrowawayPostgres();
  void start();
  int asOwner(std::vector<std::string> arguments) const;

  bool binariesFound_ = false;
  std::string unavailableReason_;
  std::filesystem::path socketFolder_;
  std::vector<std::string> ownerCommand_;  // runs a program as the cluster's owner
  std::string dataFolder_, serverLog_, serverOptions_;
  std::mutex mutex_;
  int databases_ = 0;
};

enum class StoreEngine { sqlite, postgresql };

// Both engines: a PostgreSQL case skips itself where the binaries are absent.
std::vector<StoreEngine> storeEnginesForTests();
std::string engineName(const ::testing::TestParamInfo<StoreEngine>& info);

// A fresh empty database of `engine`: "sqlite:<file in the scratch folder>" or a new PostgreSQL
// database; nullopt when PostgreSQL cannot run here.
std::optional<std::string> freshDatabaseUrl(StoreEngine engine);

// Fresh databases on every engine that runs here, SQLite first. Says so once when PostgreSQL is skipped.
std::vector<std::string> storeUrlsForTests();

// Value-parameterized over the engines: each case gets a fresh database, or is skipped (PostgreSQL
// binaries absent) or failed (they are there but the cluster would not start) with the reason.
class StoreEngineTest : public ::testing::TestWithParam<StoreEngine> {
 protected:
  void SetUp() override;
  const std::string& databaseUrl() const { return databaseUrl_; }

 private:
  std::string databaseUrl_;
};

}  // namespace orvane::service::test_support
