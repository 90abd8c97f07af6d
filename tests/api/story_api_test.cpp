#include <orvane/api/story_api.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <orvane/api/story_requests.h>
#include <orvane/core/story_sdk.h>
#include <orvane/version.h>
#include "support/fake_platform.h"

namespace orvane {
namespace {

using testing::FakePlatform;
using testing::ScriptedHttpSession;

constexpr const char* kGroupId = "AAAAAAAA-0000-4000-8000-00000000000A";
constexpr const char* kItemId = "BBBBBBBB-0000-4000-8000-00000000000B";

std::string storiesBody() {
  return std::string(R"({"groups": [{"id": ")") + kGroupId + R"(", "title": "News", "items": [{"id": ")" +
         kItemId +
         R"(", "type": "IMAGE", "media": {"mediaType": "IMAGE", "mediaUrl": "https://cdn.example.com/1.jpg"}}]}]})";
}

std::string bannersBody(int id) {
  return R"({"banners": [{"id": )" + std::to_string(id) +
         R"(, "type": "STATIC", "placementKey": "p", "viewOrder": 0,
             "items": [{"id": 1, "mediaUrl": "https://cdn.example.com/b.png", "orderIndex": 0}]}]})";
}

// Collects what completions receive; each test checks "exactly once" through the count.
template <typename T>
struct Received {
  std::vector<Result<T>> results;
  std::function<void(Result<T>)> completion() {
    return [this](Result<T> result) { results.push_back(std::move(result)); };
  }
  const Result<T>& only() const {
    EXPECT_EQ(results.size(), 1u);
    return results.at(0);
  }
};

template <typename T>
std::function<void(Result<T>)> ignored() {
  return [](Result<T>) {};
}

template <typename E, typename T>
E errorAs(const Result<T>& result) {
  EXPECT_FALSE(result.ok());
  EXPECT_TRUE(!result.ok() && std::holds_alternative<E>(result.error()));
  return std::get<E>(result.error());
}

class StoryAPITest : public ::testing::Test {
 protected:
  void configure(std::string appKey = "app-key", StoryEnvironment environment = StoryEnvironment::production,
                 std::optional<std::string> userId = std::nullopt, bool preview = false) {
    sdk.configure(StoryConfiguration("sdk-key", std::move(appKey), environment, std::nullopt, std::nullopt,
                                     std::move(userId), StoryUIStrings::default_(), preview));
  }
  void answer(HttpResult result) {
    fake.http->setResponder([result](const HttpRequest&) { return result; });
  }
  // One call whose answer is let through; exactly one result is expected.
  Result<std::vector<Banner>> bannersNow(const std::string& placementKey) {
    Received<std::vector<Banner>> banners;
    api.fetchBanners(placementKey, banners.completion());
    fake.settle();
    return banners.only();
  }
  Result<VoteResponse> voteNow(const std::string& itemId, const std::string& optionId) {
    Received<VoteResponse> vote;
    api.recordVote(itemId, optionId, vote.completion());
    fake.settle();
    return vote.only();
  }
  HttpRequest onlyRequest() const {
    auto requests = fake.http->requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.at(0);
  }

  FakePlatform fake;
  StorySDK sdk{fake.platform()};
  StoryAPI api{fake.http, sdk.session()};
};

TEST_F(StoryAPITest, UnconfiguredCallsFailOnTheMainQueueWithoutRequests) {
  Received<std::vector<StoryGroup>> stories;
  Received<std::vector<Banner>> banners;
  Received<VoteResponse> vote;
  api.fetchStories("home", stories.completion());
  api.fetchBanners("unconfigured", banners.completion());
  api.recordVote("item", "option", vote.completion());
  EXPECT_TRUE(stories.results.empty() && banners.results.empty() && vote.results.empty());

  fake.settle();
  EXPECT_EQ(errorAs<StoryAPIError>(stories.only()), StoryAPIError::notConfigured());
  EXPECT_EQ(errorAs<StoryAPIError>(banners.only()), StoryAPIError::notConfigured());
  EXPECT_EQ(errorAs<StoryAPIError>(vote.only()), StoryAPIError::notConfigured());
  EXPECT_TRUE(fake.http->requests().empty());
}

TEST_F(StoryAPITest, ContentRequestCarriesPathQueryAndIdentityHeaders) {
  configure("my app", StoryEnvironment::staging, "  user-7 ");
  api.fetchStories("home/main", ignored<std::vector<StoryGroup>>());

  auto request = onlyRequest();
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.timeout, std::chrono::seconds(60));
  EXPECT_EQ(request.maxResponseBytes, kMaxContentAnswerBytes);
  EXPECT_EQ(request.url.string(),
            "https://api.orvane.io/sdk/v1/apps/my%20app/placements/home%2Fmain/stories"
            "?environment=STAGING&locale=en-US&platform=IOS&sdkVersion=" ORVANE_VERSION_STRING
            "&deviceId=11111111-2222-4333-8444-555555555555&country=US&appVersion=2.3.1");
  EXPECT_EQ(*request.header("X-Zephro-SDK-Key"), "sdk-key");
  // No app id given: the bundle identifier stands in, as it does for the bundle id.
  EXPECT_EQ(*request.header("X-Zephro-AppId"), "com.example.host");
  EXPECT_EQ(*request.header("X-Zephro-BundleId"), "com.example.host");
  EXPECT_EQ(*request.header("X-Zephro-UserId"), "user-7");
  EXPECT_EQ(request.header("Content-Type"), nullptr);
  EXPECT_FALSE(request.body);
}

TEST_F(StoryAPITest, QueryItemsFollowTheLocaleAndOmitWhatIsUnknown) {
  configure();
  fake.locale->set("zh-Hant_TW", "tw");
  fake.device->id.reset();
  fake.bundle->version = "";
  fake.bundle->identifier.reset();
  api.fetchBanners("query-items", ignored<std::vector<Banner>>());
  fake.locale->set("1x_US@calendar=gregorian", std::nullopt);
  api.fetchBanners("query-items", ignored<std::vector<Banner>>());

  auto requests = fake.http->requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].url.string(),
            "https://api.orvane.io/sdk/v1/apps/app-key/placements/query-items/banners"
            "?environment=PRODUCTION&locale=zh-HANT&platform=IOS&sdkVersion=" ORVANE_VERSION_STRING "&country=TW");
  EXPECT_EQ(requests[1].url.string(),
            "https://api.orvane.io/sdk/v1/apps/app-key/placements/query-items/banners"
            "?environment=PRODUCTION&platform=IOS&sdkVersion=" ORVANE_VERSION_STRING);
  // Without a bundle identifier the app id falls back to the app key, and no bundle id is sent.
  EXPECT_EQ(*requests[0].header("X-Zephro-AppId"), "app-key");
  EXPECT_EQ(requests[0].header("X-Zephro-BundleId"), nullptr);
  EXPECT_EQ(*requests[0].header("X-Zephro-UserId"), sdk.userId());  // the anonymous id
}

TEST_F(StoryAPITest, StoriesArriveAfterTheSdkLearnedTheirPlacement) {
  configure();
  answer(ScriptedHttpSession::ok(storiesBody()));
  std::optional<std::string> placementSeenByCompletion;
  std::vector<StoryGroup> groups;
  api.fetchStories("home", [&](Result<std::vector<StoryGroup>> result) {
    ASSERT_TRUE(result.ok());
    groups = result.value();
    placementSeenByCompletion = sdk.placementKey(StorySDKEvent::storyOpen(groups.at(0).id()));
  });
  fake.http->deliver();
  fake.workers->waitUntilIdle();
  EXPECT_TRUE(groups.empty()) << "delivered on the main queue, not the session's or a worker's thread";
  fake.settle();
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].id(), "aaaaaaaa-0000-4000-8000-00000000000a");
  EXPECT_EQ(groups[0].coverImageURL(), Url::parse("https://cdn.example.com/1.jpg"));
  EXPECT_EQ(placementSeenByCompletion, "home");
}

TEST_F(StoryAPITest, ExchangeOutcomesAreCheckedInOrder) {
  configure();
  struct Case {
    const char* name;
    HttpResult exchange;
    std::function<void(const Result<std::vector<StoryGroup>>&)> check;
  };
  const std::vector<Case> cases = {
      {"transport error passes through", ScriptedHttpSession::failure(TransportError::Code::timeout),
       [](const auto& result) {
         EXPECT_EQ(errorAs<TransportError>(result).code, TransportError::Code::timeout);
       }},
      {"transport error wins over status", HttpResult{storiesBody(), HttpResponse{500, {}}, TransportError{}},
       [](const auto& result) { errorAs<TransportError>(result); }},
      {"non-2xx status, body ignored", ScriptedHttpSession::status(404, storiesBody()),
       [](const auto& result) {
         auto error = errorAs<StoryAPIError>(result);
         EXPECT_EQ(error, StoryAPIError::httpStatus(404));
         EXPECT_EQ(error.errorDescription(), "Story request failed with status 404.");
       }},
      {"status just above the range", ScriptedHttpSession::status(300, storiesBody()),
       [](const auto& result) { EXPECT_EQ(errorAs<StoryAPIError>(result), StoryAPIError::httpStatus(300)); }},
      {"no body at all", HttpResult{std::nullopt, HttpResponse{200, {}}, std::nullopt},
       [](const auto& result) { EXPECT_EQ(errorAs<StoryAPIError>(result), StoryAPIError::emptyResponse()); }},
      {"zero-length body", ScriptedHttpSession::ok(""),
       [](const auto& result) {
         EXPECT_EQ(errorAs<DecodingError>(result).kind, DecodingError::Kind::dataCorrupted);
       }},
      {"wrong shape", ScriptedHttpSession::ok(R"({"groups": [{"id": 1}]})"),
       [](const auto& result) { EXPECT_EQ(errorAs<DecodingError>(result).codingPath, "groups[0].id"); }},
      {"non-HTTP answer skips the status check", HttpResult{storiesBody(), std::nullopt, std::nullopt},
       [](const auto& result) { EXPECT_TRUE(result.ok()); }},
      {"any 2xx status", ScriptedHttpSession::ok(storiesBody(), 299),
       [](const auto& result) { EXPECT_TRUE(result.ok()); }},
      {"answer beyond the cap, from a session that ignores it",
       ScriptedHttpSession::ok(storiesBody() + std::string(kMaxContentAnswerBytes, ' ')),
       [](const auto& result) {
         EXPECT_EQ(errorAs<TransportError>(result).code, TransportError::Code::tooLarge);
       }},
      {"only empty groups",
       ScriptedHttpSession::ok(R"({"groups": [{"id": ")" + std::string(kGroupId) +
                               R"(", "title": "T", "items": []}]})"),
       [](const auto& result) { EXPECT_TRUE(result.ok() && result.value().empty()); }},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    answer(testCase.exchange);
    Received<std::vector<StoryGroup>> stories;
    api.fetchStories("home", stories.completion());
    fake.settle();
    ASSERT_EQ(stories.results.size(), 1u);
    testCase.check(stories.results[0]);
  }
}

TEST_F(StoryAPITest, FailedBannerFetchFallsBackToTheLastGoodAnswerOfTheSameIdentity) {
  configure("fallback-app", StoryEnvironment::production, "alice");
  answer(ScriptedHttpSession::ok(bannersBody(1)));
  auto first = bannersNow("home");
  ASSERT_TRUE(first.ok());

  answer(ScriptedHttpSession::status(503));
  auto offline = bannersNow("home");
  ASSERT_TRUE(offline.ok());
  EXPECT_EQ(offline.value(), first.value());

  // Another placement, or the same one for another user, has no fallback.
  EXPECT_EQ(errorAs<StoryAPIError>(bannersNow("sidebar")), StoryAPIError::httpStatus(503));
  sdk.updateSession(std::nullopt, std::nullopt, "bob");
  EXPECT_EQ(errorAs<StoryAPIError>(bannersNow("home")), StoryAPIError::httpStatus(503));
}

TEST_F(StoryAPITest, BannerFallbackKeyIsComputedWhenTheRequestIsMade) {
  configure("key-timing-app", StoryEnvironment::production, "alice");
  answer(ScriptedHttpSession::ok(bannersBody(2)));
  api.fetchBanners("home", ignored<std::vector<Banner>>());
  // The identity changes while the answer is on its way: it is filed under alice.
  sdk.updateSession(std::nullopt, std::nullopt, "bob");
  fake.settle();

  answer(ScriptedHttpSession::failure());
  errorAs<TransportError>(bannersNow("home"));
  sdk.updateSession(std::nullopt, std::nullopt, "alice");
  auto alice = bannersNow("home");
  ASSERT_TRUE(alice.ok());
  EXPECT_EQ(alice.value().at(0).id(), "2");
}

TEST_F(StoryAPITest, EmptyBannerAnswerIsAFallbackTooAndFallbackKeysCannotCollide) {
  configure("empty|app", StoryEnvironment::production, "u");
  answer(ScriptedHttpSession::ok(R"({"banners": []})"));
  ASSERT_TRUE(bannersNow("home").ok());

  answer(ScriptedHttpSession::ok("not json"));
  auto again = bannersNow("home");
  ASSERT_TRUE(again.ok());
  EXPECT_TRUE(again.value().empty());

  // Same texts joined with "|" would read alike; the cache must not mix them up.
  configure("empty", StoryEnvironment::production, "u");
  errorAs<DecodingError>(bannersNow("app|home"));
}

TEST_F(StoryAPITest, VotePostsTheChoiceWithIdentityLeavingOutWhatIsUnknown) {
  configure("vote app", StoryEnvironment::production, "user-1");
  answer(ScriptedHttpSession::ok(R"({"voted": true, "optionId": "opt-1", "voteCount": 42})"));
  auto vote = voteNow("item/1", "opt-1");
  ASSERT_TRUE(vote.ok());
  EXPECT_EQ(vote.value(), VoteResponse(true, "opt-1", 42));
  auto request = onlyRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.url.string(), "https://api.orvane.io/sdk/v1/apps/vote%20app/story-items/item%2F1/vote");
  EXPECT_EQ(*request.header("Content-Type"), "application/json");
  EXPECT_EQ(*request.header("X-Zephro-SDK-Key"), "sdk-key");
  EXPECT_EQ(*request.header("X-Zephro-UserId"), "user-1");
  EXPECT_EQ(
      request.body,
      R"({"optionId":"opt-1","appId":"com.example.host","bundleId":"com.example.host","userId":"user-1"})");

  configure();
  fake.bundle->identifier.reset();
  voteNow("item", "opt");
  EXPECT_EQ(fake.http->requests().at(1).body,
            R"({"optionId":"opt","appId":"app-key","userId":")" + sdk.userId() + R"("})");
}

TEST_F(StoryAPITest, VoteFailsOnAnUndecodableAnswerOrAChoiceThatCannotBeWritten) {
  configure();
  answer(ScriptedHttpSession::ok(R"({"optionId": "x"})"));
  EXPECT_EQ(errorAs<DecodingError>(voteNow("item", "opt")).kind, DecodingError::Kind::keyNotFound);
  // Text that is not UTF-8 cannot be written as JSON: nothing is sent.
  EXPECT_EQ(errorAs<StoryAPIError>(voteNow("item", "opt\xff")), StoryAPIError::encodingFailed());
  EXPECT_EQ(fake.http->requests().size(), 1u);

  // A vote answer is a few dozen bytes; one of kilobytes is refused unread.
  answer(ScriptedHttpSession::ok(R"({"voted": true, "pad": ")" + std::string(kMaxVoteAnswerBytes, 'x') +
                                 R"("})"));
  EXPECT_EQ(errorAs<TransportError>(voteNow("item", "opt")).code, TransportError::Code::tooLarge);
  EXPECT_EQ(fake.http->requests().back().maxResponseBytes, kMaxVoteAnswerBytes);
}

TEST_F(StoryAPITest, IdentityNoHeaderCanCarryFailsTheRequestBeforeItIsSent) {
  answer(ScriptedHttpSession::ok(storiesBody()));
  const std::string unsendable[] = {"user\r\nX-Injected: 1", "user\x7F", std::string(1025, 'u'),
                                    std::string(100 * 1024, 'u')};
  for (const auto& userId : unsendable) {
    configure("app-key", StoryEnvironment::production, userId);
    Received<std::vector<StoryGroup>> stories;
    api.fetchStories("home", stories.completion());
    fake.settle();
    const auto error = errorAs<TransportError>(stories.only());
    EXPECT_EQ(error.code, TransportError::Code::other);
    EXPECT_NE(error.message.find("X-Zephro-UserId"), std::string::npos) << error.message;
    EXPECT_EQ(errorAs<TransportError>(voteNow("item", "opt")).code, TransportError::Code::other);
  }
  EXPECT_TRUE(fake.http->requests().empty());

  // An item id the vote's address could not carry either is refused the same way.
  configure("app-key", StoryEnvironment::production, std::string(1024, 'u'));
  EXPECT_EQ(errorAs<TransportError>(voteNow(std::string(1025, 'i'), "opt")).code, TransportError::Code::other);
  EXPECT_EQ(errorAs<TransportError>(voteNow("item\n", "opt")).code, TransportError::Code::other);
  EXPECT_TRUE(fake.http->requests().empty());
  api.fetchStories("home", ignored<std::vector<StoryGroup>>());
  EXPECT_EQ(onlyRequest().header("X-Zephro-UserId")->size(), 1024u);
}

TEST_F(StoryAPITest, PreviewVotesAreAnsweredLocallyEvenOffline) {
  configure("app-key", StoryEnvironment::production, std::nullopt, true);
  answer(ScriptedHttpSession::failure());
  Received<VoteResponse> vote;
  api.recordVote("item", "opt-9", vote.completion());
  EXPECT_TRUE(vote.results.empty());
  fake.settle();
  ASSERT_TRUE(vote.only().ok());
  EXPECT_EQ(vote.only().value(), VoteResponse(true, "opt-9", 1));
  EXPECT_TRUE(fake.http->requests().empty());
}

TEST_F(StoryAPITest, AnswersStillArriveAfterTheClientIsGone) {
  configure();
  answer(ScriptedHttpSession::ok(storiesBody()));
  Received<std::vector<StoryGroup>> stories;
  Received<std::vector<Banner>> banners;
  {
    StoryAPI shortLived(fake.http, sdk.session());
    shortLived.fetchStories("home", stories.completion());
    shortLived.fetchBanners("gone", banners.completion());
  }
  fake.settle();
  EXPECT_TRUE(stories.only().ok());
  EXPECT_EQ(banners.results.size(), 1u);
}

TEST_F(StoryAPITest, AnswersArrivingAfterTheirSdkIsGoneDoNothing) {
  answer(ScriptedHttpSession::ok(storiesBody()));
  Received<std::vector<StoryGroup>> stories;
  Received<std::vector<Banner>> banners;
  Received<VoteResponse> vote;
  {
    auto hostOwned = std::make_unique<StorySDK>(fake.platform());
    hostOwned->configure(StoryConfiguration("sdk-key", "app-key", StoryEnvironment::production));
    StoryAPI client(fake.http, hostOwned->session());
    client.fetchStories("home", stories.completion());
    client.fetchBanners("home", banners.completion());
    client.recordVote(kItemId, "option", vote.completion());
  }
  fake.settle();
  EXPECT_TRUE(stories.results.empty());
  EXPECT_TRUE(banners.results.empty());
  EXPECT_TRUE(vote.results.empty());
}

}  // namespace
}  // namespace orvane
