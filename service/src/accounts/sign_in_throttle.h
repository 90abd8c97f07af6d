#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "storage/store.h"

namespace orvane::service::accounts {

struct ThrottleLimits {
  int freeFailuresPerAccount = 3;   // failures before delays start
  int freeFailuresPerAddress = 10;
  std::chrono::seconds firstDelay{1};  // doubles with every further failure
  std::chrono::seconds maxDelay{15 * 60};
  std::chrono::seconds forgetAfter{60 * 60};  // a quiet account or address starts afresh
  std::size_t maxTracked = 100'000;  // per map; beyond it, new addresses go untracked
};

// Slows password guessing per account name and per client address: after a few failures each
// further one makes the next attempt wait twice as long. It only answers how long to wait, so
// no request thread ever sleeps. Thread-safe.
class SignInThrottle {
 public:
  explicit SignInThrottle(ThrottleLimits limits = {}) : limits_(limits) {}

  // Zero when an attempt may be made now, else how long until it may.
  std::chrono::seconds wait(std::string_view account, std::string_view address, storage::TimePoint now);
  void failed(std::string_view account, std::string_view address, storage::TimePoint now);
  void succeeded(std::string_view account);

 private:
  struct Record {
    int failures = 0;
    storage::TimePoint lastFailure;
    storage::TimePoint nextAllowed;
  };
  using Records = std::map<std::string, Record, std::less<>>;

  std::chrono::seconds waitIn(const Records& records, std::string_view key, storage::TimePoint now) const;
  void count(Records& records, std::string_view key, int freeFailures, storage::TimePoint now);

  const ThrottleLimits limits_;
  std::mutex mutex_;
  Records accounts_;
  Records addresses_;
};

}  // namespace orvane::service::accounts
