#include <orvane/core/story_session.h>

#include <stdexcept>

#include <orvane/core/identity_text.h>
#include <orvane/core/main_thread.h>
#include <orvane/model/trimming.h>
#include <orvane/platform/system_platform.h>
#include <orvane/storage/cache_folders.h>

namespace orvane {
namespace {

constexpr const char* kAnonymousUserIdKey = "zephro_anonymous_user_id";

std::string trimmed(const std::optional<std::string>& text) {
  return text ? std::string(trimmingWhitespaceAndNewlines(*text)) : std::string();
}

std::optional<std::string> nonEmpty(std::string text) {
  if (text.empty()) return std::nullopt;
  return text;
}

// Only a change of this key starts a new session: surrounding blanks do not count.
std::string identityKey(const StoryConfiguration& configuration) {
  return trimmed(configuration.appId()) + "|" + trimmed(configuration.bundleId()) + "|" +
         trimmed(configuration.userId());
}

// Every completion and timer of the SDK runs on the host's main queue; there is no sensible
// stand-in for it, so a host that forgot to install one learns it at once.
Platform requireMainQueue(Platform platform) {
  if (!platform.mainQueue) {
    throw std::invalid_argument(
        "OrvaneStories: install a Platform with a main queue (Platform::install) before using the SDK");
  }
  return withHeadlessDefaults(std::move(platform));
}

}  // namespace

StorySession::StorySession(Platform platform)
    : platform_(requireMainQueue(std::move(platform))), mediaCache_(mediaDiskCache(platform_)) {}

void StorySession::configure(StoryConfiguration configuration) {
  ORVANE_ASSERT_MAIN_THREAD();
  configuration_ = std::move(configuration);
  if (mediaCache_) mediaCache_->setMaxBytes(configuration_->mediaCacheBytes());
  userId_ = anonymousUserId();
  resetSession();
}

void StorySession::updateIdentity(std::optional<std::string> appId, std::optional<std::string> bundleId,
                                  std::optional<std::string> userId) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!configuration_) return;
  auto previousIdentity = identityKey(*configuration_);
  if (appId) configuration_->setAppId(std::move(appId));
  if (bundleId) configuration_->setBundleId(std::move(bundleId));
  if (userId) configuration_->setUserId(std::move(userId));
  if (identityKey(*configuration_) != previousIdentity) resetSession();
}

void StorySession::resetSession() {
  sessionId_ = platform_.uuid->uuidString();
  sentEventKeys_.clear();
  trackedPlacementViews_.clear();
}

SeenStoryGroups& StorySession::seenStoryGroups() {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!seenStoryGroups_) seenStoryGroups_ = std::make_unique<SeenStoryGroups>(*platform_.store);
  return *seenStoryGroups_;
}

std::string StorySession::anonymousUserId() {
  ORVANE_ASSERT_MAIN_THREAD();
  // A value this SDK did not write (a line break, 100 KB) would break every request: replaced.
  return platform_.store->storedOrCreated(
      kAnonymousUserIdKey, [](const std::string& stored) { return isUsableAnonymousId(stored); },
      [this] { return platform_.uuid->uuidString(); });
}

std::optional<std::string> StorySession::resolvedAppId() const {
  if (!configuration_) return std::nullopt;
  if (auto appId = nonEmpty(trimmed(configuration_->appId()))) return appId;
  if (auto bundle = nonEmpty(trimmed(platform_.bundle->bundleIdentifier()))) return bundle;
  return configuration_->appKey();
}

std::optional<std::string> StorySession::resolvedBundleId() const {
  if (configuration_) {
    if (auto bundleId = nonEmpty(trimmed(configuration_->bundleId()))) return bundleId;
  }
  return nonEmpty(trimmed(platform_.bundle->bundleIdentifier()));
}

std::optional<std::string> StorySession::resolvedUserId() const {
  if (configuration_) {
    if (auto userId = nonEmpty(trimmed(configuration_->userId()))) return userId;
  }
  return nonEmpty(userId_);
}

std::string StorySession::voteStorageKey(const std::string& storyItemId) const {
  std::string appKey = configuration_ ? configuration_->appKey() : "unknown-app";
  return "orvane_widget_vote:" + appKey + ":" + resolvedUserId().value_or(userId_) + ":" + storyItemId;
}

void StorySession::rememberPlacementKeys(const std::vector<StoryGroup>& groups,
                                         const std::string& placementKey) {
  ORVANE_ASSERT_MAIN_THREAD();
  for (const auto& group : groups) groupPlacementKeys_[group.id()] = placementKey;
}

bool StorySession::markPlacementViewed(const std::string& groupId) {
  ORVANE_ASSERT_MAIN_THREAD();
  auto found = groupPlacementKeys_.find(groupId);
  if (found == groupPlacementKeys_.end()) return false;
  return trackedPlacementViews_.insert(found->second).second;
}

std::optional<std::string> StorySession::placementKey(const StorySDKEvent& event) const {
  if (event.isBannerEvent()) return event.placementKey();
  auto found = groupPlacementKeys_.find(*event.groupId());
  if (found == groupPlacementKeys_.end()) return std::nullopt;
  return found->second;
}

bool StorySession::markSent(const std::string& key) { return sentEventKeys_.insert(key).second; }

}  // namespace orvane
