#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <list>
#include <memory>
#include <unordered_map>

#include "platform/image.h"
#include "platform/url.h"

namespace ORVANE_EXPORT orvane {

// Decoded images by URL, bounded by the sum of their byte costs; the least recently used
// images make room for new ones. Not thread-safe: its owner confines it to one thread.
class ImageMemoryCache {
 public:
  explicit ImageMemoryCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

  // The image stored for the URL, which becomes the most recently used; null when there is none.
  std::shared_ptr<const Image> find(const Url& url) const;

  // Stores the image as the most recently used one, evicting the least recently used until the
  // total fits. An image costing more than the whole budget is not stored (false).
  bool insert(const Url& url, std::shared_ptr<const Image> image);

 private:
  struct Entry {
    Url url;
    std::shared_ptr<const Image> image;
    std::size_t cost;
  };
  using Entries = std::list<Entry>;

  void erase(Entries::iterator entry);

  std::size_t budget_;
  std::size_t totalCost_ = 0;
  // Most recently used first. Recency is bookkeeping, not content, so lookups may reorder it.
  mutable Entries entries_;
  std::unordered_map<Url, Entries::iterator> index_;
};

}  // namespace orvane
