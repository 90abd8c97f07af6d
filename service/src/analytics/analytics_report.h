#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "storage/console_store.h"

namespace orvane::service::analytics {

// A placement as it stands now (published, else its draft), which names and orders what the
// counts are about.
struct PlacementDocument {
  std::string key;
  storage::ContentKind kind = storage::ContentKind::stories;
  nlohmann::json document;
};

// The analytics answer: totals, a daily series and per placement, group, page, option, banner
// and slide figures with their rates. `dates` names the period's days, in the order the counts'
// day indexes refer to. Placements, groups and so on appear in document order, then those only
// events know of.
nlohmann::json analyticsReport(const std::vector<PlacementDocument>& placements, const storage::DayCounts& counts,
                               const std::vector<std::string>& dates);

// The tables of a report as CSV: daily, placements, groups, pages, options, banners, slides.
std::optional<std::string> analyticsCsv(const nlohmann::json& report, const std::string& table);

}  // namespace orvane::service::analytics
