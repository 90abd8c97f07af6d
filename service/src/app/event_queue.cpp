#include "event_queue.h"

#include "http/background_threads.h"

namespace orvane::service::app {
namespace {

// What an event holds in memory besides its body, roughly.
constexpr std::size_t kEventOverheadBytes = 256;

std::size_t sizeOf(const storage::StoredEvent& event) {
  return kEventOverheadBytes + event.body.size() + event.eventType.size() + event.placementKey.size() +
         event.groupId.size() + event.itemId.size() + event.bannerId.size() + event.bannerItemId.size() +
         event.sessionId.size();
}

}  // namespace

EventQueue::EventQueue(Writer write, EventQueueLimits limits)
    : write_(std::move(write)), limits_(limits), writer_([this] { run(); }) {}

EventQueue::~EventQueue() { stop(); }

bool EventQueue::push(storage::StoredEvent event) {
  const auto bytes = sizeOf(event);
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || queue_.size() >= limits_.maxEvents || queuedBytes_ + bytes > limits_.maxBytes) {
      ++dropped_;
      return false;
    }
    queue_.push_back(std::move(event));
    queuedBytes_ += bytes;
    ++pushed_;
  }
  wake_.notify_one();
  return true;
}

void EventQueue::flush() {
  std::unique_lock lock(mutex_);
  const auto target = pushed_;
  ++flushers_;
  wake_.notify_all();
  progress_.wait(lock, [&] { return done_ >= target; });
  --flushers_;
}

void EventQueue::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  std::call_once(joined_, [this] { writer_.join(); });
}

std::size_t EventQueue::depth() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

std::uint64_t EventQueue::dropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

std::uint64_t EventQueue::written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

std::uint64_t EventQueue::lost() const {
  std::lock_guard lock(mutex_);
  return lost_;
}

void EventQueue::run() {
  // Storing events may wait, so the writer yields the cores to answers. Lowered, not made a
  // background thread: it holds the database's write lock, which votes wait for.
  http::lowerCurrentThreadPriority();
  std::vector<storage::StoredEvent> batch;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping, and everything is written
      const auto count = std::min(queue_.size(), limits_.batchSize);
      batch.clear();
      for (std::size_t i = 0; i < count; ++i) {
        queuedBytes_ -= sizeOf(queue_.front());
        batch.push_back(std::move(queue_.front()));
        queue_.pop_front();
      }
    }
    writeBatch(batch);
  }
}

void EventQueue::writeBatch(const std::vector<storage::StoredEvent>& batch) {
  bool stored = false;
  for (int attempt = 1; attempt <= limits_.writeAttempts && !stored; ++attempt) {
    try {
      write_(batch);
      stored = true;
    } catch (const storage::StoreUnavailable&) {
      // A database restart is waited out (the queue's bounds protect memory meanwhile); only a
      // flush or a stop makes these attempts count, so that they end.
      std::unique_lock lock(mutex_);
      if (!stopping_ && flushers_ == 0) --attempt;
      if (attempt == limits_.writeAttempts) break;
      wake_.wait_for(lock, limits_.retryPause, [&] { return stopping_ || flushers_ > 0; });
    } catch (const std::exception&) {
      if (attempt == limits_.writeAttempts) break;
      std::unique_lock lock(mutex_);
      // Stopping cuts the pause short, not the attempts: the database may be back already.
      wake_.wait_for(lock, limits_.retryPause, [&] { return stopping_; });
    }
  }
  {
    std::lock_guard lock(mutex_);
    (stored ? written_ : lost_) += batch.size();
    done_ += batch.size();
  }
  progress_.notify_all();
}

}  // namespace orvane::service::app
