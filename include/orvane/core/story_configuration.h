#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <orvane/core/sdk_version.h>
#include <orvane/platform/url.h>

namespace orvane {

// Which of the service's environments the content comes from.
enum class StoryEnvironment { staging, production };

// The order of a story bar's bubbles: the service's, or the groups not yet seen on this device
// first (each part in the service's order).
enum class StoryBarOrder { asServed, unseenFirst };

// Both environments are served by the same origin; the environment only travels as a query item.
ORVANE_EXPORT Url baseURL(StoryEnvironment environment);
// "STAGING" or "PRODUCTION".
ORVANE_EXPORT std::string serviceName(StoryEnvironment environment);

// The texts the poll, quiz and swipe widgets show. The defaults are English; the Qt views show a
// field left at its default in the language loadStoryTranslations chose, any other text as given.
//
// \code
// StoryConfiguration configuration("sdk-key", "app-key");
// configuration.setUiStrings(StoryUIStrings("Umfrage", "Quiz", "UMFRAGE", "QUIZ", "WISCHEN",
//                                           "Nach oben wischen", "Stimme", "Stimmen", "Antwort", "Antworten"));
// \endcode
class ORVANE_EXPORT StoryUIStrings {
 public:
  // Each text in the order of the accessors below.
  StoryUIStrings(std::string pollTitle, std::string quizTitle, std::string pollBadgeTitle,
                 std::string quizBadgeTitle, std::string swipeBadgeTitle, std::string swipeUpHint,
                 std::string voteSingular, std::string votePlural, std::string answerSingular,
                 std::string answerPlural);

  // The English texts the SDK shows unless told otherwise.
  static const StoryUIStrings& default_();

  // The poll's and quiz's titles and badges, the swipe badge and hint, and the singular and
  // plural of "vote" and "answer" shown beside counts.
  //@{
  const std::string& pollTitle() const { return pollTitle_; }
  const std::string& quizTitle() const { return quizTitle_; }
  const std::string& pollBadgeTitle() const { return pollBadgeTitle_; }
  const std::string& quizBadgeTitle() const { return quizBadgeTitle_; }
  const std::string& swipeBadgeTitle() const { return swipeBadgeTitle_; }
  const std::string& swipeUpHint() const { return swipeUpHint_; }
  const std::string& voteSingular() const { return voteSingular_; }
  const std::string& votePlural() const { return votePlural_; }
  const std::string& answerSingular() const { return answerSingular_; }
  const std::string& answerPlural() const { return answerPlural_; }
  //@}

  // Text by text.
  bool operator==(const StoryUIStrings&) const = default;

 private:
  std::string pollTitle_;
  std::string quizTitle_;
  std::string pollBadgeTitle_;
  std::string quizBadgeTitle_;
  std::string swipeBadgeTitle_;
  std::string swipeUpHint_;
  std::string voteSingular_;
  std::string votePlural_;
  std::string answerSingular_;
  std::string answerPlural_;
};

// What the host hands to StorySDK::configure. Values are stored exactly as given: no validation
// and no trimming here (identity fields are trimmed where they are used).
//
// \code
// StorySDK::shared().configure(StoryConfiguration("sdk-key", "app-key", StoryEnvironment::production,
//                                                 std::nullopt, std::nullopt, "user-42"));
// \endcode
class ORVANE_EXPORT StoryConfiguration {
 public:
  // The keys the service issued for the app, and optionally the identity and texts below.
  StoryConfiguration(std::string sdkKey, std::string appKey,
                     StoryEnvironment environment = StoryEnvironment::production,
                     std::optional<std::string> appId = std::nullopt,
                     std::optional<std::string> bundleId = std::nullopt,
                     std::optional<std::string> userId = std::nullopt,
                     StoryUIStrings uiStrings = StoryUIStrings::default_(), bool isPreviewMode = false)
      : sdkKey_(std::move(sdkKey)),
        appKey_(std::move(appKey)),
        environment_(environment),
        appId_(std::move(appId)),
        bundleId_(std::move(bundleId)),
        userId_(std::move(userId)),
        uiStrings_(std::move(uiStrings)),
        isPreviewMode_(isPreviewMode) {}

  // Sent as "X-Zephro-SDK-Key".
  const std::string& sdkKey() const { return sdkKey_; }
  // The app's key on the service: a path segment of content URLs and the appKey of every event.
  const std::string& appKey() const { return appKey_; }
  // Sent as a query item of content requests.
  StoryEnvironment environment() const { return environment_; }
  // The identity sent with requests, each replacing what the SDK would derive (the bundle
  // identifier, no user); absent: derived.
  //@{
  const std::optional<std::string>& appId() const { return appId_; }
  const std::optional<std::string>& bundleId() const { return bundleId_; }
  const std::optional<std::string>& userId() const { return userId_; }
  //@}
  // The widgets' texts.
  const StoryUIStrings& uiStrings() const { return uiStrings_; }
  // Votes are answered locally instead of being sent.
  bool isPreviewMode() const { return isPreviewMode_; }
  // The most the downloaded images and videos may take in the platform's cache folder; the least
  // recently used make room past it. 0 keeps none.
  std::uint64_t mediaCacheBytes() const { return mediaCacheBytes_; }
  // The bound unless set: 256 MiB.
  static constexpr std::uint64_t kDefaultMediaCacheBytes = std::uint64_t{256} << 20;
  // The service's order unless set.
  StoryBarOrder barOrder() const { return barOrder_; }

  // Replace one value each.
  //@{
  void setAppId(std::optional<std::string> appId) { appId_ = std::move(appId); }
  void setBundleId(std::optional<std::string> bundleId) { bundleId_ = std::move(bundleId); }
  void setUserId(std::optional<std::string> userId) { userId_ = std::move(userId); }
  void setUiStrings(StoryUIStrings uiStrings) { uiStrings_ = std::move(uiStrings); }
  void setIsPreviewMode(bool isPreviewMode) { isPreviewMode_ = isPreviewMode; }
  void setMediaCacheBytes(std::uint64_t bytes) { mediaCacheBytes_ = bytes; }
  void setBarOrder(StoryBarOrder order) { barOrder_ = order; }
  //@}

  // Names kept for hosts written against the earlier interface: sdkKey() and appKey().
  //@{
  const std::string& apiKey() const { return sdkKey_; }
  const std::string& appId_DEPRECATED() const { return appKey_; }
  //@}

  // Value by value.
  bool operator==(const StoryConfiguration&) const = default;

 private:
  std::string sdkKey_;
  std::string appKey_;
  StoryEnvironment environment_;
  std::optional<std::string> appId_;
  std::optional<std::string> bundleId_;
  std::optional<std::string> userId_;
  StoryUIStrings uiStrings_;
  bool isPreviewMode_;
  std::uint64_t mediaCacheBytes_ = kDefaultMediaCacheBytes;
  StoryBarOrder barOrder_ = StoryBarOrder::asServed;
};

}  // namespace orvane
