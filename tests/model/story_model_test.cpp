#include <gtest/gtest.h>

#include <cmath>

#include <orvane/model/story.h>

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

TEST(StoryEnumerations, RawValuesMatchExactlyWithoutTrimming) {
  for (const char* raw : {"Image", "image", " IMAGE", "IMAGE\n", ""}) {
    EXPECT_FALSE(storyMediaTypeFromRawValue(raw)) << raw;
  }
  for (auto type : {WidgetType::none, WidgetType::poll, WidgetType::quiz, WidgetType::swipe}) {
    EXPECT_EQ(widgetTypeFromRawValue(rawValue(type)), type);
  }
  for (auto type : {StoryMediaType::image, StoryMediaType::video}) {
    EXPECT_EQ(storyMediaTypeFromRawValue(rawValue(type)), type);
  }
}

// Other tests compare whole groups and pages, so equality must be exact in every field.
TEST(StoryEquality, OrderPresenceAndTheSmallestStepMatter) {
  EXPECT_EQ(groupFromContent({page("a", 5.0)}), groupFromContent({page("a", 5.0)}));
  EXPECT_NE(groupFromContent({page("a", 5.0), page("b", 5.0)}), groupFromContent({page("b", 5.0), page("a", 5.0)}));
  EXPECT_NE(page("a", 5.0), page("a", std::nextafter(5.0, 6.0)));

  WidgetOption poll("o1", "Yes", std::nullopt, 0, std::nullopt, 3);
  EXPECT_NE(poll, WidgetOption("o1", "Yes", std::nullopt, 0, false, 3));
  EXPECT_NE(poll, WidgetOption("o1", "Yes", "", 0, std::nullopt, 3));
  Date at{std::chrono::seconds{1714566600}};
  EXPECT_NE(WidgetUserVote("o1", at), WidgetUserVote("o1", at + std::chrono::milliseconds{1}));
}

}  // namespace
}  // namespace orvane
