#include <orvane/core/locale_tags.h>

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace orvane {
namespace {

using testing::FixedLocale;

FixedLocale localeOf(const std::string& identifier, std::optional<std::string> region = std::nullopt) {
  FixedLocale locale;
  locale.set(identifier, std::move(region));
  return locale;
}

TEST(LocaleTagsTest, ContentTagIsTheLanguageAndRegionOfTheIdentifier) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"en_US@calendar=gregorian", "en-US"}, {"zh-Hant_TW", "zh-HANT"}, {"DE_at", "de-AT"}, {"fr", "fr"},
      {"__es__MX", "es-MX"},  // empty parts are dropped
      {"@pt_BR", "pt-BR"},    // leading keywords: the text after them counts
      {"@", std::nullopt},
      {"es_419", "es"},  // a region that is no word leaves the language alone
      {"en_U", "en"},
      {"en_ABCDEFGHI", "en"},
      {"abcdefghij_US", "abcdefgh-US"},  // the language is cut to eight letters before it is checked
      {"abcdefg1x", std::nullopt},
      {"abcdefgh1", "abcdefgh"},
  };
  for (const auto& [identifier, tag] : cases) EXPECT_EQ(requestLocale(localeOf(identifier)), tag) << identifier;
}

TEST(LocaleTagsTest, NoValidLanguageGivesNoContentTagAndEnForEvents) {
  for (std::string identifier : {"", "-", "1234", "e", "x1_US", "\xC3\xA9n_US"}) {
    EXPECT_EQ(requestLocale(localeOf(identifier)), std::nullopt) << identifier;
    EXPECT_EQ(sdkLocale(localeOf(identifier)), "en") << identifier;
  }
  EXPECT_EQ(sdkLocale(localeOf("it_IT")), "it-IT");
}

TEST(LocaleTagsTest, CountriesAreUpperCasedAndAnalyticsAcceptsOnlyTwoLetters) {
  EXPECT_EQ(requestCountry(localeOf("en_US", "us")), "US");
  EXPECT_EQ(analyticsCountry(localeOf("en_US", "us")), "US");
  EXPECT_EQ(requestCountry(localeOf("en_US", "usa")), "USA");
  EXPECT_EQ(analyticsCountry(localeOf("en_US", "usa")), std::nullopt);
  for (std::optional<std::string> region : {std::optional<std::string>("419"), std::optional<std::string>("U"),
                                            std::optional<std::string>("ABCDEFGHI"), std::optional<std::string>()}) {
    EXPECT_EQ(requestCountry(localeOf("en", region)), std::nullopt);
    EXPECT_EQ(analyticsCountry(localeOf("en", region)), std::nullopt);
  }
}

}  // namespace
}  // namespace orvane
