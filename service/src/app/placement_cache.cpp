#include "placement_cache.h"

#include <limits>

#include "content/vote_overlay.h"
#include "http/content_coding.h"

namespace orvane::service::app {
namespace {

constexpr std::int64_t kNeverChecked = std::numeric_limits<std::int64_t>::min();

// Length-prefixed, so no value a client sends can make two queries share a key.
std::string keyOf(const PlacementQuery& query) {
  std::string key = std::to_string(query.appId);
  for (const std::string* part : {&query.placementKey, &query.audience.locale, &query.audience.country, &query.origin})
    key += "|" + std::to_string(part->size()) + ":" + *part;
  key += query.kind == storage::ContentKind::stories ? "|s" : "|b";
  key += query.environment == storage::Environment::staging ? "|staging" : "|production";
  return key;
}

}  // namespace

std::string answerEtag(const std::string& text) {
  static const char* const digits = "0123456789abcdef";
  std::size_t hash = std::hash<std::string>{}(text);
  std::string tag = "W/\"";
  for (int shift = 60; shift >= 0; shift -= 4) tag += digits[(hash >> shift) & 0xf];
  return tag + "-" + std::to_string(text.size()) + "\"";
}

PlacementCache::PlacementCache(storage::Store& store, Clock clock, PlacementCacheOptions options, Ticks ticks)
    : store_(store),
      clock_(std::move(clock)),
      options_(options),
      ticks_(std::move(ticks)),
      lastRevisionCheck_(kNeverChecked) {}

std::shared_ptr<const CachedAnswer> PlacementCache::answer(const PlacementQuery& query) {
  checkRevision();
  const std::string key = keyOf(query);
  const std::uint64_t votes = voteGeneration(query.appId);
  EntryPointer entry = find(key);
  if (!entry || scheduleChanged(*entry)) {
    const std::uint64_t generation = contentGeneration_;
    entry = build(query, votes);
    if (!entry) return nullptr;
    keep(key, entry, generation);
    return entry->answer;
  }
  if (entry->answer->itemIds.empty()) return entry->answer;

  const bool votedHere = entry->voteGeneration < votes;
  if (!votedHere && ticks_() - entry->countsAt < options_.countsRefresh) return entry->answer;
  // A vote made here must show in the next answer, so that waits for the refresh; counts merely
  // getting old are refreshed by one request while the others keep serving them.
  const std::shared_ptr<std::mutex> mutex = entry->refreshing;  // outlives the entry it came with
  std::unique_lock refreshing(*mutex, std::defer_lock);
  if (votedHere) {
    refreshing.lock();
  } else if (!refreshing.try_lock()) {
    return entry->answer;
  }
  EntryPointer current = find(key);
  if (current && countsCurrent(*current, votes)) return current->answer;
  const std::uint64_t generation = contentGeneration_;
  EntryPointer fresh =
      current ? withFreshCounts(*current, query.appId, voteGeneration(query.appId)) : build(query, votes);
  if (!fresh) return nullptr;
  keep(key, fresh, generation);
  return fresh->answer;
}

std::shared_ptr<const CachedAnswer> PlacementCache::answerInMemory(const PlacementQuery& query) {
  if (claimRevisionCheck()) {
    revisionCheckOwed_ = true;  // made by this request's worker, in answer()
    return nullptr;
  }
  EntryPointer entry = find(keyOf(query));
  if (!entry || scheduleChanged(*entry) || !servableFromMemory(*entry, voteGeneration(query.appId))) return nullptr;
  return entry->answer;
}

bool PlacementCache::servableFromMemory(const Entry& entry, std::uint64_t voteGeneration) const {
  if (entry.answer->itemIds.empty() || countsCurrent(entry, voteGeneration)) return true;
  // A vote made here must show in the next answer. Counts merely old are served while one request
  // refreshes them, for at most another refresh interval should that request never get there.
  if (entry.voteGeneration < voteGeneration || ticks_() - entry.countsAt >= 2 * options_.countsRefresh) return false;
  return entry.countsRefreshClaimed->exchange(true);
}

bool PlacementCache::scheduleChanged(const Entry& entry) const {
  return entry.validUntil && clock_() >= *entry.validUntil;
}

bool PlacementCache::countsCurrent(const Entry& entry, std::uint64_t voteGeneration) const {
  return entry.voteGeneration >= voteGeneration && ticks_() - entry.countsAt < options_.countsRefresh;
}

void PlacementCache::contentChanged() {
  std::unique_lock lock(entriesMutex_);
  ++contentGeneration_;
  entries_.clear();
}

void PlacementCache::votesChanged(std::int64_t appId) {
  ++voteGenerations_[static_cast<std::uint64_t>(appId) % voteGenerations_.size()];
}

std::uint64_t PlacementCache::voteGeneration(std::int64_t appId) const {
  return voteGenerations_[static_cast<std::uint64_t>(appId) % voteGenerations_.size()];
}

bool PlacementCache::revisionCheckDue() const {
  const std::int64_t last = lastRevisionCheck_;
  const auto interval = std::chrono::duration_cast<std::chrono::steady_clock::duration>(options_.revisionCheck).count();
  return last == kNeverChecked || ticks_().time_since_epoch().count() - last >= interval;
}

bool PlacementCache::claimRevisionCheck() {
  if (!revisionCheckDue()) return false;
  std::int64_t last = lastRevisionCheck_;
  // One request looks; the others go on with what they have.
  return lastRevisionCheck_.compare_exchange_strong(last, ticks_().time_since_epoch().count());
}

void PlacementCache::checkRevision() {
  if (!revisionCheckOwed_.exchange(false) && !claimRevisionCheck()) return;
  std::int64_t revision = 0;
  try {
    revision = store_.contentRevision();
  } catch (const storage::StoreError&) {
    return;  // answers already built stay servable while the database is away
  }
  if (knownRevision_.exchange(revision) != revision) contentChanged();
}

PlacementCache::EntryPointer PlacementCache::find(const std::string& key) {
  std::shared_lock lock(entriesMutex_);
  auto found = entries_.find(key);
  return found == entries_.end() ? nullptr : found->second;
}

void PlacementCache::keep(const std::string& key, const EntryPointer& entry, std::uint64_t generation) {
  std::unique_lock lock(entriesMutex_);
  // Built from content read before a change: served once, never kept.
  if (contentGeneration_ != generation) return;
  if (entries_.size() >= options_.maxEntries && !entries_.contains(key)) entries_.clear();
  entries_[key] = entry;
}

PlacementCache::EntryPointer PlacementCache::build(const PlacementQuery& query, std::uint64_t voteGeneration) {
  auto stored = store_.placement(query.appId, query.placementKey, query.kind, query.environment);
  if (!stored) return nullptr;
  const auto now = clock_();
  auto selection = content::liveSelection(stored->document, query.kind, now, query.audience);
  content::replaceOrigin(selection, query.origin);

  Entry entry;
  entry.validUntil = content::nextScheduleChange(stored->document, query.kind, now);
  if (query.kind == storage::ContentKind::stories) {
    auto ids = content::votableIds(selection);
    entry.itemIds = std::move(ids.itemIds);
    entry.optionIds = std::move(ids.optionIds);
  }
  entry.selection = std::make_shared<const nlohmann::json>(std::move(selection));
  entry.refreshing = std::make_shared<std::mutex>();
  ++builds_;
  return withFreshCounts(entry, query.appId, voteGeneration);
}

PlacementCache::EntryPointer PlacementCache::withFreshCounts(const Entry& entry, std::int64_t appId,
                                                             std::uint64_t voteGeneration) {
  auto fresh = std::make_shared<Entry>(entry);
  nlohmann::json answer = *entry.selection;
  if (!entry.optionIds.empty()) content::overlayCounts(answer, store_.optionCounts(appId, entry.optionIds));
  auto built = std::make_shared<CachedAnswer>();
  built->answer = content::answerText(std::move(answer));
  built->gzipped = http::gzipCompress(built->answer.text);
  built->etag = answerEtag(built->answer.text);
  built->itemIds = entry.itemIds;
  fresh->answer = std::move(built);
  fresh->countsAt = ticks_();
  fresh->voteGeneration = voteGeneration;
  fresh->countsRefreshClaimed = std::make_shared<std::atomic<bool>>(false);
  return fresh;
}

}  // namespace orvane::service::app
