#include "access_log.h"

#include <nlohmann/json.hpp>

#include "content/time_text.h"

namespace orvane::service::app {

std::string accessLogLine(const http::AccessRecord& record, std::chrono::system_clock::time_point at) {
  const nlohmann::json line{
      {"time", content::formatDateTime(at)},
      {"method", record.method},
      {"route", record.route},
      {"path", record.path},
      {"status", record.status},
      {"bytes", record.bytesSent},
      {"ms", static_cast<double>(record.duration.count()) / 1000.0},
      {"client", record.clientAddress},
  };
  // Paths come from the network: bytes that are not UTF-8 are replaced, never passed on raw.
  return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace orvane::service::app
