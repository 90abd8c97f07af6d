#include "storage/event_retention.h"

namespace orvane::service::storage {
namespace {

// Tomorrow's and the day after's partitions exist before midnight, whatever the clocks of instances.
constexpr std::chrono::days daysReadiedAhead{2};

}  // namespace

EventRetention::EventRetention(Store& store, int retentionDays, std::chrono::milliseconds interval,
                               Report report)
    : store_(store),
      retentionDays_(retentionDays),
      interval_(interval),
      report_(std::move(report)),
      thread_([this] { run(); }) {}

EventRetention::~EventRetention() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void EventRetention::runRound(Store& store, int retentionDays, std::chrono::sys_days today) {
  store.prepareEventDays(today, today + daysReadiedAhead);
  store.removeEventsBefore(today - std::chrono::days(retentionDays));
}

void EventRetention::run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    lock.unlock();
    try {
      runRound(store_, retentionDays_,
               std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
    } catch (const StoreError& error) {
      // The next round tries again; events are readied on arrival meanwhile.
      if (report_) report_(std::string("event retention: ") + error.what());
    }
    lock.lock();
    wake_.wait_for(lock, interval_, [&] { return stopping_; });
  }
}

}  // namespace orvane::service::storage
