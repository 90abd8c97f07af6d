#include <orvane/storage/cache_folders.h>

namespace orvane {
namespace {

// Far above what a few dozen placements' answers take, each at most a few megabytes.
constexpr std::uint64_t kAnswerCacheBytes = std::uint64_t{32} << 20;

std::shared_ptr<DiskCache> cacheIn(const Platform& platform, const char* subfolder) {
  if (!platform.cacheDirectory || platform.cacheDirectory->empty()) return nullptr;
  return DiskCache::forFolder(std::filesystem::path(*platform.cacheDirectory) / subfolder);
}

}  // namespace

std::shared_ptr<DiskCache> mediaDiskCache(const Platform& platform) { return cacheIn(platform, "media"); }

std::shared_ptr<DiskCache> answerDiskCache(const Platform& platform) {
  auto cache = cacheIn(platform, "answers");
  if (cache) cache->setMaxBytes(kAnswerCacheBytes);
  return cache;
}

}  // namespace orvane
