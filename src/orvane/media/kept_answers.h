#pragma once

#include <optional>

#include <orvane/platform/clock.h>
#include <orvane/platform/http.h>
#include <orvane/storage/disk_cache.h>
#include <orvane/storage/http_cache_policy.h>

namespace orvane {

// The rules both media caches keep entries by.

// The record of an entry kept under `policy`, stored at `now`.
DiskCacheRecord keptRecordOf(const HttpCachePolicy& policy, Date now);

// What a kept entry's record becomes once its origin confirmed it with a 304, its life starting
// anew; absent when the confirmation forbids keeping it (no-store).
std::optional<DiskCacheRecord> confirmedRecord(const HttpResponse& notModified, const DiskCacheRecord& kept,
                                               Date now);

// A failure a stale entry may stand in for: no answer (not a cancellation), or the origin's 5xx.
bool originUnreachable(const HttpResult& exchange);

}  // namespace orvane
