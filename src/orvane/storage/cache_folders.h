#pragma once

#include <memory>

#include <orvane/platform/platform.h>
#include <orvane/storage/disk_cache.h>

namespace orvane {

// The process's caches in the platform's cache folder; null when the platform keeps nothing on disk.

// Downloaded images and videos, bounded by StoryConfiguration::mediaCacheBytes once configured.
std::shared_ptr<DiskCache> mediaDiskCache(const Platform& platform);
// The last good answer of each placement (see PlacementAnswerStore): a few kilobytes each.
std::shared_ptr<DiskCache> answerDiskCache(const Platform& platform);

}  // namespace orvane
