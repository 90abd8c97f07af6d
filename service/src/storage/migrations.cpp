#include "storage/migrations.h"

#include <string_view>

#include "storage/vote_options_index.h"

namespace orvane::service::storage {
namespace {

struct Migration {
  int version;
  std::string_view description;
  std::string_view script;  // {id} and {real} stand for the engine's own types
  void (*afterScript)(SqlConnection&) = nullptr;
};

// Learns each indexed option's placement and group from the content the earlier version stored,
// oldest published version first so the newest document has the last word.
void placeVoteOptions(SqlConnection& connection) {
  SqlResult placements =
      connection.run("SELECT id, app_id, draft_document FROM placements WHERE kind = 'stories' ORDER BY id");
  for (std::size_t row = 0; row < placements.size(); ++row) {
    const std::int64_t placementId = placements.integer(row, 0), appId = placements.integer(row, 1);
    SqlResult versions = connection.run(
        "SELECT document FROM placement_versions WHERE placement_id = ? ORDER BY version", {placementId});
    std::vector<std::string> documents;
    for (std::size_t v = 0; v < versions.size(); ++v) documents.push_back(versions.text(v, 0));
    if (!placements.isNull(row, 2)) documents.push_back(placements.text(row, 2));
    for (const auto& text : documents) {
      auto document = nlohmann::json::parse(text, nullptr, false);
      if (!document.is_discarded()) indexVoteOptions(connection, appId, placementId, document);
    }
  }
}

const Migration migrations[] = {
    {1, "apps, SDK keys, placements with drafts and published versions, votes, events, media",
     R"sql(
CREATE TABLE store_state (name TEXT PRIMARY KEY, value BIGINT NOT NULL);
INSERT INTO store_state (name, value) VALUES ('content_revision', 0);
CREATE TABLE apps (
  id {id}, app_key TEXT NOT NULL UNIQUE, name TEXT NOT NULL, created_at BIGINT NOT NULL);
CREATE TABLE sdk_keys (
  id {id}, app_id BIGINT NOT NULL REFERENCES apps (id) ON DELETE CASCADE, key_hash TEXT NOT NULL UNIQUE,
  label TEXT NOT NULL, prefix TEXT NOT NULL, created_at BIGINT NOT NULL, revoked_at BIGINT);
CREATE INDEX sdk_keys_by_app ON sdk_keys (app_id);
CREATE TABLE placements (
  id {id}, app_id BIGINT NOT NULL REFERENCES apps (id) ON DELETE CASCADE, placement_key TEXT NOT NULL,
  kind TEXT NOT NULL, revision BIGINT NOT NULL DEFAULT 0, draft_document TEXT, draft_saved_at BIGINT,
  published_version BIGINT, UNIQUE (app_id, placement_key, kind));
CREATE TABLE placement_versions (
  placement_id BIGINT NOT NULL REFERENCES placements (id) ON DELETE CASCADE, version BIGINT NOT NULL,
  document TEXT NOT NULL, published_at BIGINT NOT NULL, PRIMARY KEY (placement_id, version));
CREATE TABLE vote_options (
  app_id BIGINT NOT NULL REFERENCES apps (id) ON DELETE CASCADE, item_id TEXT NOT NULL, option_id TEXT NOT NULL,
  vote_count BIGINT NOT NULL, PRIMARY KEY (app_id, item_id, option_id));
CREATE TABLE votes (
  app_id BIGINT NOT NULL, item_id TEXT NOT NULL, user_id TEXT NOT NULL, option_id TEXT NOT NULL,
  voted_at BIGINT NOT NULL, PRIMARY KEY (app_id, item_id, user_id),
  FOREIGN KEY (app_id, item_id, option_id) REFERENCES vote_options (app_id, item_id, option_id) ON DELETE CASCADE);
CREATE TABLE events (
  id {id}, app_id BIGINT NOT NULL REFERENCES apps (id) ON DELETE CASCADE, channel INTEGER NOT NULL,
  received_at BIGINT NOT NULL, occurred_at BIGINT, event_type TEXT NOT NULL, placement_key TEXT NOT NULL,
  group_id TEXT NOT NULL, item_id TEXT NOT NULL, banner_id TEXT NOT NULL, banner_item_id TEXT NOT NULL,
  session_id TEXT NOT NULL, body TEXT NOT NULL);
CREATE INDEX events_by_app ON events (app_id, channel, id);
CREATE TABLE media (
  sha256 TEXT PRIMARY KEY, content_type TEXT NOT NULL, size BIGINT NOT NULL, duration_seconds {real},
  created_at BIGINT NOT NULL);
)sql"},
    {2, "the report: where each votable option lives, events and votes indexed by time",
     R"sql(
ALTER TABLE vote_options ADD COLUMN placement_id BIGINT REFERENCES placements (id) ON DELETE SET NULL;
ALTER TABLE vote_options ADD COLUMN group_id TEXT NOT NULL DEFAULT '';
CREATE INDEX events_by_time ON events (channel, received_at);
CREATE INDEX votes_by_time ON votes (voted_at);
)sql",
     placeVoteOptions},
    {3, "console users, their sessions and the audit log",
     R"sql(
CREATE TABLE console_users (
  id {id}, name TEXT NOT NULL UNIQUE, role TEXT NOT NULL, password_hash TEXT NOT NULL, created_at BIGINT NOT NULL,
  updated_at BIGINT NOT NULL);
CREATE TABLE console_sessions (
  token_hash TEXT PRIMARY KEY, user_id BIGINT NOT NULL REFERENCES console_users (id) ON DELETE CASCADE,
  created_at BIGINT NOT NULL, expires_at BIGINT NOT NULL);
CREATE INDEX console_sessions_by_user ON console_sessions (user_id);
CREATE TABLE audit_log (
  id {id}, at BIGINT NOT NULL, actor TEXT NOT NULL, action TEXT NOT NULL, target TEXT NOT NULL,
  detail TEXT NOT NULL, address TEXT NOT NULL);
CREATE INDEX events_by_app_time ON events (app_id, channel, received_at);
)sql"},
};

std::string forEngine(std::string_view script, SqlEngine engine) {
  const bool sqlite = engine == SqlEngine::sqlite;
  std::string out(script);
  auto replaceAll = [&](std::string_view from, std::string_view to) {
    for (auto at = out.find(from); at != std::string::npos; at = out.find(from, at + to.size())) {
      out.replace(at, from.size(), to);
    }
  };
  replaceAll("{id}", sqlite ? "INTEGER PRIMARY KEY" : "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
  replaceAll("{real}", sqlite ? "REAL" : "DOUBLE PRECISION");
  return out;
}

}  // namespace

int currentSchemaVersion() { return std::end(migrations)[-1].version; }

int storedSchemaVersion(SqlConnection& connection) {
  connection.executeScript(
      "CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, description TEXT NOT NULL, "
      "applied_at BIGINT NOT NULL)");
  SqlResult result = connection.run("SELECT MAX(version) FROM schema_migrations");
  return static_cast<int>(result.optionalInteger(0, 0).value_or(0));
}

void migrateSchema(SqlConnection& connection, int targetVersion) {
  connection.beginWrite();
  try {
    // Instances starting together against one PostgreSQL database: one migrates, the others wait here.
    if (connection.engine() == SqlEngine::postgresql) connection.run("SELECT pg_advisory_xact_lock(4207291)");
    const int stored = storedSchemaVersion(connection);
    if (stored > currentSchemaVersion()) {
      throw StoreError(
          "the database is at schema version " + std::to_string(stored) +
          ", newer than this orvane-content-service knows (version " +
          std::to_string(currentSchemaVersion()) +
          "): run the newer release that wrote it, or restore a backup taken before the upgrade");
    }
    const auto now = toMillis(std::chrono::system_clock::now());
    for (const auto& migration : migrations) {
      if (migration.version <= stored || migration.version > targetVersion) continue;
      connection.executeScript(forEngine(migration.script, connection.engine()));
      if (migration.afterScript) migration.afterScript(connection);
      connection.run("INSERT INTO schema_migrations (version, description, applied_at) VALUES (?, ?, ?)",
                     {std::int64_t{migration.version}, migration.description, now});
    }
    connection.commit();
  } catch (...) {
    try {
      connection.rollback();
    } catch (const StoreError&) {
      // The connection is gone; so is its transaction.
    }
    throw;
  }
}

}  // namespace orvane::service::storage
