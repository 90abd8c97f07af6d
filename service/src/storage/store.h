#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace orvane::service::storage {

using TimePoint = std::chrono::system_clock::time_point;

// A database that cannot be opened, migrated or written; the message says why and what to do.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class ContentKind { stories, banners };
// Staging sees a placement's draft where it has one, production only what is published.
enum class Environment { staging, production };
enum class EventChannel { service, analytics };

struct App {
  std::int64_t id = 0;
  std::string key;   // the app key of the SDK's paths, e.g. "demo-app"
  std::string name;
};

struct SdkKeyInfo {
  std::int64_t id = 0;
  std::string label;
  std::string prefix;  // the key's first characters, to tell keys apart without showing them
  TimePoint createdAt;
  std::optional<TimePoint> revokedAt;
};

// A placement's content in its stored form: {"groups": [...]} or {"banners": [...]}, the wire's
// records plus the service's own fields (schedule, priority, targeting).
struct PlacementContent {
  std::int64_t placementId = 0;
  std::int64_t version = 0;  // changes with every save or publish of this placement
  nlohmann::json document;
  TimePoint updatedAt;
};

struct PlacementSummary {
  std::string key;
  ContentKind kind = ContentKind::stories;
  std::optional<std::int64_t> publishedVersion;
  bool hasDraft = false;
};

struct VoteOutcome {
  enum class Result { counted, unknownItem, unknownOption } result = Result::counted;
  std::int64_t optionCount = 0;  // the chosen option's count after the vote
};

struct UserVote {
  std::string optionId;
  TimePoint votedAt;
};

struct StoredEvent {
  std::int64_t appId = 0;
  EventChannel channel = EventChannel::service;
  TimePoint receivedAt;
  std::optional<TimePoint> occurredAt;
  std::string eventType;
  std::string placementKey;
  std::string groupId, itemId, bannerId, bannerItemId, sessionId;  // empty when absent
  std::string body;  // the record as received, already checked
};

// One figure of the report: a metric of a group (or banner) and page (or banner slide) of a
// placement, counted over one UTC day.
struct ReportCount {
  std::chrono::sys_days day;
  std::string app;        // the app key
  std::string placement;  // the placement key
  std::string group;      // story group id or banner id
  std::string page;       // story item id or banner item id; empty for a group's own metrics
  std::string option;     // the option voted for; empty for every other metric
  std::string metric;     // impressions, opens, page_views, completions, cta_clicks, banner_clicks, votes
  std::int64_t count = 0;
};

struct MediaRecord {
  std::string sha256;        // lower-case hex of the bytes: the file's name in the media folder
  std::string contentType;   // decided from the bytes
  std::uint64_t size = 0;
  std::optional<double> durationSeconds;  // videos
  TimePoint createdAt;
};

// The service's persistent state. Implementations are thread-safe: many requests call at once.
class ConsoleStore;

class Store {
 public:
  // "sqlite:PATH" (the file created when absent) or "postgresql://..." / "postgres://...".
  // Brings the schema up to date; refuses a database written by a newer version.
  static std::unique_ptr<Store> open(const std::string& url);
  virtual ~Store() = default;

  virtual bool reachable() = 0;

  // Apps and their SDK keys. Keys are stored hashed, compared in constant time.
  virtual App createApp(const std::string& key, const std::string& name) = 0;
  virtual std::optional<App> appByKey(std::string_view key) = 0;
  virtual std::vector<App> apps() = 0;
  virtual SdkKeyInfo addSdkKey(std::int64_t appId, std::string_view sdkKey, const std::string& label) = 0;
  virtual std::vector<SdkKeyInfo> sdkKeys(std::int64_t appId) = 0;
  virtual bool revokeSdkKey(std::int64_t appId, std::int64_t keyId) = 0;
  // The app a live (not revoked) key belongs to.
  virtual std::optional<App> appForSdkKey(std::string_view sdkKey) = 0;

  // Placements: a draft and a history of published versions each.
  virtual bool hasContent() = 0;
  virtual std::vector<PlacementSummary> placements(std::int64_t appId) = 0;
  virtual std::optional<PlacementContent> placement(std::int64_t appId, std::string_view placementKey,
                                                    ContentKind kind, Environment environment) = 0;
  // Stores the draft (creating the placement) and makes its poll and quiz options votable.
  virtual void saveDraft(std::int64_t appId, std::string_view placementKey, ContentKind kind,
                         const nlohmann::json& document) = 0;
  // The draft becomes the new published version, which is returned; nullopt without a draft.
  virtual std::optional<std::int64_t> publish(std::int64_t appId, std::string_view placementKey, ContentKind kind) = 0;
  // The previous published version is published again; nullopt when there is none.
  virtual std::optional<std::int64_t> rollback(std::int64_t appId, std::string_view placementKey, ContentKind kind) = 0;
  // Grows with every content change anywhere, so caches know when to rebuild.
  virtual std::int64_t contentRevision() = 0;

  // Votes: one per user and story item; a changed vote moves the count to the new option.
  virtual VoteOutcome recordVote(std::int64_t appId, std::string_view itemId, std::string_view optionId,
                                 std::string_view userId, TimePoint now) = 0;
  virtual std::map<std::string, std::int64_t> optionCounts(std::int64_t appId,
                                                           const std::vector<std::string>& optionIds) = 0;
  virtual std::map<std::string, UserVote> userVotes(std::int64_t appId, std::string_view userId,
                                                    const std::vector<std::string>& itemIds) = 0;

  // Events, written in batches, one transaction a batch.
  virtual void appendEvents(const std::vector<StoredEvent>& events) = 0;
  // Oldest first, at most `limit`.
  virtual std::vector<StoredEvent> events(std::int64_t appId, EventChannel channel, std::size_t limit) = 0;

  // Media kept content-addressed in the media folder; these are their records.
  virtual void addMedia(const MediaRecord& media) = 0;
  virtual std::optional<MediaRecord> media(std::string_view sha256) = 0;

  // Service-channel events received and votes cast in [from, to), every app, grouped by UTC day.
  virtual std::vector<ReportCount> reportCounts(TimePoint from, TimePoint to) = 0;

  // Users, sessions, audit log and analytics of the web console; null where the store keeps none.
  virtual ConsoleStore* console() { return nullptr; }

  // An online, consistent copy into `file` (SQLite); PostgreSQL says to use pg_dump.
  virtual void backupTo(const std::filesystem::path& file) = 0;
};

}  // namespace orvane::service::storage
