// Password hashing and the sign-in throttle's arithmetic.
#include <gtest/gtest.h>

#include "accounts/passwords.h"
#include "accounts/sign_in_throttle.h"

namespace orvane::service::accounts {
namespace {

using namespace std::chrono_literals;

TEST(Passwords, AreKeptAsSaltedArgon2idHashesAndCheckedAsSuch) {
  const auto hashing = PasswordHashing::fastest();
  const std::string hash = hashPassword("correct horse battery", hashing);
  EXPECT_TRUE(hash.starts_with("$argon2id$")) << hash;
  EXPECT_EQ(hash.find("correct"), std::string::npos);
  EXPECT_NE(hashPassword("correct horse battery", hashing), hash) << "salted";
  EXPECT_TRUE(passwordMatches("correct horse battery", hash));
  EXPECT_FALSE(passwordMatches("correct horse batterY", hash));
  EXPECT_FALSE(passwordMatches("correct horse battery", "not a hash"));
  EXPECT_FALSE(passwordMatches("correct horse battery", std::string(500, '$')));

  EXPECT_EQ(passwordProblem("twelve chars"), "");
  EXPECT_NE(passwordProblem("eleven char"), "");
  EXPECT_NE(passwordProblem("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"), "")
      << "eleven accented letters are 22 bytes but 11 characters";
  EXPECT_NE(passwordProblem(std::string(maxPasswordLength + 1, 'x')), "");
}

TEST(SignInThrottle, DelaysDoubleUpToACapAndAreForgottenAfterAQuietHour) {
  ThrottleLimits limits;
  limits.freeFailuresPerAccount = 1;
  limits.freeFailuresPerAddress = 1000;
  limits.maxDelay = 8s;
  SignInThrottle throttle(limits);
  storage::TimePoint now{};
  throttle.failed("alice", "a", now);
  EXPECT_EQ(throttle.wait("alice", "a", now), 0s);
  std::vector<std::chrono::seconds> waits;
  for (int i = 0; i < 6; ++i) {
    throttle.failed("alice", "a", now);
    waits.push_back(throttle.wait("alice", "b", now));
    now += waits.back();
  }
  EXPECT_EQ(waits, (std::vector<std::chrono::seconds>{1s, 2s, 4s, 8s, 8s, 8s}));
  EXPECT_EQ(throttle.wait("bob", "a", now), 0s) << "another account from the same address";
  throttle.failed("alice", "a", now);
  now += 2h;
  throttle.failed("alice", "a", now);
  EXPECT_EQ(throttle.wait("alice", "a", now), 0s) << "a quiet hour starts the count afresh";

  limits.maxTracked = 2;
  SignInThrottle small(limits);
  small.failed("a", "x", now);
  small.failed("b", "y", now);
  small.failed("c", "z", now);
  small.failed("c", "z", now);
  EXPECT_EQ(small.wait("c", "z", now), 0s) << "beyond its bound nothing new is tracked";
  small.failed("a", "x", now);
  EXPECT_EQ(small.wait("a", "x", now), 1s) << "what is tracked still counts";
}

}  // namespace
}  // namespace orvane::service::accounts
