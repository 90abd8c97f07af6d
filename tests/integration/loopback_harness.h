#pragma once

#include "content_service.h"
#include "real_transport_sdk.h"

namespace orvane::testing {

// Started before the SDK is built so its origin is known.
struct StartedContentService {
  explicit StartedContentService(service::ContentServiceOptions options)
      : service(ORVANE_SAMPLE_CONTENT_DIR, std::move(options)) {
    service.start();
  }
  service::ContentService service;
};

// An SDK on the real transport and a real run loop, pointed at a local content service.
struct LoopbackHarness : StartedContentService, RealTransportSdk {
  explicit LoopbackHarness(service::ContentServiceOptions serviceOptions = {},
                           CurlHttpSession::Options transportOptions = {})
      : StartedContentService(std::move(serviceOptions)),
        RealTransportSdk(service.origin(), std::move(transportOptions)) {}
};

}  // namespace orvane::testing
