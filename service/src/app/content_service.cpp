#include "content_service.h"

#include <stdexcept>

#include "access_log.h"
#include "content/content_error.h"
#include "operations_routes.h"
#include "placeholder_routes.h"

namespace orvane::service::app {

ContentService::ContentService(ContentServiceOptions options)
    : ContentService(options, storage::Store::open(options.databaseUrl)) {}

ContentService::ContentService(ContentServiceOptions options, std::unique_ptr<storage::Store> store)
    : options_(std::move(options)), store_(std::move(store)) {
  if (options_.seed) {
    content::seedEmptyDatabase(*store_, *options_.seed);
    if (auto app = store_->appByKey(options_.seed->appKey)) seededAppId_ = app->id;
  }
  events_ = std::make_unique<EventQueue>(
      [store = store_.get()](const std::vector<storage::StoredEvent>& batch) { store->appendEvents(batch); },
      options_.eventQueue);
  sdkRoutes_ = std::make_unique<SdkRoutes>(*store_, *events_, options_.limits, [this] { return origin(); },
                                           options_.publicOrigin, options_.placementCache);
  store_->setChangeListener([routes = sdkRoutes_.get()](storage::Store::Change change) { routes->storeChanged(change); });
  sdkRoutes_->addTo(router_);
  addOperationsRoutes(router_, *store_, metrics_, options_.adminToken);
  if (options_.placeholderMedia) addPlaceholderRoutes(router_);
  registerMetrics();
}

ContentService::~ContentService() {
  flushAndStop();
  events_->stop();
  store_->setChangeListener({});
}

void ContentService::addRoutes(const std::function<void(http::Router&)>& add) {
  std::lock_guard lock(lifecycleMutex_);
  if (started_) throw std::logic_error("Routes are added before the service starts.");
  add(router_);
}

int ContentService::start() { return start(options_.host, options_.port); }

int ContentService::start(const std::string& host, int port) {
  std::lock_guard lock(lifecycleMutex_);
  if (server_) throw std::runtime_error("The service is already running on port " + std::to_string(this->port()) + ".");
  http::ServerOptions serverOptions;
  serverOptions.host = host;
  serverOptions.port = port;
  serverOptions.workerThreads = options_.workerThreads;
  serverOptions.headerTimeout = options_.headerTimeout;
  serverOptions.bodyTimeout = options_.bodyTimeout;
  serverOptions.certificatePath = options_.certificatePath;
  serverOptions.privateKeyPath = options_.privateKeyPath;
  serverOptions.gate = options_.gate;
  serverOptions.trustedProxies = options_.trustedProxies;
  if (options_.accessLog) {
    serverOptions.accessLog = [log = options_.accessLog](const http::AccessRecord& record) {
      log(accessLogLine(record, std::chrono::system_clock::now()));
    };
  }
  auto server = std::make_unique<http::Server>(router_, std::move(serverOptions), &metrics_);
  started_ = true;
  const int bound = server->start();
  {
    std::lock_guard originLock(originMutex_);
    port_ = bound;
    origin_ = server->origin();
  }
  server_ = std::move(server);
  return bound;
}

void ContentService::flushAndStop() {
  {
    std::lock_guard lock(lifecycleMutex_);
    if (server_) {
      server_->stop();
      server_.reset();
    }
  }
  events_->flush();
}

int ContentService::port() const {
  std::lock_guard lock(originMutex_);
  return port_;
}

std::string ContentService::origin() const {
  std::lock_guard lock(originMutex_);
  return origin_;
}

void ContentService::registerMetrics() {
  metrics_.addGauge("orvane_event_queue_depth", "Events waiting to be stored.",
                    [this] { return static_cast<double>(events_->depth()); });
  metrics_.addCounter("orvane_events_dropped_total", "Events dropped because the queue was full.",
                      [this] { return static_cast<double>(events_->dropped()); });
  metrics_.addCounter("orvane_events_stored_total", "Events written to the database.",
                      [this] { return static_cast<double>(events_->written()); });
  metrics_.addCounter("orvane_events_lost_total", "Events given up on after failed writes.",
                      [this] { return static_cast<double>(events_->lost()); });
  metrics_.addCounter("orvane_votes_total", "Votes counted.", [this] { return static_cast<double>(sdkRoutes_->votes()); });
  metrics_.addCounter("orvane_rate_limited_total", "Votes and events refused with 429.",
                      [this] { return static_cast<double>(sdkRoutes_->rateLimited()); });
}

}  // namespace orvane::service::app
