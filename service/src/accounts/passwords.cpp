#include "accounts/passwords.h"

#include <stdexcept>

#include <sodium.h>

namespace orvane::service::accounts {

PasswordHashing PasswordHashing::interactive() {
  return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

PasswordHashing PasswordHashing::fastest() { return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN}; }

std::string passwordProblem(std::string_view password) {
  // Counted in characters, not bytes: UTF-8 continuation bytes do not count.
  std::size_t characters = 0;
  for (char c : password) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  if (characters < minPasswordLength)
    return "a password needs at least " + std::to_string(minPasswordLength) + " characters";
  if (password.size() > maxPasswordLength)
    return "a password has at most " + std::to_string(maxPasswordLength) + " bytes";
  return {};
}

std::string hashPassword(std::string_view password, const PasswordHashing& hashing) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str_alg(hash, password.data(), password.size(), hashing.opsLimit, hashing.memLimit,
                            crypto_pwhash_ALG_ARGON2ID13) != 0) {
    throw std::runtime_error("not enough memory to hash a password");
  }
  return hash;
}

bool passwordMatches(std::string_view password, const std::string& storedHash) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  if (storedHash.size() >= crypto_pwhash_STRBYTES) return false;
  return crypto_pwhash_str_verify(storedHash.c_str(), password.data(), password.size()) == 0;
}

}  // namespace orvane::service::accounts
