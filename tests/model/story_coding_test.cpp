#include <gtest/gtest.h>

#include <orvane/model/json_coding.h>

namespace orvane {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;
using Kind = ModelCodingError::Kind;

StoryItem quizPage() {
  return StoryItem(
      "i1", "Quiz time", "Pick one", StoryMediaType::video, Url::parse("https://cdn.example.com/v.mp4"), 7.25,
      "More", Url::parse("https://example.com/more"), WidgetType::quiz, "Capital of France?",
      Url::parse("https://example.com/swipe"),
      {WidgetOption("o1", "Paris", "🇫🇷", 0, true, 12), WidgetOption("o2", "Lyon", std::nullopt, 1, false, 3)},
      WidgetUserVote("o1", Date{std::chrono::seconds{1714566600}}));
}

json plainPage() {
  return json::parse(R"({"id": "i2", "duration": 5, "widgetType": "NONE", "widgetOptions": []})");
}

// Decodes `document` as T and returns the failure it must produce.
template <typename T>
ModelCodingError decodingFailure(const json& document) {
  try {
    (void)document.get<T>();
  } catch (const ModelCodingError& error) {
    return error;
  }
  ADD_FAILURE() << "decoded " << document.dump();
  return ModelCodingError(Kind::invalidValue, "", "");
}

TEST(StoryItemCoding, WritesEveryPresentFieldInDeclarationOrderAndReadsItBack) {
  ordered_json encoded = quizPage();
  std::vector<std::string> keys;
  for (const auto& [key, value] : encoded.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"id", "title", "bodyText", "mediaType", "mediaURL", "duration",
                                            "ctaTitle", "ctaURL", "widgetType", "widgetQuestion",
                                            "swipeCallbackURL", "widgetOptions", "userVote"}));
  EXPECT_EQ(encoded["mediaType"], "VIDEO");
  EXPECT_EQ(encoded["mediaURL"], "https://cdn.example.com/v.mp4");
  EXPECT_EQ(encoded["userVote"].dump(), R"({"optionId":"o1","votedAt":"2024-05-01T12:30:00Z"})");
  EXPECT_EQ(encoded["widgetOptions"][1].dump(),
            R"({"id":"o2","text":"Lyon","orderIndex":1,"isCorrect":false,"voteCount":3})");

  EXPECT_EQ(json::parse(encoded.dump()).get<StoryItem>(), quizPage());
}

TEST(StoryItemCoding, VoteDatesOfAnyFourDigitYearReadAndWriteBackUnchanged) {
  for (const char* date : {"0001-01-01T00:00:00Z", "1000-03-01T08:00:00Z", "2324-01-01T00:00:00Z",
                           "9999-12-31T23:59:59Z"}) {
    const auto document = json::parse(std::string(R"({"optionId": "o1", "votedAt": ")") + date + "\"}");
    const auto vote = document.get<WidgetUserVote>();
    EXPECT_EQ(ordered_json(vote)["votedAt"], date);
    EXPECT_EQ(vote, WidgetUserVote("o1", *parseIso8601(date)));
  }
}

TEST(StoryItemCoding, AbsentOptionalsAreMissingOrNullOnReadAndNeverWritten) {
  auto document = plainPage();
  document["title"] = nullptr;
  auto item = document.get<StoryItem>();
  EXPECT_FALSE(item.title());
  EXPECT_FALSE(item.mediaType());
  EXPECT_FALSE(item.userVote());
  EXPECT_EQ(item.duration(), 5.0);

  ordered_json encoded = item;
  EXPECT_EQ(encoded.dump(), R"({"id":"i2","duration":5.0,"widgetType":"NONE","widgetOptions":[]})");
}

TEST(StoryItemCoding, RequiredKeysMustBePresentAndNotNull) {
  for (const char* key : {"id", "duration", "widgetType", "widgetOptions"}) {
    auto missing = plainPage();
    missing.erase(key);
    auto error = decodingFailure<StoryItem>(missing);
    EXPECT_EQ(error.kind(), Kind::keyNotFound) << key;
    EXPECT_EQ(error.codingPath(), key);

    auto null = plainPage();
    null[key] = nullptr;
    EXPECT_EQ(decodingFailure<StoryItem>(null).kind(), Kind::keyNotFound) << key;
  }

  auto option = json::parse(R"({"id": "o1", "text": "Yes", "orderIndex": 0, "voteCount": 1})");
  EXPECT_NO_THROW((void)option.get<WidgetOption>());
  for (const char* key : {"id", "text", "orderIndex", "voteCount"}) {
    auto missing = option;
    missing.erase(key);
    EXPECT_EQ(decodingFailure<WidgetOption>(missing).kind(), Kind::keyNotFound) << key;
  }
  EXPECT_EQ(decodingFailure<WidgetUserVote>(json::parse(R"({"optionId": "o1"})")).codingPath(), "votedAt");
}

TEST(StoryItemCoding, EnumerationsDecodeOnlyFromTheirExactRawValue) {
  auto document = plainPage();
  document["widgetType"] = "POLL";
  EXPECT_EQ(document.get<StoryItem>().widgetType(), WidgetType::poll);

  document["widgetType"] = "poll";
  auto error = decodingFailure<StoryItem>(document);
  EXPECT_EQ(error.kind(), Kind::dataCorrupted);
  EXPECT_EQ(error.codingPath(), "widgetType");

  document = plainPage();
  document["mediaType"] = "Image";
  EXPECT_EQ(decodingFailure<StoryItem>(document).codingPath(), "mediaType");

  EXPECT_EQ(json(WidgetType::swipe), "SWIPE");
  EXPECT_EQ(json("IMAGE").get<StoryMediaType>(), StoryMediaType::image);
  EXPECT_EQ(decodingFailure<WidgetType>(json(2)).kind(), Kind::typeMismatch);
}

TEST(StoryItemCoding, WrongTypesAndMalformedValuesNameTheOffendingPath) {
  struct Case {
    const char* document;
    Kind kind;
    const char* path;
  };
  const Case cases[] = {
      {R"([])", Kind::typeMismatch, ""},
      {R"({"id": 7, "duration": 5, "widgetType": "NONE", "widgetOptions": []})", Kind::typeMismatch, "id"},
      {R"({"id": "i", "duration": "5", "widgetType": "NONE", "widgetOptions": []})", Kind::typeMismatch,
       "duration"},
      {R"({"id": "i", "duration": 5, "widgetType": "NONE", "widgetOptions": {}})", Kind::typeMismatch,
       "widgetOptions"},
      {R"({"id": "i", "title": 3, "duration": 5, "widgetType": "NONE", "widgetOptions": []})",
       Kind::typeMismatch, "title"},
      {R"({"id": "i", "mediaURL": "has blank", "duration": 5, "widgetType": "NONE", "widgetOptions": []})",
       Kind::dataCorrupted, "mediaURL"},
      {R"({"id": "i", "duration": 5, "widgetType": "POLL", "widgetOptions": [
          {"id": "o1", "text": "A", "orderIndex": 0, "voteCount": 1},
          {"id": "o2", "text": "B", "orderIndex": 1, "voteCount": "2"}]})",
       Kind::typeMismatch, "widgetOptions[1].voteCount"},
      {R"({"id": "i", "duration": 5, "widgetType": "POLL", "widgetOptions": [
          {"id": "o1", "text": "A", "orderIndex": 0, "isCorrect": 1, "voteCount": 1}]})",
       Kind::typeMismatch, "widgetOptions[0].isCorrect"},
      {R"({"id": "i", "duration": 5, "widgetType": "POLL", "widgetOptions": [],
           "userVote": {"optionId": "o1", "votedAt": "2024-02-30T10:00:00Z"}})",
       Kind::dataCorrupted, "userVote.votedAt"},
      {R"({"id": "i", "duration": 5, "widgetType": "POLL", "widgetOptions": [], "userVote": "o1"})",
       Kind::typeMismatch, "userVote"},
  };
  for (const auto& c : cases) {
    auto error = decodingFailure<StoryItem>(json::parse(c.document));
    EXPECT_EQ(error.kind(), c.kind) << c.document;
    EXPECT_EQ(error.codingPath(), c.path) << c.document;
  }
}

TEST(WidgetOptionCoding, CountsAreWhole64BitIntegers) {
  auto option = [](const char* count) {
    return json::parse(std::string(R"({"id": "o", "text": "t", "orderIndex": 0, "voteCount": )") + count +
                       "}");
  };
  EXPECT_EQ(option("9223372036854775807").get<WidgetOption>().voteCount(), INT64_MAX);
  EXPECT_EQ(option("-9223372036854775808").get<WidgetOption>().voteCount(), INT64_MIN);
  EXPECT_EQ(option("3.0").get<WidgetOption>().voteCount(), 3);
  for (const char* bad : {"9223372036854775808", "3.5", "1e19", "-1e19"}) {
    EXPECT_EQ(decodingFailure<WidgetOption>(option(bad)).kind(), Kind::dataCorrupted) << bad;
  }
  EXPECT_EQ(decodingFailure<WidgetOption>(option("true")).kind(), Kind::typeMismatch);
}

TEST(StoryItemCoding, ANonFiniteDurationCannotBeWritten) {
  auto infinite = StoryItem("i", std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                            std::numeric_limits<double>::infinity(), std::nullopt, std::nullopt,
                            WidgetType::none, std::nullopt, std::nullopt, {}, std::nullopt);
  try {
    ordered_json encoded = infinite;
    ADD_FAILURE() << encoded.dump();
  } catch (const ModelCodingError& error) {
    EXPECT_EQ(error.kind(), Kind::invalidValue);
    EXPECT_EQ(error.codingPath(), "duration");
  }
}

}  // namespace
}  // namespace orvane
