#include "analytics/analytics_report.h"

#include <array>
#include <cmath>
#include <map>

namespace orvane::service::analytics {
namespace {

using nlohmann::json;
using storage::ContentKind;

enum Metric { impressions, opens, pageViews, completions, ctaClicks, swipeUps, votes, bannerImpressions, bannerClicks };
constexpr const char* metricNames[] = {"impressions", "opens",    "pageViews",        "completions", "ctaClicks",
                                       "swipeUps",    "votes",    "bannerImpressions", "bannerClicks"};
using Metrics = std::array<std::int64_t, std::size(metricNames)>;

struct EventMetric {
  std::string_view eventType;
  Metric metric;
};
// Service events only: the SDK sends each once per session and ids (clicks every time), so they
// count people's actions.
constexpr EventMetric eventMetrics[] = {
    {"STORY_GROUP_IMPRESSION", impressions}, {"STORY_OPEN", opens},          {"STORY_ITEM_VIEW", pageViews},
    {"STORY_COMPLETE", completions},         {"CTA_CLICK", ctaClicks},       {"SWIPE_UP", swipeUps},
    {"BANNER_IMPRESSION", bannerImpressions}, {"BANNER_CLICK", bannerClicks},
};

std::optional<Metric> metricOf(std::string_view eventType) {
  for (const auto& known : eventMetrics)
    if (known.eventType == eventType) return known.metric;
  return std::nullopt;
}

json metricsJson(const Metrics& metrics) {
  json out = json::object();
  for (std::size_t i = 0; i < metrics.size(); ++i) out[metricNames[i]] = metrics[i];
  return out;
}

json rate(std::int64_t part, std::int64_t whole) {
  if (whole <= 0) return nullptr;
  return std::round(static_cast<double>(part) / static_cast<double>(whole) * 10000.0) / 10000.0;
}

// Story ids are UUIDs in either case on the wire; counts meet documents in lower case.
std::string lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string idText(const json& value) {
  if (value.is_string()) return lower(value.get<std::string>());
  if (value.is_number_integer()) return value.dump();
  return {};
}

// A list that keeps first-seen order and finds entries by id.
template <class Node>
class Ordered {
 public:
  Node& at(const std::string& id) {
    auto [found, added] = index_.emplace(id, nodes_.size());
    if (added) {
      nodes_.emplace_back();
      nodes_.back().id = id;
    }
    return nodes_[found->second];
  }
  std::vector<Node>& nodes() { return nodes_; }

 private:
  std::vector<Node> nodes_;
  std::map<std::string, std::size_t> index_;
};

struct Option {
  std::string id;
  json text = nullptr;
  bool isCorrect = false;
  std::int64_t votes = 0;
};
struct Page {
  std::string id;
  json title = nullptr, type = nullptr, widgetType = nullptr;
  std::int64_t views = 0, ctaClicks = 0, swipeUps = 0;
  Ordered<Option> options;
};
struct Group {
  std::string id;
  json title = nullptr;
  Metrics metrics{};
  Ordered<Page> pages;
};
struct Slide {
  std::string id;
  std::int64_t impressions = 0, clicks = 0;
};
struct Banner {
  std::string id;
  json type = nullptr;
  std::int64_t impressions = 0, clicks = 0;
  Ordered<Slide> slides;
};
struct Placement {
  std::string id;
  ContentKind kind = ContentKind::stories;
  Metrics totals{};
  std::vector<Metrics> daily;
  Ordered<Group> groups;
  Ordered<Banner> banners;
};

json optionalText(const json& record, const char* key) {
  auto found = record.find(key);
  return found != record.end() && found->is_string() ? *found : json(nullptr);
}

void outline(Placement& placement, const json& document) {
  if (placement.kind == ContentKind::stories) {
    for (const json& group : document.value("groups", json::array())) {
      if (!group.is_object()) continue;
      Group& node = placement.groups.at(idText(group.value("id", json())));
      node.title = optionalText(group, "title");
      for (const json& item : group.value("items", json::array())) {
        if (!item.is_object()) continue;
        Page& page = node.pages.at(idText(item.value("id", json())));
        page.title = optionalText(item, "title");
        page.type = optionalText(item, "type");
        page.widgetType = optionalText(item, "widgetType");
        for (const json& option : item.value("widgetOptions", json::array())) {
          if (!option.is_object()) continue;
          Option& choice = page.options.at(idText(option.value("id", json())));
          choice.text = optionalText(option, "text");
          choice.isCorrect = option.value("isCorrect", false) == true;
        }
      }
    }
    return;
  }
  for (const json& banner : document.value("banners", json::array())) {
    if (!banner.is_object()) continue;
    Banner& node = placement.banners.at(idText(banner.value("id", json())));
    node.type = optionalText(banner, "type");
    for (const json& slide : banner.value("items", json::array()))
      if (slide.is_object()) node.slides.at(idText(slide.value("id", json())));
  }
}

class Builder {
 public:
  explicit Builder(std::size_t days) : days_(days), daily_(days, Metrics{}) {}

  Placement& placement(const std::string& key, ContentKind kind) {
    Placement& node = placements_.at(std::string(kind == ContentKind::stories ? "s:" : "b:") + key);
    if (node.daily.empty()) node.daily.assign(days_, Metrics{});
    node.kind = kind;
    return node;
  }

  void count(Placement& placement, std::size_t day, Metric metric, std::int64_t value) {
    if (day >= days_) return;
    placement.totals[metric] += value;
    placement.daily[day][metric] += value;
    totals_[metric] += value;
    daily_[day][metric] += value;
  }

  void addEvent(const storage::DayEventCount& event) {
    const auto metric = metricOf(event.eventType);
    if (!metric) return;
    if (*metric == bannerImpressions || *metric == bannerClicks) {
      Placement& node = placement(event.placement, ContentKind::banners);
      count(node, event.day, *metric, event.count);
      Banner& banner = node.banners.at(event.banner);
      Slide& slide = banner.slides.at(event.bannerItem);
      (*metric == bannerImpressions ? banner.impressions : banner.clicks) += event.count;
      (*metric == bannerImpressions ? slide.impressions : slide.clicks) += event.count;
      return;
    }
    Placement& node = placement(event.placement, ContentKind::stories);
    count(node, event.day, *metric, event.count);
    Group& group = node.groups.at(lower(event.group));
    group.metrics[*metric] += event.count;
    if (*metric != pageViews && *metric != ctaClicks && *metric != swipeUps) return;
    Page& page = group.pages.at(lower(event.item));
    (*metric == pageViews ? page.views : *metric == ctaClicks ? page.ctaClicks : page.swipeUps) += event.count;
  }

  void addVote(const storage::DayVoteCount& vote) {
    Placement& node = placement(vote.placement, ContentKind::stories);
    count(node, vote.day, votes, vote.count);
    Group& group = node.groups.at(lower(vote.group));
    group.metrics[votes] += vote.count;
    group.pages.at(lower(vote.item)).options.at(lower(vote.option)).votes += vote.count;
  }

  json finish(const std::vector<std::string>& dates) {
    json out = json::object();
    out["totals"] = metricsJson(totals_);
    out["daily"] = dailyJson(daily_, dates);
    json list = json::array();
    for (Placement& placement : placements_.nodes()) list.push_back(placementJson(placement, dates));
    out["placements"] = std::move(list);
    return out;
  }

 private:
  static json dailyJson(const std::vector<Metrics>& daily, const std::vector<std::string>& dates) {
    json list = json::array();
    for (std::size_t day = 0; day < daily.size() && day < dates.size(); ++day) {
      json entry = metricsJson(daily[day]);
      entry["date"] = dates[day];
      list.push_back(std::move(entry));
    }
    return list;
  }

  static json pageJson(Page& page, std::size_t position, std::int64_t groupOpens) {
    std::int64_t totalVotes = 0, correctVotes = 0;
    bool hasCorrect = false;
    for (const Option& option : page.options.nodes()) {
      totalVotes += option.votes;
      if (option.isCorrect) correctVotes += option.votes, hasCorrect = true;
    }
    json options = json::array();
    for (const Option& option : page.options.nodes()) {
      json percent = totalVotes > 0 ? json(std::round(static_cast<double>(option.votes) * 1000.0 /
                                                      static_cast<double>(totalVotes)) / 10.0)
                                    : json(nullptr);
      options.push_back({{"option", option.id}, {"text", option.text}, {"votes", option.votes},
                         {"percent", percent}, {"isCorrect", option.isCorrect}});
    }
    const bool quiz = page.widgetType == "QUIZ" || (page.widgetType.is_null() && hasCorrect);
    return {{"page", page.id},
            {"position", position},
            {"title", page.title},
            {"type", page.type},
            {"widgetType", page.widgetType},
            {"views", page.views},
            {"ctaClicks", page.ctaClicks},
            {"swipeUps", page.swipeUps},
            {"reachRate", rate(page.views, groupOpens)},
            {"ctaClickThroughRate", rate(page.ctaClicks, page.views)},
            {"votes", totalVotes},
            {"options", std::move(options)},
            {"correctRate", quiz ? rate(correctVotes, totalVotes) : json(nullptr)}};
  }

  static json placementJson(Placement& placement, const std::vector<std::string>& dates) {
    const bool stories = placement.kind == ContentKind::stories;
    json out{{"placement", placement.id.substr(2)},
             {"kind", stories ? "stories" : "banners"},
             {"totals", metricsJson(placement.totals)},
             {"daily", dailyJson(placement.daily, dates)}};
    if (stories) {
      json groups = json::array();
      for (Group& group : placement.groups.nodes()) {
        const Metrics& m = group.metrics;
        json pages = json::array();
        std::size_t position = 0;
        for (Page& page : group.pages.nodes()) pages.push_back(pageJson(page, ++position, m[opens]));
        groups.push_back({{"group", group.id},
                          {"title", group.title},
                          {"impressions", m[impressions]},
                          {"opens", m[opens]},
                          {"pageViews", m[pageViews]},
                          {"completions", m[completions]},
                          {"ctaClicks", m[ctaClicks]},
                          {"swipeUps", m[swipeUps]},
                          {"votes", m[votes]},
                          {"openRate", rate(m[opens], m[impressions])},
                          {"completionRate", rate(m[completions], m[opens])},
                          {"ctaClickThroughRate", rate(m[ctaClicks], m[pageViews])},
                          {"pages", std::move(pages)}});
      }
      out["groups"] = std::move(groups);
    } else {
      json banners = json::array();
      for (Banner& banner : placement.banners.nodes()) {
        json slides = json::array();
        std::size_t position = 0;
        for (const Slide& slide : banner.slides.nodes()) {
          slides.push_back({{"slide", slide.id}, {"position", ++position}, {"impressions", slide.impressions},
                            {"clicks", slide.clicks}, {"clickThroughRate", rate(slide.clicks, slide.impressions)}});
        }
        banners.push_back({{"banner", banner.id}, {"type", banner.type}, {"impressions", banner.impressions},
                           {"clicks", banner.clicks}, {"clickThroughRate", rate(banner.clicks, banner.impressions)},
                           {"slides", std::move(slides)}});
      }
      out["banners"] = std::move(banners);
    }
    return out;
  }

  const std::size_t days_;
  Metrics totals_{};
  std::vector<Metrics> daily_;
  Ordered<Placement> placements_;
};

}  // namespace

json analyticsReport(const std::vector<PlacementDocument>& placements, const storage::DayCounts& counts,
                     const std::vector<std::string>& dates) {
  Builder builder(dates.size());
  for (const PlacementDocument& placement : placements)
    outline(builder.placement(placement.key, placement.kind), placement.document);
  for (const auto& event : counts.events) builder.addEvent(event);
  for (const auto& vote : counts.votes) builder.addVote(vote);
  return builder.finish(dates);
}

}  // namespace orvane::service::analytics
