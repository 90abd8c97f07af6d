#include <cstdint>

#include "storage/event_partitions.h"
#include "storage/sql_store.h"

namespace orvane::service::storage {
namespace {

constexpr std::size_t eventsPerStatement = 50;
constexpr std::string_view eventColumns =
    "app_id, channel, received_at, occurred_at, event_type, placement_key, group_id, item_id, banner_id, "
    "banner_item_id, session_id, body";

std::int64_t channelNumber(EventChannel channel) { return channel == EventChannel::service ? 0 : 1; }

std::string insertStatement(std::size_t rows) {
  std::string sql = "INSERT INTO events (" + std::string(eventColumns) + ") VALUES ";
  for (std::size_t i = 0; i < rows; ++i) sql += (i == 0 ? "" : ", ") + placeholderList(12);
  return sql;
}

}  // namespace

void SqlStore::readyEventDays(const std::set<std::chrono::sys_days>& days) {
  std::lock_guard lock(partitionsMutex_);
  for (auto day : days) {
    if (readyDays_.count(day) != 0) continue;
    pool_->write([&](SqlConnection& connection) { createEventPartition(connection, day); });
    readyDays_.insert(day);
  }
}

void SqlStore::prepareEventDays(std::chrono::sys_days first, std::chrono::sys_days last) {
  if (engine_ != SqlEngine::postgresql) return;
  std::set<std::chrono::sys_days> days;
  for (auto day = first; day <= last; day += std::chrono::days(1)) days.insert(day);
  readyEventDays(days);
}

void SqlStore::removeEventsBefore(std::chrono::sys_days firstKept) {
  if (engine_ != SqlEngine::postgresql) {
    pool_->write([&](SqlConnection& connection) {
      connection.run("DELETE FROM events WHERE received_at < ?", {toMillis(firstKept)});
    });
    return;
  }
  std::lock_guard lock(partitionsMutex_);
  const auto dropped = pool_->write(
      [&](SqlConnection& connection) { return dropEventPartitionsBefore(connection, firstKept); });
  for (auto day : dropped) readyDays_.erase(day);
}

void SqlStore::appendEvents(const std::vector<StoredEvent>& events) {
  if (events.empty()) return;
  if (engine_ != SqlEngine::postgresql) return insertEvents(events);
  std::set<std::chrono::sys_days> days;
  for (const auto& event : events) days.insert(eventDay(toMillis(event.receivedAt)));
  readyEventDays(days);
  try {
    insertEvents(events);
  } catch (const SqlError& error) {
    if (error.kind() != SqlError::Kind::constraint) throw;
    // A partition this instance knew was dropped under it (by hand, or by an instance keeping
    // fewer days): found again, the batch is not lost.
    {
      std::lock_guard lock(partitionsMutex_);
      readyDays_.clear();
    }
    readyEventDays(days);
    insertEvents(events);
  }
}

void SqlStore::insertEvents(const std::vector<StoredEvent>& events) {
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
      connection.run(insertStatement(rows), parameters);
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
