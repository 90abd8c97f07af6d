#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "accounts/passwords.h"
#include "accounts/sign_in_throttle.h"
#include "storage/console_store.h"

namespace orvane::service::accounts {

struct AccountsOptions {
  PasswordHashing hashing = PasswordHashing::interactive();
  std::chrono::seconds sessionLifetime{12 * 60 * 60};
  ThrottleLimits throttle;
  std::function<storage::TimePoint()> clock = [] { return std::chrono::system_clock::now(); };
};

struct SignedIn {
  std::string token;      // the cookie's value; only its hash is stored
  std::string csrfToken;
  storage::ConsoleUser user;
  storage::TimePoint expiresAt;
};
struct SignInRefused {
  int status = 401;  // 401 wrong name or password, 429 too many failures
  std::chrono::seconds retryAfter{0};
};

struct ActiveSession {
  storage::ConsoleSession session;
  std::string tokenHash;
  std::string csrfToken;
};

// Users, passwords and sessions of the console. Thread-safe.
class Accounts {
 public:
  Accounts(storage::ConsoleStore& store, AccountsOptions options = {});

  storage::ConsoleStore& store() { return store_; }
  storage::TimePoint now() const { return options_.clock(); }
  const PasswordHashing& hashing() const { return options_.hashing; }

  std::variant<SignedIn, SignInRefused> signIn(std::string_view name, std::string_view password,
                                               std::string_view address);
  // The live session a cookie's token names.
  std::optional<ActiveSession> session(std::string_view token);
  void signOut(const std::string& tokenHash);

  // The token's hash as stored, and the CSRF token tied to it.
  static std::string tokenHash(std::string_view token);
  static std::string csrfTokenFor(std::string_view token);
  // Compares in constant time.
  static bool sameToken(std::string_view a, std::string_view b);

 private:
  storage::ConsoleStore& store_;
  const AccountsOptions options_;
  SignInThrottle throttle_;
  std::string decoyHash_;  // verified against for unknown names, so they take as long as known ones
};

// Empty when `name` may name a user: 1 to 64 letters, digits, '.', '_', '-' or '@'.
std::string userNameProblem(std::string_view name);

}  // namespace orvane::service::accounts
