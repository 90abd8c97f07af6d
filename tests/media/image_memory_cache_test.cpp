#include <orvane/media/image_memory_cache.h>

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

class CostedImage final : public Image {
 public:
  explicit CostedImage(std::size_t cost) : cost_(cost) {}
  int width() const override { return 1; }
  int height() const override { return 1; }
  std::size_t byteCost() const override { return cost_; }

 private:
  std::size_t cost_;
};

constexpr std::size_t kUnit = 1000;
std::shared_ptr<const Image> costing(std::size_t units) {
  return std::make_shared<CostedImage>(units * kUnit);
}
Url url(const char* name) { return *Url::parse(std::string("https://cdn.example.com/") + name); }
// What an entry costs beyond its pixels, for the one-letter names used here.
std::size_t overhead() { return ImageMemoryCache::costOf(url("a"), CostedImage(0)); }

TEST(ImageMemoryCache, EvictsLeastRecentlyUsedUntilTheNewImageFitsAndCountsEachEntryOnce) {
  // Room for 100 units of pixels in up to three entries.
  ImageMemoryCache cache(100 * kUnit + 3 * overhead(), 100);
  auto a = costing(40), b = costing(30), c = costing(30);
  ASSERT_TRUE(cache.insert(url("a"), a));
  ASSERT_TRUE(cache.insert(url("b"), b));
  ASSERT_TRUE(cache.insert(url("c"), c));
  EXPECT_EQ(cache.find(url("a")), a);  // a is now the most recent; b the least

  ASSERT_TRUE(cache.insert(url("d"), costing(30)));
  EXPECT_EQ(cache.find(url("b")), nullptr);
  EXPECT_EQ(cache.find(url("a")), a);
  EXPECT_EQ(cache.find(url("c")), c);

  // The lookups above left the order c, a, d: making room for 70 takes d and then a.
  ASSERT_TRUE(cache.insert(url("e"), costing(70)));
  EXPECT_EQ(cache.find(url("e"))->byteCost(), 70 * kUnit);
  EXPECT_EQ(cache.find(url("c")), c);
  EXPECT_EQ(cache.find(url("a")), nullptr);
  EXPECT_EQ(cache.find(url("d")), nullptr);

  // Replacing an entry releases its old cost: e shrinks to 30 and then still fits beside 70 more.
  auto smaller = costing(30);
  ASSERT_TRUE(cache.insert(url("e"), smaller, PixelSize{8, 8}));
  auto f = costing(70);
  ASSERT_TRUE(cache.insert(url("f"), f));
  EXPECT_EQ(cache.find(url("e")), smaller);
  EXPECT_EQ(cache.madeFor(url("e")), (PixelSize{8, 8}));
  EXPECT_EQ(cache.find(url("f")), f);
  EXPECT_EQ(cache.count(), 2u);
  EXPECT_EQ(cache.totalCost(), 100 * kUnit + 2 * overhead());
}

TEST(ImageMemoryCache, RefusesImagesLargerThanTheWholeBudgetWithoutEvictingOthers) {
  ImageMemoryCache cache(100 * kUnit + overhead(), 100);
  auto kept = costing(100);
  ASSERT_TRUE(cache.insert(url("k"), kept));
  EXPECT_FALSE(cache.insert(url("h"), costing(101)));
  EXPECT_FALSE(cache.insert(url("k"), costing(101)));
  EXPECT_FALSE(cache.insert(url("n"), nullptr));
  EXPECT_EQ(cache.find(url("h")), nullptr);
  EXPECT_EQ(cache.find(url("k")), kept);
}

TEST(ImageMemoryCache, ChargesKeysAndBookkeepingAndCapsTheEntryCount) {
  // Tiny images behind long URLs: the URLs are most of what the cache holds.
  ImageMemoryCache cache(std::size_t{1} << 30, 50);
  const std::string longPath(2000, 'p');
  std::size_t lastCost = 0;
  for (int i = 0; i < 200; ++i) {
    const auto address = *Url::parse("https://cdn.example.com/" + longPath + std::to_string(i));
    ASSERT_TRUE(cache.insert(address, std::make_shared<CostedImage>(4)));
    lastCost = ImageMemoryCache::costOf(address, CostedImage(4));
  }
  EXPECT_GT(lastCost, 2 * longPath.size());
  EXPECT_EQ(cache.count(), 50u);
  EXPECT_GE(cache.totalCost(), 50 * 2 * longPath.size());

  ImageMemoryCache none(std::size_t{1} << 30, 0);
  EXPECT_FALSE(none.insert(url("a"), costing(1)));
}

}  // namespace
}  // namespace orvane
