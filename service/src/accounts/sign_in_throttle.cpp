#include "accounts/sign_in_throttle.h"

#include <algorithm>

namespace orvane::service::accounts {

std::chrono::seconds SignInThrottle::waitIn(const Records& records, std::string_view key,
                                            storage::TimePoint now) const {
  const auto found = records.find(key);
  if (found == records.end() || found->second.nextAllowed <= now) return std::chrono::seconds(0);
  // Rounded up: a client told 0 would come straight back.
  return std::chrono::ceil<std::chrono::seconds>(found->second.nextAllowed - now);
}

std::chrono::seconds SignInThrottle::wait(std::string_view account, std::string_view address,
                                          storage::TimePoint now) {
  std::lock_guard lock(mutex_);
  return std::max(waitIn(accounts_, account, now), waitIn(addresses_, address, now));
}

void SignInThrottle::count(Records& records, std::string_view key, int freeFailures, storage::TimePoint now) {
  auto found = records.find(key);
  if (found == records.end()) {
    if (records.size() >= limits_.maxTracked) {
      std::erase_if(records, [&](const auto& entry) { return now - entry.second.lastFailure > limits_.forgetAfter; });
    }
    if (records.size() >= limits_.maxTracked) return;
    found = records.emplace(std::string(key), Record{}).first;
  }
  Record& record = found->second;
  if (now - record.lastFailure > limits_.forgetAfter) record.failures = 0;
  record.failures += 1;
  record.lastFailure = now;
  const int beyond = record.failures - freeFailures;
  if (beyond <= 0) return;
  auto delay = limits_.firstDelay;
  for (int doubling = 1; doubling < beyond && delay < limits_.maxDelay; ++doubling) delay *= 2;
  record.nextAllowed = now + std::min(delay, limits_.maxDelay);
}

void SignInThrottle::failed(std::string_view account, std::string_view address, storage::TimePoint now) {
  std::lock_guard lock(mutex_);
  count(accounts_, account, limits_.freeFailuresPerAccount, now);
  count(addresses_, address, limits_.freeFailuresPerAddress, now);
}

void SignInThrottle::succeeded(std::string_view account) {
  std::lock_guard lock(mutex_);
  if (auto found = accounts_.find(account); found != accounts_.end()) accounts_.erase(found);
}

}  // namespace orvane::service::accounts
