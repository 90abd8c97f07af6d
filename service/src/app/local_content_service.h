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
#include <vector>

#include <nlohmann/json.hpp>

namespace orvane::service {

namespace app {
class ContentService;
}

struct LocalContentServiceOptions {
  // The SDK key of the app "demo-app" the content belongs to.
  std::string sdkKey = "demo-sdk-key";
  // Both set: HTTPS with this PEM certificate chain and private key.
  std::optional<std::filesystem::path> certificatePath;
  std::optional<std::filesystem::path> privateKeyPath;
  // The access log, one JSON line per answered request, when set. Called on server threads.
  std::function<void(const std::string&)> log;
  // Where content, votes and events are kept, seeded from the content folder when it holds no
  // content yet. Empty: a SQLite file of its own, removed with the service.
  std::string databaseUrl;
};

// The content service in-process, for the SDK's tests and the demo: the sample content (or any
// content folder) published for the app "demo-app", placeholder images and videos, and ways to
// look inside and to misbehave. Thread-safe; requests are answered on the server's threads.
class LocalContentService {
 public:
  // Opens the database and seeds it; throws std::runtime_error (or a subclass) saying why it cannot.
  explicit LocalContentService(const std::filesystem::path& contentFolder, LocalContentServiceOptions options = {});
  ~LocalContentService();

  LocalContentService(const LocalContentService&) = delete;
  LocalContentService& operator=(const LocalContentService&) = delete;

  // Starts answering; port 0 picks a free one. Returns the bound port.
  int start(const std::string& host = "127.0.0.1", int port = 0);
  // Stops answering and stores the queued events; what was stored stays readable.
  void stop();

  int port() const;
  std::string origin() const;

  // While set, every request is answered 503, as by a service that is down.
  void setUnavailable(bool unavailable) { unavailable_ = unavailable; }
  // Images and videos asked for from now on are answered only after `delay`, as over a slow
  // network (at most 30 s); stop() cuts the wait short. Zero answers at once again.
  void setMediaDelay(std::chrono::milliseconds delay);

  // Bodies of POST /sdk/v1/events and POST /sdk/v1/apps/<app>/events as stored, oldest first;
  // events still queued are stored first.
  std::vector<nlohmann::json> events() const;
  std::vector<nlohmann::json> analytics() const;
  // Current count of a poll or quiz option (0 for an unknown one).
  std::int64_t voteCount(const std::string& optionId) const;
  // The option `userId` chose on a story item, if any.
  std::optional<std::string> userVote(const std::string& userId, const std::string& storyItemId) const;

 private:
  void waitMediaDelay();

  std::filesystem::path scratchFolder_;  // the SQLite file's, unless a database was given
  std::atomic<bool> unavailable_{false};
  std::mutex delayMutex_;
  std::condition_variable delayEnded_;
  std::chrono::milliseconds mediaDelay_{0};
  bool stopping_ = false;
  std::unique_ptr<app::ContentService> service_;
};

}  // namespace orvane::service
