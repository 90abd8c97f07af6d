#include <orvane/api/event_reporter.h>

#include <algorithm>

#include <orvane/core/event_tracker.h>
#include <orvane/core/locale_tags.h>
#include <orvane/core/main_thread.h>

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

EventReporter::EventReporter(std::shared_ptr<HttpSession> http, StorySession& session)
    : session_(session), analyticsAPI_(std::move(http), session) {}

void EventReporter::setEventHandler(EventHandler handler) {
  ORVANE_ASSERT_MAIN_THREAD();
  eventHandler_ = std::move(handler);
}

std::uint64_t EventReporter::addEventListener(EventHandler listener) {
  ORVANE_ASSERT_MAIN_THREAD();
  listeners_.emplace_back(++lastListenerId_, std::move(listener));
  return lastListenerId_;
}

void EventReporter::removeEventListener(std::uint64_t id) {
  ORVANE_ASSERT_MAIN_THREAD();
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void EventReporter::report(const StorySDKEvent& event, const std::string& placementKey) {
  ORVANE_ASSERT_MAIN_THREAD();
  // Copies, so a handler that replaces itself (or reconfigures the SDK) is not destroyed mid-call;
  // a listener removed by an earlier one is not called any more.
  if (auto handler = eventHandler_) handler(event);
  std::vector<std::uint64_t> ids;
  for (const auto& entry : listeners_) ids.push_back(entry.first);
  for (auto id : ids) {
    auto entry = std::find_if(listeners_.begin(), listeners_.end(), [id](const auto& e) { return e.first == id; });
    if (entry == listeners_.end()) continue;
    auto listener = entry->second;
    if (listener) listener(event);
  }
  analyticsAPI_.send(event, session_.configuration(), session_.placementKey(event));

  auto type = serviceType(event.kind());
  if (!type) return;
  if (event.isBannerEvent()) {
    trackBannerEvent(*type, placementKey, *event.bannerId(), event.bannerItemId());
  } else {
    trackStoryEvent(*type, placementKey, event.groupId(), event.itemId());
  }
}

void EventReporter::trackStoryEvent(SdkEventType type, const std::string& placementKey,
                                    const std::optional<std::string>& storyGroupId,
                                    const std::optional<std::string>& storyItemId) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!session_.configuration()) return;
  if (type != SdkEventType::ctaClick && !session_.markSent(dedupKey(session_.sessionId(), type, placementKey,
                                                                    storyGroupId.value_or(""), storyItemId)))
    return;
  postServiceEvent(type, placementKey, storyGroupId, storyItemId, std::nullopt, std::nullopt);
}

void EventReporter::trackBannerEvent(SdkEventType type, const std::string& placementKey,
                                     const std::string& bannerId,
                                     const std::optional<std::string>& bannerItemId) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!session_.configuration()) return;
  if (type != SdkEventType::bannerClick &&
      !session_.markSent(dedupKey(session_.sessionId(), type, placementKey, bannerId, bannerItemId)))
    return;
  postServiceEvent(type, placementKey, std::nullopt, std::nullopt, bannerId, bannerItemId);
}

void EventReporter::postServiceEvent(SdkEventType type, const std::string& placementKey,
                                     std::optional<std::string> storyGroupId,
                                     std::optional<std::string> storyItemId,
                                     std::optional<std::string> bannerId,
                                     std::optional<std::string> bannerItemId) {
  const auto& configuration = *session_.configuration();
  const auto& platform = session_.platform();
  SdkEventRequest request{configuration.appKey(),
                          placementKey,
                          type,
                          std::move(storyGroupId),
                          std::move(storyItemId),
                          std::move(bannerId),
                          std::move(bannerItemId),
                          session_.userId(),
                          session_.sessionId(),
                          std::string(SDK_PLATFORM),
                          sdkLocale(*platform.locale),
                          std::string(SDK_VERSION),
                          platform.clock->now(),
                          platform.uuid->uuidString()};
  EventTracker::post(*platform.http, request, configuration.sdkKey(), baseURL(configuration.environment()));
}

}  // namespace orvane
