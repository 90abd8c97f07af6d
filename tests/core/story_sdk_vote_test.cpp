#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/story_sdk.h"
#include "support/fake_platform.h"

namespace orvane {
namespace {

using testing::FakePlatform;
using testing::ScriptedHttpSession;

class StorySDKVoteTest : public ::testing::Test {
 protected:
  void vote() {
    sdk.recordVote("item 1", "option-1",
                   [this](Result<VoteResponse> result) { results.push_back(std::move(result)); });
  }

  FakePlatform fake;
  StorySDK sdk{fake.platform()};
  std::vector<Result<VoteResponse>> results;
};

TEST_F(StorySDKVoteTest, ForwardsTheVoteAndDeliversTheAnswerOnTheMainQueue) {
  fake.http->setResponder([](const HttpRequest&) {
    return ScriptedHttpSession::ok(R"({"voted":true,"optionId":"option-1","voteCount":12})");
  });
  sdk.configure(StoryConfiguration("secret", "app", StoryEnvironment::production, std::nullopt, std::nullopt,
                                   "member"));
  vote();

  auto requests = fake.http->requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].url.string(), "https://api.orvane.io/sdk/v1/apps/app/story-items/item%201/vote");
  EXPECT_EQ(nlohmann::json::parse(*requests[0].body)["userId"], "member");
  EXPECT_TRUE(results.empty());

  fake.settle();
  ASSERT_EQ(results.size(), 1u);
  ASSERT_TRUE(results[0].ok());
  EXPECT_EQ(results[0].value(), VoteResponse(true, "option-1", 12));
}

TEST_F(StorySDKVoteTest, FailsAsNotConfiguredBeforeConfigure) {
  vote();
  fake.settle();
  ASSERT_EQ(results.size(), 1u);
  ASSERT_FALSE(results[0].ok());
  EXPECT_EQ(std::get<StoryAPIError>(results[0].error()), StoryAPIError::notConfigured());
  EXPECT_TRUE(fake.http->requests().empty());
}

TEST_F(StorySDKVoteTest, PreviewModeAnswersLocally) {
  sdk.configure(StoryConfiguration("secret", "app", StoryEnvironment::staging, std::nullopt, std::nullopt,
                                   std::nullopt, StoryUIStrings::default_(), true));
  vote();
  fake.settle();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].value(), VoteResponse(true, "option-1", 1));
  EXPECT_TRUE(fake.http->requests().empty());
}

}  // namespace
}  // namespace orvane
