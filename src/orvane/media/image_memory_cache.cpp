#include <orvane/media/image_memory_cache.h>

namespace orvane {
namespace {

// A list node with its entry, a hash node with its key and iterator, and the image's control block.
constexpr std::size_t kBookkeepingBytes = 2 * sizeof(void*) + 96 + sizeof(Url) + 3 * sizeof(void*) + 32;

}  // namespace

std::size_t ImageMemoryCache::costOf(const Url& url, const Image& image) {
  return image.byteCost() + 2 * url.string().capacity() + kBookkeepingBytes;
}

std::shared_ptr<const Image> ImageMemoryCache::find(const Url& url) const {
  auto found = index_.find(url);
  if (found == index_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, found->second);
  return found->second->image;
}

std::optional<PixelSize> ImageMemoryCache::madeFor(const Url& url) const {
  auto found = index_.find(url);
  if (found == index_.end()) return std::nullopt;
  return found->second->madeFor;
}

bool ImageMemoryCache::insert(const Url& url, std::shared_ptr<const Image> image, PixelSize madeFor) {
  if (!image || maxEntries_ == 0) return false;
  // Charged once, at the price it had when stored, so the running total can never drift.
  const std::size_t cost = costOf(url, *image);
  if (cost > budget_) return false;
  if (auto existing = index_.find(url); existing != index_.end()) erase(existing->second);
  while (totalCost_ + cost > budget_ || entries_.size() >= maxEntries_) erase(std::prev(entries_.end()));
  entries_.push_front(Entry{url, std::move(image), madeFor, cost});
  index_.emplace(url, entries_.begin());
  totalCost_ += cost;
  return true;
}

void ImageMemoryCache::erase(Entries::iterator entry) {
  totalCost_ -= entry->cost;
  index_.erase(entry->url);
  entries_.erase(entry);
}

}  // namespace orvane
