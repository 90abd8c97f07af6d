#include <orvane/api/wire/story_mapping.h>

#include <gtest/gtest.h>

#include <string>

#include <orvane/api/wire/lenient_text.h>

namespace orvane {
namespace {

constexpr const char* kGroupId = "AAAAAAAA-0000-4000-8000-00000000000A";
constexpr const char* kItemId = "BBBBBBBB-0000-4000-8000-00000000000B";
constexpr const char* kOptionA = "CCCCCCCC-0000-4000-8000-00000000000C";
constexpr const char* kOptionB = "DDDDDDDD-0000-4000-8000-00000000000D";

const Date kNow{std::chrono::seconds{1714566600}};

std::string storiesWithItem(const std::string& itemFields, const std::string& groupFields = "") {
  return std::string(R"({"groups": [{"id": ")") + kGroupId + R"(", "title": "News")" + groupFields +
         R"(, "items": [{"id": ")" + kItemId + R"(", "type": "IMAGE")" + itemFields + "}]}]}";
}

std::vector<StoryGroup> mapped(const std::string& body) {
  auto payload = decodeStoriesPayload(body);
  EXPECT_TRUE(payload.ok()) << (payload.ok() ? "" : errorDescription(payload.error()));
  return payload.ok() ? mapStoryGroups(payload.value(), kNow) : std::vector<StoryGroup>{};
}

StoryItem onlyItem(const std::string& itemFields) {
  auto groups = mapped(storiesWithItem(itemFields));
  EXPECT_EQ(groups.size(), 1u);
  return groups.at(0).items().at(0);
}

TEST(StoryMapping, MapsEveryServiceFieldOntoTheModel) {
  const std::string fields =
      std::string(R"(,
      "title": "Title", "bodyText": "Body", "ctaText": "Shop", "ctaUrl": "https://shop.example.com/a",
      "durationSeconds": 7,
      "media": {"mediaType": "IMAGE", "mediaUrl": "https://cdn.example.com/1.jpg", "durationSeconds": 30},
      "widgetType": "POLL", "widgetQuestion": "Which?", "swipeCallbackUrl": "https://example.com/swipe",
      "widgetOptions": [
        {"id": ")") +
      kOptionB +
      R"(", "text": "B", "emojiPrefix": "🅱️", "orderIndex": 2, "isCorrect": true, "voteCount": 41},
        {"id": ")" +
      kOptionA + R"(", "text": "A", "orderIndex": 1}],
      "userVote": {"optionId": ")" +
      kOptionA + R"(", "votedAt": "2024-04-30T08:00:00+02:00"})";
  const std::string theme =
      R"(, "priority": 3, "startAt": "whenever", "theme": {"id": "t", "progressStyle": " segmented ", "primaryColor": "#f80", "fontFamily": "  "})";
  // Service order, not orderIndex order; a missing count is zero; the item's duration wins over the media's.
  const StoryItem item(
      "bbbbbbbb-0000-4000-8000-00000000000b", "Title", "Body", StoryMediaType::image,
      Url::parse("https://cdn.example.com/1.jpg"), 7.0, "Shop", Url::parse("https://shop.example.com/a"),
      WidgetType::poll, "Which?", Url::parse("https://example.com/swipe"),
      {WidgetOption("dddddddd-0000-4000-8000-00000000000d", "B", "🅱️", 2, true, 41),
       WidgetOption("cccccccc-0000-4000-8000-00000000000c", "A", std::nullopt, 1, std::nullopt, 0)},
      WidgetUserVote("cccccccc-0000-4000-8000-00000000000c", *parseIso8601("2024-04-30T06:00:00Z")));
  EXPECT_EQ(
      mapped(storiesWithItem(fields, theme)),
      std::vector<StoryGroup>{StoryGroup("aaaaaaaa-0000-4000-8000-00000000000a", "News",
                                         StoryTheme::fromServiceStrings(" segmented ", std::nullopt, "  ",
                                                                        "#f80", std::nullopt, std::nullopt),
                                         Url::parse("https://cdn.example.com/1.jpg"), {item})});
}

TEST(StoryMapping, BareItemGetsDefaultsAndGroupDefaultTheme) {
  auto groups = mapped(storiesWithItem(""));
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].theme(), StoryTheme::default_());
  EXPECT_EQ(groups[0].items().at(0),
            StoryItem("bbbbbbbb-0000-4000-8000-00000000000b", std::nullopt, std::nullopt, std::nullopt,
                      std::nullopt, 5.0, std::nullopt, std::nullopt, WidgetType::none, std::nullopt,
                      std::nullopt, {}, std::nullopt));
}

TEST(StoryMapping, DurationFallsBackToTheMediaThenFiveSecondsWithoutClamping) {
  EXPECT_EQ(
      onlyItem(R"(, "media": {"mediaType": "IMAGE", "mediaUrl": "a.jpg", "durationSeconds": 12})").duration(),
      12.0);
  EXPECT_EQ(onlyItem(R"(, "media": {"mediaType": "IMAGE", "mediaUrl": "a.jpg"})").duration(), 5.0);
  EXPECT_EQ(onlyItem(R"(, "durationSeconds": 0)").duration(), 0.0);
  EXPECT_EQ(onlyItem(R"(, "durationSeconds": -3)").duration(), -3.0);
}

TEST(StoryMapping, MediaWordsFoldCaseButWidgetWordsDoNot) {
  auto video = onlyItem(R"(, "media": {"mediaType": "video", "mediaUrl": "https://cdn.example.com/v.mp4"})");
  EXPECT_EQ(video.mediaType(), StoryMediaType::video);
  auto gif = onlyItem(R"(, "media": {"mediaType": "GIF", "mediaUrl": "https://cdn.example.com/v.gif"})");
  EXPECT_EQ(gif.mediaType(), std::nullopt);
  EXPECT_TRUE(gif.mediaURL());

  EXPECT_EQ(onlyItem(R"(, "widgetType": "poll")").widgetType(), WidgetType::none);
  EXPECT_EQ(onlyItem(R"(, "widgetType": " QUIZ")").widgetType(), WidgetType::none);
  EXPECT_EQ(onlyItem(R"(, "widgetType": "SWIPE")").widgetType(), WidgetType::swipe);
}

TEST(StoryMapping, LinksAreTrimmedAndSchemeLessOnesBecomeHttps) {
  EXPECT_EQ(onlyItem(R"(, "ctaUrl": "  shop.example.com/sale?x=1 \n")").ctaURL(),
            Url::parse("https://shop.example.com/sale?x=1"));
  EXPECT_EQ(onlyItem(R"(, "ctaUrl": " \t ")").ctaURL(), std::nullopt);
  EXPECT_EQ(onlyItem(R"(, "swipeCallbackUrl": "myapp://deals/1")").swipeCallbackURL(),
            Url::parse("myapp://deals/1"));
  EXPECT_EQ(onlyItem(R"(, "ctaUrl": "not a link")").ctaURL(), std::nullopt);

  // Media addresses are taken as they stand: no trimming, no https guess.
  auto media = onlyItem(R"(, "media": {"mediaType": "IMAGE", "mediaUrl": " https://cdn.example.com/1.jpg"})");
  EXPECT_EQ(media.mediaURL(), std::nullopt);
  EXPECT_EQ(parseMediaURL("cdn.example.com/1.jpg"), Url::parse("cdn.example.com/1.jpg"));
  EXPECT_EQ(parseMediaURL(""), std::nullopt);
}

TEST(StoryMapping, EmptyGroupsAreDroppedButGroupsWithUnusableMediaStay) {
  const std::string body =
      std::string(R"({"groups": [
      {"id": ")") +
      kGroupId + R"(", "title": "Empty", "items": []},
      {"id": ")" +
      kGroupId + R"(", "title": "Broken", "items": [
        {"id": ")" +
      kItemId + R"(", "type": "VIDEO", "media": {"mediaType": "VIDEO", "mediaUrl": "bad url"}}]}]})";
  auto groups = mapped(body);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].title(), "Broken");
  EXPECT_EQ(groups[0].coverImageURL(), std::nullopt);
  EXPECT_EQ(groups[0].items().at(0).mediaURL(), std::nullopt);
}

TEST(StoryMapping, VoteWithoutDateIsDatedAtMapping) {
  auto item = onlyItem(std::string(R"(, "userVote": {"optionId": ")") + kOptionA + R"(", "votedAt": null})");
  ASSERT_TRUE(item.userVote());
  EXPECT_EQ(item.userVote()->votedAt(), kNow);
}

TEST(StoryMapping, PlaceholderAndFarDatesMapExactly) {
  for (const char* date : {"0001-01-01T00:00:00Z", "1000-01-01T00:00:00Z", "1677-01-01T00:00:00Z",
                           "2262-12-31T23:59:59Z", "2324-01-01T00:00:00Z", "9999-12-31T23:59:59Z"}) {
    auto groups = mapped(storiesWithItem(std::string(R"(, "userVote": {"optionId": ")") + kOptionA +
                                             R"(", "votedAt": ")" + date + R"("})",
                                         std::string(R"(, "startAt": ")") + date + R"(", "endAt": ")" + date + R"(")"));
    ASSERT_EQ(groups.size(), 1u) << date;
    ASSERT_EQ(groups[0].items().size(), 1u) << date;
    const auto& vote = groups[0].items()[0].userVote();
    ASSERT_TRUE(vote) << date;
    EXPECT_EQ(iso8601String(vote->votedAt()), date);
  }
}

TEST(StoryMapping, MalformedDateOrUuidAnywhereFailsTheWholeResponse) {
  auto badDate =
      decodeStoriesPayload(storiesWithItem(std::string(R"(, "userVote": {"optionId": ")") + kOptionA +
                                           R"(", "votedAt": "2024-04-30T08:00:00.5Z"})"));
  ASSERT_FALSE(badDate.ok());
  EXPECT_EQ(std::get<DecodingError>(badDate.error()).codingPath, "groups[0].items[0].userVote.votedAt");
  // A date no four-digit year can write back is refused, not wrapped into another date.
  auto pastTheLastYear =
      decodeStoriesPayload(storiesWithItem(std::string(R"(, "userVote": {"optionId": ")") + kOptionA +
                                           R"(", "votedAt": "9999-12-31T23:59:59-01:00"})"));
  ASSERT_FALSE(pastTheLastYear.ok());
  EXPECT_EQ(std::get<DecodingError>(pastTheLastYear.error()).kind, DecodingError::Kind::dataCorrupted);

  auto badVote = decodeStoriesPayload(storiesWithItem(R"(, "userVote": {"optionId": "A"})"));
  ASSERT_FALSE(badVote.ok());
  EXPECT_EQ(std::get<DecodingError>(badVote.error()).kind, DecodingError::Kind::dataCorrupted);

  // "type" is never used, but it is still required.
  auto noType = decodeStoriesPayload(std::string(R"({"groups": [{"id": ")") + kGroupId +
                                     R"(", "title": "T", "items": [{"id": ")" + kItemId + R"("}]}]})");
  ASSERT_FALSE(noType.ok());
  EXPECT_EQ(std::get<DecodingError>(noType.error()).codingPath, "groups[0].items[0].type");
}

}  // namespace
}  // namespace orvane
