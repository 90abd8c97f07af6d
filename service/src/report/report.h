#pragma once

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "storage/store.h"

namespace orvane::service::report {

enum class ReportFormat { csv, json };

struct ReportQuery {
  std::optional<std::chrono::sys_days> from;  // first day counted (UTC); absent: from the start
  std::optional<std::chrono::sys_days> to;    // last day counted (UTC), included; absent: up to now
  ReportFormat format = ReportFormat::csv;
};

// "2026-12-08"; nullopt for anything else, including impossible dates.
std::optional<std::chrono::sys_days> parseReportDate(std::string_view text);
// The same form back: "2026-12-01".
std::string formatReportDate(std::chrono::sys_days day);
std::optional<ReportFormat> parseReportFormat(std::string_view text);

// One line (CSV) or object (JSON) per non-zero count: date, app, placement, group, page, option,
// metric, count; sorted in that order. Throws StoreError when from is after to.
void writeReport(storage::Store& store, const ReportQuery& query, std::ostream& out);

}  // namespace orvane::service::report
