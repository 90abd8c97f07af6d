// report: what users saw and did, per placement, group, page and day, from the stored events.
#include <iostream>

#include "command.h"
#include "report/report.h"

namespace orvane::service::cli {
namespace {

std::optional<std::chrono::sys_days> dateFlag(const ParsedFlags& flags, const std::string& name) {
  const auto text = flags.value(name);
  if (!text) return std::nullopt;
  const auto day = report::parseReportDate(*text);
  if (!day) throw UsageError("--" + name + " must be a date such as 2026-12-01, not \"" + *text + "\"");
  return day;
}

int runReport(const ParsedFlags& flags) {
  report::ReportQuery query;
  const auto format = report::parseReportFormat(flags.text("format"));
  if (!format) throw UsageError("--format must be csv or json, not \"" + flags.text("format") + "\"");
  query.format = *format;
  query.from = dateFlag(flags, "from");
  query.to = dateFlag(flags, "to");
  if (query.from && query.to && *query.to < *query.from) throw UsageError("--to comes before --from");
  auto store = storage::Store::open(flags.text("database"));
  report::writeReport(*store, query, std::cout);
  std::cout.flush();
  return std::cout ? 0 : 1;
}

}  // namespace

Command reportCommand() {
  return {"report",
          "orvane-content-service report [--database URL] [--from DATE] [--to DATE] [--format csv|json]",
          "Per placement, story group, page and UTC day: impressions, opens, page views, completions,\n"
          "votes per option, call-to-action and banner clicks, counted from the stored events, to\n"
          "standard output. Without dates: all time up to now.",
          {databaseFlag(),
           {"from", "", "DATE", "", "first day counted, e.g. 2026-12-01 (UTC)"},
           {"to", "", "DATE", "", "last day counted, included"},
           {"format", "", "FORMAT", "csv", "csv or json"}},
          0,
          runReport};
}

}  // namespace orvane::service::cli
