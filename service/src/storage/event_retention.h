#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "storage/store.h"

namespace orvane::service::storage {

// Keeps the events of the last `retentionDays` whole UTC days (and today's), and the storage of the
// next days ready before their events come: one round at once, then one every `interval`, on a
// thread of its own until destroyed. Every instance runs one; they take turns in the database.
class EventRetention {
 public:
  using Report = std::function<void(const std::string&)>;

  EventRetention(Store& store, int retentionDays, std::chrono::milliseconds interval, Report report);
  ~EventRetention();
  EventRetention(const EventRetention&) = delete;
  EventRetention& operator=(const EventRetention&) = delete;

  // One round counted from `today`. Throws StoreError.
  static void runRound(Store& store, int retentionDays, std::chrono::sys_days today);

 private:
  void run();

  Store& store_;
  const int retentionDays_;
  const std::chrono::milliseconds interval_;
  const Report report_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace orvane::service::storage
