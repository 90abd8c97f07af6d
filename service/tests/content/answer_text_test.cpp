#include <gtest/gtest.h>

#include "content/answer_text.h"
#include "content/time_text.h"
#include "content/vote_overlay.h"

namespace orvane::service::content {
namespace {

using nlohmann::json;

json item(const std::string& id, bool withOptions) {
  json record = {{"id", id}, {"type", withOptions ? "POLL" : "IMAGE"}, {"title", "Say \"userVote\":{}"}};
  if (withOptions) record["widgetOptions"] = json::array({{{"id", id + "-a"}, {"voteCount", 3}}});
  return record;
}

json stories() {
  return {{"groups",
           {{{"id", "g1"}, {"items", {item("A1", true), item("a2", false), item("a3", true)}}},
            {{"id", "g2"}, {"items", {item("a4", true)}}}}}};
}

TEST(AnswerText, SplicingAUsersVotesGivesWhatRebuildingTheAnswerWouldAndNothingElseChanges) {
  const auto text = answerText(stories());
  EXPECT_EQ(json::parse(text.text), stories()) << "the slots left marks in the shared text";
  ASSERT_EQ(text.slots.size(), 3u);
  EXPECT_EQ(text.slots[0].itemId, "a1");

  const auto at = std::chrono::sys_days(std::chrono::year(2026) / 1 / 2) + std::chrono::hours(3);
  const std::map<std::string, storage::UserVote> votes = {{"a1", {"a1-a", at}}, {"a4", {"a4-\"x", at}}};
  auto expected = stories();
  overlayUserVotes(expected, votes);
  const auto spliced = withUserVotes(text, votes);
  EXPECT_EQ(json::parse(spliced), expected);
  EXPECT_EQ(json::parse(spliced)["groups"][1]["items"][0]["userVote"]["votedAt"], formatDateTime(at));

  EXPECT_EQ(withUserVotes(text, {}), text.text);
  EXPECT_EQ(withUserVotes(text, {{"a2", {"a2-a", at}}}), text.text) << "an item without options took a vote";
}

TEST(AnswerText, BannersAndAnswersWithoutPollsHaveNoSlots) {
  const json banners = {{"banners", {{{"id", "b1"}, {"items", json::array()}}}}};
  const auto text = answerText(banners);
  EXPECT_TRUE(text.slots.empty());
  EXPECT_EQ(json::parse(text.text), banners);
}

}  // namespace
}  // namespace orvane::service::content
