#include <orvane/model/theme.h>

#include <gtest/gtest.h>

#include <limits>

#include "support/fake_platform.h"

namespace orvane {
namespace {

constexpr Color kFallback{0.1, 0.2, 0.3, 0.4};

TEST(ColorFromHex, ReadsLongAndShortFormsWithOrWithoutHashAndBlanks) {
  const Color orange{1.0, 136.0 / 255.0, 0.0, 1.0};
  for (const char* text :
       {"#FF8800", "ff8800", "  #ff8800 \n", "#f80", "F80", "\xC2\xA0#FF8800\xE2\x80\xA8"}) {
    EXPECT_EQ(colorFromHex(text, kFallback), orange) << text;
  }
  EXPECT_EQ(colorFromHex("#000000", kFallback), (Color{0.0, 0.0, 0.0, 1.0}));
  EXPECT_EQ(colorFromHex("#ffffff", kFallback), (Color{1.0, 1.0, 1.0, 1.0}));
}

TEST(ColorFromHex, AnythingElseGivesTheFallback) {
  EXPECT_EQ(colorFromHex(std::nullopt, kFallback), kFallback);
  for (const char* text : {"#FF880080", "#FF88", "", "   ", "#GG0000", "##FF8800", "##f80", "#", "orange",
                           "+12345", "-12345", "#FF 800", "0xFF88"}) {
    EXPECT_EQ(colorFromHex(text, kFallback), kFallback) << text;
  }
}

TEST(RelativeLuminance, FollowsTheWcagFormulaWithinZeroAndOne) {
  EXPECT_DOUBLE_EQ(relativeLuminance({1, 1, 1, 1}), 1.0);
  EXPECT_DOUBLE_EQ(relativeLuminance({0, 0, 0, 1}), 0.0);
  EXPECT_DOUBLE_EQ(relativeLuminance({1, 0, 0, 1}), 0.2126);
  EXPECT_DOUBLE_EQ(relativeLuminance({0, 0, 0.03928, 1}), 0.0722 * 0.03928 / 12.92);
  EXPECT_NEAR(relativeLuminance({0.5, 0.5, 0.5, 1}), 0.21404, 1e-5);

  EXPECT_DOUBLE_EQ(relativeLuminance({2.0, 5.0, 9.0, 1}), 1.0);
  EXPECT_DOUBLE_EQ(relativeLuminance({-1.0, std::numeric_limits<double>::quiet_NaN(), 0, 1}), 0.0);
}

TEST(StyleParsing, TrimsAndIgnoresCaseAndFallsBackToTheDefaultTheme) {
  EXPECT_EQ(parseProgressStyle(std::nullopt), ProgressStyle::bar);
  EXPECT_EQ(parseProgressStyle(""), ProgressStyle::bar);
  EXPECT_EQ(parseProgressStyle("striped"), ProgressStyle::bar);
  for (const char* text : {"segmented", " Segmented ", "Segmented\n", "SEGMENTED"}) {
    EXPECT_EQ(parseProgressStyle(text), ProgressStyle::segmented) << text;
  }
  EXPECT_EQ(parseProgressStyle("none"), ProgressStyle::none);

  EXPECT_EQ(parseBubbleStyle("rounded"), BubbleStyle::rounded);
  EXPECT_EQ(parseBubbleStyle("SQUARE"), BubbleStyle::square);
  EXPECT_EQ(parseBubbleStyle(std::nullopt), BubbleStyle::circle);
  EXPECT_EQ(parseBubbleStyle("square-ish"), BubbleStyle::circle);

  EXPECT_EQ(parseCtaStyle("  text \t"), CtaStyle::text);
  EXPECT_EQ(parseCtaStyle("Outlined"), CtaStyle::outlined);
  EXPECT_EQ(parseCtaStyle("\xE3\x80\x80"
                          "filled"),
            CtaStyle::filled);
  EXPECT_EQ(parseCtaStyle("ghost"), CtaStyle::filled);
}

TEST(StoryTheme, FromServiceStringsParsesEachFieldLenientlyOverTheDefault) {
  EXPECT_EQ(StoryTheme::fromServiceStrings(std::nullopt, std::nullopt, " \n ", std::nullopt, std::nullopt,
                                           std::nullopt),
            StoryTheme(ProgressStyle::bar, BubbleStyle::circle, std::nullopt, systemOrange, systemPink,
                       CtaStyle::filled));
  EXPECT_EQ(StoryTheme::default_(), StoryTheme::fromServiceStrings(std::nullopt, std::nullopt, std::nullopt,
                                                                   std::nullopt, std::nullopt, std::nullopt));
  EXPECT_EQ(StoryTheme::fromServiceStrings(" rounded\n", "SQUARE", "  Avenir Next \n", "#000", "nope", "text"),
            StoryTheme(ProgressStyle::bar, BubbleStyle::square, "Avenir Next", Color{0, 0, 0, 1}, systemPink,
                       CtaStyle::text));
}

TEST(StoryThemeFont, UsesAnInstalledFamilyAsIsAndTheSystemFontOtherwise) {
  testing::FakeFontCatalog fonts;
  fonts.installed = {"Avenir", ""};
  auto themed = [](std::optional<std::string> family) {
    return StoryTheme(ProgressStyle::bar, BubbleStyle::circle, std::move(family), systemOrange, systemPink,
                      CtaStyle::filled);
  };

  EXPECT_EQ(themed("Avenir").font(17, FontWeight::bold, fonts), Font::custom("Avenir", 17));
  EXPECT_EQ(themed("avenir").font(17, FontWeight::bold, fonts), Font::system(17, FontWeight::bold));
  EXPECT_EQ(themed(" Avenir").font(12, FontWeight::medium, fonts), Font::system(12, FontWeight::medium));
  EXPECT_EQ(themed("").font(15, FontWeight::semibold, fonts), Font::system(15, FontWeight::semibold));
  EXPECT_EQ(themed(std::nullopt).font(13, FontWeight::regular, fonts), Font::system(13, FontWeight::regular));
}

TEST(StoryThemeFont, SystemWeightsReduceToRegularMediumSemiboldAndBold) {
  testing::FakeFontCatalog fonts;
  const auto& theme = StoryTheme::default_();
  for (auto kept : {FontWeight::medium, FontWeight::semibold, FontWeight::bold, FontWeight::regular}) {
    EXPECT_EQ(theme.font(10, kept, fonts).weight(), kept);
  }
  for (auto other :
       {FontWeight::ultraLight, FontWeight::thin, FontWeight::light, FontWeight::heavy, FontWeight::black}) {
    EXPECT_EQ(theme.font(10, other, fonts).weight(), FontWeight::regular);
  }
}

}  // namespace
}  // namespace orvane
