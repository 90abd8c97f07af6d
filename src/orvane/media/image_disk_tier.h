#pragma once

#include <memory>
#include <optional>
#include <string>

#include <orvane/platform/clock.h>
#include <orvane/platform/http.h>
#include <orvane/platform/url.h>
#include <orvane/storage/disk_cache.h>

namespace orvane {

// The disk beneath the image pipeline's memory cache, by the rules of HTTP caching: a fresh entry
// is used without asking, a stale one is revalidated with its ETag (304 keeps it), and one the
// origin allows is shown while the origin cannot be reached. Every call blocks on the disk: workers
// only.
class ImageDiskTier {
 public:
  ImageDiskTier(std::shared_ptr<DiskCache> cache, std::shared_ptr<Clock> clock)
      : cache_(std::move(cache)), clock_(std::move(clock)) {}

  struct Kept {
    // Set when the entry may be used without asking the origin.
    std::optional<std::string> freshBytes;
    // The entry's record, fresh or not; absent when nothing usable is kept.
    std::optional<DiskCacheRecord> record;
  };
  Kept look(const Url& url) const;
  // A stale entry with a validator asks the origin whether it changed.
  static void askAbout(HttpRequest& request, const Kept& kept);

  // The kept bytes standing for the exchange's answer: on 304 (the entry's life starting anew),
  // or when the origin could not be reached (a transport failure or a 5xx) and the entry may be
  // shown stale. Absent: the exchange's own bytes are what there is.
  std::optional<std::string> keptAnswer(const Url& url, const Kept& kept, const HttpResult& exchange) const;
  // Keeps a 200 answer whose bytes decoded, as its Cache-Control allows (no-store drops the entry).
  void keep(const Url& url, const HttpResult& exchange) const;
  // Bytes from disk that did not decode are no image and must not be offered again.
  void forget(const Url& url) const { cache_->remove(url.string()); }

 private:
  std::shared_ptr<DiskCache> cache_;
  std::shared_ptr<Clock> clock_;
};

}  // namespace orvane
