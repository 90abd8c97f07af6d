#include <gtest/gtest.h>

#include <thread>

#include "storage/event_partitions.h"
#include "storage/migrations.h"
#include "storage/sdk_key_hash.h"
#include "storage_test.h"

namespace orvane::service::storage {
namespace {

using MigrationTest = StoreTest;

TEST_P(MigrationTest, KeepsWhatWasStoredAcrossRestarts) {
  const App app = store->createApp("demo-app", "Demo");
  store->addSdkKey(app.id, "demo-sdk-key-0123456789", "default");
  store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("first"));
  store->publish(app.id, "home", ContentKind::stories);
  store->recordVote(app.id, pollItem, optionB, "user-1", std::chrono::system_clock::now());
  store.reset();

  store = Store::open(databaseUrl());
  EXPECT_EQ(store->appForSdkKey("demo-sdk-key-0123456789")->id, app.id);
  EXPECT_EQ(store->placement(app.id, "home", ContentKind::stories, Environment::production)->document,
            storiesDocument("first"));
  EXPECT_EQ(store->optionCounts(app.id, {optionB}).at(optionB), 1);
  EXPECT_EQ(storedSchemaVersion(*rawConnection()), currentSchemaVersion());
  EXPECT_EQ(countRows("FROM schema_migrations"), currentSchemaVersion());
}

TEST_P(MigrationTest, RefusesADatabaseWrittenByANewerVersion) {
  const int newer = currentSchemaVersion() + 5;
  store.reset();
  rawConnection()->run(
      "INSERT INTO schema_migrations (version, description, applied_at) VALUES (?, 'later', 0)",
      {std::int64_t{newer}});
  try {
    Store::open(databaseUrl());
    FAIL() << "a newer database was opened";
  } catch (const StoreError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("version " + std::to_string(newer)), std::string::npos) << message;
    EXPECT_NE(message.find("version " + std::to_string(currentSchemaVersion())), std::string::npos)
        << message;
  }
  EXPECT_EQ(storedSchemaVersion(*rawConnection()), newer);
}

INSTANTIATE_TEST_SUITE_P(Engines, MigrationTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

// A database as the first release left it, written with that release's schema and nothing newer.
class OlderSchemaTest : public test_support::StoreEngineTest {
 protected:
  std::unique_ptr<SqlConnection> connection() const {
    const std::string& url = databaseUrl();
    return url.starts_with("sqlite:") ? connectSqlite(url.substr(7)) : connectPostgres(url);
  }
};

TEST_P(OlderSchemaTest, VersionOneDatabaseIsMigratedWithItsData) {
  {
    auto v1 = connection();
    migrateSchema(*v1, 1);
    v1->run("INSERT INTO apps (id, app_key, name, created_at) VALUES (7, 'demo-app', 'Demo', 0)");
    v1->run(
        "INSERT INTO sdk_keys (app_id, key_hash, label, prefix, created_at) VALUES (7, ?, 'old', 'dem', 0)",
        {hashSdkKey("demo-sdk-key-0123456789")});
    v1->run(
        "INSERT INTO placements (id, app_id, placement_key, kind, revision, published_version) "
        "VALUES (3, 7, 'home', 'stories', 1, 1)");
    v1->run(
        "INSERT INTO placement_versions (placement_id, version, document, published_at) VALUES (3, 1, ?, 0)",
        {storiesDocument("published in v1").dump()});
    for (const char* option : {optionA, optionB, optionC}) {
      v1->run("INSERT INTO vote_options (app_id, item_id, option_id, vote_count) VALUES (7, ?, ?, ?)",
              {pollItem, option, std::int64_t{option == optionA ? 1 : 0}});
    }
    v1->run(
        "INSERT INTO votes (app_id, item_id, user_id, option_id, voted_at) VALUES (7, ?, 'user-1', ?, "
        "86400000)",
        {pollItem, optionA});
  }

  auto store = Store::open(databaseUrl());
  EXPECT_EQ(storedSchemaVersion(*connection()), currentSchemaVersion());
  ASSERT_TRUE(store->appForSdkKey("demo-sdk-key-0123456789"));
  EXPECT_EQ(store->placement(7, "home", ContentKind::stories, Environment::production)->document,
            storiesDocument("published in v1"));
  EXPECT_EQ(store->userVotes(7, "user-1", {pollItem}).at(pollItem).optionId, optionA);
  EXPECT_EQ(store->optionCounts(7, {optionA}).at(optionA), 1);

  // What the second version added: the vote is reported under the placement and group it was cast in.
  const auto counts = store->reportCounts(TimePoint(), std::chrono::system_clock::now());
  ASSERT_EQ(counts.size(), 1u);
  EXPECT_EQ(counts[0].placement, "home");
  EXPECT_EQ(counts[0].group, "cccccccc-0000-4000-8000-000000000001");
  EXPECT_EQ(counts[0].option, optionA);
  EXPECT_EQ(counts[0].day, std::chrono::sys_days(std::chrono::days(1)));

  // A vote after the upgrade lands on the migrated count.
  EXPECT_EQ(store->recordVote(7, pollItem, optionA, "user-2", std::chrono::system_clock::now()).optionCount,
            2);
}

TEST_P(OlderSchemaTest, EventsOfAVersionTwoDatabaseAreKeptWhenTheyMoveIntoDayPartitions) {
  const std::int64_t day = 86'400'000, march1 = 20'513 * day;  // 2026-03-01
  {
    auto v2 = connection();
    migrateSchema(*v2, 2);
    v2->run("INSERT INTO apps (id, app_key, name, created_at) VALUES (7, 'demo-app', 'Demo', 0)");
    const std::int64_t times[] = {march1 + 5, march1 + day - 1, march1 + day, march1 + 9 * day + 3};
    for (std::int64_t id = 1; id <= 4; ++id) {
      v2->run(
          "INSERT INTO events (id, app_id, channel, received_at, occurred_at, event_type, placement_key, "
          "group_id, "
          "item_id, banner_id, banner_item_id, session_id, body) "
          "VALUES (?, 7, 0, ?, NULL, 'STORY_OPEN', 'home', 'g', '', '', '', 's', ?)",
          {id, times[id - 1], "event " + std::to_string(id)});
    }
  }

  auto store = Store::open(databaseUrl());
  StoredEvent later;
  later.appId = 7;
  later.receivedAt = fromMillis(march1 + 9 * day + 4);
  later.eventType = "STORY_OPEN";
  later.placementKey = "home";
  later.groupId = "g";
  later.body = "event 5";
  store->appendEvents({later});

  const auto events = store->events(7, EventChannel::service, 100);
  ASSERT_EQ(events.size(), 5u);
  for (std::size_t i = 0; i < events.size(); ++i) EXPECT_EQ(events[i].body, "event " + std::to_string(i + 1));
  std::map<std::int64_t, std::int64_t> opensByDay;
  for (const auto& count : store->reportCounts(TimePoint(), std::chrono::system_clock::now()))
    opensByDay[count.day.time_since_epoch().count()] += count.count;
  EXPECT_EQ(opensByDay, (std::map<std::int64_t, std::int64_t>{{20'513, 2}, {20'514, 1}, {20'522, 2}}));
  if (GetParam() == test_support::StoreEngine::postgresql) {
    const std::chrono::sys_days march(std::chrono::days(20'513));
    EXPECT_EQ(eventPartitionDays(*connection()),
              (std::vector<std::chrono::sys_days>{march, march + std::chrono::days(1),
                                                  march + std::chrono::days(9)}));
  }
}

TEST_P(OlderSchemaTest, InstancesStartingTogetherOnAnOlderDatabaseMigrateItOnce) {
  {
    auto previous = connection();
    migrateSchema(*previous, currentSchemaVersion() - 1);
    previous->run("INSERT INTO apps (id, app_key, name, created_at) VALUES (7, 'demo-app', 'Demo', 0)");
  }
  constexpr int instances = 6;
  std::vector<std::unique_ptr<Store>> stores(instances);
  std::vector<std::string> failures(instances);
  std::vector<std::thread> starting;
  for (int i = 0; i < instances; ++i) {
    starting.emplace_back([&, i] {
      try {
        stores[i] = Store::open(databaseUrl());
      } catch (const std::exception& error) {
        failures[i] = error.what();
      }
    });
  }
  for (auto& thread : starting) thread.join();
  for (int i = 0; i < instances; ++i) {
    EXPECT_TRUE(stores[i]) << "instance " << i << ": " << failures[i];
    if (stores[i]) {
      EXPECT_EQ(stores[i]->appByKey("demo-app")->id, 7);
    }
  }
  auto after = connection();
  EXPECT_EQ(storedSchemaVersion(*after), currentSchemaVersion());
  EXPECT_EQ(after
                ->run("SELECT COUNT(*) FROM schema_migrations WHERE version = ?",
                      {std::int64_t{currentSchemaVersion()}})
                .integer(0, 0),
            1);
  EXPECT_EQ(after->run("SELECT COUNT(*) FROM schema_migrations").integer(0, 0), currentSchemaVersion());
}

INSTANTIATE_TEST_SUITE_P(Engines, OlderSchemaTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::storage
