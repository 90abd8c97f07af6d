#include <gtest/gtest.h>

#include "storage_test.h"

namespace orvane::service::storage {
namespace {

TEST(PostgresRestart, StoreFindsTheDatabaseAgainByItself) {
  auto& cluster = test_support::ThrowawayPostgres::instance();
  const auto url = test_support::freshDatabaseUrl(test_support::StoreEngine::postgresql);
  if (!url) {
    if (!cluster.binariesFound()) GTEST_SKIP() << cluster.unavailableReason();
    FAIL() << cluster.unavailableReason();
  }
  auto store = Store::open(*url);
  const App app = store->createApp("demo-app", "Demo");

  cluster.restart();

  // A request on a connection the restart cut fails with a StoreError (a 503 to its client);
  // the store reconnects by itself for the next ones.
  std::optional<App> found;
  for (int attempt = 0; attempt < 5 && !found; ++attempt) {
    try {
      found = store->appByKey("demo-app");
    } catch (const StoreError&) {
    }
  }
  ASSERT_TRUE(found);
  EXPECT_EQ(found->id, app.id);
  EXPECT_TRUE(store->reachable());
  store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("after the restart"));
  EXPECT_EQ(store->publish(app.id, "home", ContentKind::stories), 1);
}

}  // namespace
}  // namespace orvane::service::storage
