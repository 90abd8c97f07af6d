#include "media/image_memory_cache.h"

namespace orvane {

std::shared_ptr<const Image> ImageMemoryCache::find(const Url& url) const {
  auto found = index_.find(url);
  if (found == index_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, found->second);
  return found->second->image;
}

bool ImageMemoryCache::insert(const Url& url, std::shared_ptr<const Image> image) {
  if (!image) return false;
  if (auto existing = index_.find(url); existing != index_.end()) erase(existing->second);
  // Charged once, at the price it had when stored, so the running total can never drift.
  const std::size_t cost = image->byteCost();
  if (cost > budget_) return false;
  while (totalCost_ + cost > budget_) erase(std::prev(entries_.end()));
  entries_.push_front(Entry{url, std::move(image), cost});
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
