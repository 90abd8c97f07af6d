#include "storage/sql_console_store.h"

namespace orvane::service::storage {
namespace {

// "CASE WHEN column < ? THEN 0 WHEN column < ? THEN 1 ... ELSE n-1 END": the day each row falls in,
// with the inner day bounds bound as parameters, so days of any length (DST) and offset fold in SQL.
std::string dayOfRow(std::string_view column, const std::vector<TimePoint>& dayStarts,
                     std::vector<SqlValue>& parameters) {
  const std::size_t days = dayStarts.size() - 1;
  if (days == 1) return "0";
  std::string sql = "CASE";
  for (std::size_t day = 0; day + 1 < days; ++day) {
    sql += " WHEN " + std::string(column) + " < ? THEN " + std::to_string(day);
    parameters.emplace_back(toMillis(dayStarts[day + 1]));
  }
  return sql + " ELSE " + std::to_string(days - 1) + " END";
}

}  // namespace

DayCounts SqlConsoleStore::dayCounts(std::int64_t appId, const std::vector<TimePoint>& dayStarts) {
  if (dayStarts.size() < 2) return {};
  std::vector<SqlValue> eventParameters;
  const std::string eventDay = dayOfRow("received_at", dayStarts, eventParameters);
  eventParameters.insert(eventParameters.end(),
                         {appId, toMillis(dayStarts.front()), toMillis(dayStarts.back())});
  std::vector<SqlValue> voteParameters;
  const std::string voteDay = dayOfRow("v.voted_at", dayStarts, voteParameters);
  voteParameters.insert(voteParameters.end(), {appId, toMillis(dayStarts.front()), toMillis(dayStarts.back())});

  auto [events, votes] = pool_.read([&](SqlConnection& connection) {
    SqlResult eventRows = connection.run(
        "SELECT " + eventDay +
            ", placement_key, event_type, group_id, item_id, banner_id, banner_item_id, COUNT(*) FROM events "
            "WHERE app_id = ? AND channel = 0 AND received_at >= ? AND received_at < ? "
            "GROUP BY 1, 2, 3, 4, 5, 6, 7",
        eventParameters);
    SqlResult voteRows = connection.run(
        "SELECT " + voteDay +
            ", COALESCE(p.placement_key, ''), o.group_id, v.item_id, v.option_id, COUNT(*) FROM votes v "
            "JOIN vote_options o ON o.app_id = v.app_id AND o.item_id = v.item_id AND o.option_id = v.option_id "
            "LEFT JOIN placements p ON p.id = o.placement_id "
            "WHERE v.app_id = ? AND v.voted_at >= ? AND v.voted_at < ? GROUP BY 1, 2, 3, 4, 5",
        voteParameters);
    return std::pair(std::move(eventRows), std::move(voteRows));
  });

  DayCounts counts;
  for (std::size_t row = 0; row < events.size(); ++row) {
    counts.events.push_back(DayEventCount{static_cast<std::size_t>(events.integer(row, 0)), events.text(row, 1),
                                          events.text(row, 2), events.text(row, 3), events.text(row, 4),
                                          events.text(row, 5), events.text(row, 6), events.integer(row, 7)});
  }
  for (std::size_t row = 0; row < votes.size(); ++row) {
    counts.votes.push_back(DayVoteCount{static_cast<std::size_t>(votes.integer(row, 0)), votes.text(row, 1),
                                        votes.text(row, 2), votes.text(row, 3), votes.text(row, 4),
                                        votes.integer(row, 5)});
  }
  return counts;
}

}  // namespace orvane::service::storage
