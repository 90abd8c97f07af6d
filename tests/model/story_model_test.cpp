#include <gtest/gtest.h>

#include <cmath>

#include "model/story.h"

namespace orvane {
namespace {

StoryItem page(std::string id, double duration) {
  return StoryItem(std::move(id), "Title", std::nullopt, StoryMediaType::image,
                   Url::parse("https://cdn.example.com/1.jpg"), duration, std::nullopt, std::nullopt,
                   WidgetType::none, std::nullopt, std::nullopt, {}, std::nullopt);
}

StoryGroup groupFromContent(std::vector<StoryItem> items) {
  auto theme = StoryTheme::fromServiceStrings("SEGMENTED", "rounded", "Avenir", "#112233", "#abc", "TEXT");
  return StoryGroup("g1", "News", theme, Url::parse("https://cdn.example.com/cover.jpg"), std::move(items));
}

TEST(StoryEnumerations, RawValuesMatchExactlyAndCaseSensitively) {
  EXPECT_EQ(widgetTypeFromRawValue("SWIPE"), WidgetType::swipe);
  EXPECT_EQ(widgetTypeFromRawValue("NONE"), WidgetType::none);
  EXPECT_EQ(storyMediaTypeFromRawValue("VIDEO"), StoryMediaType::video);
  for (const char* raw : {"Image", "image", " IMAGE", "IMAGE\n", ""}) {
    EXPECT_FALSE(storyMediaTypeFromRawValue(raw)) << raw;
  }
  EXPECT_FALSE(widgetTypeFromRawValue("poll"));

  for (auto type : {WidgetType::none, WidgetType::poll, WidgetType::quiz, WidgetType::swipe}) {
    EXPECT_EQ(widgetTypeFromRawValue(rawValue(type)), type);
  }
  for (auto type : {StoryMediaType::image, StoryMediaType::video}) {
    EXPECT_EQ(storyMediaTypeFromRawValue(rawValue(type)), type);
  }
}

TEST(StoryEquality, OrderAndTheSmallestDurationStepMatter) {
  auto first = page("a", 5.0);
  auto second = page("b", 5.0);
  EXPECT_NE(groupFromContent({first, second}), groupFromContent({second, first}));
  EXPECT_NE(page("a", 5.0), page("a", std::nextafter(5.0, 6.0)));
}

TEST(StoryEquality, GroupsBuiltSeparatelyFromTheSameContentAreEqual) {
  EXPECT_EQ(groupFromContent({page("a", 5.0)}), groupFromContent({page("a", 5.0)}));
}

TEST(StoryEquality, OptionalsAndVotesCompareByPresenceAndValue) {
  WidgetOption poll("o1", "Yes", std::nullopt, 0, std::nullopt, 3);
  EXPECT_NE(poll, WidgetOption("o1", "Yes", std::nullopt, 0, false, 3));
  EXPECT_NE(poll, WidgetOption("o1", "Yes", "", 0, std::nullopt, 3));

  Date at{std::chrono::seconds{1714566600}};
  EXPECT_EQ(WidgetUserVote("o1", at), WidgetUserVote("o1", at));
  EXPECT_NE(WidgetUserVote("o1", at), WidgetUserVote("o1", at + std::chrono::milliseconds{1}));
}

}  // namespace
}  // namespace orvane
