#pragma once

#include <memory>
#include <optional>
#include <string>

#include "access_policy.h"
#include "accounts/accounts.h"
#include "admin_api.h"

namespace orvane::service::admin {

struct AdminServiceOptions {
  accounts::AccountsOptions accounts;
  AdminOptions api;
  // Session cookies marked Secure even on plain HTTP: a proxy in front speaks HTTPS.
  bool secureCookies = false;
  // Unset or empty: only signed-in users get in.
  std::optional<std::string> adminToken;
};

// Everything under /admin/v1/ composed: sign-in and users, the admin API, analytics, each route
// let through by the console's sessions or the admin token. Needs a store with console state.
class AdminService {
 public:
  AdminService(storage::Store& store, media::MediaLibrary* media, AdminServiceOptions options);

  // Adds the routes; this object must outlive the router.
  void addRoutes(http::Router& router);
  accounts::Accounts& accounts() { return *accounts_; }

 private:
  storage::Store& store_;
  media::MediaLibrary* media_;
  AdminServiceOptions options_;
  std::unique_ptr<accounts::Accounts> accounts_;
  std::unique_ptr<BearerTokenPolicy> bearer_;
  std::unique_ptr<SessionPolicy> policy_;
};

}  // namespace orvane::service::admin
