#include "accounts/accounts.h"

#include <stdexcept>

#include <sodium.h>

namespace orvane::service::accounts {
namespace {

std::string base64Url(const unsigned char* bytes, std::size_t size) {
  std::string text(sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_URLSAFE_NO_PADDING), '\0');
  sodium_bin2base64(text.data(), text.size(), bytes, size, sodium_base64_VARIANT_URLSAFE_NO_PADDING);
  text.resize(text.size() - 1);  // the terminating NUL
  return text;
}

std::string newToken() {
  unsigned char secret[32];
  randombytes_buf(secret, sizeof secret);
  std::string token = base64Url(secret, sizeof secret);
  sodium_memzero(secret, sizeof secret);
  return token;
}

}  // namespace

Accounts::Accounts(storage::ConsoleStore& store, AccountsOptions options)
    : store_(store), options_(std::move(options)), throttle_(options_.throttle) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  decoyHash_ = hashPassword(newToken(), options_.hashing);
}

std::variant<SignedIn, SignInRefused> Accounts::signIn(std::string_view name, std::string_view password,
                                                       std::string_view address) {
  const auto now = options_.clock();
  if (const auto wait = throttle_.wait(name, address, now); wait.count() > 0) return SignInRefused{429, wait};
  const auto user = store_.userNamed(name);
  const bool matches = passwordMatches(password, user ? user->passwordHash : decoyHash_);
  if (!user || !matches) {
    throttle_.failed(name, address, now);
    return SignInRefused{401, std::chrono::seconds(0)};
  }
  throttle_.succeeded(name);
  SignedIn signedIn{newToken(), {}, *user, now + options_.sessionLifetime};
  signedIn.csrfToken = csrfTokenFor(signedIn.token);
  store_.addSession(tokenHash(signedIn.token), user->id, now, signedIn.expiresAt);
  return signedIn;
}

std::optional<ActiveSession> Accounts::session(std::string_view token) {
  if (token.empty() || token.size() > 128) return std::nullopt;
  std::string hash = tokenHash(token);
  auto session = store_.session(hash, options_.clock());
  if (!session) return std::nullopt;
  return ActiveSession{std::move(*session), std::move(hash), csrfTokenFor(token)};
}

void Accounts::signOut(const std::string& tokenHash) { store_.removeSession(tokenHash); }

std::string Accounts::tokenHash(std::string_view token) {
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(token.data()), token.size());
  return base64Url(digest, sizeof digest);
}

std::string Accounts::csrfTokenFor(std::string_view token) {
  // Keyed by the session's secret: whoever cannot read the cookie cannot compute it.
  unsigned char mac[crypto_auth_hmacsha256_BYTES];
  crypto_auth_hmacsha256_state state;
  crypto_auth_hmacsha256_init(&state, reinterpret_cast<const unsigned char*>(token.data()), token.size());
  static constexpr unsigned char purpose[] = "orvane console csrf";
  crypto_auth_hmacsha256_update(&state, purpose, sizeof purpose - 1);
  crypto_auth_hmacsha256_final(&state, mac);
  return base64Url(mac, sizeof mac);
}

bool Accounts::sameToken(std::string_view a, std::string_view b) {
  return !a.empty() && a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string userNameProblem(std::string_view name) {
  const auto allowed = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-' || c == '@';
  };
  if (name.empty() || name.size() > 64) return "a user name has 1 to 64 characters";
  for (char c : name)
    if (!allowed(c)) return "a user name holds only letters, digits, '.', '_', '-' or '@'";
  return {};
}

}  // namespace orvane::service::accounts
