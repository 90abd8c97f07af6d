#include <orvane/api/wire/banner_mapping.h>

#include <gtest/gtest.h>

#include <string>

#include <orvane/api/wire/vote_response_payload.h>

namespace orvane {
namespace {

std::string bannerJson(const std::string& fields, const std::string& items) {
  return R"({"id": 9007199254740993, "type": "carousel", "placementKey": "home", "viewOrder": 2)" + fields +
         R"(, "items": [)" + items + "]}";
}

const std::string kGoodItem = R"({"id": 11, "mediaUrl": "https://cdn.example.com/b.png", "orderIndex": 0})";

std::vector<Banner> mapped(const std::string& banners) {
  auto payload = decodeBannersPayload(R"({"banners": [)" + banners + "]}");
  EXPECT_TRUE(payload.ok()) << (payload.ok() ? "" : errorDescription(payload.error()));
  return payload.ok() ? mapBanners(payload.value()) : std::vector<Banner>{};
}

Banner onlyBanner(const std::string& fields, const std::string& items = kGoodItem) {
  auto banners = mapped(bannerJson(fields, items));
  EXPECT_EQ(banners.size(), 1u);
  return banners.at(0);
}

TEST(BannerMapping, MapsEveryServiceFieldOntoTheModel) {
  auto banner = onlyBanner(
      R"(, "autoplaySeconds": 8, "bannerLayoutMode": "aspect_ratio", "bannerAspectRatio": "16:9",
          "bannerFixedHeight": 120, "bannerContentMode": "fit")",
      R"({"id": 12, "mediaAssetId": "asset-1", "mediaUrl": "https://cdn.example.com/2.png", "orderIndex": 3,
          "ctaType": "deep_link", "ctaUrl": " myapp://offers "},
         {"id": 11, "mediaUrl": "https://cdn.example.com/1.png", "orderIndex": 1, "ctaType": "EXTERNAL_URL",
          "ctaUrl": "example.com/x"})");
  // 64-bit ids keep every digit.
  EXPECT_EQ(banner, Banner("9007199254740993", BannerType::carousel, "home", 2, 8,
                           BannerLayoutMode::aspectRatio, "16:9", 120, BannerContentMode::fit,
                           {BannerItem("12", "asset-1", *Url::parse("https://cdn.example.com/2.png"), 3,
                                       BannerCtaType::deepLink, Url::parse("myapp://offers")),
                            BannerItem("11", std::nullopt, *Url::parse("https://cdn.example.com/1.png"), 1,
                                       BannerCtaType::externalURL, Url::parse("https://example.com/x"))}));
}

TEST(BannerMapping, UnknownOrMissingWordsFallBack) {
  auto banner = onlyBanner(
      R"(, "type": "GRID", "bannerLayoutMode": "STRETCH", "bannerContentMode": "COVERED")",
      R"({"id": 1, "mediaUrl": "https://cdn.example.com/1.png", "orderIndex": 0, "ctaType": "PHONE"})");
  EXPECT_EQ(banner, Banner("9007199254740993", BannerType::static_, "home", 2, 5, BannerLayoutMode::auto_,
                           std::nullopt, std::nullopt, BannerContentMode::cover,
                           {BannerItem("1", std::nullopt, *Url::parse("https://cdn.example.com/1.png"), 0,
                                       BannerCtaType::none, std::nullopt)}));
  EXPECT_EQ(onlyBanner(R"(, "autoplaySeconds": 0)").autoplaySeconds(), 0);
}

TEST(BannerMapping, LegacyLayoutKeysWinFieldByField) {
  auto legacy = onlyBanner(
      R"(, "layoutMode": "AUTO", "bannerLayoutMode": "FIXED_HEIGHT", "fixedHeight": 80, "bannerFixedHeight": 120,
          "bannerAspectRatio": "4:3", "contentMode": "SQUEEZE", "bannerContentMode": "FIT")");
  EXPECT_EQ(legacy.bannerLayoutMode(), BannerLayoutMode::auto_);
  EXPECT_EQ(legacy.bannerFixedHeight(), 80);
  EXPECT_EQ(legacy.bannerAspectRatio(), "4:3");  // no legacy key: the current one
  EXPECT_EQ(legacy.bannerContentMode(), BannerContentMode::cover);

  EXPECT_EQ(onlyBanner(R"(, "bannerLayoutMode": "FIXED_HEIGHT")").bannerLayoutMode(),
            BannerLayoutMode::fixedHeight);
  EXPECT_EQ(onlyBanner(R"(, "layoutMode": null, "bannerLayoutMode": "FIXED_HEIGHT")").bannerLayoutMode(),
            BannerLayoutMode::fixedHeight);
}

TEST(BannerMapping, SlidesWithoutUsableImagesAreDroppedAndEmptyBannersWithThemInServiceOrder) {
  const std::string bad = R"({"id": 2, "mediaUrl": "not a url", "orderIndex": 1})";
  const std::string empty = R"({"id": 3, "mediaUrl": "", "orderIndex": 2})";
  auto banners = mapped(bannerJson("", bad + "," + kGoodItem + "," + empty) + "," +
                        bannerJson("", bad + "," + empty) + "," + bannerJson("", "") +
                        R"(, {"id": 2, "type": "STORY", "placementKey": "p", "viewOrder": 1, "items": [)" +
                        kGoodItem + "]}");
  ASSERT_EQ(banners.size(), 2u);
  ASSERT_EQ(banners[0].items().size(), 1u);
  EXPECT_EQ(banners[0].items()[0].id(), "11");
  EXPECT_EQ(banners[1].id(), "2");  // after the first although its view order is lower
}

TEST(BannerMapping, StrictShapeOfBannerRecords) {
  auto textId = decodeBannersPayload(
      R"({"banners": [)" +
      std::string(R"({"id": "1", "type": "STATIC", "placementKey": "p", "viewOrder": 0, "items": []})") +
      "]}");
  ASSERT_FALSE(textId.ok());
  EXPECT_EQ(std::get<DecodingError>(textId.error()).kind, DecodingError::Kind::typeMismatch);
  EXPECT_EQ(std::get<DecodingError>(textId.error()).codingPath, "banners[0].id");

  auto noMedia =
      decodeBannersPayload(R"({"banners": [)" + bannerJson("", R"({"id": 1, "orderIndex": 0})") + "]}");
  ASSERT_FALSE(noMedia.ok());
  EXPECT_EQ(std::get<DecodingError>(noMedia.error()).codingPath, "banners[0].items[0].mediaUrl");
}

TEST(VoteResponseMapping, CopiesTheServiceAnswer) {
  auto full = decodeVoteResponsePayload(R"({"voted": true, "optionId": "opt", "voteCount": 12, "extra": 1})");
  ASSERT_TRUE(full.ok());
  EXPECT_EQ(mapVoteResponse(full.value()), VoteResponse(true, "opt", 12));

  auto bare = decodeVoteResponsePayload(R"({"voted": false})");
  ASSERT_TRUE(bare.ok());
  EXPECT_EQ(mapVoteResponse(bare.value()), VoteResponse(false, std::nullopt, std::nullopt));

  auto missing = decodeVoteResponsePayload(R"({"optionId": "opt"})");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(std::get<DecodingError>(missing.error()).kind, DecodingError::Kind::keyNotFound);
}

}  // namespace
}  // namespace orvane
