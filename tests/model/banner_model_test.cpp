#include <gtest/gtest.h>

#include <orvane/model/banner.h>

namespace orvane {
namespace {

BannerItem slide(std::string id) {
  return BannerItem(std::move(id), std::nullopt, *Url::parse("https://cdn.example.com/s.jpg"), 0,
                    BannerCtaType::none, std::nullopt);
}

Banner carousel(std::vector<BannerItem> items) {
  return Banner("b1", BannerType::carousel, "home_top", 1, 5, BannerLayoutMode::auto_, std::nullopt,
                std::nullopt, BannerContentMode::cover, std::move(items));
}

// The exact words and their case sensitivity are checked through the JSON coding and the payload mapping.
TEST(BannerEnumerations, EveryValueComesBackFromItsRawValue) {
  for (auto type : {BannerType::static_, BannerType::carousel, BannerType::story}) {
    EXPECT_EQ(bannerTypeFromRawValue(rawValue(type)), type);
  }
  for (auto type : {BannerCtaType::externalURL, BannerCtaType::deepLink, BannerCtaType::internalRoute,
                    BannerCtaType::customEvent, BannerCtaType::none}) {
    EXPECT_EQ(bannerCtaTypeFromRawValue(rawValue(type)), type);
  }
  for (auto mode : {BannerLayoutMode::auto_, BannerLayoutMode::aspectRatio, BannerLayoutMode::fixedHeight}) {
    EXPECT_EQ(bannerLayoutModeFromRawValue(rawValue(mode)), mode);
  }
  for (auto mode : {BannerContentMode::cover, BannerContentMode::fit}) {
    EXPECT_EQ(bannerContentModeFromRawValue(rawValue(mode)), mode);
  }
}

// Other tests compare whole banners, so equality must see every slide in order.
TEST(BannerEquality, SlideOrderAndCountMatter) {
  EXPECT_EQ(carousel({slide("a"), slide("b")}), carousel({slide("a"), slide("b")}));
  EXPECT_NE(carousel({slide("a"), slide("b")}), carousel({slide("b"), slide("a")}));
  EXPECT_NE(carousel({slide("a")}), carousel({slide("a"), slide("a")}));
}

}  // namespace
}  // namespace orvane
