#pragma once

#include <memory>

#include "storage/connection_pool.h"
#include "storage/sql_console_store.h"
#include "storage/store.h"

namespace orvane::service::storage {

// The store on any SQL engine: one schema, one set of statements, written for both SQLite and
// PostgreSQL. `sqlitePath` is set for SQLite, whose backups read the file directly.
class SqlStore final : public Store {
 public:
  SqlStore(std::unique_ptr<ConnectionPool> pool, SqlEngine engine, std::string sqlitePath);

  bool reachable() override;

  App createApp(const std::string& key, const std::string& name) override;
  std::optional<App> appByKey(std::string_view key) override;
  std::vector<App> apps() override;
  SdkKeyInfo addSdkKey(std::int64_t appId, std::string_view sdkKey, const std::string& label) override;
  std::vector<SdkKeyInfo> sdkKeys(std::int64_t appId) override;
  bool revokeSdkKey(std::int64_t appId, std::int64_t keyId) override;
  std::optional<App> appForSdkKey(std::string_view sdkKey) override;

  bool hasContent() override;
  std::vector<PlacementSummary> placements(std::int64_t appId) override;
  std::optional<PlacementContent> placement(std::int64_t appId, std::string_view placementKey,
                                            ContentKind kind, Environment environment) override;
  void saveDraft(std::int64_t appId, std::string_view placementKey, ContentKind kind,
                 const nlohmann::json& document) override;
  std::optional<std::int64_t> publish(std::int64_t appId, std::string_view placementKey,
                                      ContentKind kind) override;
  std::optional<std::int64_t> rollback(std::int64_t appId, std::string_view placementKey,
                                       ContentKind kind) override;
  std::int64_t contentRevision() override;

  VoteOutcome recordVote(std::int64_t appId, std::string_view itemId, std::string_view optionId,
                         std::string_view userId, TimePoint now) override;
  std::map<std::string, std::int64_t> optionCounts(std::int64_t appId,
                                                   const std::vector<std::string>& optionIds) override;
  std::map<std::string, UserVote> userVotes(std::int64_t appId, std::string_view userId,
                                            const std::vector<std::string>& itemIds) override;

  void appendEvents(const std::vector<StoredEvent>& events) override;
  std::vector<StoredEvent> events(std::int64_t appId, EventChannel channel, std::size_t limit) override;

  void addMedia(const MediaRecord& media) override;
  std::optional<MediaRecord> media(std::string_view sha256) override;

  std::vector<ReportCount> reportCounts(TimePoint from, TimePoint to) override;

  ConsoleStore* console() override { return console_.get(); }

  void backupTo(const std::filesystem::path& file) override;

 private:
  std::unique_ptr<ConnectionPool> pool_;
  std::unique_ptr<SqlConsoleStore> console_;
  SqlEngine engine_;
  std::string sqlitePath_;
};

// "stories" / "banners", as stored.
std::string_view kindName(ContentKind kind);
// "(?, ?, ?)": the placeholders of an IN list.
std::string placeholderList(std::size_t count);
// Content changes anywhere move this counter, in the same transaction.
void bumpContentRevision(SqlConnection& connection);

void backupSqlite(const std::string& databasePath, const std::filesystem::path& file);

}  // namespace orvane::service::storage
