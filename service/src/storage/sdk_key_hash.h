#pragma once

#include <string>
#include <string_view>

namespace orvane::service::storage {

// SDK keys are random secrets, not passwords: a plain SHA-256 resists recovery without slowing
// every request. Lower-case hex, so both engines store it as text.
std::string hashSdkKey(std::string_view sdkKey);

// Constant-time comparison of two hashes.
bool sameKeyHash(std::string_view a, std::string_view b);

// What is kept of a key in clear: enough to tell keys apart, never more than a quarter of it.
std::string sdkKeyPrefix(std::string_view sdkKey);

}  // namespace orvane::service::storage
