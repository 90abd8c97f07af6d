#include "access_policy.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include <sodium.h>

#include "accounts/accounts.h"

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

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool roleAllows(storage::Role role, Permission permission) {
  switch (permission) {
    case Permission::readApps:
    case Permission::readAnalytics:
      return true;
    case Permission::editContent:
    case Permission::publishContent:
      return role == storage::Role::editor || role == storage::Role::owner;
    case Permission::manageApps:
    case Permission::manageUsers:
    case Permission::readAudit:
      return role == storage::Role::owner;
  }
  return false;
}

std::string_view permissionName(Permission permission) {
  switch (permission) {
    case Permission::readApps: return "read apps and content";
    case Permission::readAnalytics: return "read analytics";
    case Permission::manageApps: return "manage apps and SDK keys";
    case Permission::manageUsers: return "manage users";
    case Permission::readAudit: return "read the audit log";
    case Permission::editContent: return "edit content";
    case Permission::publishContent: return "publish content";
  }
  return "do this";
}

bool isWriteMethod(std::string_view method) { return method != "GET" && method != "HEAD" && method != "OPTIONS"; }

std::string_view cookieValue(const http::Request& request, std::string_view name) {
  // Several Cookie headers arrive joined into one value.
  std::string_view cookies = request.header("Cookie");
  while (!cookies.empty()) {
    const std::size_t end = std::min(cookies.find_first_of(";,"), cookies.size());
    const std::string_view pair = trimmed(cookies.substr(0, end));
    cookies.remove_prefix(std::min(end + 1, cookies.size()));
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && trimmed(pair.substr(0, equals)) == name)
      return trimmed(pair.substr(equals + 1));
  }
  return {};
}

BearerTokenPolicy::BearerTokenPolicy(std::string token) : tokenHash_(digest(token)) {
  if (token.empty()) throw std::invalid_argument("an empty admin token would let anyone in");
}

bool BearerTokenPolicy::presented(const http::Request& request) { return !request.header("Authorization").empty(); }

Decision BearerTokenPolicy::authorize(const http::Request& request, Permission) const {
  const std::string_view presented = presentedToken(request);
  if (!presented.empty() && sameDigest(digest(presented), tokenHash_))
    return Actor{"admin-token", storage::Role::owner, std::nullopt, {}};
  http::Response answer =
      http::Response::error(401, "an admin token is needed: Authorization: Bearer <token>");
  answer.headers["WWW-Authenticate"] = "Bearer";
  return answer;
}

Decision SessionPolicy::authorize(const http::Request& request, Permission permission) const {
  if (bearer_ != nullptr && BearerTokenPolicy::presented(request)) return bearer_->authorize(request, permission);
  auto session = accounts_.session(cookieValue(request, sessionCookie));
  if (!session) return http::Response::error(401, "sign in first: no session, or it has expired");
  if (isWriteMethod(request.method) &&
      !accounts::Accounts::sameToken(request.header(csrfHeader), session->csrfToken)) {
    return http::Response::error(403, "a change needs the session's CSRF token in the X-CSRF-Token header");
  }
  const storage::ConsoleUser& user = session->session.user;
  if (!roleAllows(user.role, permission)) {
    return http::Response::error(403, "your role (" + std::string(storage::roleName(user.role)) + ") cannot " +
                                          std::string(permissionName(permission)));
  }
  return Actor{user.name, user.role, user.id, session->tokenHash};
}

}  // namespace orvane::service::admin
