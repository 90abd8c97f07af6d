#include <orvane/api/analytics_api.h>

#include <orvane/core/json_post.h>
#include <orvane/core/locale_tags.h>
#include <orvane/core/main_thread.h>

namespace orvane {
namespace {

struct RecordShape {
  const char* eventType;
  bool withGroup;
  bool withItem;
};

std::optional<RecordShape> recordShape(StorySDKEvent::Kind kind) {
  using Kind = StorySDKEvent::Kind;
  switch (kind) {
    case Kind::storyGroupImpression:
      return RecordShape{"PLACEMENT_VIEWED", false, false};
    case Kind::storyOpen:
      return RecordShape{"STORY_GROUP_OPENED", true, false};
    case Kind::storyItemImpression:
      return RecordShape{"STORY_ITEM_VIEWED", true, true};
    case Kind::storyClose:
      return RecordShape{"STORY_DISMISSED", true, false};
    case Kind::storyCompleted:
      return RecordShape{"STORY_GROUP_COMPLETED", true, false};
    case Kind::pollViewed:
      return RecordShape{"POLL_VIEWED", true, true};
    case Kind::pollVoted:
      return RecordShape{"POLL_VOTED", true, true};
    case Kind::quizViewed:
      return RecordShape{"QUIZ_VIEWED", true, true};
    case Kind::quizAnswered:
      return RecordShape{"QUIZ_ANSWERED", true, true};
    case Kind::swipeUp:
      return RecordShape{"SWIPE_UP", true, true};
    case Kind::bannerImpression:
    case Kind::bannerClick:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

StoryAnalyticsAPI::StoryAnalyticsAPI(std::shared_ptr<HttpSession> http, StorySession& session)
    : http_(std::move(http)), session_(session), sessionId_(session.platform().uuid->uuidString()) {}

void StoryAnalyticsAPI::send(const StorySDKEvent& event,
                             const std::optional<StoryConfiguration>& configuration,
                             const std::optional<std::string>& placementKey) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!configuration || !placementKey) return;
  auto url = baseURL(configuration->environment())
                 .appendingPathComponent("sdk")
                 .appendingPathComponent("v1")
                 .appendingPathComponent("apps")
                 .appendingPathComponent(configuration->appKey())
                 .appendingPathComponent("events");
  auto payload = analyticsPayload(event, *placementKey);
  if (!payload) return;
  postJsonIgnoringAnswer(*http_, url, nlohmann::ordered_json(*payload), configuration->sdkKey());
}

std::optional<AnalyticsEventPayload> StoryAnalyticsAPI::analyticsPayload(const StorySDKEvent& event,
                                                                         const std::string& placementKey) {
  auto shape = recordShape(event.kind());
  if (!shape) return std::nullopt;
  if (event.kind() == StorySDKEvent::Kind::storyGroupImpression &&
      !session_.markPlacementViewed(*event.groupId()))
    return std::nullopt;

  const auto& platform = session_.platform();
  return AnalyticsEventPayload{placementKey,
                               shape->withGroup ? event.groupId() : std::nullopt,
                               shape->withItem ? event.itemId() : std::nullopt,
                               shape->eventType,
                               std::string(SDK_PLATFORM),
                               requestLocale(*platform.locale),
                               analyticsCountry(*platform.locale),
                               platform.device->identifierForVendor(),
                               sessionId_,
                               platform.clock->now()};
}

}  // namespace orvane
