#include <functional>

#include "analytics/analytics_report.h"
#include "report/csv_field.h"

namespace orvane::service::analytics {
namespace {

using nlohmann::json;

// Numbers as they are (a negative one is no formula); anything else as text.
std::string csvField(const json& value) {
  if (value.is_null()) return {};
  if (value.is_number()) return value.dump();
  if (value.is_string()) return report::csvField(value.get_ref<const std::string&>());
  return report::csvField(value.dump(-1, ' ', false, json::error_handler_t::replace));
}

const std::vector<std::string> metricColumns = {"impressions", "opens",    "pageViews",         "completions",
                                                "ctaClicks",   "swipeUps", "votes",             "bannerImpressions",
                                                "bannerClicks"};

class Table {
 public:
  explicit Table(std::vector<std::string> columns) : columns_(std::move(columns)) {
    for (std::size_t i = 0; i < columns_.size(); ++i) out_ += (i ? "," : "") + columns_[i];
    out_ += "\r\n";
  }
  // Values by column name from the records given, the first that has it.
  void row(std::initializer_list<const json*> records) {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      json value = nullptr;
      for (const json* record : records) {
        if (auto found = record->find(columns_[i]); found != record->end()) {
          value = *found;
          break;
        }
      }
      out_ += (i ? "," : "") + csvField(value);
    }
    out_ += "\r\n";
  }
  std::string text() && { return std::move(out_); }

 private:
  std::vector<std::string> columns_;
  std::string out_;
};

std::vector<std::string> with(std::vector<std::string> first, const std::vector<std::string>& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

}  // namespace

std::optional<std::string> analyticsCsv(const json& report, const std::string& table) {
  const json& placements = report.at("placements");
  if (table == "daily") {
    Table out(with({"placement", "date"}, metricColumns));
    const json all{{"placement", "(all)"}};
    for (const json& day : report.at("daily")) out.row({&all, &day});
    for (const json& placement : placements)
      for (const json& day : placement.at("daily")) out.row({&placement, &day});
    return std::move(out).text();
  }
  if (table == "placements") {
    Table out(with({"placement", "kind"}, metricColumns));
    for (const json& placement : placements) out.row({&placement, &placement.at("totals")});
    return std::move(out).text();
  }
  const auto eachGroup = [&](const std::function<void(const json&, const json&)>& visit) {
    for (const json& placement : placements)
      for (const json& group : placement.value("groups", json::array())) visit(placement, group);
  };
  const auto eachPage = [&](const std::function<void(const json&, const json&, const json&)>& visit) {
    eachGroup([&](const json& placement, const json& group) {
      for (const json& page : group.at("pages")) visit(placement, group, page);
    });
  };
  if (table == "groups") {
    Table out({"placement", "group", "title", "impressions", "opens", "pageViews", "completions", "ctaClicks",
               "swipeUps", "votes", "openRate", "completionRate", "ctaClickThroughRate"});
    eachGroup([&](const json& placement, const json& group) { out.row({&group, &placement}); });
    return std::move(out).text();
  }
  if (table == "pages") {
    Table out({"placement", "group", "position", "page", "title", "type", "widgetType", "views", "reachRate",
               "ctaClicks", "ctaClickThroughRate", "swipeUps", "votes", "correctRate"});
    eachPage([&](const json& placement, const json& group, const json& page) {
      out.row({&page, &group, &placement});
    });
    return std::move(out).text();
  }
  if (table == "options") {
    Table out({"placement", "group", "page", "option", "text", "votes", "percent", "isCorrect"});
    eachPage([&](const json& placement, const json& group, const json& page) {
      for (const json& option : page.at("options")) out.row({&option, &page, &group, &placement});
    });
    return std::move(out).text();
  }
  if (table == "banners" || table == "slides") {
    Table out(table == "banners"
                  ? std::vector<std::string>{"placement", "banner", "type", "impressions", "clicks", "clickThroughRate"}
                  : std::vector<std::string>{"placement", "banner", "position", "slide", "impressions", "clicks",
                                             "clickThroughRate"});
    for (const json& placement : placements) {
      for (const json& banner : placement.value("banners", json::array())) {
        if (table == "banners") {
          out.row({&banner, &placement});
          continue;
        }
        for (const json& slide : banner.at("slides")) out.row({&slide, &banner, &placement});
      }
    }
    return std::move(out).text();
  }
  return std::nullopt;
}

}  // namespace orvane::service::analytics
