#include <orvane/banners/banner_layout.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include <orvane/banners/banner_indicators.h>

namespace orvane {
namespace {

Banner banner(BannerType type, BannerLayoutMode mode, std::optional<std::string> aspectRatio,
              std::optional<std::int64_t> fixedHeight = std::nullopt) {
  return Banner("1", type, "home", 0, 5, mode, std::move(aspectRatio), fixedHeight, BannerContentMode::cover,
                {});
}

double ratioOf(std::optional<std::string> text, BannerType type = BannerType::carousel) {
  return aspectRatioValue(banner(type, BannerLayoutMode::aspectRatio, std::move(text)));
}

TEST(BannerAspectRatioTest, ReadsWidthOverHeightIgnoringEmptyPieces) {
  EXPECT_DOUBLE_EQ(ratioOf("16:9"), 16.0 / 9.0);
  EXPECT_DOUBLE_EQ(ratioOf("16::9"), 16.0 / 9.0);
  EXPECT_DOUBLE_EQ(ratioOf(":16:9"), 16.0 / 9.0);
  EXPECT_DOUBLE_EQ(ratioOf("21:9"), 21.0 / 9.0);
  EXPECT_DOUBLE_EQ(ratioOf("4:5"), 0.8);
  EXPECT_DOUBLE_EQ(ratioOf("1.91:1"), 1.91);
  EXPECT_DOUBLE_EQ(ratioOf("1e1:5"), 2.0);
  EXPECT_DOUBLE_EQ(ratioOf("20:1"), 20.0);
  EXPECT_DOUBLE_EQ(ratioOf("1:20"), 0.05);
}

TEST(BannerAspectRatioTest, UnusableTextsGiveTheDefaultOfTheBannerType) {
  for (const char* text :
       {"1.5",          "0:9",          "-4:3",        "a:b",    "",       ":",     "1:2:3",
        " 16:9",        "16:9 ",        "16 :9",       "16,5:9", "16px:9", "inf:9", "1:nan",
        "1e300:1e-300", "1e-300:1e300", "1e-308:1e10", "1:21",   "21:1",   "1:1e6"}) {
    EXPECT_DOUBLE_EQ(ratioOf(text), 16.0 / 9.0) << '"' << text << '"';
    EXPECT_DOUBLE_EQ(ratioOf(text, BannerType::story), 1.0) << '"' << text << '"';
  }
  EXPECT_DOUBLE_EQ(ratioOf(std::nullopt, BannerType::static_), 16.0 / 9.0);
  EXPECT_DOUBLE_EQ(ratioOf(std::nullopt, BannerType::story), 1.0);
}

TEST(BannerFrameTest, FixedHeightNeedsTheModeAndAtLeastOnePoint) {
  const auto fixed = bannerFrame(banner(BannerType::carousel, BannerLayoutMode::fixedHeight, "4:5", 180));
  EXPECT_EQ(fixed, BannerFrame::fixedHeight(180));
  EXPECT_DOUBLE_EQ(fixed.height(390), 180);

  for (auto height :
       {std::optional<std::int64_t>(0), std::optional<std::int64_t>(-20), std::optional<std::int64_t>()}) {
    EXPECT_EQ(bannerFrame(banner(BannerType::carousel, BannerLayoutMode::fixedHeight, "4:5", height)),
              BannerFrame::aspectRatio(0.8));
  }
  EXPECT_EQ(bannerFrame(banner(BannerType::story, BannerLayoutMode::fixedHeight, std::nullopt, 1)),
            BannerFrame::fixedHeight(1));
}

TEST(BannerFrameTest, AutoAndAspectRatioModesSizeByRatioAlike) {
  for (auto mode : {BannerLayoutMode::auto_, BannerLayoutMode::aspectRatio}) {
    const auto frame = bannerFrame(banner(BannerType::carousel, mode, "2:1", 300));
    EXPECT_EQ(frame.kind(), BannerFrame::Kind::aspectRatio);
    EXPECT_DOUBLE_EQ(frame.height(390), 195);
  }
  EXPECT_DOUBLE_EQ(bannerFrame(banner(BannerType::story, BannerLayoutMode::auto_, std::nullopt)).height(320),
                   320);
}

TEST(BannerIndicatorGeometryTest, ActiveDotIsAPill) {
  EXPECT_EQ(bannerDotWidths(3, 1), (std::vector<double>{5, 12, 5}));
  EXPECT_EQ(bannerDotWidths(2, 7), (std::vector<double>{5, 5}));
  EXPECT_TRUE(bannerDotWidths(0, 0).empty());
}

TEST(BannerIndicatorGeometryTest, BarsFillUpToTheActiveOneWhoseFillIsClamped) {
  EXPECT_EQ(storyBarFills(3, 1, 0.4), (std::vector<double>{1, 0.4, 0}));
  EXPECT_EQ(storyBarFills(3, 1, 1.3), (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(storyBarFills(3, 1, -0.2), (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(storyBarFills(3, 0, std::numeric_limits<double>::quiet_NaN()), (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(storyBarFills(2, 5, 0.5), (std::vector<double>{1, 1}));
}

TEST(BannerIndicatorGeometryTest, IndicatorFollowsTypeAndSlideCount) {
  const Url url = *Url::parse("https://cdn.example.com/1.png");
  const BannerItem item("1", std::nullopt, url, 0, BannerCtaType::none, std::nullopt);
  auto stateOf = [&](BannerType type, std::size_t count) {
    Banner shown("1", type, "home", 0, 5, BannerLayoutMode::auto_, std::nullopt, std::nullopt,
                 BannerContentMode::cover, std::vector<BannerItem>(count, item));
    return BannerRenderState(shown, 0, shown.items(), 0, item);
  };
  EXPECT_EQ(bannerIndicator(stateOf(BannerType::story, 2)), BannerIndicator::bars);
  EXPECT_EQ(bannerIndicator(stateOf(BannerType::carousel, 3)), BannerIndicator::dots);
  EXPECT_EQ(bannerIndicator(stateOf(BannerType::static_, 3)), BannerIndicator::none);
  EXPECT_EQ(bannerIndicator(stateOf(BannerType::story, 1)), BannerIndicator::none);
  EXPECT_EQ(bannerIndicator(stateOf(BannerType::carousel, 1)), BannerIndicator::none);
}

}  // namespace
}  // namespace orvane
