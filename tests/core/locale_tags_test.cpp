#include "core/locale_tags.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace orvane {
namespace {

using testing::FixedLocale;

std::optional<std::string> tagFor(const std::string& identifier) {
  FixedLocale locale;
  locale.set(identifier, std::nullopt);
  return requestLocale(locale);
}

std::string eventTagFor(const std::string& identifier) {
  FixedLocale locale;
  locale.set(identifier, std::nullopt);
  return sdkLocale(locale);
}

TEST(LocaleTagsTest, LanguageAndRegionBecomeATag) {
  EXPECT_EQ(tagFor("en_US@calendar=gregorian"), "en-US");
  EXPECT_EQ(tagFor("zh-Hant_TW"), "zh-HANT");
  EXPECT_EQ(tagFor("DE_at"), "de-AT");
  EXPECT_EQ(tagFor("fr"), "fr");
  EXPECT_EQ(tagFor("__es__MX"), "es-MX");  // empty parts are dropped
}

TEST(LocaleTagsTest, AnIdentifierStartingWithKeywordsKeepsTheTextAfterThem) {
  EXPECT_EQ(tagFor("@pt_BR"), "pt-BR");
  EXPECT_EQ(tagFor("@"), std::nullopt);
}

TEST(LocaleTagsTest, ARegionThatIsNoWordLeavesTheLanguageAlone) {
  EXPECT_EQ(tagFor("es_419"), "es");
  EXPECT_EQ(tagFor("en_U"), "en");
  EXPECT_EQ(tagFor("en_ABCDEFGHI"), "en");
}

TEST(LocaleTagsTest, LanguageIsCutToEightLettersBeforeItIsChecked) {
  EXPECT_EQ(tagFor("abcdefghij_US"), "abcdefgh-US");
  EXPECT_EQ(tagFor("abcdefg1x"), std::nullopt);
  EXPECT_EQ(tagFor("abcdefgh1"), "abcdefgh");
}

TEST(LocaleTagsTest, NoValidLanguageGivesNoContentTagAndEnForEvents) {
  for (std::string identifier : {"", "-", "1234", "e", "x1_US", "\xC3\xA9n_US"}) {
    EXPECT_EQ(tagFor(identifier), std::nullopt) << identifier;
    EXPECT_EQ(eventTagFor(identifier), "en") << identifier;
  }
  EXPECT_EQ(eventTagFor("it_IT"), "it-IT");
}

TEST(LocaleTagsTest, CountriesAreUpperCasedAndAnalyticsAcceptsOnlyTwoLetters) {
  FixedLocale locale;
  locale.set("en_US", "us");
  EXPECT_EQ(requestCountry(locale), "US");
  EXPECT_EQ(analyticsCountry(locale), "US");

  locale.set("en_US", "usa");
  EXPECT_EQ(requestCountry(locale), "USA");
  EXPECT_EQ(analyticsCountry(locale), std::nullopt);

  for (std::optional<std::string> region :
       {std::optional<std::string>("419"), std::optional<std::string>("U"),
        std::optional<std::string>("ABCDEFGHI"), std::optional<std::string>()}) {
    locale.set("en", region);
    EXPECT_EQ(requestCountry(locale), std::nullopt);
    EXPECT_EQ(analyticsCountry(locale), std::nullopt);
  }
}

}  // namespace
}  // namespace orvane
