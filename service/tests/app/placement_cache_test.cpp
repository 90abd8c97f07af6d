#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/placement_cache.h"
#include "content/time_text.h"
#include "support/throwaway_postgres.h"

namespace orvane::service::app {
namespace {

using nlohmann::json;
using storage::ContentKind;
using storage::Environment;
using namespace std::chrono_literals;

const std::string kPoll = "2a3f1c49-6b5b-5013-a748-3b0b4b8d176d";
const std::string kFirstOption = "f7d563b8-a35f-5600-b3fb-4fc1cddf0af1";
const std::string kSecondOption = "4eec43c3-6a86-519c-97d8-357bdfee7373";

json group(const std::string& id, const std::string& title) {
  return {{"id", id},
          {"title", title},
          {"items", json::array({{{"id", "0a3de4f0-2523-5418-9cbc-87069037a3f" + id.substr(id.size() - 1)},
                                  {"type", "IMAGE"},
                                  {"title", title},
                                  {"media", {{"mediaType", "IMAGE"}, {"mediaUrl", "{{origin}}/images/a.png"}}}}})}};
}

json pollGroup() {
  json options = json::array();
  for (const auto& id : {kFirstOption, kSecondOption})
    options.push_back({{"id", id}, {"text", id.substr(0, 4)}, {"orderIndex", options.size()}, {"voteCount", 0}});
  return {{"id", "91ed0206-f9c3-572c-8b4b-0824ff6381e5"},
          {"title", "Poll"},
          {"items", json::array({{{"id", kPoll},
                                  {"type", "POLL"},
                                  {"widgetType", "POLL"},
                                  {"widgetQuestion", "Which?"},
                                  {"widgetOptions", options}}})}};
}

// Of an answer served, or {"(none)"} when nothing was.
std::vector<std::string> titles(const std::shared_ptr<const CachedAnswer>& answer) {
  if (!answer) return {"(none)"};
  std::vector<std::string> found;
  const auto parsed = json::parse(answer->answer.text);
  for (const auto& record : parsed["groups"]) found.push_back(record["title"]);
  return found;
}

std::int64_t firstCount(const std::shared_ptr<const CachedAnswer>& answer) {
  if (!answer) return -2;
  const auto parsed = json::parse(answer->answer.text);
  for (const auto& record : parsed["groups"])
    for (const auto& item : record["items"])
      if (item.contains("widgetOptions")) return item["widgetOptions"][0]["voteCount"];
  return -1;
}

// A store with one app and its "home" stories published, a cache over it on virtual clocks, and
// a second store on the same database: another instance of the service.
class PlacementCacheTest : public test_support::StoreEngineTest {
 protected:
  void SetUp() override {
    StoreEngineTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    store = storage::Store::open(databaseUrl());
    other = storage::Store::open(databaseUrl());
    appId = store->createApp("news", "News").id;
    publish(*store, {group("11111111-1111-4111-8111-111111111111", "First"), pollGroup()});
    cache = std::make_unique<PlacementCache>(
        *store, [this] { return now; }, PlacementCacheOptions{}, [this] { return ticks; });
    store->setChangeListener([this](storage::Store::Change change) {
      if (change == storage::Store::Change::content) cache->contentChanged();
    });
  }

  void publish(storage::Store& target, const std::vector<json>& groups) {
    target.saveDraft(appId, "home", ContentKind::stories, json{{"groups", json(groups)}});
    target.publish(appId, "home", ContentKind::stories);
  }

  std::shared_ptr<const CachedAnswer> answer(Environment environment = Environment::production,
                                             const std::string& locale = "") {
    return cache->answer({appId, "home", ContentKind::stories, environment, {locale, ""}, "https://cdn.example"});
  }
  std::shared_ptr<const CachedAnswer> inMemory() {
    return cache->answerInMemory({appId, "home", ContentKind::stories, Environment::production, {}, "https://cdn.example"});
  }

  storage::TimePoint now = std::chrono::sys_days(std::chrono::year(2026) / 3 / 1);
  std::chrono::steady_clock::time_point ticks{std::chrono::hours(1)};
  std::unique_ptr<storage::Store> store, other;
  std::int64_t appId = 0;
  std::unique_ptr<PlacementCache> cache;
};

TEST_P(PlacementCacheTest, AnswersAreBuiltOnceAndRebuiltWhenContentChangesHereOrElsewhere) {
  auto first = answer();
  ASSERT_TRUE(first);
  EXPECT_EQ(titles(first), (std::vector<std::string>{"First", "Poll"}));
  EXPECT_NE(first->answer.text.find("https://cdn.example/images/a.png"), std::string::npos);
  EXPECT_EQ(answer(), first);
  EXPECT_EQ(inMemory(), first);
  EXPECT_EQ(cache->builds(), 1u);

  // A draft saved here: staging sees it at once, production keeps the published answer.
  store->saveDraft(appId, "home", ContentKind::stories, json{{"groups", json::array({group("22222222-2222-4222-8222-222222222222", "Draft")})}});
  EXPECT_EQ(titles(answer(Environment::staging)), (std::vector<std::string>{"Draft"}));
  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"First", "Poll"}));
  store->publish(appId, "home", ContentKind::stories);
  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"Draft"}));
  store->rollback(appId, "home", ContentKind::stories);
  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"First", "Poll"}));

  // Another instance publishes: seen at the next revision check, not before. The first request
  // from memory once it is due goes to make it; the others are served meanwhile.
  publish(*other, {group("33333333-3333-4333-8333-333333333333", "Elsewhere")});
  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"First", "Poll"}));
  ticks += 1s;
  EXPECT_EQ(inMemory(), nullptr);
  EXPECT_EQ(inMemory(), nullptr) << "the poll's counts are as old by now: a second leaves to refresh them";
  EXPECT_EQ(titles(inMemory()), (std::vector<std::string>{"First", "Poll"}));
  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"Elsewhere"}));
  EXPECT_EQ(titles(inMemory()), (std::vector<std::string>{"Elsewhere"}));

  EXPECT_EQ(cache->answer({appId, "away", ContentKind::stories, Environment::production, {}, ""}), nullptr);
}

TEST_P(PlacementCacheTest, AnAnswerLastsUntilTheNextScheduleBoundary) {
  auto opening = group("44444444-4444-4444-8444-444444444444", "Opens");
  opening["startAt"] = content::formatDateTime(now + 60s);
  auto closing = group("55555555-5555-4555-8555-555555555555", "Closes");
  closing["endAt"] = content::formatDateTime(now + 120s);
  auto french = group("66666666-6666-4666-8666-666666666666", "French");
  french["locales"] = {"fr"};
  publish(*store, {opening, closing, french});

  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"Closes"}));
  EXPECT_EQ(titles(answer(Environment::production, "fr-CA")), (std::vector<std::string>{"Closes", "French"}));
  const auto builds = cache->builds();
  now += 59s;
  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"Closes"}));
  EXPECT_EQ(cache->builds(), builds) << "rebuilt before anything changed";
  now += 1s;
  EXPECT_EQ(inMemory(), nullptr);
  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"Opens", "Closes"}));
  now += 60s;
  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"Opens"}));
  now += std::chrono::hours(24 * 365);
  EXPECT_EQ(titles(answer()), (std::vector<std::string>{"Opens"}));
}

TEST_P(PlacementCacheTest, CountsFollowVotesHereAtOnceAndVotesElsewhereWithinTheRefresh) {
  // Revision checks out of the way: only the counts' refresh sends requests out of memory.
  cache = std::make_unique<PlacementCache>(
      *store, [this] { return now; }, PlacementCacheOptions{.revisionCheck = 1h}, [this] { return ticks; });
  EXPECT_EQ(firstCount(answer()), 0);
  store->recordVote(appId, kPoll, kFirstOption, "user-1", now);
  cache->votesChanged(appId);
  EXPECT_EQ(inMemory(), nullptr);
  EXPECT_EQ(firstCount(answer()), 1);

  other->recordVote(appId, kPoll, kFirstOption, "user-2", now);
  EXPECT_EQ(firstCount(answer()), 1);
  ticks += 999ms;
  EXPECT_EQ(firstCount(inMemory()), 1);
  ticks += 1ms;
  EXPECT_EQ(inMemory(), nullptr) << "one request leaves memory to refresh old counts";
  EXPECT_EQ(firstCount(inMemory()), 1) << "the others are served them meanwhile";
  EXPECT_EQ(firstCount(answer()), 2);
  EXPECT_EQ(firstCount(inMemory()), 2);

  // A refresh claimed and never made: old counts are served for one more interval at most.
  other->recordVote(appId, kPoll, kFirstOption, "user-3", now);
  ticks += 1s;
  EXPECT_EQ(inMemory(), nullptr);
  EXPECT_EQ(firstCount(inMemory()), 2);
  ticks += 1s;
  EXPECT_EQ(inMemory(), nullptr);
  EXPECT_EQ(inMemory(), nullptr);
  EXPECT_EQ(firstCount(answer()), 3);
}

TEST_P(PlacementCacheTest, ReadersSeeWholeAnswersWhileContentAndVotesChange) {
  std::atomic<bool> done{false};
  std::atomic<int> failures{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i) {
    readers.emplace_back([&, i] {
      while (!done) {
        auto served = i % 2 == 0 ? answer() : inMemory();
        if (!served) continue;
        const auto parsed = json::parse(served->answer.text, nullptr, false);
        if (parsed.is_discarded() || parsed["groups"].empty() ||
            served->etag != answerEtag(served->answer.text))
          ++failures;
      }
    });
  }
  for (int round = 0; round < 20; ++round) {
    publish(*store, {group("11111111-1111-4111-8111-111111111111", "Round " + std::to_string(round)), pollGroup()});
    store->recordVote(appId, kPoll, round % 2 ? kFirstOption : kSecondOption, "user-" + std::to_string(round), now);
    cache->votesChanged(appId);
  }
  done = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(failures, 0);
  const auto last = answer();
  EXPECT_EQ(titles(last)[0], "Round 19");
  EXPECT_EQ(firstCount(last), 10);
}

INSTANTIATE_TEST_SUITE_P(Engines, PlacementCacheTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::app
