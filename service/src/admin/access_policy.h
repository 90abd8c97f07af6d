#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "http/message.h"
#include "storage/console_store.h"

namespace orvane::service::accounts {
class Accounts;
}

namespace orvane::service::admin {

// What an admin request wants to do; the policy decides who may.
enum class Permission {
  readApps,        // apps, keys (without the keys), placements, content, media records
  readAnalytics,   // the analytics of an app
  manageApps,      // create apps, create and revoke SDK keys
  manageUsers,     // add, change and remove console users
  readAudit,       // the audit log
  editContent,     // save drafts, create and delete placements, upload media
  publishContent,  // publish and roll back
};

bool roleAllows(storage::Role role, Permission permission);
std::string_view permissionName(Permission permission);

// Who a request was let through as.
struct Actor {
  std::string name;  // the user's, or "admin-token"
  storage::Role role = storage::Role::viewer;
  std::optional<std::int64_t> userId;  // absent for the admin token
  std::string sessionTokenHash;        // empty for the admin token
};

using Decision = std::variant<Actor, http::Response>;

// The one place deciding who may do what through the admin API: a request is let through as an
// actor, or given the answer to send instead (401, 403...). Thread-safe.
class AccessPolicy {
 public:
  virtual ~AccessPolicy() = default;
  virtual Decision authorize(const http::Request& request, Permission permission) const = 0;
};

// Everything for whoever presents "Authorization: Bearer <token>", compared in constant time.
class BearerTokenPolicy final : public AccessPolicy {
 public:
  explicit BearerTokenPolicy(std::string token);
  Decision authorize(const http::Request& request, Permission permission) const override;
  // True when the request carries an Authorization header at all.
  static bool presented(const http::Request& request);

 private:
  std::string tokenHash_;
};

inline constexpr std::string_view sessionCookie = "orvane_session";
inline constexpr std::string_view csrfHeader = "X-CSRF-Token";

// The console's users by their session cookie, each as far as their role goes; writes need the
// session's CSRF token in X-CSRF-Token. A request with an Authorization header goes to the bearer
// policy instead, when there is one.
class SessionPolicy final : public AccessPolicy {
 public:
  SessionPolicy(accounts::Accounts& accounts, const BearerTokenPolicy* bearer)
      : accounts_(accounts), bearer_(bearer) {}
  Decision authorize(const http::Request& request, Permission permission) const override;

 private:
  accounts::Accounts& accounts_;
  const BearerTokenPolicy* bearer_;
};

// The value of a cookie in the request's Cookie headers, empty when absent.
std::string_view cookieValue(const http::Request& request, std::string_view name);
bool isWriteMethod(std::string_view method);

}  // namespace orvane::service::admin
