#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "content/answer_text.h"
#include "content/selection.h"
#include "storage/store.h"

namespace orvane::service::app {

// What one placement answer depends on, apart from the user's own votes.
struct PlacementQuery {
  std::int64_t appId = 0;
  std::string placementKey;
  storage::ContentKind kind = storage::ContentKind::stories;
  storage::Environment environment = storage::Environment::production;
  content::Audience audience;
  std::string origin;  // what "{{origin}}" becomes
};

// A placement's answer for one query, ready to send. Never changes once built.
struct CachedAnswer {
  content::AnswerText answer;        // counts laid over; the user's own votes go in its slots
  std::string gzipped;               // answer.text, compressed once
  std::string etag;                  // of answer.text, as the ETag header spells it
  std::vector<std::string> itemIds;  // the items a user may have voted on, lower case
};

// A weak validator of an answer's text: equal texts have equal tags on every instance.
std::string answerEtag(const std::string& text);

struct PlacementCacheOptions {
  // How often the store's content revision is read, so changes made by other instances sharing
  // the database are seen within this time without a query per request.
  std::chrono::milliseconds revisionCheck{1'000};
  // How old the vote counts of an answer may get when no vote went through this instance.
  std::chrono::milliseconds countsRefresh{1'000};
  // Queries come from clients (locale, country, host): past this many the cache starts over.
  std::size_t maxEntries = 4'096;
};

// Placement answers built once per query and kept until their content changes: a change made
// through this process (told by contentChanged), one made elsewhere (seen by the revision check),
// the next start or end of a scheduled record, or vote counts older than allowed or moved by a
// vote here. Thread-safe; answers in use stay valid after they are replaced.
class PlacementCache {
 public:
  using Clock = std::function<storage::TimePoint()>;
  using Ticks = std::function<std::chrono::steady_clock::time_point()>;

  PlacementCache(storage::Store& store, Clock clock, PlacementCacheOptions options = {},
                 Ticks ticks = std::chrono::steady_clock::now);

  // nullptr: no such placement (or nothing published of it). Throws storage::StoreError when the
  // store is needed and cannot answer.
  std::shared_ptr<const CachedAnswer> answer(const PlacementQuery& query);
  // The same when it is at hand, without asking the store; else nullptr. When a revision check or
  // a refresh of old counts is due, one caller gets nullptr and goes on to answer(), which makes
  // it; the others are served what is at hand meanwhile, so no periodic check stalls them all.
  std::shared_ptr<const CachedAnswer> answerInMemory(const PlacementQuery& query);

  // Every answer is built again before it is next served.
  void contentChanged();
  // The app's vote counts are read again before its answers are next served.
  void votesChanged(std::int64_t appId);

  std::uint64_t builds() const { return builds_; }

 private:
  struct Entry {
    std::shared_ptr<const CachedAnswer> answer;
    std::shared_ptr<const nlohmann::json> selection;  // live records, origin in, counts not laid over
    std::vector<std::string> itemIds;
    std::vector<std::string> optionIds;
    std::optional<storage::TimePoint> validUntil;     // the next schedule change
    std::chrono::steady_clock::time_point countsAt;
    std::uint64_t voteGeneration = 0;
    std::shared_ptr<std::mutex> refreshing;            // one refresh of a query at a time
    // Taken by the request that leaves memory to refresh old counts; the others are served these.
    std::shared_ptr<std::atomic<bool>> countsRefreshClaimed;
  };
  using EntryPointer = std::shared_ptr<const Entry>;

  void checkRevision();
  bool revisionCheckDue() const;
  bool claimRevisionCheck();
  bool servableFromMemory(const Entry& entry, std::uint64_t voteGeneration) const;
  bool scheduleChanged(const Entry& entry) const;
  bool countsCurrent(const Entry& entry, std::uint64_t voteGeneration) const;
  EntryPointer find(const std::string& key);
  // Stores `entry` unless content changed since `generation` was read; returns what to serve.
  void keep(const std::string& key, const EntryPointer& entry, std::uint64_t generation);
  EntryPointer build(const PlacementQuery& query, std::uint64_t voteGeneration);
  EntryPointer withFreshCounts(const Entry& entry, std::int64_t appId, std::uint64_t voteGeneration);
  std::uint64_t voteGeneration(std::int64_t appId) const;

  storage::Store& store_;
  const Clock clock_;
  const PlacementCacheOptions options_;
  const Ticks ticks_;

  std::shared_mutex entriesMutex_;
  std::unordered_map<std::string, EntryPointer> entries_;
  std::atomic<std::uint64_t> contentGeneration_{0};
  // Apps share slots by id: a vote may refresh another app's counts early, never late.
  std::array<std::atomic<std::uint64_t>, 64> voteGenerations_{};

  std::atomic<std::int64_t> lastRevisionCheck_;  // steady ticks; starts long ago
  std::atomic<bool> revisionCheckOwed_{false};   // claimed from memory, for the next worker to make
  std::atomic<std::int64_t> knownRevision_{-1};
  std::atomic<std::uint64_t> builds_{0};
};

}  // namespace orvane::service::app
