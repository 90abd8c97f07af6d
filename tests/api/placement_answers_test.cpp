#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvane/api/placement_answers.h>
#include <orvane/api/story_api.h>
#include <orvane/core/story_sdk.h>
#include <orvane/storage/cache_folders.h>
#include "support/fake_platform.h"
#include "support/temporary_folder.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

std::string storiesBody(const std::string& title) {
  return R"({"groups": [{"id": "AAAAAAAA-0000-4000-8000-00000000000A", "title": ")" + title +
         R"(", "items": [{"id": "BBBBBBBB-0000-4000-8000-00000000000B", "type": "IMAGE",
             "media": {"mediaType": "IMAGE", "mediaUrl": "https://cdn.example.com/1.jpg"}}]}]})";
}

std::string bannersBody(int id) {
  return R"({"banners": [{"id": )" + std::to_string(id) +
         R"(, "type": "STATIC", "placementKey": "p", "viewOrder": 0,
             "items": [{"id": 1, "mediaUrl": "https://cdn.example.com/b.png", "orderIndex": 0}]}]})";
}

// One start of the app on the cache folder the runs share.
struct AppRun {
  explicit AppRun(const fs::path& cacheFolder, std::string userId = "user-7") {
    platform.cacheDirectory = cacheFolder.string();
    sdk = std::make_unique<StorySDK>(platform.platform());
    sdk->configure(StoryConfiguration("secret-sdk-key", "app-key", StoryEnvironment::production, std::nullopt,
                                      std::nullopt, std::move(userId)));
    api = std::make_unique<StoryAPI>(sdk->platform().http, sdk->session());
  }
  void answer(HttpResult result) {
    platform.http->setResponder([result = std::move(result)](const HttpRequest&) { return result; });
  }
  Result<std::vector<StoryGroup>> stories(const std::string& placement = "home") {
    std::optional<Result<std::vector<StoryGroup>>> result;
    api->fetchStories(placement, [&](Result<std::vector<StoryGroup>> r) { result.emplace(std::move(r)); });
    platform.settle();
    EXPECT_TRUE(result);
    return result ? *result : Result<std::vector<StoryGroup>>(TransportError{});
  }
  Result<std::vector<Banner>> banners(const std::string& placement) {
    std::optional<Result<std::vector<Banner>>> result;
    api->fetchBanners(placement, [&](Result<std::vector<Banner>> r) { result.emplace(std::move(r)); });
    platform.settle();
    EXPECT_TRUE(result);
    return result ? *result : Result<std::vector<Banner>>(TransportError{});
  }
  std::string title() {
    auto result = stories();
    return result.ok() && !result.value().empty() ? result.value().front().title() : "(failed)";
  }

  FakePlatform platform;
  std::unique_ptr<StorySDK> sdk;
  std::unique_ptr<StoryAPI> api;
};

struct PlacementAnswersTest : ::testing::Test {
  TemporaryFolder cache;
};

// The issue's fault: with the service unreachable the bar was empty although it showed content
// before; now the last good answer stands in, also after a restart.
TEST_F(PlacementAnswersTest, StoriesShownBeforeARestartStandInWhileTheServiceCannotBeReached) {
  {
    AppRun before(cache.path());
    before.answer(ScriptedHttpSession::ok(storiesBody("Before")));
    ASSERT_EQ(before.title(), "Before");
  }
  AppRun after(cache.path());
  after.answer(ScriptedHttpSession::failure());
  EXPECT_EQ(after.title(), "Before");
  after.answer(ScriptedHttpSession::failure(TransportError::Code::timeout));
  EXPECT_EQ(after.title(), "Before");
  after.answer(ScriptedHttpSession::status(503));
  EXPECT_EQ(after.title(), "Before");

  // The service answering something unwanted is no outage: its answer stands.
  after.answer(ScriptedHttpSession::status(404));
  EXPECT_FALSE(after.stories().ok());
  after.answer(ScriptedHttpSession::ok("{\"groups\": 5}"));
  EXPECT_FALSE(after.stories().ok());
  // A placement never answered has nothing to stand in.
  after.answer(ScriptedHttpSession::failure());
  EXPECT_FALSE(after.stories("elsewhere").ok());
}

TEST_F(PlacementAnswersTest, AFreshAnswerReplacesTheKeptOneAtOnce) {
  AppRun run(cache.path());
  run.answer(ScriptedHttpSession::ok(storiesBody("First")));
  ASSERT_EQ(run.title(), "First");
  run.answer(ScriptedHttpSession::failure());
  EXPECT_EQ(run.title(), "First");
  run.answer(ScriptedHttpSession::ok(storiesBody("Second")));
  EXPECT_EQ(run.title(), "Second");
  run.answer(ScriptedHttpSession::failure());
  EXPECT_EQ(run.title(), "Second");
  // An empty placement is an answer too: nothing stands in for it later.
  run.answer(ScriptedHttpSession::ok("{\"groups\": []}"));
  ASSERT_TRUE(run.stories().ok());
  run.answer(ScriptedHttpSession::failure());
  ASSERT_TRUE(run.stories().ok());
  EXPECT_TRUE(run.stories().value().empty());
}

TEST_F(PlacementAnswersTest, KeptAnswersBelongToTheirUserAndLocaleAndNameNeitherOnDisk) {
  {
    AppRun mine(cache.path(), "user-7");
    mine.answer(ScriptedHttpSession::ok(storiesBody("Mine")));
    ASSERT_EQ(mine.title(), "Mine");
  }
  AppRun someoneElse(cache.path(), "user-8");
  someoneElse.answer(ScriptedHttpSession::failure());
  EXPECT_FALSE(someoneElse.stories().ok());

  AppRun inGerman(cache.path(), "user-7");
  inGerman.platform.locale->set("de_DE", "DE");
  inGerman.answer(ScriptedHttpSession::failure());
  EXPECT_FALSE(inGerman.stories().ok());

  for (const auto& file : fs::recursive_directory_iterator(cache.path())) {
    const auto name = file.path().string();
    EXPECT_EQ(name.find("user-7"), std::string::npos) << name;
    EXPECT_EQ(name.find("secret-sdk-key"), std::string::npos) << name;
    if (!file.is_regular_file()) continue;
    std::ifstream in(file.path(), std::ios::binary);
    const std::string contents{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(contents.find("user-7"), std::string::npos) << name;
    EXPECT_EQ(contents.find("secret-sdk-key"), std::string::npos) << name;
  }
}

// What is read back from disk is decoded and mapped like any answer from the network: bytes that
// no longer make an answer are dropped, and the failure is reported as it was.
TEST_F(PlacementAnswersTest, AKeptAnswerThatDoesNotDecodeIsDroppedNotShown) {
  AppRun run(cache.path());
  const auto key = placementAnswerKey(run.sdk->session(), *run.sdk->configuration(), "home", "stories");
  const PlacementAnswers answers(answerDiskCache(run.sdk->platform()));
  const std::vector<std::string> hostileAnswers = {"{\"groups\": [{\"id\": \"not-a-uuid\", \"items\": []}]}",
                                                   "{\"groups\":", std::string("\0\xff\xfe", 3),
                                                   std::string(100'000, '[')};
  for (const auto& hostile : hostileAnswers) {
    answers.keep(key, hostile);
    run.answer(ScriptedHttpSession::failure());
    auto result = run.stories();
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(std::holds_alternative<TransportError>(result.error()));
    EXPECT_FALSE(answers.last(key));
  }
}

TEST_F(PlacementAnswersTest, BannersKeepThisProcesssAnswerOnTopOfTheKeptOne) {
  // A placement unique to this test: the in-memory fallback lives for the whole process.
  const std::string placement = "banners-on-disk-only";
  {
    AppRun before(cache.path());
    const auto key =
        placementAnswerKey(before.sdk->session(), *before.sdk->configuration(), placement, "banners");
    PlacementAnswers(answerDiskCache(before.sdk->platform())).keep(key, bannersBody(41));
  }
  AppRun after(cache.path());
  after.answer(ScriptedHttpSession::failure());
  auto offline = after.banners(placement);
  ASSERT_TRUE(offline.ok());
  ASSERT_EQ(offline.value().size(), 1u);
  EXPECT_EQ(offline.value().front().id(), "41");
  // Once shown it is this process's last answer too, standing in for any failure as before.
  after.answer(ScriptedHttpSession::status(404));
  EXPECT_EQ(after.banners(placement).value().front().id(), "41");

  after.answer(ScriptedHttpSession::ok(bannersBody(42)));
  ASSERT_TRUE(after.banners(placement).ok());
  after.answer(ScriptedHttpSession::status(404));
  EXPECT_EQ(after.banners(placement).value().front().id(), "42");
  after.answer(ScriptedHttpSession::failure());
  EXPECT_EQ(after.banners(placement).value().front().id(), "42");
  AppRun restarted(cache.path());
  restarted.answer(ScriptedHttpSession::failure());
  EXPECT_EQ(restarted.banners(placement).value().front().id(), "42");
}

TEST_F(PlacementAnswersTest, TheHostsMediaBoundReachesTheCacheFolder) {
  AppRun run(cache.path());
  auto configuration = *run.sdk->configuration();
  EXPECT_EQ(mediaDiskCache(run.sdk->platform())->maxBytes(), std::uint64_t{256} << 20);
  configuration.setMediaCacheBytes(std::uint64_t{8} << 20);
  run.sdk->configure(configuration);
  EXPECT_EQ(mediaDiskCache(run.sdk->platform())->maxBytes(), std::uint64_t{8} << 20);
}

}  // namespace
}  // namespace orvane::testing
