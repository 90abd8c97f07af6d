#include <orvane/core/seen_story_groups.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include <orvane/platform/system_platform.h>
#include <orvane/stories/story_viewer_view_model.h>
#include "stories/story_fixtures.h"

namespace orvane {
namespace {

using testing::plainGroup;
using testing::uuid;

TEST(SeenStoryGroupsTest, KeepsTheMostRecentFiveHundredAcrossInstancesOverOneStore) {
  MemoryStore store;
  {
    SeenStoryGroups seen(store);
    for (int index = 0; index < 502; ++index) seen.markSeen("group-" + std::to_string(index));
    // Seeing an old one again makes it the most recent.
    seen.markSeen("group-10");
  }

  SeenStoryGroups restored(store);
  ASSERT_EQ(restored.groupIds().size(), SeenStoryGroups::capacity);
  EXPECT_EQ(restored.groupIds().front(), "group-2");
  EXPECT_EQ(restored.groupIds().back(), "group-10");
  EXPECT_FALSE(restored.contains("group-1"));
  EXPECT_TRUE(restored.contains("group-501"));
}

TEST(SeenStoryGroupsTest, UnreadableStoredValuesCountAsNothingSeen) {
  for (const std::string stored : {"not json", "{\"a\": 1}", "[1, null, \"\"]"}) {
    MemoryStore store;
    store.set(SeenStoryGroups::storageKey, stored);
    SeenStoryGroups seen(store);
    EXPECT_TRUE(seen.groupIds().empty()) << stored;
    seen.markSeen("g");
    EXPECT_EQ(SeenStoryGroups(store).groupIds(), std::vector<std::string>{"g"}) << stored;
  }
  // Oldest first: of a group listed twice, its later place is when it was last seen.
  MemoryStore store;
  store.set(SeenStoryGroups::storageKey, R"(["a", 7, "b", "a"])");
  EXPECT_EQ(SeenStoryGroups(store).groupIds(), (std::vector<std::string>{"b", "a"}));
}

TEST(SeenStoryGroupsTest, AHugeTamperedListKeepsItsMostRecentDistinctGroups) {
  // 60,000 entries: 59,000 distinct, then the last thousand repeating 100 of them ten times.
  nlohmann::json stored = nlohmann::json::array();
  for (int index = 0; index < 59000; ++index) stored.push_back("group-" + std::to_string(index));
  for (int round = 0; round < 10; ++round) {
    for (int index = 0; index < 100; ++index) stored.push_back("group-" + std::to_string(index));
  }
  MemoryStore store;
  store.set(SeenStoryGroups::storageKey, stored.dump());

  SeenStoryGroups seen(store);
  const auto& ids = seen.groupIds();
  ASSERT_EQ(ids.size(), SeenStoryGroups::capacity);
  EXPECT_EQ(ids.front(), "group-58600");
  EXPECT_EQ(ids[399], "group-58999");
  EXPECT_EQ(ids[400], "group-0");
  EXPECT_EQ(ids.back(), "group-99");
  EXPECT_TRUE(seen.contains("group-58600"));
  EXPECT_FALSE(seen.contains("group-58599"));
}

using SeenByTheViewerTest = testing::StoryModelTest;

TEST_F(SeenByTheViewerTest, AGroupIsSeenOnceItsLastPageIsReached) {
  auto viewer = startedViewer({plainGroup(1, 2), plainGroup(2, 1), plainGroup(3, 2)});
  auto& seen = sdk.seenStoryGroups();
  EXPECT_FALSE(seen.contains(uuid(1)));
  viewer->goToNext();
  EXPECT_TRUE(seen.contains(uuid(1)));

  // A one-page group is seen on arrival; a group skipped past is not.
  viewer->goToNext();
  EXPECT_TRUE(seen.contains(uuid(2)));
  viewer->goToNextGroup();
  viewer->goToPreviousGroup();
  viewer->goToNextGroup();
  EXPECT_FALSE(seen.contains(uuid(3)));
  EXPECT_EQ(seen.groupIds(), (std::vector<std::string>{uuid(1), uuid(2)}));
}

}  // namespace
}  // namespace orvane
