#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "storage/store.h"

namespace orvane::service::app {

// The apps of live SDK keys seen lately, so an answer served from cache needs no query to know who
// asks. A key revoked through this process stops working at once (clear()), one revoked by another
// instance within `lifetime` (and the one query that finds it). Unknown keys are never kept: each
// costs its own query, as before.
class SdkKeyCache {
 public:
  using Ticks = std::function<std::chrono::steady_clock::time_point()>;

  explicit SdkKeyCache(storage::Store& store, std::chrono::milliseconds lifetime = std::chrono::seconds(1),
                       std::size_t maxKeys = 10'000, Ticks ticks = std::chrono::steady_clock::now);

  // Throws storage::StoreError when the store is needed and cannot answer.
  std::optional<storage::App> appFor(std::string_view sdkKey);
  // The same from memory only: nullopt also when the store would have to be asked. Once a key's
  // lifetime is over, one caller gets nullopt and goes on to appFor(), which asks again; the others
  // keep getting the app meanwhile, for at most another lifetime.
  std::optional<storage::App> knownApp(std::string_view sdkKey);
  void clear();

 private:
  struct Known {
    storage::App app;
    std::chrono::steady_clock::time_point until;
    std::shared_ptr<std::atomic<bool>> askAgainClaimed = std::make_shared<std::atomic<bool>>(false);
  };

  storage::Store& store_;
  const std::chrono::milliseconds lifetime_;
  const std::size_t maxKeys_;
  const Ticks ticks_;
  // Readers share it: a background thread reading a key never holds up a loop reading one.
  std::shared_mutex mutex_;
  std::unordered_map<std::string, Known> known_;  // by the key's hash: no secret kept in memory
  std::uint64_t generation_ = 0;                    // moved by clear()
};

}  // namespace orvane::service::app
