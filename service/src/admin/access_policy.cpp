#include "access_policy.h"

#include <cctype>
#include <stdexcept>

#include <sodium.h>

namespace orvane::service::admin {
namespace {

// Hashed first, so the comparison takes the same time whatever the lengths.
std::string digest(std::string_view text) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  std::string out(crypto_hash_sha256_BYTES, '\0');
  crypto_hash_sha256(reinterpret_cast<unsigned char*>(out.data()),
                     reinterpret_cast<const unsigned char*>(text.data()), text.size());
  return out;
}

// The token of "Authorization: Bearer <token>"; the scheme's name is case-insensitive.
std::string_view presentedToken(const http::Request& request) {
  std::string_view value = request.header("Authorization");
  constexpr std::string_view kScheme = "bearer ";
  if (value.size() <= kScheme.size()) return {};
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(value[i])) != kScheme[i]) return {};
  }
  value.remove_prefix(kScheme.size());
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  return value;
}

bool sameDigest(const std::string& a, const std::string& b) {
  return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

BearerTokenPolicy::BearerTokenPolicy(std::string token) : tokenHash_(digest(token)) {
  if (token.empty()) throw std::invalid_argument("an empty admin token would let anyone in");
}

std::optional<http::Response> BearerTokenPolicy::refuse(const http::Request& request, Permission) const {
  const std::string_view presented = presentedToken(request);
  if (!presented.empty() && sameDigest(digest(presented), tokenHash_)) return std::nullopt;
  http::Response answer =
      http::Response::error(401, "an admin token is needed: Authorization: Bearer <token>");
  answer.headers["WWW-Authenticate"] = "Bearer";
  return answer;
}

}  // namespace orvane::service::admin
