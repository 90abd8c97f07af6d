#include "stories/story_fixtures.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace orvane::testing {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::vector<HttpRequest> requestsTo(const ScriptedHttpSession& http, const std::string& urlPart) {
  std::vector<HttpRequest> matching;
  for (auto& request : http.requests()) {
    if (contains(request.url.string(), urlPart)) matching.push_back(request);
  }
  return matching;
}

bool isServiceEvent(const HttpRequest& request) {
  return request.url.string() == "https://api.orvane.io/sdk/v1/events";
}

nlohmann::json pageJson(const StoryItem& item) {
  nlohmann::json json{{"id", item.id()},
                      {"type", "IMAGE"},
                      {"durationSeconds", std::llround(item.duration())},
                      {"widgetType", std::string(rawValue(item.widgetType()))}};
  if (item.mediaURL()) json["media"] = {{"mediaType", "IMAGE"}, {"mediaUrl", item.mediaURL()->string()}};
  if (item.swipeCallbackURL()) json["swipeCallbackUrl"] = item.swipeCallbackURL()->string();
  if (!item.widgetOptions().empty()) {
    json["widgetOptions"] = nlohmann::json::array();
    for (const auto& choice : item.widgetOptions()) {
      json["widgetOptions"].push_back({{"id", choice.id()},
                                       {"text", choice.text()},
                                       {"orderIndex", choice.orderIndex()},
                                       {"voteCount", choice.voteCount()}});
    }
  }
  if (item.userVote()) json["userVote"] = {{"optionId", item.userVote()->optionId()}};
  return json;
}

}  // namespace

std::string uuid(int major, int minor) {
  char text[40];
  std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%04d%08d", major, minor);
  return text;
}

Url mediaUrl(const std::string& name) { return *Url::parse("https://cdn.example.com/" + name + ".jpg"); }
Url videoUrl(const std::string& name) { return *Url::parse("https://video.example.com/" + name + ".mp4"); }

StoryItem page(const PageSpec& spec) {
  std::optional<WidgetUserVote> userVote;
  if (spec.userVote) userVote.emplace(*spec.userVote, Date{});
  return StoryItem(spec.id, std::nullopt, std::nullopt, spec.mediaType, spec.media, spec.duration,
                   std::nullopt, std::nullopt, spec.widget, std::nullopt, spec.swipeURL, spec.options,
                   userVote);
}

WidgetOption option(const std::string& id, std::int64_t voteCount) {
  return WidgetOption(id, "Option", std::nullopt, 0, std::nullopt, voteCount);
}

StoryGroup group(const std::string& id, std::vector<StoryItem> items, std::optional<Url> cover) {
  return StoryGroup(id, "Group", StoryTheme::default_(), std::move(cover), std::move(items));
}

StoryGroup plainGroup(int g, int pages) {
  std::vector<StoryItem> items;
  for (int p = 1; p <= pages; ++p) items.push_back(page({.id = uuid(g, p)}));
  return group(uuid(g), std::move(items));
}

std::string storiesBody(const std::vector<StoryGroup>& groups) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& each : groups) {
    nlohmann::json items = nlohmann::json::array();
    for (const auto& item : each.items()) items.push_back(pageJson(item));
    list.push_back({{"id", each.id()}, {"title", each.title()}, {"items", items}});
  }
  return nlohmann::json{{"groups", list}}.dump();
}

std::string voteBody(const std::string& optionId, std::int64_t voteCount) {
  return nlohmann::json{{"voted", true}, {"optionId", optionId}, {"voteCount", voteCount}}.dump();
}

StoryModelTest::StoryModelTest() {
  fake.store->set("zephro_anonymous_user_id", "ANON-1");
  sdk.configure(StoryConfiguration("sdk-key", "app-key", StoryEnvironment::production));
  sdk.setEventHandler([this](const StorySDKEvent& event) { events.push_back(event); });
  fake.http->setResponder([this](const HttpRequest& request) {
    const auto& url = request.url.string();
    if (contains(url, "/placements/")) return storiesAnswer;
    if (contains(url, "/story-items/")) return voteAnswer;
    if (request.url.host() == "cdn.example.com") return ScriptedHttpSession::ok("IMG:1x1");
    return ScriptedHttpSession::ok("{}");
  });
}

std::shared_ptr<StoryBarViewModel> StoryModelTest::makeBar(const std::string& placementKey) {
  return StoryBarViewModel::create(placementKey, sdk.services(), pipeline);
}

std::shared_ptr<StoryViewerViewModel> StoryModelTest::makeViewer(std::vector<StoryGroup> groups,
                                                                 int startIndex) {
  auto viewer = StoryViewerViewModel::create(std::move(groups), startIndex, "home", sdk.services(), pipeline, videos);
  viewer->setOpenURLAction([this](const Url& url) { opened.push_back(url.string()); });
  return viewer;
}

std::shared_ptr<StoryViewerViewModel> StoryModelTest::startedViewer(std::vector<StoryGroup> groups,
                                                                    int startIndex) {
  auto viewer = makeViewer(std::move(groups), startIndex);
  viewer->start();
  return viewer;
}

std::size_t StoryModelTest::count(StorySDKEvent::Kind kind) const {
  std::size_t found = 0;
  for (const auto& event : events) found += event.kind() == kind ? 1 : 0;
  return found;
}

void StoryModelTest::deliverOnce() {
  fake.http->deliver();
  fake.finishDecoding();
}

std::vector<StorySDKEvent::Kind> StoryModelTest::eventKinds() const {
  std::vector<StorySDKEvent::Kind> kinds;
  for (const auto& event : events) kinds.push_back(event.kind());
  return kinds;
}

void StoryModelTest::ticks(int count) {
  for (int i = 0; i < count; ++i) fake.mainQueue->advance(std::chrono::microseconds(50'000));
}

std::vector<HttpRequest> StoryModelTest::storyRequests() const {
  return requestsTo(*fake.http, "/placements/");
}

std::vector<HttpRequest> StoryModelTest::voteRequests() const {
  return requestsTo(*fake.http, "/story-items/");
}

std::vector<std::string> StoryModelTest::imageUrls() const {
  std::vector<std::string> urls;
  for (auto& request : requestsTo(*fake.http, "://cdn.example.com/")) urls.push_back(request.url.string());
  return urls;
}

std::vector<std::string> StoryModelTest::serviceEventTypes() const {
  std::vector<std::string> types;
  for (auto& request : fake.http->requests()) {
    if (isServiceEvent(request)) types.push_back(nlohmann::json::parse(*request.body).at("eventType"));
  }
  return types;
}

std::vector<std::pair<std::string, std::string>> StoryModelTest::serviceEvents(
    const std::string& type) const {
  std::vector<std::pair<std::string, std::string>> matching;
  for (auto& request : fake.http->requests()) {
    if (!isServiceEvent(request)) continue;
    auto body = nlohmann::json::parse(*request.body);
    if (body.at("eventType") != type) continue;
    matching.emplace_back(body.value("storyGroupId", ""), body.value("storyItemId", ""));
  }
  return matching;
}

}  // namespace orvane::testing
