#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include <orvane/api/story_api.h>
#include <orvane/core/story_sdk.h>
#include <orvane/model/json_coding.h>
#include "sample_answers.h"
#include "support/fake_platform.h"

namespace orvane::testing {
namespace {

// Every answer goes through the whole client path: status check, decoding, mapping and the hop
// back to the main queue.
class MalformedAnswers : public ::testing::Test {
 protected:
  MalformedAnswers() { sdk.configure(StoryConfiguration("sdk-key", "app-key")); }

  template <typename T, typename Call>
  Result<T> answerWith(const std::string& body, Call call) {
    fake.http->setResponder([&body](const HttpRequest&) { return ScriptedHttpSession::ok(body); });
    std::vector<Result<T>> results;
    call([&](Result<T> result) { results.push_back(std::move(result)); });
    fake.settle();
    EXPECT_EQ(results.size(), 1u) << "completions for a body of " << body.size() << " bytes";
    return results.empty() ? Result<T>(TransportError{}) : std::move(results.front());
  }
  Result<std::vector<StoryGroup>> stories(const std::string& body) {
    return answerWith<std::vector<StoryGroup>>(body,
                                               [&](auto done) { api.fetchStories("home", std::move(done)); });
  }
  // A placement of its own: a valid answer here would become the fallback of later failures.
  Result<std::vector<Banner>> banners(const std::string& body, const std::string& placementKey) {
    return answerWith<std::vector<Banner>>(
        body, [&](auto done) { api.fetchBanners(placementKey, std::move(done)); });
  }
  Result<VoteResponse> vote(const std::string& body) {
    return answerWith<VoteResponse>(body,
                                    [&](auto done) { api.recordVote("item", "option", std::move(done)); });
  }

  FakePlatform fake;
  StorySDK sdk{fake.platform()};
  StoryAPI api{fake.http, sdk.session()};
};

bool isDecodingOrEmpty(const Error& error) {
  return std::holds_alternative<DecodingError>(error) ||
         (std::holds_alternative<StoryAPIError>(error) &&
          std::get<StoryAPIError>(error) == StoryAPIError::emptyResponse());
}

TEST_F(MalformedAnswers, AnswersCutAtEveryByteFailAsUndecodable) {
  const auto storiesBody = sampleAnswer("stories");
  const auto bannersBody = sampleAnswer("banners");
  const auto voteBody = sampleAnswer("vote");
  ASSERT_TRUE(stories(storiesBody).ok());
  ASSERT_TRUE(vote(voteBody).ok());

  for (std::size_t length = 0; length < storiesBody.size(); ++length) {
    auto result = stories(storiesBody.substr(0, length));
    ASSERT_FALSE(result.ok()) << "stories cut at " << length;
    ASSERT_TRUE(isDecodingOrEmpty(result.error())) << length << ": " << errorDescription(result.error());
  }
  for (std::size_t length = 0; length < bannersBody.size(); ++length) {
    auto result = banners(bannersBody.substr(0, length), "cut-banners");
    ASSERT_FALSE(result.ok()) << "banners cut at " << length;
    ASSERT_TRUE(isDecodingOrEmpty(result.error())) << length << ": " << errorDescription(result.error());
  }
  for (std::size_t length = 0; length < voteBody.size(); ++length) {
    auto result = vote(voteBody.substr(0, length));
    ASSERT_FALSE(result.ok()) << "vote cut at " << length;
    ASSERT_TRUE(isDecodingOrEmpty(result.error())) << length << ": " << errorDescription(result.error());
  }
}

// One damaged byte per answer, at every position: whatever comes back is a model or a typed
// error, and a model still encodes.
TEST_F(MalformedAnswers, ADamagedByteAnywhereYieldsAModelOrATypedError) {
  constexpr std::array<char, 8> kDamage = {'"', '{', ']', '0', '-', 'x', '\0', '\xff'};
  std::size_t failures = 0;
  std::size_t mutations = 0;
  const auto damage = [&](const std::string& body, const auto& check) {
    for (std::size_t at = 0; at < body.size(); ++at) {
      std::string damaged = body;
      damaged[at] = kDamage[at % kDamage.size()];
      if (damaged == body) continue;
      ++mutations;
      check(damaged);
    }
  };
  damage(sampleAnswer("stories"), [&](const std::string& body) {
    auto result = stories(body);
    if (!result.ok()) {
      ++failures;
      EXPECT_FALSE(errorDescription(result.error()).empty());
      return;
    }
    for (const auto& group : result.value()) {
      EXPECT_FALSE(group.items().empty());
      for (const auto& item : group.items()) {
        nlohmann::ordered_json encoded = item;
        EXPECT_EQ(encoded.get<StoryItem>(), item);
      }
    }
  });
  damage(sampleAnswer("banners"), [&](const std::string& body) {
    auto result = banners(body, "damaged-banners");
    if (!result.ok()) ++failures;
  });
  // Most single-byte damage breaks the JSON text; some only changes a value.
  EXPECT_GT(failures, mutations / 2);
  EXPECT_LT(failures, mutations);
}

}  // namespace
}  // namespace orvane::testing
