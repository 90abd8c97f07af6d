#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "content_catalog.h"
#include "vote_ledger.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace orvane::service {

struct ContentServiceOptions {
  // Expected in "X-Zephro-SDK-Key" on every /sdk/ request; anything else is answered 401.
  std::string sdkKey = "demo-sdk-key";
  // Both set: HTTPS with this PEM certificate chain and private key.
  std::optional<std::filesystem::path> certificatePath;
  std::optional<std::filesystem::path> privateKeyPath;
  // One line per answered request ("GET /path -> 200"), when set. Called on server threads.
  std::function<void(const std::string&)> log;
};

// A local reference content service: stories and banners of the placements of a content
// directory, votes counted per option and remembered per user, service events and analytics
// records kept in memory, and generated placeholder images under /images/<name>.
// Thread-safe; requests are answered on the server's own threads.
class ContentService {
 public:
  // Loads and checks the content; throws ContentError when it cannot be served.
  explicit ContentService(const std::filesystem::path& contentDirectory, ContentServiceOptions options = {});
  ~ContentService();

  ContentService(const ContentService&) = delete;
  ContentService& operator=(const ContentService&) = delete;

  // Starts answering; port 0 picks a free one. Returns the bound port; throws ContentError.
  int start(const std::string& host = "127.0.0.1", int port = 0);
  // Stops answering; the recorded state stays readable. Harmless when not running.
  void stop();

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" (https with a certificate): what "{{origin}}" becomes by default.
  std::string origin() const;

  // While set, every request is answered 503, as by a service that is down.
  void setUnavailable(bool unavailable) { unavailable_ = unavailable; }
  // Images and videos asked for from now on are answered only after `delay`, as over a slow
  // network (at most 30 s); stop() cuts the wait short. Zero answers at once again.
  void setMediaDelay(std::chrono::milliseconds delay);

  // Bodies of POST /sdk/v1/events and POST /sdk/v1/apps/<app>/events, in arrival order.
  std::vector<nlohmann::json> events() const;
  std::vector<nlohmann::json> analytics() const;
  // Current count of a poll or quiz option (0 for an unknown one).
  std::int64_t voteCount(const std::string& optionId) const;
  // The option `userId` chose on a story item, if any.
  std::optional<std::string> userVote(const std::string& userId, const std::string& storyItemId) const;

 private:
  void addRoutes(httplib::Server& server);
  void answerStories(const httplib::Request& request, httplib::Response& response);
  void answerBanners(const httplib::Request& request, httplib::Response& response);
  void answerVote(const httplib::Request& request, httplib::Response& response);
  void record(std::vector<nlohmann::json>& into, const httplib::Request& request,
              httplib::Response& response);
  std::string originFor(const httplib::Request& request) const;

  const ContentCatalog catalog_;
  const ContentServiceOptions options_;
  std::atomic<bool> unavailable_{false};

  // Held by answers waiting out the media delay; stopping wakes them.
  void waitMediaDelay();
  std::mutex delayMutex_;
  std::condition_variable delayEnded_;
  std::chrono::milliseconds mediaDelay_{0};
  bool stopping_ = false;

  mutable std::mutex stateMutex_;
  VoteLedger votes_;
  std::vector<nlohmann::json> events_;
  std::vector<nlohmann::json> analytics_;

  std::mutex lifecycleMutex_;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
  std::string host_;
  std::atomic<int> port_{0};
};

}  // namespace orvane::service
