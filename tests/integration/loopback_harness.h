#pragma once

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "local_content_service.h"
#include "real_transport_sdk.h"
#include "support/throwaway_postgres.h"

namespace orvane::testing {

// The first story group of the sample content's "home" placement.
inline constexpr const char* kWelcomeGroup = "0c787a5d-0f85-5d16-b908-e42609841160";

// How many of the service's recorded events or analytics records have this type.
inline std::size_t countOf(const std::vector<nlohmann::json>& records, const std::string& eventType) {
  return static_cast<std::size_t>(std::count_if(records.begin(), records.end(), [&](const nlohmann::json& r) {
    return r.value("eventType", "") == eventType;
  }));
}

// The service's database: a SQLite file of its own, or a fresh database of a throwaway PostgreSQL
// cluster when ORVANE_TEST_ENGINE is "postgresql" (ctest runs the suites both ways).
inline service::LocalContentServiceOptions onTestEngine(service::LocalContentServiceOptions options) {
  const char* engine = std::getenv("ORVANE_TEST_ENGINE");
  if (engine == nullptr || std::string(engine) != "postgresql") return options;
  auto& cluster = service::test_support::ThrowawayPostgres::instance();
  if (!cluster.unavailableReason().empty()) throw std::runtime_error(cluster.unavailableReason());
  options.databaseUrl = cluster.createDatabase();
  return options;
}

// Started before the SDK is built so its origin is known.
struct StartedContentService {
  explicit StartedContentService(service::LocalContentServiceOptions options)
      : service(ORVANE_SAMPLE_CONTENT_DIR, onTestEngine(std::move(options))) {
    service.start();
  }
  service::LocalContentService service;
};

// An SDK on the real transport and a real run loop, pointed at a local content service.
struct LoopbackHarness : StartedContentService, RealTransportSdk {
  explicit LoopbackHarness(service::LocalContentServiceOptions serviceOptions = {},
                           CurlHttpSession::Options transportOptions = {})
      : StartedContentService(std::move(serviceOptions)),
        RealTransportSdk(service.origin(), std::move(transportOptions)) {}
};

}  // namespace orvane::testing
