#include <gtest/gtest.h>
#include <zlib.h>

#include <mutex>
#include <vector>

#include "content/identifiers.h"
#include "content/time_text.h"
#include "service_harness.h"

namespace orvane::service::app::testing {
namespace {

using nlohmann::json;

json pollItem(const json& stories) {
  for (const auto& group : stories["groups"])
    for (const auto& item : group["items"])
      if (content::lowercase(item["id"].get<std::string>()) == kPollItem) return item;
  ADD_FAILURE() << "no poll item";
  return {};
}

std::int64_t countOf(const json& item, std::size_t option) {
  return item["widgetOptions"][option]["voteCount"].get<std::int64_t>();
}

json serviceEvent(const std::string& type) {
  return {{"appKey", kApp},
          {"placementKey", "home"},
          {"eventType", type},
          {"storyGroupId", "0c787a5d-0f85-5d16-b908-e42609841160"},
          {"anonymousUserId", "user-1"},
          {"sessionId", "5B0C8F4E-1D2A-4C3B-9E8F-7A6B5C4D3E2F"},
          {"platform", "IOS"},
          {"locale", "en-US"},
          {"sdkVersion", "1.0.0"},
          {"occurredAt", "2025-06-01T12:00:00Z"},
          {"eventId", "8A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D"}};
}

json analyticsRecord(const std::string& type) {
  return {{"placementKey", "home"},
          {"storyGroupId", "0c787a5d-0f85-5d16-b908-e42609841160"},
          {"eventType", type},
          {"devicePlatform", "IOS"},
          {"sessionId", "5B0C8F4E-1D2A-4C3B-9E8F-7A6B5C4D3E2F"},
          {"occurredAt", "2025-06-01T12:00:00Z"}};
}

std::vector<storage::StoredEvent> storedEvents(ServiceHarness& harness, storage::EventChannel channel) {
  harness.service().eventQueue().flush();
  return harness.store().events(harness.appId(), channel, 100);
}

TEST(SdkRoutes, ServeThePlacementsInWireFormWithLinksToTheAddressAsked) {
  ServiceHarness harness;
  auto stories = harness.get(kStories);
  ASSERT_TRUE(stories);
  ASSERT_EQ(stories->status, 200);
  EXPECT_EQ(stories->get_header_value("Content-Type").rfind("application/json", 0), 0u);
  EXPECT_EQ(stories->body.find("{{origin}}"), std::string::npos);
  const auto groups = json::parse(stories->body)["groups"];
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0]["title"], "Welcome");
  EXPECT_EQ(groups[0]["items"][0]["media"]["mediaUrl"], harness.service().origin() + "/images/welcome-1.png");

  const auto banners = harness.getJson(kBanners)["banners"];
  ASSERT_EQ(banners.size(), 2u);
  EXPECT_EQ(banners[0]["id"].get<std::int64_t>(), 4611686018427387905);  // beyond a double's exact range
  EXPECT_EQ(harness.getJson("/sdk/v1/apps/demo-app/placements/home_story_banner/banners")["banners"][0]["type"], "STORY");

  // The sample's media are generated.
  auto image = harness.client().Get("/images/welcome-1.png?w=8&h=8");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->status, 200);
  EXPECT_EQ(image->get_header_value("Content-Type"), "image/png");
}

TEST(SdkRoutes, RefuseKeysThatAreMissingUnknownRevokedOrAnotherApps) {
  ServiceHarness harness;
  EXPECT_EQ(harness.get(kStories, "", "")->status, 401);
  EXPECT_EQ(harness.get(kStories, "", "other-key")->status, 401);
  EXPECT_EQ(json::parse(harness.get(kStories, "", "other-key")->body).value("error", ""), "Unknown or revoked SDK key.");

  const auto other = harness.store().createApp("other-app", "Other");
  harness.store().addSdkKey(other.id, "other-app-key", "test");
  EXPECT_EQ(harness.get(kStories, "", "other-app-key")->status, 401);
  EXPECT_EQ(harness.vote(kStoriesOption, "user-1")->status, 200);
  EXPECT_EQ(harness.post(kVotePath, json{{"optionId", kStoriesOption}}.dump(), "user-2", "other-app-key")->status, 401);
  EXPECT_EQ(harness.post("/sdk/v1/apps/demo-app/events", analyticsRecord("STORY_GROUP_OPENED").dump(), "",
                         "other-app-key")->status,
            401);
  EXPECT_EQ(harness.get("/sdk/v1/apps/other-app/placements/home/stories", "", "other-app-key")->status, 404)
      << "the other app has no placements of its own";

  const auto extra = harness.store().addSdkKey(harness.appId(), "second-demo-key", "rotated");
  EXPECT_EQ(harness.get(kStories, "", "second-demo-key")->status, 200);
  ASSERT_TRUE(harness.store().revokeSdkKey(harness.appId(), extra.id));
  EXPECT_EQ(harness.get(kStories, "", "second-demo-key")->status, 401);
  EXPECT_EQ(harness.get(kStories)->status, 200) << "the app's other key still works";

  EXPECT_EQ(harness.post("/sdk/v1/events", serviceEvent("STORY_OPEN").dump(), "", "")->status, 401);
  EXPECT_TRUE(storedEvents(harness, storage::EventChannel::service).empty());
}

TEST(SdkRoutes, AnswerUnknownPlacementsAndRoutes404AndBadKeys400) {
  ServiceHarness harness;
  EXPECT_EQ(harness.get("/sdk/v1/apps/demo-app/placements/nowhere/stories")->status, 404);
  EXPECT_EQ(harness.get("/sdk/v1/apps/demo-app/placements/home/banners")->status, 404);
  EXPECT_EQ(harness.get("/sdk/v1/apps/demo-app/placements/home_banner/stories")->status, 404);
  EXPECT_EQ(harness.get("/sdk/v1/apps/demo-app/placements/a%20b/stories")->status, 400);
  EXPECT_EQ(harness.get(kStories, std::string(300, 'u'))->status, 400);
  // The old fixture's event dump is gone, with or without a key.
  EXPECT_EQ(harness.client().Get("/debug/events")->status, 404);
  EXPECT_EQ(harness.get("/debug/events")->status, 404);
  auto missing = harness.get("/sdk/v1/apps/demo-app/nothing");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  EXPECT_TRUE(json::parse(missing->body, nullptr, false).contains("error"));
}

using SdkRoutesOnEngines = OnEngines;

TEST_P(SdkRoutesOnEngines, VotesMoveCountsAndTheNextStoriesAnswerCarriesThemAndTheUsersVote) {
  ServiceHarness harness({}, databaseUrl());
  const auto before = countOf(pollItem(harness.getJson(kStories)), 0);
  EXPECT_EQ(before, 42);

  auto answer = harness.vote(kStoriesOption, "user-1");
  ASSERT_EQ(answer->status, 200) << answer->body;
  EXPECT_EQ(json::parse(answer->body), (json{{"voted", true}, {"optionId", kStoriesOption}, {"voteCount", 43}}));

  auto mine = pollItem(harness.getJson(kStories, "user-1"));
  EXPECT_EQ(content::lowercase(mine["userVote"]["optionId"].get<std::string>()), kStoriesOption);
  EXPECT_TRUE(content::parseDateTime(mine["userVote"]["votedAt"].get<std::string>()));
  EXPECT_EQ(countOf(mine, 0), 43);
  auto theirs = pollItem(harness.getJson(kStories, "user-2"));
  EXPECT_FALSE(theirs.contains("userVote"));
  EXPECT_EQ(countOf(theirs, 0), 43);

  // Changing one's mind moves the vote; repeating it counts nothing.
  EXPECT_EQ(harness.vote(kBannersOption, "user-1")->status, 200);
  EXPECT_EQ(harness.vote(kBannersOption, "user-1")->status, 200);
  mine = pollItem(harness.getJson(kStories, "user-1"));
  EXPECT_EQ(countOf(mine, 0), 42);
  EXPECT_EQ(countOf(mine, 1), 18);
  EXPECT_EQ(content::lowercase(mine["userVote"]["optionId"].get<std::string>()), kBannersOption);

  // Without the header, the body names the user.
  EXPECT_EQ(harness.post(kVotePath, json{{"optionId", kStoriesOption}, {"userId", "user-3"}}.dump())->status, 200);
  EXPECT_TRUE(pollItem(harness.getJson(kStories, "user-3")).contains("userVote"));
}

TEST(SdkRoutes, AnswersCarryAnETagGiving304UntilTheContentTheCountsOrTheUsersOwnVotesMove) {
  ServiceHarness harness;
  const httplib::Headers key{{"X-Zephro-SDK-Key", kKey}};
  auto plain = harness.client().Get(kStories, key);
  auto gzipped = harness.client().Get(kStories, {{"X-Zephro-SDK-Key", kKey}, {"Accept-Encoding", "gzip"}});
  ASSERT_EQ(plain->status, 200);
  ASSERT_EQ(gzipped->status, 200);
  EXPECT_EQ(gzipped->get_header_value("Content-Encoding"), "gzip");
  EXPECT_EQ(gzipped->body, plain->body) << "the compressed answer says something else";
  const auto etag = plain->get_header_value("ETag");
  EXPECT_EQ(gzipped->get_header_value("ETag"), etag);

  const auto status = [&](const std::string& user, const std::string& tag) {
    httplib::Headers headers{{"X-Zephro-SDK-Key", kKey}, {"If-None-Match", tag}};
    if (!user.empty()) headers.emplace("X-Zephro-UserId", user);
    auto answer = harness.client().Get(kStories, headers);
    EXPECT_TRUE(answer->status != 304 || answer->body.empty());
    return std::make_pair(answer->status, answer->get_header_value("ETag"));
  };
  EXPECT_EQ(status("", etag).first, 304);
  EXPECT_EQ(status("user-2", "\"other\", " + etag).first, 304);

  // A vote moves the counts for everyone, and the voter's own answer apart from the rest.
  ASSERT_EQ(harness.vote(kStoriesOption, "user-1")->status, 200);
  const auto [everyone, shared] = status("user-2", etag);
  EXPECT_EQ(everyone, 200);
  const auto [voter, own] = status("user-1", shared);
  EXPECT_EQ(voter, 200);
  EXPECT_NE(own, shared);
  EXPECT_EQ(status("user-1", own).first, 304);
  EXPECT_EQ(status("user-2", shared).first, 304);

  // Publishing through the service's store replaces the answer at once.
  auto stored = harness.store().placement(harness.appId(), "home", storage::ContentKind::stories,
                                          storage::Environment::production);
  ASSERT_TRUE(stored);
  stored->document["groups"][0]["title"] = "Renamed";
  harness.store().saveDraft(harness.appId(), "home", storage::ContentKind::stories, stored->document);
  EXPECT_EQ(status("user-2", shared).first, 304) << "a draft changed the published answer";
  harness.store().publish(harness.appId(), "home", storage::ContentKind::stories);
  EXPECT_EQ(status("user-2", shared).first, 200);
}

TEST(SdkRoutes, RefuseEveryMalformedVoteWithAJsonError) {
  ServiceHarness harness;
  const auto status = [&](const std::string& path, const std::string& body, const std::string& user = "user-1") {
    auto answer = harness.post(path, body, user);
    if (!answer) return 0;
    EXPECT_TRUE(json::parse(answer->body, nullptr, false).contains("error")) << answer->body;
    return answer->status;
  };
  EXPECT_EQ(status(kVotePath, "not json"), 400);
  EXPECT_EQ(status(kVotePath, "[1, 2]"), 400);
  EXPECT_EQ(status(kVotePath, json{{"optionId", 7}}.dump()), 400);
  EXPECT_EQ(status(kVotePath, json{{"optionId", "not-a-uuid"}}.dump()), 400);
  EXPECT_EQ(status(kVotePath, json{{"optionId", kStoriesOption}, {"userId", 5}}.dump(), ""), 400);
  EXPECT_EQ(status(kVotePath, json{{"optionId", kStoriesOption}}.dump(), ""), 400) << "a vote says whose it is";
  EXPECT_EQ(status(kVotePath, json{{"optionId", "00000000-0000-4000-8000-000000000000"}}.dump()), 400);
  EXPECT_EQ(status("/sdk/v1/apps/demo-app/story-items/not-a-uuid/vote", json{{"optionId", kStoriesOption}}.dump()), 400);
  EXPECT_EQ(status("/sdk/v1/apps/demo-app/story-items/00000000-0000-4000-8000-000000000000/vote",
                   json{{"optionId", kStoriesOption}}.dump()),
            404);
  EXPECT_EQ(status(kVotePath, json{{"optionId", kStoriesOption}, {"padding", std::string(8 * 1024, 'x')}}.dump()), 413);
  EXPECT_EQ(countOf(pollItem(harness.getJson(kStories)), 0), 42) << "nothing was counted";
}

TEST_P(SdkRoutesOnEngines, EventsAndAnalyticsAreAnswered202AndStored) {
  ServiceHarness harness({}, databaseUrl());
  const auto event = serviceEvent("STORY_OPEN");
  const auto record = analyticsRecord("STORY_GROUP_OPENED");
  auto answer = harness.post("/sdk/v1/events", event.dump());
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 202);
  EXPECT_EQ(harness.post("/sdk/v1/apps/demo-app/events", record.dump())->status, 202);

  const auto events = storedEvents(harness, storage::EventChannel::service);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].eventType, "STORY_OPEN");
  EXPECT_EQ(events[0].placementKey, "home");
  EXPECT_EQ(events[0].groupId, "0c787a5d-0f85-5d16-b908-e42609841160");
  EXPECT_EQ(json::parse(events[0].body), event);
  const auto analytics = storedEvents(harness, storage::EventChannel::analytics);
  ASSERT_EQ(analytics.size(), 1u);
  EXPECT_EQ(json::parse(analytics[0].body), record);
}

INSTANTIATE_TEST_SUITE_P(Engines, SdkRoutesOnEngines, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

TEST(SdkRoutes, RefuseMalformedEventsAndKeepNothingOfThem) {
  ServiceHarness harness;
  const auto status = [&](const std::string& path, const std::string& body) {
    auto answer = harness.post(path, body);
    return answer ? answer->status : 0;
  };
  EXPECT_EQ(status("/sdk/v1/events", "[1, 2"), 400);
  EXPECT_EQ(status("/sdk/v1/events", "[1, 2]"), 400);
  auto event = serviceEvent("STORY_OPEN");
  event.erase("eventType");
  EXPECT_EQ(status("/sdk/v1/events", event.dump()), 400);
  event = serviceEvent("story open; drop table");
  EXPECT_EQ(status("/sdk/v1/events", event.dump()), 400);
  event = serviceEvent("STORY_OPEN");
  event["storyItemId"] = "../../etc/passwd";
  EXPECT_EQ(status("/sdk/v1/events", event.dump()), 400);
  event = serviceEvent("STORY_OPEN");
  event["occurredAt"] = "yesterday";
  EXPECT_EQ(status("/sdk/v1/events", event.dump()), 400);
  event = serviceEvent("STORY_OPEN");
  event["appKey"] = "other-app";
  EXPECT_EQ(status("/sdk/v1/events", event.dump()), 400);
  auto record = analyticsRecord("STORY_GROUP_OPENED");
  record["placementKey"] = 3;
  EXPECT_EQ(status("/sdk/v1/apps/demo-app/events", record.dump()), 400);
  record = analyticsRecord("STORY_GROUP_OPENED");
  record["padding"] = std::string(70 * 1024, 'x');
  EXPECT_EQ(status("/sdk/v1/apps/demo-app/events", record.dump()), 413);

  EXPECT_TRUE(storedEvents(harness, storage::EventChannel::service).empty());
  EXPECT_TRUE(storedEvents(harness, storage::EventChannel::analytics).empty());
}

std::string gzipped(const std::string& text) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, text.size()) + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

TEST(SdkRoutes, CapBodiesAfterDechunkingAndDecoding) {
  ServiceHarness harness;
  const int port = harness.service().port();
  const std::string head = "POST /sdk/v1/events HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Zephro-SDK-Key: demo-sdk-key\r\n"
                           "Content-Type: application/json\r\n";

  // 1 MiB in 64 KiB chunks, never announced by a Content-Length.
  std::string chunked = head + "Transfer-Encoding: chunked\r\n\r\n";
  const std::string chunk(64 * 1024, ' ');
  for (int i = 0; i < 16; ++i) chunked += "10000\r\n" + chunk + "\r\n";
  chunked += "0\r\n\r\n";
  EXPECT_EQ(rawStatus(port, chunked), 413);

  // 16 MiB of blanks around an object: a few KiB on the wire.
  const auto bomb = gzipped("{" + std::string(16 * 1024 * 1024, ' ') + "}");
  ASSERT_LT(bomb.size(), 64u * 1024);
  const auto compressed = head + "Content-Encoding: gzip\r\nContent-Length: " + std::to_string(bomb.size()) +
                          "\r\n\r\n" + bomb;
  EXPECT_EQ(rawStatus(port, compressed), 413);

  // A small gzip body is decoded and taken.
  const auto small = gzipped(serviceEvent("STORY_OPEN").dump());
  EXPECT_EQ(rawStatus(port, head + "Content-Encoding: gzip\r\nContent-Length: " + std::to_string(small.size()) +
                                "\r\n\r\n" + small),
            202);
  EXPECT_EQ(storedEvents(harness, storage::EventChannel::service).size(), 1u);
}

TEST(SdkRoutes, RateLimitVotesAndEventsPerKeyAndAddressWith429AndRetryAfter) {
  ServiceHarness harness([](ContentServiceOptions& options) {
    options.limits.votes = {0.001, 2};
    options.limits.events = {0.001, 3};
  });
  EXPECT_EQ(harness.vote(kStoriesOption, "user-1")->status, 200);
  EXPECT_EQ(harness.vote(kStoriesOption, "user-2")->status, 200);
  auto limited = harness.vote(kStoriesOption, "user-3");
  ASSERT_TRUE(limited);
  EXPECT_EQ(limited->status, 429);
  EXPECT_TRUE(json::parse(limited->body, nullptr, false).contains("error"));
  EXPECT_GE(std::stoi(limited->get_header_value("Retry-After")), 1);

  for (int i = 0; i < 3; ++i) EXPECT_EQ(harness.post("/sdk/v1/events", serviceEvent("STORY_OPEN").dump())->status, 202);
  EXPECT_EQ(harness.post("/sdk/v1/apps/demo-app/events", analyticsRecord("STORY_GROUP_OPENED").dump())->status, 429);
  EXPECT_EQ(harness.get(kStories)->status, 200) << "content is never rate limited";

  // Another key of the same app has its own allowance.
  harness.store().addSdkKey(harness.appId(), "second-demo-key", "second");
  EXPECT_EQ(harness.post(kVotePath, json{{"optionId", kStoriesOption}}.dump(), "user-4", "second-demo-key")->status, 200);
}

TEST(OperationsRoutes, HealthForAnyoneAndMetricsForTheAdminTokenOnly) {
  std::mutex logMutex;
  std::vector<std::string> log;
  ServiceHarness harness([&](ContentServiceOptions& options) {
    options.adminToken = "admin-secret";
    options.accessLog = [&](const std::string& line) {
      std::lock_guard lock(logMutex);
      log.push_back(line);
    };
  });
  EXPECT_EQ(harness.client().Get("/healthz")->status, 200);
  EXPECT_EQ(harness.client().Get("/readyz")->status, 200);
  EXPECT_EQ(harness.vote(kStoriesOption, "secret-user")->status, 200);

  EXPECT_EQ(harness.client().Get("/metrics")->status, 401);
  EXPECT_EQ(harness.client().Get("/metrics", {{"Authorization", "Bearer wrong"}})->status, 401);
  auto metrics = harness.client().Get("/metrics", {{"Authorization", "Bearer admin-secret"}});
  ASSERT_TRUE(metrics);
  ASSERT_EQ(metrics->status, 200);
  EXPECT_NE(metrics->body.find("orvane_votes_total 1"), std::string::npos) << metrics->body;
  EXPECT_NE(metrics->body.find("orvane_event_queue_depth"), std::string::npos);
  EXPECT_NE(metrics->body.find("orvane_events_dropped_total"), std::string::npos);
  EXPECT_NE(metrics->body.find("vote"), std::string::npos);

  harness.service().flushAndStop();
  std::lock_guard lock(logMutex);
  ASSERT_GE(log.size(), 6u);
  bool sawVote = false;
  for (const auto& line : log) {
    const auto record = json::parse(line, nullptr, false);
    ASSERT_TRUE(record.is_object()) << line;
    EXPECT_EQ(line.find("demo-sdk-key"), std::string::npos);
    EXPECT_EQ(line.find("secret-user"), std::string::npos);
    EXPECT_EQ(line.find("admin-secret"), std::string::npos);
    if (record.value("route", "") == "vote") {
      sawVote = true;
      EXPECT_EQ(record["status"], 200);
      EXPECT_EQ(record["method"], "POST");
    }
  }
  EXPECT_TRUE(sawVote);
}

TEST(OperationsRoutes, NoAdminTokenMeansNoMetricsRoute) {
  ServiceHarness harness;
  EXPECT_EQ(harness.client().Get("/metrics", {{"Authorization", "Bearer "}})->status, 404);
}

}  // namespace
}  // namespace orvane::service::app::testing
