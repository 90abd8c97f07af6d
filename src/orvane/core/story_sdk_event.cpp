#include <orvane/core/story_sdk_event.h>

#include <utility>

namespace orvane {

StorySDKEvent::StorySDKEvent(Kind kind, std::string subjectId, std::optional<std::string> partId,
                             std::optional<std::string> placementKey, std::optional<Url> url)
    : kind_(kind),
      subjectId_(std::move(subjectId)),
      partId_(std::move(partId)),
      placementKey_(std::move(placementKey)),
      url_(std::move(url)) {}

StorySDKEvent StorySDKEvent::storyGroupImpression(std::string groupId) {
  return {Kind::storyGroupImpression, std::move(groupId), std::nullopt, std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::storyOpen(std::string groupId) {
  return {Kind::storyOpen, std::move(groupId), std::nullopt, std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::storyItemImpression(std::string groupId, std::string itemId) {
  return {Kind::storyItemImpression, std::move(groupId), std::move(itemId), std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::storyClose(std::string groupId) {
  return {Kind::storyClose, std::move(groupId), std::nullopt, std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::storyCompleted(std::string groupId) {
  return {Kind::storyCompleted, std::move(groupId), std::nullopt, std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::pollViewed(std::string groupId, std::string itemId) {
  return {Kind::pollViewed, std::move(groupId), std::move(itemId), std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::pollVoted(std::string groupId, std::string itemId) {
  return {Kind::pollVoted, std::move(groupId), std::move(itemId), std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::quizViewed(std::string groupId, std::string itemId) {
  return {Kind::quizViewed, std::move(groupId), std::move(itemId), std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::quizAnswered(std::string groupId, std::string itemId) {
  return {Kind::quizAnswered, std::move(groupId), std::move(itemId), std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::swipeUp(std::string groupId, std::string itemId) {
  return {Kind::swipeUp, std::move(groupId), std::move(itemId), std::nullopt, std::nullopt};
}

StorySDKEvent StorySDKEvent::bannerImpression(std::string bannerId, std::optional<std::string> bannerItemId,
                                              std::string placementKey) {
  return {Kind::bannerImpression, std::move(bannerId), std::move(bannerItemId), std::move(placementKey),
          std::nullopt};
}

StorySDKEvent StorySDKEvent::bannerClick(std::string bannerId, std::optional<std::string> bannerItemId,
                                         std::string placementKey, std::optional<Url> url) {
  return {Kind::bannerClick, std::move(bannerId), std::move(bannerItemId), std::move(placementKey),
          std::move(url)};
}

std::optional<std::string> StorySDKEvent::groupId() const {
  if (isBannerEvent()) return std::nullopt;
  return subjectId_;
}

std::optional<std::string> StorySDKEvent::itemId() const {
  if (isBannerEvent()) return std::nullopt;
  return partId_;
}

std::optional<std::string> StorySDKEvent::bannerId() const {
  if (!isBannerEvent()) return std::nullopt;
  return subjectId_;
}

std::optional<std::string> StorySDKEvent::bannerItemId() const {
  if (!isBannerEvent()) return std::nullopt;
  return partId_;
}

}  // namespace orvane
