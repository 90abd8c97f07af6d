#pragma once

#include <nlohmann/json.hpp>

#include "storage/store.h"

namespace orvane::service::admin {

// How the admin API shows stored things. Times are UTC, "2026-12-08T01:20:00Z".
nlohmann::json toJson(const storage::App& app);
nlohmann::json toJson(const storage::SdkKeyInfo& key);  // never the key itself
nlohmann::json toJson(const storage::PlacementSummary& placement);
nlohmann::json toJson(const storage::PlacementContent& content);
nlohmann::json toJson(const storage::MediaRecord& media);  // with its URL path

}  // namespace orvane::service::admin
