#include <gtest/gtest.h>

#include "content/selection.h"
#include "content/time_text.h"
#include "content/vote_overlay.h"

namespace orvane::service::content {
namespace {

using nlohmann::json;
using storage::ContentKind;

const auto kNow = *parseDateTime("2025-06-01T12:00:00Z");

json group(const std::string& title, json extra = json::object()) {
  json record{{"id", "8c1e8a0e-3b5f-4c4e-9f0a-2a4b6c8d0e1f"}, {"title", title}, {"items", json::array()}};
  record.update(extra);
  return record;
}

std::vector<std::string> titles(const json& document, const Audience& audience = {}) {
  std::vector<std::string> seen;
  const auto answer = liveSelection(document, ContentKind::stories, kNow, audience);
  for (const auto& record : answer["groups"]) seen.push_back(record["title"]);
  return seen;
}

using Titles = std::vector<std::string>;

TEST(LiveSelection, KeepsWhatIsLiveNowWithTheStartInAndTheEndOut) {
  const json document{{"groups", json::array({
      group("open"),
      group("started now", {{"startAt", "2025-06-01T12:00:00Z"}}),
      group("starts later", {{"startAt", "2025-06-01T12:00:01Z"}}),
      group("ended now", {{"endAt", "2025-06-01T12:00:00Z"}}),
      group("ends later", {{"startAt", "2025-01-01T00:00:00Z"}, {"endAt", "2025-06-01T14:00:00+02:00"}}),
      group("window", {{"startAt", "2025-06-01T11:00:00Z"}, {"endAt", "2025-06-01T13:00:00Z"}}),
  })}};
  EXPECT_EQ(titles(document), (Titles{"open", "started now", "window"}));
  EXPECT_EQ(liveSelection(document, ContentKind::stories, kNow + std::chrono::hours(3), {})["groups"].size(), 3u);
}

TEST(LiveSelection, OrdersByPriorityStablyWithThoseWithoutOneLast) {
  const json document{{"groups", json::array({
      group("none a"),
      group("two a", {{"priority", 2}}),
      group("one", {{"priority", 1}}),
      group("none b"),
      group("two b", {{"priority", 2}}),
      group("negative", {{"priority", -5}}),
  })}};
  EXPECT_EQ(titles(document), (Titles{"negative", "one", "two a", "two b", "none a", "none b"}));
}

TEST(LiveSelection, TargetsByLocaleOrItsLanguageAndByCountryAndHidesTheLists) {
  const json document{{"groups", json::array({
      group("everyone"),
      group("french", {{"locales", {"fr"}}}),
      group("canadian french", {{"locales", {"fr-CA"}}}),
      group("in france", {{"countries", {"FR"}}}),
      group("french in canada", {{"locales", {"fr"}}, {"countries", {"ca"}}}),
      group("empty lists", {{"locales", json::array()}, {"countries", json::array()}}),
  })}};
  EXPECT_EQ(titles(document, {"fr-CA", "CA"}), (Titles{"everyone", "french", "canadian french", "french in canada", "empty lists"}));
  EXPECT_EQ(titles(document, {"fr", "FR"}), (Titles{"everyone", "french", "in france", "empty lists"}));
  EXPECT_EQ(titles(document, {"FR-fr", ""}), (Titles{"everyone", "french", "empty lists"}));
  EXPECT_EQ(titles(document), (Titles{"everyone", "empty lists"}));

  const auto answer = liveSelection(document, ContentKind::stories, kNow, {"fr-CA", "CA"});
  for (const auto& record : answer["groups"]) {
    EXPECT_FALSE(record.contains("locales"));
    EXPECT_FALSE(record.contains("countries"));
  }
  EXPECT_TRUE(document["groups"][1].contains("locales")) << "the stored document is not touched";
}

TEST(LiveSelection, BannersFollowTheSameRulesAndKeepTheirOtherFields) {
  const json document{{"banners", json::array({
      {{"id", 1}, {"viewOrder", 1}, {"priority", 9}, {"items", json::array()}},
      {{"id", 2}, {"viewOrder", 2}, {"endAt", "2025-01-01T00:00:00Z"}, {"items", json::array()}},
      {{"id", 3}, {"viewOrder", 3}, {"priority", 1}, {"countries", {"DE"}}, {"items", json::array()}},
  })},
                      {"extra", "kept"}};
  const auto answer = liveSelection(document, ContentKind::banners, kNow, {"de-DE", "DE"});
  ASSERT_EQ(answer["banners"].size(), 2u);
  EXPECT_EQ(answer["banners"][0]["id"], 3);
  EXPECT_EQ(answer["banners"][1]["id"], 1);
  EXPECT_EQ(answer["extra"], "kept");
}

TEST(ReplaceOrigin, ReplacesEveryMarkerInEveryTextOnly) {
  json document{{"a", "{{origin}}/x and {{origin}}/y"}, {"list", {"{{origin}}", 3}}, {"{{origin}}", true}};
  replaceOrigin(document, "http://h:1");
  EXPECT_EQ(document["a"], "http://h:1/x and http://h:1/y");
  EXPECT_EQ(document["list"][0], "http://h:1");
  EXPECT_TRUE(document.contains("{{origin}}")) << "keys are not texts of the answer";
}

TEST(VoteOverlay, SetsFreshCountsAndTheUsersVoteMatchingIdsInAnyCase) {
  json stories{{"groups", json::array({group("poll")})}};
  stories["groups"][0]["items"] = json::array({
      {{"id", "2A3F1C49-6B5B-5013-A748-3B0B4B8D176D"},
       {"type", "POLL"},
       {"title", "kept"},
       {"widgetOptions",
        {{{"id", "F7D563B8-A35F-5600-B3FB-4FC1CDDF0AF1"}, {"text", "a"}, {"orderIndex", 0}, {"voteCount", 42}},
         {{"id", "4eec43c3-6a86-519c-97d8-357bdfee7373"}, {"text", "b"}, {"orderIndex", 1}}}}},
      {{"id", "0a3de4f0-2523-5418-9cbc-87069037a3fc"}, {"type", "IMAGE"}},
  });
  const auto ids = votableIds(stories);
  EXPECT_EQ(ids.itemIds, std::vector<std::string>{"2a3f1c49-6b5b-5013-a748-3b0b4b8d176d"});
  EXPECT_EQ(ids.optionIds, (std::vector<std::string>{"f7d563b8-a35f-5600-b3fb-4fc1cddf0af1",
                                                     "4eec43c3-6a86-519c-97d8-357bdfee7373"}));

  const auto before = stories;
  overlayCounts(stories, {{"4eec43c3-6a86-519c-97d8-357bdfee7373", 7}});
  overlayUserVotes(stories, {{"2a3f1c49-6b5b-5013-a748-3b0b4b8d176d",
                              {"4eec43c3-6a86-519c-97d8-357bdfee7373", kNow}}});
  const auto& poll = stories["groups"][0]["items"][0];
  EXPECT_EQ(poll["widgetOptions"][0]["voteCount"], 42) << "no count known: the stored one stays";
  EXPECT_EQ(poll["widgetOptions"][1]["voteCount"], 7);
  EXPECT_EQ(poll["userVote"], (json{{"optionId", "4eec43c3-6a86-519c-97d8-357bdfee7373"}, {"votedAt", "2025-06-01T12:00:00Z"}}));
  EXPECT_EQ(poll["title"], "kept");
  EXPECT_EQ(stories["groups"][0]["items"][1], before["groups"][0]["items"][1]);
}

TEST(DateTimeText, ReadsZonesAndRefusesWhatTheSdkWouldRefuse) {
  EXPECT_EQ(parseDateTime("2025-06-01T14:00:00+02:00"), kNow);
  EXPECT_GT(parseDateTime("2999-01-01T00:00:00Z"), kNow) << "far beyond the clock's nanoseconds";
  EXPECT_EQ(formatDateTime(*parseDateTime("2024-02-29T23:59:59-00:30")), "2024-03-01T00:29:59Z");
  for (const char* bad : {"2025-06-01T12:00:00", "2025-06-01T12:00:00.5Z", "2023-02-29T00:00:00Z", "2025-06-01T24:00:00Z",
                          "2025-13-01T00:00:00Z", "yesterday", ""})
    EXPECT_FALSE(parseDateTime(bad)) << bad;
}

}  // namespace
}  // namespace orvane::service::content
