#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "app/event_queue.h"
#include "service_harness.h"

namespace orvane::service::app {
namespace {

using namespace std::chrono_literals;

storage::StoredEvent event(const std::string& type, std::size_t bodyBytes = 10) {
  storage::StoredEvent stored;
  stored.eventType = type;
  stored.body = std::string(bodyBytes, 'x');
  return stored;
}

// A writer that holds every batch until opened, and keeps what it was given.
class GatedWriter {
 public:
  void operator()(const std::vector<storage::StoredEvent>& batch) {
    std::unique_lock lock(mutex_);
    ++entered_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return open_; });
    if (failures_ > 0) {
      --failures_;
      throw std::runtime_error("database down");
    }
    for (const auto& stored : batch) written_.push_back(stored.eventType);
  }
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void waitUntilEntered(int times) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return entered_ >= times; });
  }
  void failNext(int times) {
    std::lock_guard lock(mutex_);
    failures_ = times;
  }
  std::vector<std::string> written() {
    std::lock_guard lock(mutex_);
    return written_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  int entered_ = 0;
  int failures_ = 0;
  std::vector<std::string> written_;
};

EventQueue::Writer through(GatedWriter& writer) {
  return [&writer](const std::vector<storage::StoredEvent>& batch) { writer(batch); };
}

TEST(EventQueue, AFullQueueDropsAndCountsWithoutWaitingForTheWriter) {
  GatedWriter writer;
  EventQueue queue(through(writer), {.maxEvents = 3, .maxBytes = 1 << 20, .batchSize = 1});
  ASSERT_TRUE(queue.push(event("a")));
  writer.waitUntilEntered(1);  // "a" is being written, and held there
  EXPECT_TRUE(queue.push(event("b")));
  EXPECT_TRUE(queue.push(event("c")));
  EXPECT_TRUE(queue.push(event("d")));
  EXPECT_FALSE(queue.push(event("e")));
  EXPECT_EQ(queue.depth(), 3u);
  EXPECT_EQ(queue.dropped(), 1u);

  writer.open();
  queue.flush();
  EXPECT_EQ(writer.written(), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(queue.written(), 4u);
  EXPECT_EQ(queue.depth(), 0u);
}

TEST(EventQueue, BytesBoundTheQueueAsWellAsTheCount) {
  GatedWriter writer;
  EventQueue queue(through(writer), {.maxEvents = 100, .maxBytes = 3000, .batchSize = 1});
  ASSERT_TRUE(queue.push(event("held")));
  writer.waitUntilEntered(1);
  EXPECT_TRUE(queue.push(event("big", 2000)));
  EXPECT_FALSE(queue.push(event("too big", 2000)));
  EXPECT_TRUE(queue.push(event("small", 10)));
  EXPECT_EQ(queue.dropped(), 1u);
  writer.open();
}

TEST(EventQueue, StoppingWritesEverythingQueuedInBatchesAndRefusesMore) {
  GatedWriter writer;
  std::vector<std::size_t> batchSizes;
  EventQueue queue(
      [&](const std::vector<storage::StoredEvent>& batch) {
        batchSizes.push_back(batch.size());
        writer(batch);
      },
      {.maxEvents = 100, .maxBytes = 1 << 20, .batchSize = 4});
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(queue.push(event(std::to_string(i))));
  writer.open();
  queue.stop();
  EXPECT_EQ(writer.written().size(), 10u);
  for (auto size : batchSizes) EXPECT_LE(size, 4u);
  EXPECT_FALSE(queue.push(event("late")));
}

TEST(EventQueue, FailedWritesAreTriedAgainThenCountedLost) {
  GatedWriter writer;
  writer.open();
  EventQueue queue(through(writer), {.maxEvents = 10, .maxBytes = 1 << 20, .batchSize = 10, .writeAttempts = 2,
                                     .retryPause = 1ms});
  writer.failNext(1);
  queue.push(event("retried"));
  queue.flush();
  EXPECT_EQ(writer.written(), std::vector<std::string>{"retried"});

  writer.failNext(2);
  queue.push(event("lost"));
  queue.flush();
  EXPECT_EQ(queue.lost(), 1u);
  EXPECT_EQ(queue.written(), 1u);
}

TEST(EventQueue, EventsWaitOutAnUnreachableDatabaseYetAFlushStillEnds) {
  std::mutex mutex;
  int outages = 6;  // more failures than the attempts allowed
  std::vector<std::string> written;
  EventQueue queue(
      [&](const std::vector<storage::StoredEvent>& batch) {
        std::lock_guard lock(mutex);
        if (outages > 0) {
          --outages;
          throw storage::StoreUnavailable("database restarting");
        }
        for (const auto& stored : batch) written.push_back(stored.eventType);
      },
      {.maxEvents = 10, .maxBytes = 1 << 20, .batchSize = 10, .writeAttempts = 2, .retryPause = 1ms});
  queue.push(event("kept"));
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (queue.written() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  EXPECT_EQ(queue.written(), 1u);
  EXPECT_EQ(queue.lost(), 0u);

  {
    std::lock_guard lock(mutex);
    outages = 1'000'000;
  }
  queue.push(event("never stored"));
  queue.flush();
  EXPECT_EQ(queue.lost(), 1u);
  std::lock_guard lock(mutex);
  EXPECT_EQ(written, std::vector<std::string>{"kept"});
}

}  // namespace

namespace testing {
namespace {

// The service's own store, except that event writes wait at a gate.
class GatedEventsStore : public storage::Store {
 public:
  GatedEventsStore(std::unique_ptr<storage::Store> inner, GatedWriter& gate) : inner_(std::move(inner)), gate_(gate) {}

  bool reachable() override { return inner_->reachable(); }
  storage::App createApp(const std::string& key, const std::string& name) override { return inner_->createApp(key, name); }
  std::optional<storage::App> appByKey(std::string_view key) override { return inner_->appByKey(key); }
  std::vector<storage::App> apps() override { return inner_->apps(); }
  storage::SdkKeyInfo addSdkKey(std::int64_t appId, std::string_view sdkKey, const std::string& label) override {
    return inner_->addSdkKey(appId, sdkKey, label);
  }
  std::vector<storage::SdkKeyInfo> sdkKeys(std::int64_t appId) override { return inner_->sdkKeys(appId); }
  bool revokeSdkKey(std::int64_t appId, std::int64_t keyId) override { return inner_->revokeSdkKey(appId, keyId); }
  std::optional<storage::App> appForSdkKey(std::string_view sdkKey) override { return inner_->appForSdkKey(sdkKey); }
  bool hasContent() override { return inner_->hasContent(); }
  std::vector<storage::PlacementSummary> placements(std::int64_t appId) override { return inner_->placements(appId); }
  std::optional<storage::PlacementContent> placement(std::int64_t appId, std::string_view key, storage::ContentKind kind,
                                                     storage::Environment environment) override {
    return inner_->placement(appId, key, kind, environment);
  }
  void saveDraft(std::int64_t appId, std::string_view key, storage::ContentKind kind,
                 const nlohmann::json& document) override {
    inner_->saveDraft(appId, key, kind, document);
  }
  std::optional<std::int64_t> publish(std::int64_t appId, std::string_view key, storage::ContentKind kind) override {
    return inner_->publish(appId, key, kind);
  }
  std::optional<std::int64_t> rollback(std::int64_t appId, std::string_view key, storage::ContentKind kind) override {
    return inner_->rollback(appId, key, kind);
  }
  std::int64_t contentRevision() override { return inner_->contentRevision(); }
  storage::VoteOutcome recordVote(std::int64_t appId, std::string_view itemId, std::string_view optionId,
                                  std::string_view userId, storage::TimePoint now) override {
    return inner_->recordVote(appId, itemId, optionId, userId, now);
  }
  std::map<std::string, std::int64_t> optionCounts(std::int64_t appId, const std::vector<std::string>& ids) override {
    return inner_->optionCounts(appId, ids);
  }
  std::map<std::string, storage::UserVote> userVotes(std::int64_t appId, std::string_view userId,
                                                     const std::vector<std::string>& itemIds) override {
    return inner_->userVotes(appId, userId, itemIds);
  }
  void appendEvents(const std::vector<storage::StoredEvent>& events) override {
    gate_(events);
    inner_->appendEvents(events);
  }
  std::vector<storage::StoredEvent> events(std::int64_t appId, storage::EventChannel channel, std::size_t limit) override {
    return inner_->events(appId, channel, limit);
  }
  void prepareEventDays(std::chrono::sys_days first, std::chrono::sys_days last) override {
    inner_->prepareEventDays(first, last);
  }
  void removeEventsBefore(std::chrono::sys_days firstKept) override { inner_->removeEventsBefore(firstKept); }
  void addMedia(const storage::MediaRecord& media) override { inner_->addMedia(media); }
  std::optional<storage::MediaRecord> media(std::string_view sha256) override { return inner_->media(sha256); }
  std::vector<storage::ReportCount> reportCounts(storage::TimePoint from, storage::TimePoint to) override {
    return inner_->reportCounts(from, to);
  }
  void backupTo(const std::filesystem::path& file) override { inner_->backupTo(file); }

 private:
  std::unique_ptr<storage::Store> inner_;
  GatedWriter& gate_;
};

nlohmann::json storyOpen() {
  return {{"appKey", kApp},          {"placementKey", "home"},  {"eventType", "STORY_OPEN"},
          {"platform", "IOS"},       {"sessionId", "s-1"},      {"occurredAt", "2025-06-01T12:00:00Z"},
          {"eventId", "e-1"}};
}

TEST(ServiceEvents, AFullQueueDropsEventsWhileContentStillAnswersAndStoppingStoresTheRest) {
  GatedWriter gate;
  ScratchFolder folder;
  ContentServiceOptions options;
  options.seed = content::ContentSeed{ORVANE_SAMPLE_CONTENT_DIR};
  options.eventQueue = {.maxEvents = 3, .maxBytes = 1 << 20, .batchSize = 1};
  options.adminToken = "admin";
  auto store = std::make_unique<GatedEventsStore>(
      storage::Store::open("sqlite:" + (folder.path() / "content.sqlite").string()), gate);
  auto* inner = store.get();
  auto service = std::make_unique<ContentService>(options, std::move(store));
  service->start();
  httplib::Client client("127.0.0.1", service->port());
  client.set_read_timeout(10);
  const httplib::Headers key{{"X-Zephro-SDK-Key", kKey}};

  ASSERT_EQ(client.Post("/sdk/v1/events", key, storyOpen().dump(), "application/json")->status, 202);
  gate.waitUntilEntered(1);  // the writer is stuck on the first event
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(client.Post("/sdk/v1/events", key, storyOpen().dump(), "application/json")->status, 202);
  auto dropped = client.Post("/sdk/v1/events", key, storyOpen().dump(), "application/json");
  EXPECT_EQ(dropped->status, 503);
  EXPECT_EQ(client.Get(kStories, key)->status, 200) << "content answers while the writer is blocked";
  auto metrics = client.Get("/metrics", {{"Authorization", "Bearer admin"}});
  EXPECT_NE(metrics->body.find("orvane_events_dropped_total 1"), std::string::npos) << metrics->body;
  EXPECT_NE(metrics->body.find("orvane_event_queue_depth 3"), std::string::npos);

  gate.open();
  service->flushAndStop();
  EXPECT_EQ(inner->events(service->seededAppId(), storage::EventChannel::service, 100).size(), 4u)
      << "everything accepted is stored once the service has stopped";
}

}  // namespace
}  // namespace testing
}  // namespace orvane::service::app
