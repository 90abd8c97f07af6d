#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "http/message.h"

namespace orvane::service::admin {

// What an admin request wants to do; the policy decides who may.
enum class Permission {
  readApps,        // apps, keys (without the keys), placements, content, media records
  manageApps,      // create apps, create and revoke SDK keys
  editContent,     // save drafts, upload media
  publishContent,  // publish and roll back
};

// The one place deciding who may do what through the admin API: a request is let through (nullopt)
// or given the answer to send instead (401, 403...). Thread-safe.
class AccessPolicy {
 public:
  virtual ~AccessPolicy() = default;
  virtual std::optional<http::Response> refuse(const http::Request& request, Permission permission) const = 0;
};

// Everything for whoever presents "Authorization: Bearer <token>", compared in constant time.
class BearerTokenPolicy final : public AccessPolicy {
 public:
  explicit BearerTokenPolicy(std::string token);
  std::optional<http::Response> refuse(const http::Request& request, Permission permission) const override;

 private:
  std::string tokenHash_;
};

}  // namespace orvane::service::admin
