#include "storage/sql_store.h"

namespace orvane::service::storage {
namespace {

struct MetricOfEvent {
  std::string_view eventType, metric;
  bool banner;
};

// Service events only: the SDK sends each of them once per session (clicks excepted), so they count
// people's actions, where the analytics records would count screens.
constexpr MetricOfEvent metricsOfEvents[] = {
    {"STORY_GROUP_IMPRESSION", "impressions", false},
    {"STORY_OPEN", "opens", false},
    {"STORY_ITEM_VIEW", "page_views", false},
    {"STORY_COMPLETE", "completions", false},
    {"CTA_CLICK", "cta_clicks", false},
    {"BANNER_IMPRESSION", "impressions", true},
    {"BANNER_CLICK", "banner_clicks", true},
};

std::chrono::sys_days dayOf(std::int64_t dayNumber) {
  return std::chrono::sys_days(std::chrono::days(dayNumber));
}

}  // namespace

std::vector<ReportCount> SqlStore::reportCounts(TimePoint from, TimePoint to) {
  std::vector<SqlValue> eventParameters{toMillis(from), toMillis(to)};
  for (const auto& known : metricsOfEvents) eventParameters.emplace_back(known.eventType);
  auto [events, votes] = pool_->read([&](SqlConnection& connection) {
    SqlResult eventRows = connection.run(
        "SELECT e.received_at / 86400000, a.app_key, e.placement_key, e.event_type, e.group_id, e.item_id, "
        "e.banner_id, e.banner_item_id, COUNT(*) FROM events e JOIN apps a ON a.id = e.app_id "
        "WHERE e.channel = 0 AND e.received_at >= ? AND e.received_at < ? AND e.event_type IN " +
            placeholderList(std::size(metricsOfEvents)) + " GROUP BY 1, 2, 3, 4, 5, 6, 7, 8",
        eventParameters);
    SqlResult voteRows = connection.run(
        "SELECT v.voted_at / 86400000, a.app_key, COALESCE(p.placement_key, ''), o.group_id, v.item_id, "
        "v.option_id, "
        "COUNT(*) FROM votes v JOIN apps a ON a.id = v.app_id "
        "JOIN vote_options o ON o.app_id = v.app_id AND o.item_id = v.item_id AND o.option_id = v.option_id "
        "LEFT JOIN placements p ON p.id = o.placement_id "
        "WHERE v.voted_at >= ? AND v.voted_at < ? GROUP BY 1, 2, 3, 4, 5, 6",
        {toMillis(from), toMillis(to)});
    return std::pair(std::move(eventRows), std::move(voteRows));
  });

  std::vector<ReportCount> counts;
  for (std::size_t row = 0; row < events.size(); ++row) {
    const std::string& type = events.text(row, 3);
    for (const auto& known : metricsOfEvents) {
      if (known.eventType != type) continue;
      counts.push_back(ReportCount{dayOf(events.integer(row, 0)), events.text(row, 1), events.text(row, 2),
                                   events.text(row, known.banner ? 6 : 4),
                                   events.text(row, known.banner ? 7 : 5), "", std::string(known.metric),
                                   events.integer(row, 8)});
    }
  }
  for (std::size_t row = 0; row < votes.size(); ++row) {
    counts.push_back(ReportCount{dayOf(votes.integer(row, 0)), votes.text(row, 1), votes.text(row, 2),
                                 votes.text(row, 3), votes.text(row, 4), votes.text(row, 5), "votes",
                                 votes.integer(row, 6)});
  }
  return counts;
}

}  // namespace orvane::service::storage
