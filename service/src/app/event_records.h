#pragma once

#include <string>
#include <variant>

#include <nlohmann/json.hpp>

#include "storage/store.h"

namespace orvane::service::app {

// An event body the service will not keep; the text says why, for a 400 answer.
struct RejectedEvent {
  std::string problem;
};

// A service event (the body of POST /sdk/v1/events) of `app`, checked and ready to queue.
std::variant<storage::StoredEvent, RejectedEvent> serviceEvent(const nlohmann::json& body, const storage::App& app,
                                                               storage::TimePoint receivedAt);

// An analytics record (the body of POST /sdk/v1/apps/<app>/events), checked and ready to queue.
std::variant<storage::StoredEvent, RejectedEvent> analyticsRecord(const nlohmann::json& body, const storage::App& app,
                                                                  storage::TimePoint receivedAt);

}  // namespace orvane::service::app
