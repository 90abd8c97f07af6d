#include "storage/event_partitions.h"

#include <cstdio>
#include <optional>

namespace orvane::service::storage {
namespace {

constexpr std::int64_t millisPerDay = 86'400'000;
// Apart from the migrations' lock: partitions change while instances serve.
constexpr std::string_view partitionLock = "SELECT pg_advisory_xact_lock(4207292)";

std::int64_t dayNumber(std::chrono::sys_days day) { return day.time_since_epoch().count(); }

std::optional<std::chrono::sys_days> dayOfPartition(const std::string& name) {
  unsigned year = 0, month = 0, day = 0;
  char rest = 0;
  if (name.size() != 15 || std::sscanf(name.c_str(), "events_%4u%2u%2u%c", &year, &month, &day, &rest) != 3)
    return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(year)), std::chrono::month(month),
                                         std::chrono::day(day)};
  if (!date.ok()) return std::nullopt;
  return std::chrono::sys_days(date);
}

}  // namespace

std::chrono::sys_days eventDay(std::int64_t receivedAtMillis) {
  const std::int64_t days = receivedAtMillis / millisPerDay - (receivedAtMillis % millisPerDay < 0 ? 1 : 0);
  return std::chrono::sys_days(std::chrono::days(days));
}

std::string eventPartitionName(std::chrono::sys_days day) {
  const std::chrono::year_month_day date(day);
  char name[32];
  std::snprintf(name, sizeof name, "events_%04d%02u%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return name;
}

void createEventPartition(SqlConnection& connection, std::chrono::sys_days day) {
  connection.run(partitionLock);
  const std::string name = eventPartitionName(day);
  if (!connection.run("SELECT to_regclass(?)", {std::string_view(name)}).isNull(0, 0)) return;
  const std::int64_t from = dayNumber(day) * millisPerDay;
  connection.executeScript("CREATE TABLE " + name + " PARTITION OF events FOR VALUES FROM (" +
                           std::to_string(from) + ") TO (" + std::to_string(from + millisPerDay) + ")");
}

std::vector<std::chrono::sys_days> eventPartitionDays(SqlConnection& connection) {
  SqlResult children = connection.run(
      "SELECT c.relname FROM pg_inherits i JOIN pg_class c ON c.oid = i.inhrelid "
      "WHERE i.inhparent = 'events'::regclass ORDER BY 1");
  std::vector<std::chrono::sys_days> days;
  for (std::size_t row = 0; row < children.size(); ++row) {
    if (auto day = dayOfPartition(children.text(row, 0))) days.push_back(*day);
  }
  return days;
}

std::vector<std::chrono::sys_days> dropEventPartitionsBefore(SqlConnection& connection,
                                                             std::chrono::sys_days firstKept) {
  connection.run(partitionLock);
  std::vector<std::chrono::sys_days> dropped;
  for (auto day : eventPartitionDays(connection)) {
    if (day >= firstKept) break;
    connection.executeScript("DROP TABLE " + eventPartitionName(day));
    dropped.push_back(day);
  }
  return dropped;
}

void partitionEventsTable(SqlConnection& connection) {
  if (connection.engine() != SqlEngine::postgresql) return;
  connection.executeScript(R"sql(
ALTER TABLE events RENAME TO events_unpartitioned;
ALTER INDEX events_by_app RENAME TO events_unpartitioned_by_app;
ALTER INDEX events_by_time RENAME TO events_unpartitioned_by_time;
CREATE SEQUENCE event_ids;
CREATE TABLE events (
  id BIGINT NOT NULL DEFAULT nextval('event_ids'), app_id BIGINT NOT NULL REFERENCES apps (id) ON DELETE CASCADE,
  channel INTEGER NOT NULL, received_at BIGINT NOT NULL, occurred_at BIGINT, event_type TEXT NOT NULL,
  placement_key TEXT NOT NULL, group_id TEXT NOT NULL, item_id TEXT NOT NULL, banner_id TEXT NOT NULL,
  banner_item_id TEXT NOT NULL, session_id TEXT NOT NULL, body TEXT NOT NULL)
  PARTITION BY RANGE (received_at);
ALTER SEQUENCE event_ids OWNED BY events.id;
)sql");
  SqlResult days = connection.run(
      "SELECT DISTINCT floor(received_at / 86400000.0)::BIGINT FROM events_unpartitioned ORDER BY 1");
  for (std::size_t row = 0; row < days.size(); ++row)
    createEventPartition(connection, std::chrono::sys_days(std::chrono::days(days.integer(row, 0))));
  connection.executeScript(R"sql(
INSERT INTO events SELECT id, app_id, channel, received_at, occurred_at, event_type, placement_key, group_id,
  item_id, banner_id, banner_item_id, session_id, body FROM events_unpartitioned;
SELECT setval('event_ids', COALESCE((SELECT MAX(id) FROM events_unpartitioned), 0) + 1, false);
DROP TABLE events_unpartitioned;
CREATE INDEX events_by_app ON events (app_id, channel, id);
CREATE INDEX events_by_time ON events (channel, received_at);
)sql");
}

}  // namespace orvane::service::storage
