#include <gtest/gtest.h>

#include "app/sdk_key_cache.h"
#include "service_harness.h"

namespace orvane::service::app {
namespace {

using namespace std::chrono_literals;

struct SdkKeyCacheTest : ::testing::Test {
  testing::ScratchFolder folder;
  std::unique_ptr<storage::Store> store = storage::Store::open("sqlite:" + (folder.path() / "keys.sqlite").string());
  // Another instance of the service on the same database.
  std::unique_ptr<storage::Store> other = storage::Store::open("sqlite:" + (folder.path() / "keys.sqlite").string());
  std::chrono::steady_clock::time_point now{1h};
  SdkKeyCache keys{*store, 1s, 100, [this] { return now; }};
};

TEST_F(SdkKeyCacheTest, OneCallerAsksAgainWhenAKeyIsOldWhileTheOthersAreServedWhatIsKnown) {
  const auto app = store->createApp("news", "News");
  const auto key = store->addSdkKey(app.id, "live-key", "phones");
  EXPECT_FALSE(keys.knownApp("live-key")) << "never asked for: the store has to be asked";
  ASSERT_TRUE(keys.appFor("live-key"));
  EXPECT_EQ(keys.knownApp("live-key")->id, app.id);

  now += 1s;
  EXPECT_FALSE(keys.knownApp("live-key")) << "the first caller after its lifetime goes to ask again";
  EXPECT_EQ(keys.knownApp("live-key")->id, app.id) << "the others are served meanwhile";
  ASSERT_TRUE(keys.appFor("live-key"));
  EXPECT_EQ(keys.knownApp("live-key")->id, app.id);

  // Revoked by another instance: gone once asked again; the answer is never kept.
  ASSERT_TRUE(other->revokeSdkKey(app.id, key.id));
  now += 1s;
  EXPECT_FALSE(keys.knownApp("live-key"));
  EXPECT_EQ(keys.knownApp("live-key")->id, app.id);
  EXPECT_FALSE(keys.appFor("live-key"));
  EXPECT_FALSE(keys.knownApp("live-key"));
  EXPECT_FALSE(keys.knownApp("live-key"));
}

TEST_F(SdkKeyCacheTest, AKeyNobodyAsksAgainForIsServedOneMoreLifetimeAtMost) {
  const auto app = store->createApp("news", "News");
  store->addSdkKey(app.id, "live-key", "phones");
  ASSERT_TRUE(keys.appFor("live-key"));
  now += 1s;
  EXPECT_FALSE(keys.knownApp("live-key"));
  now += 999ms;
  EXPECT_TRUE(keys.knownApp("live-key"));
  now += 1ms;
  EXPECT_FALSE(keys.knownApp("live-key"));
  EXPECT_FALSE(keys.knownApp("live-key"));

  keys.clear();
  EXPECT_FALSE(keys.knownApp("live-key"));
}

}  // namespace
}  // namespace orvane::service::app
