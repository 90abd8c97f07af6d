#include "report/report.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <tuple>

#include <nlohmann/json.hpp>

#include "report/csv_field.h"

namespace orvane::service::report {
namespace {

auto sortKey(const storage::ReportCount& count) {
  return std::tie(count.day, count.app, count.placement, count.group, count.page, count.option, count.metric);
}

}  // namespace

std::string formatReportDate(std::chrono::sys_days day) {
  const std::chrono::year_month_day date(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return text;
}

std::optional<std::chrono::sys_days> parseReportDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  auto number = [&](std::size_t at, std::size_t length) -> std::optional<int> {
    int value = 0;
    auto [end, error] = std::from_chars(text.data() + at, text.data() + at + length, value);
    if (error != std::errc() || end != text.data() + at + length) return std::nullopt;
    return value;
  };
  auto year = number(0, 4), month = number(5, 2), day = number(8, 2);
  if (!year || !month || !day || *month < 1 || *day < 1) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(*year),
                                         std::chrono::month(static_cast<unsigned>(*month)),
                                         std::chrono::day(static_cast<unsigned>(*day))};
  if (!date.ok()) return std::nullopt;
  return std::chrono::sys_days(date);
}

std::optional<ReportFormat> parseReportFormat(std::string_view text) {
  if (text == "csv") return ReportFormat::csv;
  if (text == "json") return ReportFormat::json;
  return std::nullopt;
}

void writeReport(storage::Store& store, const ReportQuery& query, std::ostream& out) {
  if (query.from && query.to && *query.from > *query.to) {
    throw storage::StoreError("the report's first day (--from) is after its last day (--to)");
  }
  const storage::TimePoint from = query.from ? storage::TimePoint(*query.from) : storage::TimePoint();
  const storage::TimePoint to =
      query.to
          ? storage::TimePoint(*query.to + std::chrono::days(1))
          : std::chrono::time_point_cast<storage::TimePoint::duration>(std::chrono::system_clock::now()) +
                std::chrono::milliseconds(1);
  auto counts = store.reportCounts(from, to);
  std::erase_if(counts, [](const storage::ReportCount& count) { return count.count == 0; });
  std::sort(counts.begin(), counts.end(),
            [](const auto& a, const auto& b) { return sortKey(a) < sortKey(b); });

  if (query.format == ReportFormat::json) {
    auto rows = nlohmann::json::array();
    for (const auto& count : counts) {
      rows.push_back({{"date", formatReportDate(count.day)},
                      {"app", count.app},
                      {"placement", count.placement},
                      {"group", count.group},
                      {"page", count.page},
                      {"option", count.option},
                      {"metric", count.metric},
                      {"count", count.count}});
    }
    // Ids are whatever clients sent: invalid UTF-8 is replaced, not allowed to abort the report.
    out << rows.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return;
  }
  out << "date,app,placement,group,page,option,metric,count\n";
  for (const auto& count : counts) {
    out << formatReportDate(count.day) << ',' << csvField(count.app) << ',' << csvField(count.placement) << ','
        << csvField(count.group) << ',' << csvField(count.page) << ',' << csvField(count.option) << ','
        << count.metric << ',' << count.count << '\n';
  }
}

}  // namespace orvane::service::report
