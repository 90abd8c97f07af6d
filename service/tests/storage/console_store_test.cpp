// The console's users, sessions, audit log, placement removal and day counts on both engines.
#include <gtest/gtest.h>

#include "storage/console_store.h"
#include "storage/migrations.h"
#include "storage_test.h"

namespace orvane::service::storage {
namespace {

using namespace std::chrono_literals;

class ConsoleStoreTest : public StoreTest {
 protected:
  ConsoleStore& console() { return *store->console(); }
  const TimePoint t0 = fromMillis(1'765'000'000'000);
};

TEST_P(ConsoleStoreTest, UsersKeepAtLeastOneOwnerAndTheirSessionsEndWithThem) {
  ASSERT_TRUE(console().createUser("alice", Role::owner, "hash-a", t0));
  EXPECT_FALSE(console().createUser("alice", Role::viewer, "hash-b", t0)) << "names are unique";
  const auto bob = console().createUser("bob", Role::editor, "hash-b", t0);
  ASSERT_TRUE(bob);
  EXPECT_EQ(console().userNamed("bob")->passwordHash, "hash-b");

  EXPECT_EQ(console().updateUser("alice", Role::viewer, std::nullopt), UserChange::lastOwner);
  EXPECT_EQ(console().removeUser("alice"), UserChange::lastOwner);
  EXPECT_EQ(console().updateUser("nobody", Role::viewer, std::nullopt), UserChange::noSuchUser);
  EXPECT_EQ(console().updateUser("bob", Role::owner, std::string("hash-c")), UserChange::done);
  EXPECT_EQ(console().userNamed("bob")->role, Role::owner);
  EXPECT_EQ(console().userNamed("bob")->passwordHash, "hash-c");
  EXPECT_EQ(console().updateUser("alice", Role::viewer, std::nullopt), UserChange::done) << "bob owns it now";

  console().addSession("s1", bob->id, t0, t0 + 1h);
  console().addSession("s2", bob->id, t0, t0 + 2h);
  ASSERT_TRUE(console().session("s1", t0 + 59min));
  EXPECT_EQ(console().session("s1", t0 + 59min)->user.name, "bob");
  EXPECT_FALSE(console().session("s1", t0 + 1h)) << "expired";
  console().addSession("s3", bob->id, t0 + 3h, t0 + 4h);
  EXPECT_EQ(countRows("FROM console_sessions"), 1) << "expired sessions are swept";
  console().addSession("s4", bob->id, t0 + 3h, t0 + 4h);
  console().removeSessionsOf(bob->id, "s4");
  EXPECT_FALSE(console().session("s3", t0 + 3h));
  EXPECT_TRUE(console().session("s4", t0 + 3h));
  EXPECT_EQ(console().removeUser("alice"), UserChange::done);
  EXPECT_EQ(console().removeUser("bob"), UserChange::lastOwner);
  console().removeSession("s4");
  EXPECT_FALSE(console().session("s4", t0 + 3h));
}

TEST_P(ConsoleStoreTest, TheAuditLogPagesNewestFirst) {
  for (int i = 1; i <= 5; ++i)
    console().appendAudit({0, t0 + std::chrono::seconds(i), "alice", "app.create", "app" + std::to_string(i), "{}", "::1"});
  const auto first = console().audit(std::nullopt, 2);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].target, "app5");
  EXPECT_EQ(first[0].at, t0 + 5s);
  const auto next = console().audit(first[1].id, 10);
  ASSERT_EQ(next.size(), 3u);
  EXPECT_EQ(next[0].target, "app3");
  EXPECT_EQ(next[2].target, "app1");
}

TEST_P(ConsoleStoreTest, DeletingAPlacementKeepsItsVotesAndEventsForTheFigures) {
  const App app = store->createApp("demo-app", "Demo");
  store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("v1"));
  store->publish(app.id, "home", ContentKind::stories);
  ASSERT_EQ(store->recordVote(app.id, pollItem, optionA, "u1", t0 + 1h).result, VoteOutcome::Result::counted);
  StoredEvent opened;
  opened.appId = app.id;
  opened.receivedAt = t0 + 30h;
  opened.eventType = "STORY_OPEN";
  opened.placementKey = "home";
  opened.groupId = "g";
  opened.body = "{}";
  store->appendEvents({opened, opened});
  opened.receivedAt = t0 + 60h;  // after the period
  store->appendEvents({opened});

  const auto revision = store->contentRevision();
  EXPECT_TRUE(console().deletePlacement(app.id, "home", ContentKind::stories));
  EXPECT_FALSE(console().deletePlacement(app.id, "home", ContentKind::stories));
  EXPECT_GT(store->contentRevision(), revision) << "caches learn of it";
  EXPECT_FALSE(store->placement(app.id, "home", ContentKind::stories, Environment::staging));

  const DayCounts counts = console().dayCounts(app.id, {t0, t0 + 24h, t0 + 48h});
  ASSERT_EQ(counts.events.size(), 1u);
  EXPECT_EQ(counts.events[0].day, 1u);
  EXPECT_EQ(counts.events[0].count, 2);
  EXPECT_EQ(counts.events[0].eventType, "STORY_OPEN");
  ASSERT_EQ(counts.votes.size(), 1u);
  EXPECT_EQ(counts.votes[0].day, 0u);
  EXPECT_EQ(counts.votes[0].placement, "") << "its placement is gone";
  EXPECT_EQ(counts.votes[0].option, optionA);
}

INSTANTIATE_TEST_SUITE_P(Engines, ConsoleStoreTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::storage
