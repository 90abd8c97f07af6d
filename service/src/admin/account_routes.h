#pragma once

#include "access_policy.h"
#include "accounts/accounts.h"
#include "http/router.h"

namespace orvane::service::admin {

// The console's sign-in and users under /admin/v1/, JSON in and out:
//   POST session {"name", "password"}: the session cookie and its CSRF token   GET session: who am I
//   DELETE session: sign out                 PUT session/password {"current", "new"}
//   GET users   POST users {"name", "role", "password"}   PATCH users/{name} {"role", "password"}
//   DELETE users/{name}                      GET audit?before=ID&limit=N
// Every change goes to the audit log. The cookie is Secure over TLS, and always with
// `secureCookie` (TLS ended by a proxy). `accounts` and `policy` must outlive the router.
void addAccountRoutes(http::Router& router, accounts::Accounts& accounts, const AccessPolicy& policy,
                      bool secureCookie = false);

}  // namespace orvane::service::admin
