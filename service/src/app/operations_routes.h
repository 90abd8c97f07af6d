#pragma once

#include <optional>
#include <string>

#include "http/metrics.h"
#include "http/router.h"
#include "storage/store.h"

namespace orvane::service::app {

// What a load balancer and a monitoring system ask: /healthz (the process answers), /readyz (the
// database answers too) for anyone, /metrics (Prometheus text) for the admin token's holder only;
// without an admin token /metrics is not there at all.
void addOperationsRoutes(http::Router& router, storage::Store& store, const http::Metrics& metrics,
                         std::optional<std::string> adminToken);

// True when the request carries "Authorization: Bearer <token>" with this token.
bool hasAdminToken(const http::Request& request, const std::string& token);

}  // namespace orvane::service::app
