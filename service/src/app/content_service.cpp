#include "content_service.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "avi_video.h"
#include "placement_rendering.h"
#include "png_image.h"

namespace orvane::service {
namespace {

using httplib::Request;
using httplib::Response;

constexpr std::size_t kMaxRequestBodyBytes = 1 << 20;
constexpr std::uint32_t kMaxImageSide = 2048;
// Every frame is drawn and compressed per request: this keeps that to 240 small frames.
constexpr std::uint64_t kMaxVideoPixelSeconds = 144ULL * 256 * 30;

void answerJson(Response& response, int status, const nlohmann::json& body) {
  response.status = status;
  response.set_content(body.dump(), "application/json");
}

void answerError(Response& response, int status, const std::string& message) {
  answerJson(response, status, {{"error", message}});
}

std::optional<nlohmann::json> parsedObject(const std::string& body) {
  auto parsed = nlohmann::json::parse(body, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object()) return std::nullopt;
  return parsed;
}

// A width, height or length query value in 1...kMaxImageSide; `fallback` when absent.
std::optional<std::uint32_t> imageSide(const Request& request, const char* name, std::uint32_t fallback) {
  if (!request.has_param(name)) return fallback;
  const auto text = request.get_param_value(name);
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > kMaxImageSide)
    return std::nullopt;
  return value;
}

bool isHostText(const std::string& text) {
  return !text.empty() && text.size() <= 255 && std::all_of(text.begin(), text.end(), [](unsigned char c) {
    return std::isalnum(c) != 0 || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
  });
}

}  // namespace

ContentService::ContentService(const std::filesystem::path& contentDirectory, ContentServiceOptions options)
    : catalog_(ContentCatalog::load(contentDirectory)), options_(std::move(options)) {
  catalog_.registerVotables(votes_);
}

ContentService::~ContentService() { stop(); }

int ContentService::start(const std::string& host, int port) {
  std::lock_guard lock(lifecycleMutex_);
  if (server_) throw ContentError("The service is already running on port " + std::to_string(port_) + ".");
  {
    std::lock_guard delayLock(delayMutex_);
    stopping_ = false;
  }
  if (options_.certificatePath.has_value() != options_.privateKeyPath.has_value())
    throw ContentError("HTTPS needs both a certificate and a private key.");

  std::unique_ptr<httplib::Server> server;
  if (options_.certificatePath) {
    server = std::make_unique<httplib::SSLServer>(options_.certificatePath->c_str(),
                                                  options_.privateKeyPath->c_str());
    if (!server->is_valid()) throw ContentError("The certificate or private key cannot be used.");
  } else {
    server = std::make_unique<httplib::Server>();
  }
  server->set_payload_max_length(kMaxRequestBodyBytes);
  // stop() waits for idle keep-alive connections to time out; keep that wait short.
  server->set_keep_alive_timeout(1);
  // Small answers on a reused connection would otherwise wait out the client's delayed ACK.
  server->set_tcp_nodelay(true);
  addRoutes(*server);

  const int bound =
      port == 0 ? server->bind_to_any_port(host) : (server->bind_to_port(host, port) ? port : -1);
  if (bound <= 0) throw ContentError("Cannot listen on " + host + ":" + std::to_string(port) + ".");
  server_ = std::move(server);
  port_ = bound;
  host_ = host;
  listener_ = std::thread([server = server_.get()] { server->listen_after_bind(); });
  // stop() is ignored by a server that is not listening yet.
  for (int waited = 0; !server_->is_running() && waited < 5000; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return bound;
}

void ContentService::stop() {
  std::lock_guard lock(lifecycleMutex_);
  if (!server_) return;
  {
    std::lock_guard delayLock(delayMutex_);
    stopping_ = true;
  }
  delayEnded_.notify_all();
  server_->stop();
  if (listener_.joinable()) listener_.join();
  server_.reset();
}

void ContentService::setMediaDelay(std::chrono::milliseconds delay) {
  std::lock_guard lock(delayMutex_);
  mediaDelay_ = std::clamp(delay, std::chrono::milliseconds(0), std::chrono::milliseconds(30000));
}

void ContentService::waitMediaDelay() {
  std::unique_lock lock(delayMutex_);
  delayEnded_.wait_for(lock, mediaDelay_, [this] { return stopping_; });
}

std::string ContentService::origin() const {
  const auto host = host_.find(':') != std::string::npos ? "[" + host_ + "]" : host_;
  return std::string(options_.certificatePath ? "https" : "http") + "://" + host + ":" +
         std::to_string(port_);
}

std::vector<nlohmann::json> ContentService::events() const {
  std::lock_guard lock(stateMutex_);
  return events_;
}

std::vector<nlohmann::json> ContentService::analytics() const {
  std::lock_guard lock(stateMutex_);
  return analytics_;
}

std::int64_t ContentService::voteCount(const std::string& optionId) const {
  std::lock_guard lock(stateMutex_);
  return votes_.count(optionId);
}

std::optional<std::string> ContentService::userVote(const std::string& userId,
                                                    const std::string& storyItemId) const {
  std::lock_guard lock(stateMutex_);
  auto vote = votes_.userVote(userId, storyItemId);
  if (!vote) return std::nullopt;
  return vote->optionId;
}

void ContentService::addRoutes(httplib::Server& server) {
  server.set_pre_routing_handler([this](const Request& request, Response& response) {
    if (unavailable_) {
      answerError(response, 503, "The service is unavailable.");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (request.path.rfind("/sdk/", 0) == 0 &&
        request.get_header_value("X-Zephro-SDK-Key") != options_.sdkKey) {
      answerError(response, 401, "Missing or unknown SDK key.");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.set_exception_handler([](const Request&, Response& response, const std::exception_ptr&) {
    answerError(response, 500, "The request could not be answered.");
  });
  if (options_.log) {
    server.set_logger([log = options_.log](const Request& request, const Response& response) {
      log(request.method + " " + request.path + " -> " + std::to_string(response.status));
    });
  }

  server.Get(R"(/sdk/v1/apps/([^/]+)/placements/([^/]+)/stories)",
             [this](const Request& request, Response& response) { answerStories(request, response); });
  server.Get(R"(/sdk/v1/apps/([^/]+)/placements/([^/]+)/banners)",
             [this](const Request& request, Response& response) { answerBanners(request, response); });
  server.Post(R"(/sdk/v1/apps/([^/]+)/story-items/([^/]+)/vote)",
              [this](const Request& request, Response& response) { answerVote(request, response); });
  server.Post("/sdk/v1/events",
              [this](const Request& request, Response& response) { record(events_, request, response); });
  server.Post(R"(/sdk/v1/apps/([^/]+)/events)",
              [this](const Request& request, Response& response) { record(analytics_, request, response); });

  server.Get(R"(/images/([A-Za-z0-9._-]{1,128}))", [this](const Request& request, Response& response) {
    waitMediaDelay();
    auto width = imageSide(request, "w", 360);
    auto height = imageSide(request, "h", 640);
    if (!width || !height) return answerError(response, 400, "Image sides must be 1 to 2048 pixels.");
    response.set_header("Cache-Control", "public, max-age=3600");
    response.set_content(placeholderPng(request.matches[1].str(), *width, *height), "image/png");
  });
  server.Get(R"(/videos/([A-Za-z0-9._-]{1,128})\.avi)", [this](const Request& request, Response& response) {
    waitMediaDelay();
    auto width = imageSide(request, "w", 144);
    auto height = imageSide(request, "h", 256);
    auto seconds = imageSide(request, "s", 4);
    if (!width || !height || !seconds || std::uint64_t{*width} * *height * *seconds > kMaxVideoPixelSeconds)
      return answerError(response, 400,
                         "Videos are limited to 144 by 256 pixels for 30 seconds, or the same area.");
    response.set_header("Cache-Control", "public, max-age=3600");
    response.set_content(placeholderAvi(request.matches[1].str(), *width, *height, *seconds),
                         "video/x-msvideo");
  });
  server.Get("/debug/events",
             [this](const Request&, Response& response) { answerJson(response, 200, events()); });
  server.Get("/debug/analytics",
             [this](const Request&, Response& response) { answerJson(response, 200, analytics()); });
}

void ContentService::answerStories(const Request& request, Response& response) {
  const auto placement = request.matches[2].str();
  const auto* stories = catalog_.stories(placement);
  if (stories == nullptr) return answerError(response, 404, "Unknown story placement '" + placement + "'.");
  nlohmann::json answer;
  {
    std::lock_guard lock(stateMutex_);
    answer = storiesForUser(*stories, votes_, request.get_header_value("X-Zephro-UserId"));
  }
  answerJson(response, 200, withOrigin(std::move(answer), originFor(request)));
}

void ContentService::answerBanners(const Request& request, Response& response) {
  const auto placement = request.matches[2].str();
  const auto* banners = catalog_.banners(placement);
  if (banners == nullptr) return answerError(response, 404, "Unknown banner placement '" + placement + "'.");
  answerJson(response, 200, withOrigin(*banners, originFor(request)));
}

void ContentService::answerVote(const Request& request, Response& response) {
  const auto itemId = request.matches[2].str();
  const auto body = parsedObject(request.body);
  if (!body || !body->contains("optionId") || !(*body)["optionId"].is_string())
    return answerError(response, 400, "A vote needs an \"optionId\" text.");
  const auto optionId = (*body)["optionId"].get<std::string>();
  auto userId = request.get_header_value("X-Zephro-UserId");
  if (userId.empty() && body->contains("userId") && (*body)["userId"].is_string())
    userId = (*body)["userId"].get<std::string>();

  std::int64_t count = 0;
  {
    std::lock_guard lock(stateMutex_);
    switch (votes_.record(itemId, optionId, userId, std::chrono::system_clock::now())) {
      case VoteLedger::Outcome::unknownItem:
        return answerError(response, 404, "Unknown story item '" + itemId + "'.");
      case VoteLedger::Outcome::unknownOption:
        return answerError(response, 400, "Story item '" + itemId + "' has no option '" + optionId + "'.");
      case VoteLedger::Outcome::counted:
        count = votes_.count(optionId);
        break;
    }
  }
  answerJson(response, 200, {{"voted", true}, {"optionId", optionId}, {"voteCount", count}});
}

void ContentService::record(std::vector<nlohmann::json>& into, const Request& request, Response& response) {
  auto body = parsedObject(request.body);
  if (!body) return answerError(response, 400, "The body must be a JSON object.");
  {
    std::lock_guard lock(stateMutex_);
    into.push_back(std::move(*body));
  }
  answerJson(response, 202, nlohmann::json::object());
}

std::string ContentService::originFor(const Request& request) const {
  // The address the client used, so links work through port forwarding and origin overrides.
  const auto host = request.get_header_value("Host");
  if (!isHostText(host)) return origin();
  return std::string(options_.certificatePath ? "https" : "http") + "://" + host;
}

}  // namespace orvane::service
