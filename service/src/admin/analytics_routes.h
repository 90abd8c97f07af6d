#pragma once

#include "access_policy.h"
#include "http/router.h"
#include "storage/store.h"

namespace orvane::service::admin {

// GET /admin/v1/apps/{app}/analytics?from=DATE&to=DATE&timeZone=ZONE[&placement=KEY]
//     [&format=csv&table=NAME]: the app's figures over local days of the zone, both dates included.
void addAnalyticsRoutes(http::Router& router, storage::Store& store, const AccessPolicy& policy);

}  // namespace orvane::service::admin
