#pragma once

#include <chrono>
#include <string>

#include "http/server.h"

namespace orvane::service::app {

// One JSON line (without its newline) for one answered request: time, method, route, path,
// status, bytes, milliseconds and client address. Paths carry app, placement and item keys only:
// SDK keys and user ids travel in headers and bodies, which are never logged.
std::string accessLogLine(const http::AccessRecord& record, std::chrono::system_clock::time_point at);

}  // namespace orvane::service::app
