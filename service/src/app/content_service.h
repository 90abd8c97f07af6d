#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "content/content_transfer.h"
#include "event_queue.h"
#include "http/message.h"
#include "http/metrics.h"
#include "http/router.h"
#include "http/server.h"
#include "http/trusted_proxies.h"
#include "sdk_routes.h"
#include "storage/store.h"

namespace orvane::service::app {

struct ContentServiceOptions {
  std::string databaseUrl;  // "sqlite:PATH" or "postgresql://..."
  std::string host = "127.0.0.1";
  int port = 0;  // 0: any free port
  // Unset or empty: /metrics (and whatever else needs it) is not served at all.
  std::optional<std::string> adminToken;
  // Both set: HTTPS with this PEM certificate chain and private key.
  std::optional<std::filesystem::path> certificatePath;
  std::optional<std::filesystem::path> privateKeyPath;
  // What "{{origin}}" becomes when the service sits behind a proxy; unset: the address asked.
  std::optional<std::string> publicOrigin;
  // Load balancers whose X-Forwarded-For names the client that limits and logs go by.
  http::TrustedProxies trustedProxies;
  // Loaded into a database without content at construction; ignored once there is content.
  std::optional<content::ContentSeed> seed;
  // Where uploaded media live (used by the media routes added through addRoutes).
  std::filesystem::path mediaFolder;
  // Serves /images/<name> and /videos/<name>.avi, which the sample content links to.
  bool placeholderMedia = false;
  SdkRouteLimits limits;
  PlacementCacheOptions placementCache;
  EventQueueLimits eventQueue;
  unsigned workerThreads = 4;
  std::chrono::milliseconds headerTimeout{10'000};
  std::chrono::milliseconds bodyTimeout{30'000};
  // One JSON line per answered request.
  std::function<void(const std::string&)> accessLog;
  // Runs before routing: an answer given stops the request (e.g. 503 during maintenance).
  std::function<std::optional<http::Response>(const http::Request&)> gate;
};

// The content service: its store, the SDK's routes, health and metrics, the event queue and its
// writer, and the HTTP server. More routes (admin, media) are added before start. Thread-safe.
class ContentService {
 public:
  // Opens (and migrates) the database and loads the seed when it has no content.
  // Throws storage::StoreError or content::ContentError saying why it cannot.
  explicit ContentService(ContentServiceOptions options);
  // On a store opened by the caller; the options' database URL is not used.
  ContentService(ContentServiceOptions options, std::unique_ptr<storage::Store> store);
  // Flushes the event queue.
  ~ContentService();

  ContentService(const ContentService&) = delete;
  ContentService& operator=(const ContentService&) = delete;

  // Adds routes next to the SDK's; only before the first start.
  void addRoutes(const std::function<void(http::Router&)>& add);

  // Starts answering on the options' host and port (or those given); returns the bound port.
  // Throws std::runtime_error when it cannot listen.
  int start();
  int start(const std::string& host, int port);
  // Stops accepting, lets answers in flight finish, then stores every queued event. start()
  // may be called again afterwards.
  void flushAndStop();

  int port() const;
  // "http://127.0.0.1:<port>" (https with a certificate).
  std::string origin() const;

  storage::Store& store() { return *store_; }
  EventQueue& eventQueue() { return *events_; }
  http::Metrics& metrics() { return metrics_; }
  std::int64_t seededAppId() const { return seededAppId_; }

 private:
  void registerMetrics();

  const ContentServiceOptions options_;
  std::unique_ptr<storage::Store> store_;
  std::int64_t seededAppId_ = 0;
  http::Metrics metrics_;
  std::unique_ptr<EventQueue> events_;
  std::unique_ptr<SdkRoutes> sdkRoutes_;
  http::Router router_;

  std::mutex lifecycleMutex_;
  bool started_ = false;  // once started, the router is read-only
  std::unique_ptr<http::Server> server_;
  // Apart from the lifecycle's: answers in flight read the origin while stopping waits for them.
  mutable std::mutex originMutex_;
  int port_ = 0;
  std::string origin_;
};

}  // namespace orvane::service::app
