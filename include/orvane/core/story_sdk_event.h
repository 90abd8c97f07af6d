#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

#include <orvane/platform/url.h>

namespace orvane {

// What the user saw or did, as handed to the host's event handler. Build one with the factory
// of its kind; read the kind and the ids that kind carries:
//
//   sdk.setEventHandler([](const StorySDKEvent& event) {
//     if (event.kind() == StorySDKEvent::Kind::storyOpen) log("opened", *event.groupId());
//   });
class ORVANE_EXPORT StorySDKEvent {
 public:
  // What happened; the README's table lists the ids each kind carries.
  enum class Kind {
    storyGroupImpression,
    storyOpen,
    storyItemImpression,
    storyClose,
    storyCompleted,
    pollViewed,
    pollVoted,
    quizViewed,
    quizAnswered,
    swipeUp,
    bannerImpression,
    bannerClick,
  };

  // One factory per kind, taking the ids that kind carries.
  //@{
  static StorySDKEvent storyGroupImpression(std::string groupId);
  static StorySDKEvent storyOpen(std::string groupId);
  static StorySDKEvent storyItemImpression(std::string groupId, std::string itemId);
  static StorySDKEvent storyClose(std::string groupId);
  static StorySDKEvent storyCompleted(std::string groupId);
  static StorySDKEvent pollViewed(std::string groupId, std::string itemId);
  static StorySDKEvent pollVoted(std::string groupId, std::string itemId);
  static StorySDKEvent quizViewed(std::string groupId, std::string itemId);
  static StorySDKEvent quizAnswered(std::string groupId, std::string itemId);
  static StorySDKEvent swipeUp(std::string groupId, std::string itemId);
  static StorySDKEvent bannerImpression(std::string bannerId, std::optional<std::string> bannerItemId,
                                        std::string placementKey);
  static StorySDKEvent bannerClick(std::string bannerId, std::optional<std::string> bannerItemId,
                                   std::string placementKey, std::optional<Url> url);
  //@}

  // What happened.
  Kind kind() const { return kind_; }
  // Whether it is about a banner rather than a story.
  bool isBannerEvent() const { return kind_ == Kind::bannerImpression || kind_ == Kind::bannerClick; }

  // Story events: the group, always present.
  std::optional<std::string> groupId() const;
  // Story events about one page (impression, poll, quiz, swipe): the page.
  std::optional<std::string> itemId() const;
  // Banner events: the banner, always present; its slide when known; the placement shown.
  //@{
  std::optional<std::string> bannerId() const;
  std::optional<std::string> bannerItemId() const;
  const std::optional<std::string>& placementKey() const { return placementKey_; }
  //@}
  // Banner clicks: the slide's link, when it has one.
  const std::optional<Url>& url() const { return url_; }

  // Kind and ids alike.
  bool operator==(const StorySDKEvent&) const = default;

 private:
  StorySDKEvent(Kind kind, std::string subjectId, std::optional<std::string> partId,
                std::optional<std::string> placementKey, std::optional<Url> url);

  Kind kind_;
  std::string subjectId_;              // group id or banner id
  std::optional<std::string> partId_;  // item id or banner item id
  std::optional<std::string> placementKey_;
  std::optional<Url> url_;
};

}  // namespace orvane
