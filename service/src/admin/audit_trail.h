#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "access_policy.h"
#include "http/message.h"
#include "storage/console_store.h"

namespace orvane::service::admin {

// Writes who changed what to the audit log; without a console store it keeps nothing. A log that
// cannot be written fails the request's answer rather than letting a change go unrecorded.
class AuditTrail {
 public:
  AuditTrail(storage::ConsoleStore* store, std::function<storage::TimePoint()> clock)
      : store_(store), clock_(std::move(clock)) {}

  void record(const std::string& actor, const http::Request& request, std::string action, std::string target,
              const nlohmann::json& detail = nlohmann::json::object()) const;

 private:
  storage::ConsoleStore* store_;
  std::function<storage::TimePoint()> clock_;
};

}  // namespace orvane::service::admin
