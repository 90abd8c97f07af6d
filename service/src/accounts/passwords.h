#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane::service::accounts {

// Argon2id work factors; the defaults are libsodium's interactive ones (64 MiB, 2 passes).
struct PasswordHashing {
  unsigned long long opsLimit;
  std::size_t memLimit;
  static PasswordHashing interactive();
  // The cheapest libsodium allows: for tests only.
  static PasswordHashing fastest();
};

inline constexpr std::size_t minPasswordLength = 12;
inline constexpr std::size_t maxPasswordLength = 1024;

// Empty when the password is fit to keep, else why not.
std::string passwordProblem(std::string_view password);

// libsodium's self-describing Argon2id text (algorithm, parameters, salt and hash).
std::string hashPassword(std::string_view password, const PasswordHashing& hashing);
// Constant time in the hash; false also for a stored text that is not such a hash.
bool passwordMatches(std::string_view password, const std::string& storedHash);

}  // namespace orvane::service::accounts
