#include <gtest/gtest.h>

#include <orvane/model/json_coding.h>

namespace orvane {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;
using Kind = ModelCodingError::Kind;

Banner storyBanner(std::optional<std::string> aspectRatio, std::optional<std::int64_t> fixedHeight) {
  return Banner("b1", BannerType::story, "home_top", 2, 4, BannerLayoutMode::fixedHeight,
                std::move(aspectRatio), fixedHeight, BannerContentMode::fit,
                {BannerItem("s1", "asset-9", *Url::parse("https://cdn.example.com/1.jpg"), 0,
                            BannerCtaType::externalURL, Url::parse("https://example.com/sale")),
                 BannerItem("s2", std::nullopt, *Url::parse("https://cdn.example.com/2.jpg"), 1,
                            BannerCtaType::none, std::nullopt)});
}

json staticBanner() {
  return json::parse(
      R"({"id": "b", "type": "STATIC", "placementKey": "p", "viewOrder": 0, "autoplaySeconds": 5,
      "bannerLayoutMode": "AUTO", "bannerContentMode": "COVER", "items": [
      {"id": "s", "mediaURL": "https://cdn.example.com/s.jpg", "orderIndex": 0, "ctaType": "NONE"}]})");
}

ModelCodingError bannerFailure(const json& document) {
  try {
    (void)document.get<Banner>();
  } catch (const ModelCodingError& error) {
    return error;
  }
  ADD_FAILURE() << "decoded " << document.dump();
  return ModelCodingError(Kind::invalidValue, "", "");
}

TEST(BannerCoding, WritesFieldsInDeclarationOrderAndReadsThemBack) {
  ordered_json encoded = storyBanner("16:9", 120);
  std::vector<std::string> keys;
  for (const auto& [key, value] : encoded.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"id", "type", "placementKey", "viewOrder", "autoplaySeconds",
                                            "bannerLayoutMode", "bannerAspectRatio", "bannerFixedHeight",
                                            "bannerContentMode", "items"}));
  EXPECT_EQ(
      encoded["items"][0].dump(),
      R"({"id":"s1","mediaAssetId":"asset-9","mediaURL":"https://cdn.example.com/1.jpg","orderIndex":0,)"
      R"("ctaType":"EXTERNAL_URL","ctaURL":"https://example.com/sale"})");
  EXPECT_EQ(encoded["items"][1].dump(),
            R"({"id":"s2","mediaURL":"https://cdn.example.com/2.jpg","orderIndex":1,"ctaType":"NONE"})");
  EXPECT_EQ(encoded.get<Banner>(), storyBanner("16:9", 120));
}

TEST(BannerCoding, AbsentLayoutValuesAreLeftOutAndComeBackAbsent) {
  ordered_json encoded = storyBanner(std::nullopt, std::nullopt);
  EXPECT_FALSE(encoded.contains("bannerAspectRatio"));
  EXPECT_FALSE(encoded.contains("bannerFixedHeight"));
  EXPECT_EQ(encoded.dump().find("null"), std::string::npos);
  EXPECT_EQ(json::parse(encoded.dump()).get<Banner>(), storyBanner(std::nullopt, std::nullopt));
}

TEST(BannerCoding, NoDefaultsAreSubstitutedForRequiredKeys) {
  EXPECT_NO_THROW((void)staticBanner().get<Banner>());
  for (const char* key : {"id", "type", "placementKey", "viewOrder", "autoplaySeconds", "bannerLayoutMode",
                          "bannerContentMode", "items"}) {
    auto missing = staticBanner();
    missing.erase(key);
    auto error = bannerFailure(missing);
    EXPECT_EQ(error.kind(), Kind::keyNotFound) << key;
    EXPECT_EQ(error.codingPath(), key);
  }
}

TEST(BannerCoding, SlidesNeedAMediaUrlButNotACtaUrl) {
  auto document = staticBanner();
  document["items"][0]["ctaURL"] = nullptr;
  EXPECT_FALSE(document.get<Banner>().items()[0].ctaURL());

  document["items"][0].erase("mediaURL");
  auto error = bannerFailure(document);
  EXPECT_EQ(error.kind(), Kind::keyNotFound);
  EXPECT_EQ(error.codingPath(), "items[0].mediaURL");

  EXPECT_THROW((void)json::parse(R"({"id": "s", "orderIndex": 0, "ctaType": "NONE"})").get<BannerItem>(),
               ModelCodingError);
}

TEST(BannerCoding, EnumerationsDecodeOnlyFromTheirExactRawValue) {
  auto document = staticBanner();
  EXPECT_EQ(document.get<Banner>().type(), BannerType::static_);
  document["type"] = "static";
  EXPECT_EQ(bannerFailure(document).kind(), Kind::dataCorrupted);

  document = staticBanner();
  document["bannerLayoutMode"] = "ASPECT RATIO";
  EXPECT_EQ(bannerFailure(document).codingPath(), "bannerLayoutMode");

  document = staticBanner();
  document["items"][0]["ctaType"] = "DEEPLINK";
  EXPECT_EQ(bannerFailure(document).codingPath(), "items[0].ctaType");

  EXPECT_EQ(json(BannerLayoutMode::aspectRatio), "ASPECT_RATIO");
  EXPECT_EQ(json("FIT").get<BannerContentMode>(), BannerContentMode::fit);
  EXPECT_EQ(json("DEEP_LINK").get<BannerCtaType>(), BannerCtaType::deepLink);
}

TEST(BannerCoding, WrongTypesAreReportedNotCoerced) {
  auto document = staticBanner();
  document["autoplaySeconds"] = "5";
  EXPECT_EQ(bannerFailure(document).kind(), Kind::typeMismatch);

  document = staticBanner();
  document["bannerFixedHeight"] = 120.5;
  EXPECT_EQ(bannerFailure(document).kind(), Kind::dataCorrupted);

  document = staticBanner();
  document["items"] = json::array({"s1"});
  auto error = bannerFailure(document);
  EXPECT_EQ(error.kind(), Kind::typeMismatch);
  EXPECT_EQ(error.codingPath(), "items[0]");
}

}  // namespace
}  // namespace orvane
