#include <orvane/api/wire/json_reader.h>

#include <gtest/gtest.h>

#include <string>

#include <orvane/api/wire/story_payloads.h>

namespace orvane {
namespace {

using Kind = DecodingError::Kind;

struct Sample {
  std::int64_t count;
  std::optional<std::string> note;
  std::optional<bool> flag;
  bool operator==(const Sample&) const = default;
};

Result<Sample> decodeSample(std::string_view body) {
  return decodeJsonDocument(std::string(body), [](JsonObjectReader& json) {
    Sample sample{};
    std::bitset<1> seen;
    json.forEachField([&](std::string_view key, JsonValueReader& value) {
      if (key == "count") {
        sample.count = value.integer();
        seen.set(0);
      } else if (key == "note") {
        sample.note = value.optionalString();
      } else if (key == "flag") {
        sample.flag = value.optionalBoolean();
      } else {
        return false;
      }
      return true;
    });
    json.requireKeys(seen, {"count"});
    return sample;
  });
}

DecodingError decodingError(const Error& error) {
  EXPECT_TRUE(std::holds_alternative<DecodingError>(error));
  return std::holds_alternative<DecodingError>(error) ? std::get<DecodingError>(error) : DecodingError{};
}

template <typename T>
DecodingError failureOf(const Result<T>& result) {
  EXPECT_FALSE(result.ok());
  return result.ok() ? DecodingError{} : decodingError(result.error());
}

TEST(JsonReader, OptionalKeysMayBeMissingOrNullAndUnknownKeysAreIgnored) {
  auto missing = decodeSample(R"({"count": 3, "extra": {"deep": [1, 2]}})");
  ASSERT_TRUE(missing.ok());
  EXPECT_EQ(missing.value(), (Sample{3, std::nullopt, std::nullopt}));

  auto null = decodeSample(R"({"count": 3, "note": null, "flag": null})");
  ASSERT_TRUE(null.ok());
  EXPECT_EQ(null.value(), missing.value());

  auto present = decodeSample(R"({"count": -7, "note": "hi", "flag": false})");
  ASSERT_TRUE(present.ok());
  EXPECT_EQ(present.value(), (Sample{-7, "hi", false}));

  // Escapes mean the same in keys and values as the plain characters.
  auto escaped = decodeSample(R"({"co\u0075nt": 2, "note": "a\"b\u00e9\n", "fl\u0061g": true})");
  ASSERT_TRUE(escaped.ok());
  EXPECT_EQ(escaped.value(), (Sample{2, "a\"b\u00e9\n", true}));
}

TEST(JsonReader, RequiredAndTypedValuesFailWithTheirKind) {
  EXPECT_EQ(failureOf(decodeSample(R"({"note": "x"})")).kind, Kind::keyNotFound);
  EXPECT_EQ(failureOf(decodeSample(R"({"count": null})")).kind, Kind::typeMismatch);
  EXPECT_EQ(failureOf(decodeSample(R"({"count": "3"})")).kind, Kind::typeMismatch);
  EXPECT_EQ(failureOf(decodeSample(R"({"count": true})")).kind, Kind::typeMismatch);
  EXPECT_EQ(failureOf(decodeSample(R"({"count": 1, "note": 5})")).kind, Kind::typeMismatch);
  EXPECT_EQ(failureOf(decodeSample(R"({"count": 1, "flag": 1})")).kind, Kind::typeMismatch);
  // The body itself must be an object.
  EXPECT_EQ(failureOf(decodeSample(R"([{"count": 1}])")).kind, Kind::typeMismatch);
}

TEST(JsonReader, IntegersMustBeWholeAndFitIn64Bits) {
  for (const char* whole : {R"({"count": 12.0})", R"({"count": 1.2e1})"}) {
    auto result = decodeSample(whole);
    ASSERT_TRUE(result.ok()) << whole;
    EXPECT_EQ(result.value().count, 12);
  }
  auto largest = decodeSample(R"({"count": 9223372036854775807})");
  ASSERT_TRUE(largest.ok());
  EXPECT_EQ(largest.value().count, INT64_MAX);
  auto smallest = decodeSample(R"({"count": -9223372036854775808})");
  ASSERT_TRUE(smallest.ok());
  EXPECT_EQ(smallest.value().count, INT64_MIN);

  for (const char* corrupted :
       {R"({"count": 1.5})", R"({"count": 9223372036854775808})", R"({"count": 18446744073709551616})",
        R"({"count": 1e30})", R"({"count": -1e19})", R"({"count": 9.2233720368547758e18})"}) {
    EXPECT_EQ(failureOf(decodeSample(corrupted)).kind, Kind::dataCorrupted) << corrupted;
  }
}

TEST(JsonReader, MalformedTextIsDataCorrupted) {
  for (std::string_view bad :
       {"", " ", "{", R"({"count": 1} trailing)", R"({"count": 01})", "{'count': 1}", R"({"count": 1,})",
        "{\"count\": 1, \"note\": \"\xff\"}", R"({"count": 1, "x": ["\q"]})",
        R"({"count": 1, "x": {"a": tru}})", R"({"note": "x", "count": 1, "x": [1 2]})"}) {
    auto error = failureOf(decodeSample(bad));
    EXPECT_EQ(error.kind, Kind::dataCorrupted) << bad;
    EXPECT_EQ(error.codingPath, "") << bad;
  }
}

TEST(JsonReader, HostileNestingIsRefusedWithoutExhaustingTheStack) {
  const std::size_t depth = 200000;
  std::string arrays(depth, '[');
  arrays += std::string(depth, ']');
  EXPECT_EQ(failureOf(decodeSample(arrays)).kind, Kind::dataCorrupted);

  // Deep but unterminated, under an ignored key.
  std::string objects = R"({"count": 1, "x": )";
  for (std::size_t i = 0; i < depth; ++i) objects += R"({"a":)";
  EXPECT_EQ(failureOf(decodeSample(objects)).kind, Kind::dataCorrupted);

  // Nesting a real answer could have is fine.
  std::string modest = R"({"count": 1, "x": )" + std::string(100, '[') + std::string(100, ']') + "}";
  EXPECT_TRUE(decodeSample(modest).ok());
}

TEST(JsonReader, CodingPathNamesTheFailingValue) {
  constexpr const char* kGroupId = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
  auto body = std::string(R"({"groups": [{"id": ")") + kGroupId + R"(", "title": "A", "items": []},
      {"id": ")" +
              kGroupId + R"(", "title": "B", "items": [
        {"id": ")" +
              kGroupId + R"(", "type": "IMAGE", "widgetOptions": [
          {"id": ")" +
              kGroupId + R"(", "text": "yes", "orderIndex": 0},
          {"id": "not-a-uuid", "text": "no", "orderIndex": 1}]}]}]})";
  auto error = failureOf(decodeStoriesPayload(body));
  EXPECT_EQ(error.kind, Kind::dataCorrupted);
  EXPECT_EQ(error.codingPath, "groups[1].items[0].widgetOptions[1].id");
  EXPECT_NE(error.errorDescription().find("groups[1].items[0].widgetOptions[1].id"), std::string::npos);

  auto missing = failureOf(decodeStoriesPayload(R"({"groups": [{"title": "A", "items": []}]})"));
  EXPECT_EQ(missing.kind, Kind::keyNotFound);
  EXPECT_EQ(missing.codingPath, "groups[0].id");

  auto notAList = failureOf(decodeStoriesPayload(R"({"groups": {}})"));
  EXPECT_EQ(notAList.kind, Kind::typeMismatch);
  EXPECT_EQ(notAList.codingPath, "groups");
}

}  // namespace
}  // namespace orvane
