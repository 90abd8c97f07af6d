#include <orvane/core/json_post.h>

#include <chrono>

namespace orvane {

void postJsonIgnoringAnswer(HttpSession& session, const Url& url, const nlohmann::ordered_json& body,
                            const std::string& sdkKey) {
  std::string encoded;
  try {
    encoded = body.dump();
  } catch (const nlohmann::json::exception&) {
    return;
  }
  HttpRequest request{url, "POST", {}, std::move(encoded), std::chrono::seconds{60}, std::nullopt};
  request.setHeader("Content-Type", "application/json");
  request.setHeader("X-Zephro-SDK-Key", sdkKey);
  request.lane = HttpRequest::Lane::telemetry;
  session.send(std::move(request), [](HttpResult) {});
}

}  // namespace orvane
