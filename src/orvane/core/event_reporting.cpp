#include <optional>

#include <orvane/api/analytics_api.h>
#include <orvane/core/event_tracker.h>
#include <orvane/core/locale_tags.h>
#include <orvane/core/main_thread.h>
#include <orvane/core/story_sdk.h>

namespace orvane {
namespace {

// The events-endpoint type of a host event; page impressions and closes have none.
std::optional<SdkEventType> serviceType(StorySDKEvent::Kind kind) {
  using Kind = StorySDKEvent::Kind;
  switch (kind) {
    case Kind::storyGroupImpression:
      return SdkEventType::storyGroupImpression;
    case Kind::storyOpen:
      return SdkEventType::storyOpen;
    case Kind::storyItemImpression:
    case Kind::storyClose:
      return std::nullopt;
    case Kind::storyCompleted:
      return SdkEventType::storyComplete;
    case Kind::pollViewed:
      return SdkEventType::pollView;
    case Kind::pollVoted:
      return SdkEventType::pollVote;
    case Kind::quizViewed:
      return SdkEventType::quizView;
    case Kind::quizAnswered:
      return SdkEventType::quizAnswer;
    case Kind::swipeUp:
      return SdkEventType::swipeUp;
    case Kind::bannerImpression:
      return SdkEventType::bannerImpression;
    case Kind::bannerClick:
      return SdkEventType::bannerClick;
  }
  return std::nullopt;
}

std::string dedupKey(const std::string& sessionId, SdkEventType type, const std::string& placementKey,
                     const std::string& subjectId, const std::optional<std::string>& partId) {
  return sessionId + "-" + std::string(wireName(type)) + "-" + placementKey + "-" + subjectId + "-" +
         partId.value_or("");
}

}  // namespace

void StorySDK::report(const StorySDKEvent& event, const std::string& placementKey) {
  ORVANE_ASSERT_MAIN_THREAD();
  // A copy, so a handler that replaces itself (or reconfigures the SDK) is not destroyed mid-call.
  if (auto handler = eventHandler_) handler(event);
  analyticsAPI_->send(event, configuration_, this->placementKey(event));

  auto type = serviceType(event.kind());
  if (!type) return;
  if (event.isBannerEvent()) {
    trackBannerEvent(*type, placementKey, *event.bannerId(), event.bannerItemId());
  } else {
    trackStoryEvent(*type, placementKey, event.groupId(), event.itemId());
  }
}

void StorySDK::trackStoryEvent(SdkEventType type, const std::string& placementKey,
                               const std::optional<std::string>& storyGroupId,
                               const std::optional<std::string>& storyItemId) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!configuration_) return;
  if (type != SdkEventType::ctaClick &&
      !markSent(dedupKey(sessionId_, type, placementKey, storyGroupId.value_or(""), storyItemId)))
    return;
  postServiceEvent(type, placementKey, storyGroupId, storyItemId, std::nullopt, std::nullopt);
}

void StorySDK::trackBannerEvent(SdkEventType type, const std::string& placementKey,
                                const std::string& bannerId, const std::optional<std::string>& bannerItemId) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!configuration_) return;
  if (type != SdkEventType::bannerClick &&
      !markSent(dedupKey(sessionId_, type, placementKey, bannerId, bannerItemId)))
    return;
  postServiceEvent(type, placementKey, std::nullopt, std::nullopt, bannerId, bannerItemId);
}

bool StorySDK::markSent(const std::string& key) { return sentEventKeys_.insert(key).second; }

void StorySDK::postServiceEvent(SdkEventType type, const std::string& placementKey,
                                std::optional<std::string> storyGroupId,
                                std::optional<std::string> storyItemId, std::optional<std::string> bannerId,
                                std::optional<std::string> bannerItemId) {
  SdkEventRequest request{configuration_->appKey(),
                          placementKey,
                          type,
                          std::move(storyGroupId),
                          std::move(storyItemId),
                          std::move(bannerId),
                          std::move(bannerItemId),
                          userId_,
                          sessionId_,
                          std::string(SDK_PLATFORM),
                          sdkLocale(*platform_.locale),
                          std::string(SDK_VERSION),
                          platform_.clock->now(),
                          platform_.uuid->uuidString()};
  EventTracker::post(*platform_.http, request, configuration_->sdkKey(),
                     baseURL(configuration_->environment()));
}

}  // namespace orvane
