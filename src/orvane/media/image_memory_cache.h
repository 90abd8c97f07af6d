#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>

#include <orvane/platform/image.h>
#include <orvane/platform/url.h>

namespace orvane {

// Decoded images by URL, one entry per URL, bounded by the sum of their costs and by their
// number; the least recently used entries make room for new ones. An entry costs what it really
// holds: its pixels, its key (kept twice) and the bookkeeping around them, so many small images
// with long URLs are charged as much as they take. Not thread-safe: its owner confines it to one
// thread.
class ORVANE_EXPORT ImageMemoryCache {
 public:
  ImageMemoryCache(std::size_t budgetBytes, std::size_t maxEntries)
      : budget_(budgetBytes), maxEntries_(maxEntries) {}

  // The image stored for the URL, which becomes the most recently used; null when there is none.
  std::shared_ptr<const Image> find(const Url& url) const;
  // The size the stored image was decoded for, without touching recency.
  std::optional<PixelSize> madeFor(const Url& url) const;

  // Stores the image as the URL's only entry and the most recently used one, evicting the least
  // recently used until the total fits. An image costing more than the whole budget is not
  // stored (false), and the URL's older entry stays.
  bool insert(const Url& url, std::shared_ptr<const Image> image, PixelSize madeFor = {});

  static std::size_t costOf(const Url& url, const Image& image);
  std::size_t totalCost() const { return totalCost_; }
  std::size_t count() const { return entries_.size(); }

 private:
  struct Entry {
    Url url;
    std::shared_ptr<const Image> image;
    PixelSize madeFor;
    std::size_t cost;
  };
  using Entries = std::list<Entry>;

  void erase(Entries::iterator entry);

  std::size_t budget_;
  std::size_t maxEntries_;
  std::size_t totalCost_ = 0;
  // Most recently used first. Recency is bookkeeping, not content, so lookups may reorder it.
  mutable Entries entries_;
  std::unordered_map<Url, Entries::iterator> index_;
};

}  // namespace orvane
