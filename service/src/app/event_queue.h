#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "storage/store.h"

namespace orvane::service::app {

struct EventQueueLimits {
  std::size_t maxEvents = 50'000;
  std::size_t maxBytes = 64 * 1024 * 1024;
  std::size_t batchSize = 500;
  // A batch the writer fails on is tried again this often before it is counted as lost; while the
  // database is unreachable it is kept and tried again until the queue stops.
  int writeAttempts = 3;
  std::chrono::milliseconds retryPause{500};
};

// Events wait here between their 202 and the database: a request only appends, a writer thread
// stores them in batches. Bounded by count and bytes; a full queue drops (and counts) instead of
// making anyone wait, so a slow database never slows content. Thread-safe.
class EventQueue {
 public:
  using Writer = std::function<void(const std::vector<storage::StoredEvent>&)>;

  EventQueue(Writer write, EventQueueLimits limits);
  // Writes what is queued, then ends the writer.
  ~EventQueue();

  EventQueue(const EventQueue&) = delete;
  EventQueue& operator=(const EventQueue&) = delete;

  // False when the queue is full or stopped: the event is dropped and counted.
  bool push(storage::StoredEvent event);
  // Returns once every event pushed before the call has been written (or given up on, after the
  // attempts of the limits, even while the database is unreachable).
  void flush();
  // Writes what is queued and ends the writer; later pushes are dropped.
  void stop();

  std::size_t depth() const;
  std::uint64_t dropped() const;
  std::uint64_t written() const;
  std::uint64_t lost() const;  // given up on after failed writes

 private:
  void run();
  void writeBatch(const std::vector<storage::StoredEvent>& batch);

  const Writer write_;
  const EventQueueLimits limits_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;      // the writer: events arrived, or stop
  std::condition_variable progress_;  // flushers: a batch is done
  std::deque<storage::StoredEvent> queue_;
  std::size_t queuedBytes_ = 0;
  std::uint64_t pushed_ = 0, done_ = 0, dropped_ = 0, written_ = 0, lost_ = 0;
  bool stopping_ = false;
  int flushers_ = 0;  // callers waiting in flush()
  std::once_flag joined_;
  std::thread writer_;
};

}  // namespace orvane::service::app
