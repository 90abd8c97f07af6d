#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "storage_test.h"

namespace orvane::service::storage {
namespace {

using BackupTest = StoreTest;

TEST_P(BackupTest, CopyTakenWhileWritingHoldsWholeBatches) {
  const App app = store->createApp("demo-app", "Demo");
  const auto file =
      test_support::scratchFolder() / ("backup-" + std::to_string(app.id) + "-" +
                                       std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".db");
  if (GetParam() == test_support::StoreEngine::postgresql) {
    try {
      store->backupTo(file);
      FAIL() << "PostgreSQL made a backup";
    } catch (const StoreError& error) {
      EXPECT_NE(std::string(error.what()).find("pg_dump"), std::string::npos) << error.what();
    }
    return;
  }

  std::atomic<int> batches{0};
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    while (!stop) {
      std::vector<StoredEvent> batch(10);
      for (auto& event : batch) {
        event.appId = app.id;
        event.eventType = "STORY_OPEN";
        event.receivedAt = std::chrono::system_clock::now();
      }
      store->appendEvents(batch);
      ++batches;
    }
  });
  while (batches < 20) std::this_thread::yield();
  store->backupTo(file);
  const int writtenBefore = batches;
  while (batches < writtenBefore + 5) std::this_thread::yield();  // writes went on after the copy
  stop = true;
  writer.join();

  auto copy = Store::open("sqlite:" + file.string());
  const auto events = copy->events(app.id, EventChannel::service, 1'000'000);
  EXPECT_GE(events.size(), 200u);
  EXPECT_EQ(events.size() % 10, 0u);
  EXPECT_EQ(copy->appByKey("demo-app")->id, app.id);
  EXPECT_THROW(store->backupTo(databaseUrl().substr(7)), StoreError);
  EXPECT_EQ(store->events(app.id, EventChannel::service, 1'000'000).size(),
            static_cast<std::size_t>(batches) * 10);
}

INSTANTIATE_TEST_SUITE_P(Engines, BackupTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::storage
