#include "local_content_service.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "content/identifiers.h"
#include "content_service.h"
#include "placeholder_routes.h"

namespace orvane::service {
namespace {

constexpr const char* kAppKey = "demo-app";
// Far more than any test reads back.
constexpr std::size_t kReadBackLimit = 1'000'000;

std::filesystem::path newScratchFolder() {
  static std::atomic<int> counter{0};
  auto folder = std::filesystem::temp_directory_path() /
                ("orvane-content-service-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace

LocalContentService::LocalContentService(const std::filesystem::path& contentFolder, LocalContentServiceOptions options) {
  app::ContentServiceOptions serviceOptions;
  serviceOptions.databaseUrl = options.databaseUrl;
  if (serviceOptions.databaseUrl.empty()) {
    scratchFolder_ = newScratchFolder();
    serviceOptions.databaseUrl = "sqlite:" + (scratchFolder_ / "content.sqlite").string();
  }
  serviceOptions.seed = content::ContentSeed{contentFolder, kAppKey, options.sdkKey};
  serviceOptions.certificatePath = std::move(options.certificatePath);
  serviceOptions.privateKeyPath = std::move(options.privateKeyPath);
  serviceOptions.accessLog = std::move(options.log);
  // Tests post bursts far beyond a real client's pace.
  serviceOptions.limits.votes.perSecond = 0;
  serviceOptions.limits.events.perSecond = 0;
  serviceOptions.gate = [this](const http::Request&) -> std::optional<http::Response> {
    if (!unavailable_) return std::nullopt;
    return http::Response::error(503, "The service is unavailable.");
  };
  service_ = std::make_unique<app::ContentService>(std::move(serviceOptions));
  service_->addRoutes([this](http::Router& router) { app::addPlaceholderRoutes(router, [this] { waitMediaDelay(); }); });
}

LocalContentService::~LocalContentService() {
  stop();
  service_.reset();  // its connections close before the file goes
  if (!scratchFolder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder_, ignored);
  }
}

int LocalContentService::start(const std::string& host, int port) {
  {
    std::lock_guard lock(delayMutex_);
    stopping_ = false;
  }
  return service_->start(host, port);
}

void LocalContentService::stop() {
  {
    std::lock_guard lock(delayMutex_);
    stopping_ = true;
  }
  delayEnded_.notify_all();
  service_->flushAndStop();
}

int LocalContentService::port() const { return service_->port(); }

std::string LocalContentService::origin() const { return service_->origin(); }

void LocalContentService::setMediaDelay(std::chrono::milliseconds delay) {
  std::lock_guard lock(delayMutex_);
  mediaDelay_ = std::clamp(delay, std::chrono::milliseconds(0), std::chrono::milliseconds(30'000));
}

void LocalContentService::waitMediaDelay() {
  std::unique_lock lock(delayMutex_);
  delayEnded_.wait_for(lock, mediaDelay_, [this] { return stopping_; });
}

namespace {

std::vector<nlohmann::json> storedBodies(app::ContentService& service, storage::EventChannel channel) {
  service.eventQueue().flush();
  std::vector<nlohmann::json> bodies;
  for (const auto& event : service.store().events(service.seededAppId(), channel, kReadBackLimit))
    bodies.push_back(nlohmann::json::parse(event.body));
  return bodies;
}

}  // namespace

std::vector<nlohmann::json> LocalContentService::events() const {
  return storedBodies(*service_, storage::EventChannel::service);
}

std::vector<nlohmann::json> LocalContentService::analytics() const {
  return storedBodies(*service_, storage::EventChannel::analytics);
}

std::int64_t LocalContentService::voteCount(const std::string& optionId) const {
  const auto id = content::lowercase(optionId);
  const auto counts = service_->store().optionCounts(service_->seededAppId(), {id});
  auto found = counts.find(id);
  return found == counts.end() ? 0 : found->second;
}

std::optional<std::string> LocalContentService::userVote(const std::string& userId, const std::string& storyItemId) const {
  const auto id = content::lowercase(storyItemId);
  const auto votes = service_->store().userVotes(service_->seededAppId(), userId, {id});
  auto found = votes.find(id);
  if (found == votes.end()) return std::nullopt;
  return found->second.optionId;
}

}  // namespace orvane::service
