#include <cstdint>

#include "storage/sql_store.h"

namespace orvane::service::storage {
namespace {

constexpr std::size_t eventsPerStatement = 50;
constexpr std::string_view eventColumns =
    "app_id, channel, received_at, occurred_at, event_type, placement_key, group_id, item_id, banner_id, "
    "banner_item_id, session_id, body";

std::int64_t channelNumber(EventChannel channel) { return channel == EventChannel::service ? 0 : 1; }

std::string insertEvents(std::size_t rows) {
  std::string sql = "INSERT INTO events (" + std::string(eventColumns) + ") VALUES ";
  for (std::size_t i = 0; i < rows; ++i) sql += (i == 0 ? "" : ", ") + placeholderList(12);
  return sql;
}

}  // namespace

void SqlStore::appendEvents(const std::vector<StoredEvent>& events) {
  if (events.empty()) return;
  pool_->write([&](SqlConnection& connection) {
    for (std::size_t start = 0; start < events.size(); start += eventsPerStatement) {
      const std::size_t rows = std::min(eventsPerStatement, events.size() - start);
      std::vector<SqlValue> parameters;
      parameters.reserve(rows * 12);
      for (std::size_t i = start; i < start + rows; ++i) {
        const StoredEvent& event = events[i];
        parameters.insert(parameters.end(),
                          {event.appId, channelNumber(event.channel), toMillis(event.receivedAt),
                           event.occurredAt ? SqlValue(toMillis(*event.occurredAt)) : SqlValue(nullptr),
                           event.eventType, event.placementKey, event.groupId, event.itemId, event.bannerId,
                           event.bannerItemId, event.sessionId, event.body});
      }
      connection.run(insertEvents(rows), parameters);
    }
  });
}

std::vector<StoredEvent> SqlStore::events(std::int64_t appId, EventChannel channel, std::size_t limit) {
  SqlResult result = pool_->read([&](SqlConnection& connection) {
    return connection.run(
        "SELECT " + std::string(eventColumns) +
            " FROM events WHERE app_id = ? AND channel = ? ORDER BY id LIMIT ?",
        {appId, channelNumber(channel), static_cast<std::int64_t>(std::min<std::size_t>(limit, INT64_MAX))});
  });
  std::vector<StoredEvent> events;
  for (std::size_t row = 0; row < result.size(); ++row) {
    StoredEvent event;
    event.appId = result.integer(row, 0);
    event.channel = result.integer(row, 1) == 0 ? EventChannel::service : EventChannel::analytics;
    event.receivedAt = fromMillis(result.integer(row, 2));
    if (auto occurred = result.optionalInteger(row, 3)) event.occurredAt = fromMillis(*occurred);
    event.eventType = result.text(row, 4);
    event.placementKey = result.text(row, 5);
    event.groupId = result.text(row, 6);
    event.itemId = result.text(row, 7);
    event.bannerId = result.text(row, 8);
    event.bannerItemId = result.text(row, 9);
    event.sessionId = result.text(row, 10);
    event.body = result.text(row, 11);
    events.push_back(std::move(event));
  }
  return events;
}

void SqlStore::addMedia(const MediaRecord& media) {
  pool_->write([&](SqlConnection& connection) {
    connection.run(
        "INSERT INTO media (sha256, content_type, size, duration_seconds, created_at) VALUES (?, ?, ?, ?, ?) "
        "ON CONFLICT (sha256) DO NOTHING",
        {media.sha256, media.contentType, static_cast<std::int64_t>(media.size),
         media.durationSeconds ? SqlValue(*media.durationSeconds) : SqlValue(nullptr),
         toMillis(media.createdAt)});
  });
}

std::optional<MediaRecord> SqlStore::media(std::string_view sha256) {
  SqlResult result = pool_->read([&](SqlConnection& connection) {
    return connection.run(
        "SELECT sha256, content_type, size, duration_seconds, created_at FROM media WHERE sha256 = ?",
        {sha256});
  });
  if (result.empty()) return std::nullopt;
  return MediaRecord{result.text(0, 0), result.text(0, 1), static_cast<std::uint64_t>(result.integer(0, 2)),
                     result.optionalReal(0, 3), fromMillis(result.integer(0, 4))};
}

void SqlStore::backupTo(const std::filesystem::path& file) {
  if (engine_ == SqlEngine::postgresql) {
    throw StoreError(
        "a PostgreSQL database is backed up with pg_dump, e.g. pg_dump --format=custom --file=FILE URL");
  }
  backupSqlite(sqlitePath_, file);
}

}  // namespace orvane::service::storage
