#include "storage/sql_store.h"
#include "storage/vote_options_index.h"

namespace orvane::service::storage {

std::string_view kindName(ContentKind kind) { return kind == ContentKind::stories ? "stories" : "banners"; }

void bumpContentRevision(SqlConnection& connection) {
  connection.run("UPDATE store_state SET value = value + 1 WHERE name = 'content_revision'");
}

bool SqlStore::hasContent() {
  return pool_->read(
      [](SqlConnection& connection) { return !connection.run("SELECT 1 FROM placements LIMIT 1").empty(); });
}

std::vector<PlacementSummary> SqlStore::placements(std::int64_t appId) {
  SqlResult result = pool_->read([&](SqlConnection& connection) {
    return connection.run(
        "SELECT placement_key, kind, published_version, CASE WHEN draft_document IS NULL THEN 0 ELSE 1 END "
        "FROM placements WHERE app_id = ? ORDER BY placement_key, kind",
        {appId});
  });
  std::vector<PlacementSummary> summaries;
  for (std::size_t row = 0; row < result.size(); ++row) {
    summaries.push_back(PlacementSummary{
        result.text(row, 0), result.text(row, 1) == "banners" ? ContentKind::banners : ContentKind::stories,
        result.optionalInteger(row, 2), result.integer(row, 3) == 1});
  }
  return summaries;
}

std::optional<PlacementContent> SqlStore::placement(std::int64_t appId, std::string_view placementKey,
                                                    ContentKind kind, Environment environment) {
  SqlResult result = pool_->read([&](SqlConnection& connection) {
    return connection.run(
        "SELECT p.id, p.revision, p.draft_document, p.draft_saved_at, v.document, v.published_at "
        "FROM placements p LEFT JOIN placement_versions v ON v.placement_id = p.id AND v.version = "
        "p.published_version "
        "WHERE p.app_id = ? AND p.placement_key = ? AND p.kind = ?",
        {appId, placementKey, kindName(kind)});
  });
  if (result.empty()) return std::nullopt;
  const bool draft = environment == Environment::staging && !result.isNull(0, 2);
  const std::size_t documentColumn = draft ? 2 : 4;
  if (result.isNull(0, documentColumn)) return std::nullopt;
  auto document = nlohmann::json::parse(result.text(0, documentColumn), nullptr, false);
  if (document.is_discarded())
    throw StoreError("the stored content of placement " + std::string(placementKey) + " is not valid JSON");
  return PlacementContent{result.integer(0, 0), result.integer(0, 1), std::move(document),
                          fromMillis(result.integer(0, documentColumn + 1))};
}

void SqlStore::saveDraft(std::int64_t appId, std::string_view placementKey, ContentKind kind,
                         const nlohmann::json& document) {
  if (placementKey.empty()) throw StoreError("a placement needs a key");
  // Texts that are not UTF-8 are stored with replacement characters rather than refused half-way.
  const std::string text = document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  try {
    pool_->write([&](SqlConnection& connection) {
      SqlResult placement = connection.run(
          "INSERT INTO placements (app_id, placement_key, kind, revision, draft_document, draft_saved_at) "
          "VALUES (?, ?, ?, 1, ?, ?) ON CONFLICT (app_id, placement_key, kind) DO UPDATE SET "
          "draft_document = excluded.draft_document, draft_saved_at = excluded.draft_saved_at, "
          "revision = placements.revision + 1 RETURNING id",
          {appId, placementKey, kindName(kind), text, toMillis(std::chrono::system_clock::now())});
      if (kind == ContentKind::stories)
        indexVoteOptions(connection, appId, placement.integer(0, 0), document);
      bumpContentRevision(connection);
    });
  } catch (const SqlError& error) {
    if (error.kind() == SqlError::Kind::constraint)
      throw StoreError("no app has the id " + std::to_string(appId));
    throw;
  }
  changed(Change::content);
}

std::optional<std::int64_t> SqlStore::publish(std::int64_t appId, std::string_view placementKey,
                                              ContentKind kind) {
  auto published = pool_->write([&](SqlConnection& connection) -> std::optional<std::int64_t> {
    // The update comes first so that concurrent publishes of one placement queue on its row.
    SqlResult placement = connection.run(
        "UPDATE placements SET revision = revision + 1 "
        "WHERE app_id = ? AND placement_key = ? AND kind = ? AND draft_document IS NOT NULL "
        "RETURNING id, draft_document",
        {appId, placementKey, kindName(kind)});
    if (placement.empty()) return std::nullopt;
    const std::int64_t placementId = placement.integer(0, 0);
    const std::int64_t version =
        connection
            .run("SELECT COALESCE(MAX(version), 0) + 1 FROM placement_versions WHERE placement_id = ?",
                 {placementId})
            .integer(0, 0);
    connection.run(
        "INSERT INTO placement_versions (placement_id, version, document, published_at) VALUES (?, ?, ?, ?)",
        {placementId, version, placement.text(0, 1), toMillis(std::chrono::system_clock::now())});
    connection.run(
        "UPDATE placements SET published_version = ?, draft_document = NULL, draft_saved_at = NULL WHERE id "
        "= ?",
        {version, placementId});
    bumpContentRevision(connection);
    return version;
  });
  if (published) changed(Change::content);
  return published;
}

std::optional<std::int64_t> SqlStore::rollback(std::int64_t appId, std::string_view placementKey,
                                               ContentKind kind) {
  auto version = pool_->write([&](SqlConnection& connection) -> std::optional<std::int64_t> {
    // One statement, so the version it steps back from is the one it finds under the row's lock.
    SqlResult result = connection.run(
        "UPDATE placements SET revision = revision + 1, published_version = ("
        "  SELECT MAX(v.version) FROM placement_versions v"
        "  WHERE v.placement_id = placements.id AND v.version < placements.published_version) "
        "WHERE app_id = ? AND placement_key = ? AND kind = ? AND EXISTS ("
        "  SELECT 1 FROM placement_versions v"
        "  WHERE v.placement_id = placements.id AND v.version < placements.published_version) "
        "RETURNING published_version",
        {appId, placementKey, kindName(kind)});
    if (result.empty()) return std::nullopt;
    bumpContentRevision(connection);
    return result.integer(0, 0);
  });
  if (version) changed(Change::content);
  return version;
}

std::int64_t SqlStore::contentRevision() {
  return pool_->read([](SqlConnection& connection) {
    return connection.run("SELECT value FROM store_state WHERE name = 'content_revision'").integer(0, 0);
  });
}

}  // namespace orvane::service::storage
