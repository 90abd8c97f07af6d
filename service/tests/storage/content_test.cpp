#include <gtest/gtest.h>

#include "storage_test.h"

namespace orvane::service::storage {
namespace {

using ContentTest = StoreTest;

std::string titleOf(const std::optional<PlacementContent>& content) {
  return content ? content->document["groups"][0]["title"].get<std::string>() : "(none)";
}

TEST_P(ContentTest, DraftsAreStagingOnlyUntilPublishedAndRollbackStepsBack) {
  const App app = store->createApp("demo-app", "Demo");
  auto seen = [&](Environment environment) {
    return titleOf(store->placement(app.id, "home", ContentKind::stories, environment));
  };
  std::vector<std::int64_t> revisions{store->contentRevision()};
  auto changed = [&] {
    revisions.push_back(store->contentRevision());
    return revisions.back() > revisions[revisions.size() - 2];
  };
  EXPECT_FALSE(store->hasContent());

  store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("one"));
  EXPECT_TRUE(changed());
  EXPECT_TRUE(store->hasContent());
  EXPECT_EQ(seen(Environment::staging), "one");
  EXPECT_EQ(seen(Environment::production), "(none)");

  EXPECT_EQ(store->publish(app.id, "home", ContentKind::stories), 1);
  EXPECT_TRUE(changed());
  EXPECT_EQ(seen(Environment::production), "one");
  EXPECT_EQ(seen(Environment::staging), "one");
  EXPECT_EQ(store->publish(app.id, "home", ContentKind::stories), std::nullopt);  // no draft left

  store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("two"));
  EXPECT_TRUE(changed());
  EXPECT_EQ(seen(Environment::staging), "two");
  EXPECT_EQ(seen(Environment::production), "one");
  auto summary = store->placements(app.id);
  ASSERT_EQ(summary.size(), 1u);
  EXPECT_TRUE(summary[0].hasDraft);
  EXPECT_EQ(summary[0].publishedVersion, 1);

  EXPECT_EQ(store->publish(app.id, "home", ContentKind::stories), 2);
  EXPECT_EQ(seen(Environment::production), "two");
  EXPECT_EQ(store->rollback(app.id, "home", ContentKind::stories), 1);
  EXPECT_TRUE(changed());
  EXPECT_EQ(seen(Environment::production), "one");
  EXPECT_EQ(store->rollback(app.id, "home", ContentKind::stories), std::nullopt);
  EXPECT_EQ(seen(Environment::production), "one");
  summary = store->placements(app.id);
  EXPECT_FALSE(summary[0].hasDraft);
  EXPECT_EQ(summary[0].publishedVersion, 1);

  // Publishing after a rollback adds a version; history is never rewritten.
  store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("three"));
  EXPECT_EQ(store->publish(app.id, "home", ContentKind::stories), 3);
  EXPECT_EQ(store->rollback(app.id, "home", ContentKind::stories), 2);
  EXPECT_EQ(seen(Environment::production), "two");
}

TEST_P(ContentTest, PlacementsAreSeparatedByAppAndKind) {
  const App app = store->createApp("demo-app", "Demo");
  const App other = store->createApp("other-app", "Other");
  const nlohmann::json banners = {{"banners", nlohmann::json::array()}};
  store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("stories"));
  store->saveDraft(app.id, "home", ContentKind::banners, banners);
  store->publish(app.id, "home", ContentKind::banners);

  EXPECT_EQ(store->placement(app.id, "home", ContentKind::banners, Environment::production)->document,
            banners);
  EXPECT_FALSE(store->placement(app.id, "home", ContentKind::stories, Environment::production));
  EXPECT_FALSE(store->placement(other.id, "home", ContentKind::banners, Environment::staging));
  EXPECT_FALSE(store->placement(app.id, "away", ContentKind::stories, Environment::staging));
  EXPECT_EQ(store->placements(app.id).size(), 2u);
  EXPECT_TRUE(store->placements(other.id).empty());
  EXPECT_THROW(store->saveDraft(other.id + 100, "home", ContentKind::stories, banners), StoreError);
}

TEST_P(ContentTest, RequestTextsNeverBecomeSql) {
  const App app = store->createApp("demo-app", "Demo");
  const std::string hostile = "home'); DROP TABLE apps; -- ? $1 \"";
  store->saveDraft(app.id, hostile, ContentKind::stories, storiesDocument(hostile));
  EXPECT_EQ(titleOf(store->placement(app.id, hostile, ContentKind::stories, Environment::staging)), hostile);
  EXPECT_EQ(store->placements(app.id)[0].key, hostile);
  EXPECT_EQ(store->apps().size(), 1u);
  EXPECT_FALSE(store->appByKey("x' OR '1'='1"));
}

TEST_P(ContentTest, MediaRecordsRoundTrip) {
  const MediaRecord video{
      std::string(64, 'a'), "video/mp4", 123456, 12.5,
      std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now())};
  store->addMedia(video);
  store->addMedia(video);  // the same bytes uploaded twice are one record
  const auto found = store->media(video.sha256);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->contentType, "video/mp4");
  EXPECT_EQ(found->size, 123456u);
  EXPECT_EQ(found->durationSeconds, 12.5);
  EXPECT_EQ(found->createdAt, video.createdAt);
  EXPECT_FALSE(store->media(std::string(64, 'b')));
}

INSTANTIATE_TEST_SUITE_P(Engines, ContentTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::storage
