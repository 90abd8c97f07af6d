#include "media/image_memory_cache.h"

#include <gtest/gtest.h>

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

std::shared_ptr<const Image> costing(std::size_t cost) { return std::make_shared<CostedImage>(cost); }
Url url(const char* name) { return *Url::parse(std::string("https://cdn.example.com/") + name); }

TEST(ImageMemoryCache, EvictsLeastRecentlyUsedUntilTheNewImageFitsAndCountsEachEntryOnce) {
  ImageMemoryCache cache(100);
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
  EXPECT_EQ(cache.find(url("e"))->byteCost(), 70u);
  EXPECT_EQ(cache.find(url("c")), c);
  EXPECT_EQ(cache.find(url("a")), nullptr);
  EXPECT_EQ(cache.find(url("d")), nullptr);

  // Replacing an entry releases its old cost: e shrinks to 30 and then still fits beside 70 more.
  auto smaller = costing(30);
  ASSERT_TRUE(cache.insert(url("e"), smaller));
  auto f = costing(70);
  ASSERT_TRUE(cache.insert(url("f"), f));
  EXPECT_EQ(cache.find(url("e")), smaller);
  EXPECT_EQ(cache.find(url("f")), f);
}

TEST(ImageMemoryCache, RefusesImagesLargerThanTheWholeBudgetWithoutEvictingOthers) {
  ImageMemoryCache cache(100);
  auto kept = costing(100);
  ASSERT_TRUE(cache.insert(url("kept"), kept));
  EXPECT_FALSE(cache.insert(url("huge"), costing(101)));
  EXPECT_FALSE(cache.insert(url("none"), nullptr));
  EXPECT_EQ(cache.find(url("huge")), nullptr);
  EXPECT_EQ(cache.find(url("kept")), kept);
}

}  // namespace
}  // namespace orvane
