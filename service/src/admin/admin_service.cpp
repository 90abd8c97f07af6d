#include "admin_service.h"

#include <stdexcept>

#include "account_routes.h"
#include "analytics_routes.h"

namespace orvane::service::admin {

AdminService::AdminService(storage::Store& store, media::MediaLibrary* media, AdminServiceOptions options)
    : store_(store), media_(media), options_(std::move(options)) {
  storage::ConsoleStore* console = store_.console();
  if (console == nullptr) throw std::invalid_argument("the admin service needs a store that keeps console users");
  accounts_ = std::make_unique<accounts::Accounts>(*console, options_.accounts);
  if (options_.adminToken && !options_.adminToken->empty())
    bearer_ = std::make_unique<BearerTokenPolicy>(*options_.adminToken);
  policy_ = std::make_unique<SessionPolicy>(*accounts_, bearer_.get());
  options_.api.clock = options_.accounts.clock;
}

void AdminService::addRoutes(http::Router& router) {
  addAccountRoutes(router, *accounts_, *policy_, options_.secureCookies);
  addAdminRoutes(router, store_, media_, *policy_, options_.api);
  addAnalyticsRoutes(router, store_, *policy_);
}

}  // namespace orvane::service::admin
