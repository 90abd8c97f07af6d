#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "access_policy.h"
#include "http/router.h"
#include "storage/store.h"

namespace orvane::service::media {
class MediaLibrary;
}

namespace orvane::service::admin {

struct AdminOptions {
  // The largest JSON body an admin write takes (a placement's whole document).
  std::size_t maxJsonBytes = 4 * 1024 * 1024;
  // Link schemes the host apps open besides http, https, mailto and tel (their deep links), as
  // they tell the SDK; call-to-action links of other schemes are refused.
  std::vector<std::string> appLinkSchemes;
  // Stamps audit entries.
  std::function<storage::TimePoint()> clock = [] { return std::chrono::system_clock::now(); };
};

// The admin HTTP API under /admin/v1/, JSON in and out, each route let through by `policy`;
// drafts are checked as content folders are:
//   GET  apps                                         POST apps {"key", "name"}
//   GET  apps/{app}/sdk-keys                          POST apps/{app}/sdk-keys {"label"}: the key, shown once
//   POST apps/{app}/sdk-keys/{id}/revoke
//   GET  apps/{app}/placements                       POST apps/{app}/placements {"key", "kind"}
//   DELETE apps/{app}/placements/{placement}/{stories|banners}
//   GET  apps/{app}/placements/{placement}/{stories|banners}/draft (what staging sees) and .../published
//   PUT  .../draft (the document)                    POST .../publish    POST .../rollback
//   POST media (the bytes)                            GET  media/{sha256}
// Every change made is written to the store's audit log with who made it.
// The store, media library (null: no uploads) and policy must outlive the router.
void addAdminRoutes(http::Router& router, storage::Store& store, media::MediaLibrary* media,
                    const AccessPolicy& policy, AdminOptions options);

}  // namespace orvane::service::admin
