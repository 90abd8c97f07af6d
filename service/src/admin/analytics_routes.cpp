#include "analytics_routes.h"

#include <algorithm>

#include "analytics/analytics_report.h"
#include "analytics/time_zone.h"
#include "content/identifiers.h"
#include "report/report.h"

namespace orvane::service::admin {
namespace {

using http::Request;
using http::Response;

constexpr int maxDays = 366;

Response analytics(storage::Store& store, const Request& request) {
  const std::string& appKey = request.pathParameters.at(0);
  if (!content::isSafeKey(appKey)) return Response::error(400, "an app key is 1 to 128 letters, digits, '-', '_' or '.'");
  const auto app = store.appByKey(appKey);
  if (!app) return Response::error(404, "no app " + appKey);
  storage::ConsoleStore* console = store.console();
  if (console == nullptr) return Response::error(404, "this store keeps no analytics");

  const auto from = report::parseReportDate(request.queryValue("from"));
  const auto to = report::parseReportDate(request.queryValue("to"));
  if (!from || !to) return Response::error(400, "\"from\" and \"to\" must be dates such as 2026-12-01");
  if (*from > *to) return Response::error(400, "\"from\" is after \"to\"");
  if ((*to - *from).count() + 1 > maxDays)
    return Response::error(400, "a period is at most " + std::to_string(maxDays) + " days");
  const std::string_view zoneName = request.queryValue("timeZone").empty() ? "UTC" : request.queryValue("timeZone");
  const auto zone = analytics::TimeZone::load(zoneName);
  if (!zone) return Response::error(400, "\"timeZone\" is not a known IANA time zone such as Europe/Paris");

  const std::string placementKey(request.queryValue("placement"));
  std::vector<std::string> dates;
  std::vector<storage::TimePoint> dayStarts;
  for (auto day = *from; day <= *to + std::chrono::days(1); day += std::chrono::days(1)) {
    if (day <= *to) dates.push_back(report::formatReportDate(day));
    dayStarts.emplace_back(zone->startOf(day));
  }

  std::vector<analytics::PlacementDocument> documents;
  for (const storage::PlacementSummary& summary : store.placements(app->id)) {
    if (!placementKey.empty() && summary.key != placementKey) continue;
    // The published version is what users saw; a placement never published is named by its draft.
    auto content = store.placement(app->id, summary.key, summary.kind, storage::Environment::production);
    if (!content) content = store.placement(app->id, summary.key, summary.kind, storage::Environment::staging);
    documents.push_back({summary.key, summary.kind, content ? content->document : nlohmann::json::object()});
  }
  storage::DayCounts counts = console->dayCounts(app->id, dayStarts);
  if (!placementKey.empty()) {
    std::erase_if(counts.events, [&](const auto& count) { return count.placement != placementKey; });
    std::erase_if(counts.votes, [&](const auto& count) { return count.placement != placementKey; });
  }
  nlohmann::json report = analytics::analyticsReport(documents, counts, dates);
  report["from"] = dates.front();
  report["to"] = dates.back();
  report["timeZone"] = zone->name();

  if (request.queryValue("format") == "csv") {
    const std::string table(request.queryValue("table"));
    auto csv = analytics::analyticsCsv(report, table);
    if (!csv) {
      return Response::error(400, "\"table\" must be daily, placements, groups, pages, options, banners or slides");
    }
    Response answer;
    answer.status = 200;
    answer.headers["Content-Type"] = "text/csv; charset=utf-8";
    answer.headers["Content-Disposition"] =
        "attachment; filename=\"analytics-" + table + "-" + dates.front() + "-" + dates.back() + ".csv\"";
    answer.body = std::move(*csv);
    return answer;
  }
  if (!request.queryValue("format").empty() && request.queryValue("format") != "json")
    return Response::error(400, "\"format\" is json or csv");
  return Response::json(200, report);
}

}  // namespace

void addAnalyticsRoutes(http::Router& router, storage::Store& store, const AccessPolicy& policy) {
  router.add("GET", "/admin/v1/apps/{}/analytics", "admin_analytics", http::RouteLimits{0},
             [&store, &policy](Request& request) {
               Decision decision = policy.authorize(request, Permission::readAnalytics);
               if (auto* refusal = std::get_if<Response>(&decision)) return std::move(*refusal);
               try {
                 return analytics(store, request);
               } catch (const storage::StoreError&) {
                 return Response::error(503, "the database cannot be reached; try again");
               }
             });
}

}  // namespace orvane::service::admin
