#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "access_policy.h"
#include "service/src/http/router.h"
#include "service/src/storage/store.h"

namespace orvane::service::media {
class MediaLibrary;
}

namespace orvane::service::admin {

struct AdminOptions {
  // The largest JSON body an admin write takes (a placement's whole document).
  std::size_t maxJsonBytes = 4 * 1024 * 1024;
  // Checks a placement document before it becomes a draft: what is wrong, or nullopt.
  std::function<std::optional<std::string>(storage::ContentKind, const nlohmann::json&)> validateContent;
};

// The admin HTTP API under /admin/v1/, JSON in and out, each route let through by `policy`:
//   GET  apps                                         POST apps {"key", "name"}
//   GET  apps/{app}/sdk-keys                          POST apps/{app}/sdk-keys {"label"}: the key, shown once
//   POST apps/{app}/sdk-keys/{id}/revoke
//   GET  apps/{app}/placements
//   GET  apps/{app}/placements/{placement}/{stories|banners}/draft (what staging sees) and .../published
//   PUT  .../draft (the document)                    POST .../publish    POST .../rollback
//   POST media (the bytes)                            GET  media/{sha256}
// The store, media library (null: no uploads) and policy must outlive the router.
void addAdminRoutes(http::Router& router, storage::Store& store, media::MediaLibrary* media,
                    const AccessPolicy& policy, AdminOptions options);

}  // namespace orvane::service::admin
