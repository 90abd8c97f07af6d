#include <gtest/gtest.h>
#include <openssl/pem.h>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <orvane/api/story_services.h>
#include <orvane/core/story_sdk.h>
#include <orvane/core/story_sdk_event.h>
#include "../platform/self_signed_certificate.h"
#include "loopback_harness.h"

namespace orvane::testing {
namespace {

constexpr const char* kPollItem = "2a3f1c49-6b5b-5013-a748-3b0b4b8d176d";
constexpr const char* kPollOption = "4eec43c3-6a86-519c-97d8-357bdfee7373";  // 17 votes in the sample

const StoryItem* findItem(const std::vector<StoryGroup>& groups, const std::string& itemId) {
  for (const auto& group : groups) {
    for (const auto& item : group.items()) {
      if (item.id() == itemId) return &item;
    }
  }
  return nullptr;
}

TEST(SdkOverLoopback, FetchesAndMapsAPlacement) {
  LoopbackHarness harness;
  harness.configure();
  auto result = harness.stories("home");
  ASSERT_TRUE(result.ok()) << errorDescription(result.error());
  const auto& groups = result.value();
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0].id(), kWelcomeGroup);
  EXPECT_EQ(groups[1].id(), "91ed0206-f9c3-572c-8b4b-0824ff6381e5");  // upper case on the wire
  ASSERT_TRUE(groups[0].coverImageURL());
  EXPECT_EQ(groups[0].coverImageURL()->string().rfind(harness.service.origin() + "/images/", 0), 0u);

  auto missing = harness.stories("no-such-placement");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(std::get<StoryAPIError>(missing.error()), StoryAPIError::httpStatus(404));
}

// What a host does to use its own deployment: no transport of its own, only the origin.
TEST(SdkOverLoopback, ServiceOriginPointsTheDefaultTransportAtADeployment) {
  StartedContentService deployment({});
  auto loop = std::make_shared<RunLoop>();
  Platform platform;
  platform.mainQueue = loop;
  platform.serviceOrigin = deployment.service.origin() + "/";
  StorySDK sdk(withHeadlessDefaults(std::move(platform)));
  sdk.configure(StoryConfiguration("demo-sdk-key", "demo-app"));
  StoryAPI api(sdk.platform().http, sdk.session());

  std::optional<Result<std::vector<StoryGroup>>> result;
  api.fetchStories("home", [&](auto answer) { result.emplace(std::move(answer)); });
  ASSERT_TRUE(loop->runUntil([&] { return result.has_value(); }, std::chrono::seconds(10)));
  ASSERT_TRUE(result->ok()) << errorDescription(result->error());
  EXPECT_EQ(result->value().size(), 4u);
}

TEST(SdkOverLoopback, WrongKeyIsAnHttpStatusError) {
  LoopbackHarness harness;
  harness.sdk->configure(StoryConfiguration("wrong-key", "demo-app"));
  auto result = harness.stories("home");
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(std::get<StoryAPIError>(result.error()), StoryAPIError::httpStatus(401));
}

TEST(SdkOverLoopback, AVoteIsCountedAndShownByTheNextFetch) {
  LoopbackHarness harness;
  harness.configure();
  auto vote = harness.await<VoteResponse>(
      [&](auto done) { harness.sdk->recordVote(kPollItem, kPollOption, done); });
  ASSERT_TRUE(vote && vote->ok()) << (vote ? errorDescription(vote->error()) : "no answer");
  EXPECT_TRUE(vote->value().voted());
  EXPECT_EQ(vote->value().voteCount(), 18);

  auto refreshed = harness.stories("home");
  ASSERT_TRUE(refreshed.ok());
  const StoryItem* poll = findItem(refreshed.value(), kPollItem);
  ASSERT_NE(poll, nullptr);
  ASSERT_TRUE(poll->userVote());
  EXPECT_EQ(poll->userVote()->optionId(), kPollOption);
  auto option = std::find_if(poll->widgetOptions().begin(), poll->widgetOptions().end(),
                             [](const WidgetOption& o) { return o.id() == kPollOption; });
  ASSERT_NE(option, poll->widgetOptions().end());
  EXPECT_EQ(option->voteCount(), 18);

  // Another user sees the count but no vote of their own.
  harness.sdk->updateSession(std::nullopt, std::nullopt, "user-2");
  auto other = harness.stories("home");
  ASSERT_TRUE(other.ok());
  EXPECT_FALSE(findItem(other.value(), kPollItem)->userVote());
}

TEST(SdkOverLoopback, ServiceEventsAreSentOncePerSessionWhileAnalyticsGetEveryReport) {
  LoopbackHarness harness;
  harness.configure();
  ASSERT_TRUE(harness.stories("home").ok());  // the SDK learns the groups' placement

  auto open = StorySDKEvent::storyOpen(kWelcomeGroup);
  harness.sdk->services().events.report(open, "home");
  harness.sdk->services().events.report(open, "home");
  ASSERT_TRUE(harness.waitFor([&] { return countOf(harness.service.analytics(), "STORY_GROUP_OPENED") == 2; }));
  ASSERT_TRUE(harness.waitFor([&] { return countOf(harness.service.events(), "STORY_OPEN") == 1; }));
  harness.loop->runFor(std::chrono::milliseconds(150));
  EXPECT_EQ(countOf(harness.service.events(), "STORY_OPEN"), 1u);

  harness.configure();  // a new session makes the event sendable again
  harness.sdk->services().events.report(open, "home");
  EXPECT_TRUE(harness.waitFor([&] { return countOf(harness.service.events(), "STORY_OPEN") == 2; }));

  const auto events = harness.service.events();
  const auto& body = events.front();
  EXPECT_EQ(body["appKey"], "demo-app");
  EXPECT_EQ(body["placementKey"], "home");
  EXPECT_EQ(body["storyGroupId"], kWelcomeGroup);
  EXPECT_FALSE(body.contains("bannerId"));
  EXPECT_NE(events[0]["sessionId"], events[1]["sessionId"]);
}

TEST(SdkOverLoopback, BannersFallBackToTheLastGoodAnswerWhenTheServiceGoesDown) {
  LoopbackHarness harness;
  harness.configure();
  auto first = harness.banners("home_banner");
  ASSERT_TRUE(first.ok()) << errorDescription(first.error());
  ASSERT_EQ(first.value().size(), 2u);
  EXPECT_EQ(first.value()[0].id(), "4611686018427387905");

  harness.service.setUnavailable(true);
  auto cached = harness.banners("home_banner");
  ASSERT_TRUE(cached.ok());
  EXPECT_EQ(cached.value(), first.value());

  // The cache is per identity: another user has no last good answer.
  harness.sdk->updateSession(std::nullopt, std::nullopt, "user-2");
  auto other = harness.banners("home_banner");
  ASSERT_FALSE(other.ok());
  EXPECT_EQ(std::get<StoryAPIError>(other.error()), StoryAPIError::httpStatus(503));
}

// The service's key, next to the certificate, for the TLS listener.
std::filesystem::path writePrivateKey(const SelfSignedCertificate& certificate) {
  auto path = std::filesystem::temp_directory_path() / ("orvane-key-" + std::to_string(::getpid()) + ".pem");
  std::FILE* file = std::fopen(path.c_str(), "w");
  EXPECT_NE(file, nullptr);
  if (file != nullptr) {
    PEM_write_PrivateKey(file, certificate.key(), nullptr, nullptr, 0, nullptr, nullptr);
    std::fclose(file);
  }
  return path;
}

TEST(SdkOverLoopback, HttpsWithAnAuthorityMadeAtTestTime) {
  SelfSignedCertificate certificate("IP:127.0.0.1");
  auto keyPath = writePrivateKey(certificate);
  service::LocalContentServiceOptions serviceOptions;
  serviceOptions.certificatePath = certificate.pemPath();
  serviceOptions.privateKeyPath = keyPath;

  {
    CurlHttpSession::Options trusting;
    trusting.caBundlePath = certificate.pemPath();
    LoopbackHarness harness(serviceOptions, trusting);
    ASSERT_EQ(harness.service.origin().rfind("https://", 0), 0u);
    harness.configure();
    auto result = harness.stories("home");
    ASSERT_TRUE(result.ok()) << errorDescription(result.error());
    EXPECT_EQ(result.value().size(), 4u);
  }
  {
    LoopbackHarness untrusting(serviceOptions);  // system store only: the test authority is unknown
    untrusting.configure();
    auto result = untrusting.stories("home");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(std::get<TransportError>(result.error()).code, TransportError::Code::tls);
  }
  std::filesystem::remove(keyPath);
}

}  // namespace
}  // namespace orvane::testing
