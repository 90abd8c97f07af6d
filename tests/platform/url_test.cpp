#include <orvane/platform/url.h>

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(Url, ParsesAbsoluteAndRelativeReferencesAndRejectsMalformedText) {
  auto absolute = Url::parse("https://cdn.example.com/a/b.png?x=1");
  ASSERT_TRUE(absolute);
  EXPECT_EQ(absolute->scheme(), "https");
  EXPECT_EQ(absolute->host(), "cdn.example.com");

  auto relative = Url::parse("example.com/path");
  ASSERT_TRUE(relative);
  EXPECT_FALSE(relative->hasScheme());

  for (const char* bad : {"has blank", "https://a.com/%zz", "https://a.com/<x>", "\"quoted\""}) {
    EXPECT_FALSE(Url::parse(bad)) << bad;
  }
  EXPECT_FALSE(Url::parse(std::string("https://a.com/\0x", 16)));
}

TEST(Url, PathComponentsCannotEscapeTheirSegment) {
  auto base = *Url::parse("https://api.example.com");
  auto url = base.appendingPathComponent("sdk").appendingPathComponent("my app");
  EXPECT_EQ(url.string(), "https://api.example.com/sdk/my%20app");

  EXPECT_EQ(base.appendingPathComponent("a/b").string(), "https://api.example.com/a%2Fb");
  EXPECT_EQ(base.appendingPathComponent("..").string(), "https://api.example.com/%2E%2E");
  EXPECT_EQ(base.appendingPathComponent(".").string(), "https://api.example.com/%2E");
  EXPECT_EQ(base.appendingPathComponent("?q=1#f").string(), "https://api.example.com/%3Fq%3D1%23f");
  EXPECT_EQ(base.appendingPathComponent("").string(), "https://api.example.com/");
}

TEST(Url, QueryItemsAreEncodedAndReplaceTheQuery) {
  auto base = *Url::parse("https://api.example.com/p?old=1");
  auto url = base.withQueryItems({{"locale", "en-US"}, {"q", "a b&c=d+e"}});
  EXPECT_EQ(url.string(), "https://api.example.com/p?locale=en-US&q=a%20b%26c%3Dd%2Be");
  EXPECT_TRUE(Url::parse(url.string()));
}

}  // namespace
}  // namespace orvane
