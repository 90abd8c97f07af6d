#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <utility>

#include <orvane/core/sdk_version.h>
#include <orvane/platform/url.h>

namespace orvane {

enum class StoryEnvironment { staging, production };

// The order of a story bar's bubbles: the service's, or the groups not yet seen on this device
// first (each part in the service's order).
enum class StoryBarOrder { asServed, unseenFirst };

// Both environments are served by the same origin; the environment only travels as a query item.
ORVANE_EXPORT Url baseURL(StoryEnvironment environment);
// "STAGING" or "PRODUCTION".
ORVANE_EXPORT std::string serviceName(StoryEnvironment environment);

// The texts the poll, quiz and swipe widgets show.
class ORVANE_EXPORT StoryUIStrings {
 public:
  StoryUIStrings(std::string pollTitle, std::string quizTitle, std::string pollBadgeTitle,
                 std::string quizBadgeTitle, std::string swipeBadgeTitle, std::string swipeUpHint,
                 std::string voteSingular, std::string votePlural, std::string answerSingular,
                 std::string answerPlural);

  static const StoryUIStrings& default_();

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
class ORVANE_EXPORT StoryConfiguration {
 public:
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
  StoryEnvironment environment() const { return environment_; }
  const std::optional<std::string>& appId() const { return appId_; }
  const std::optional<std::string>& bundleId() const { return bundleId_; }
  const std::optional<std::string>& userId() const { return userId_; }
  const StoryUIStrings& uiStrings() const { return uiStrings_; }
  // Votes are answered locally instead of being sent.
  bool isPreviewMode() const { return isPreviewMode_; }
  // The service's order unless set.
  StoryBarOrder barOrder() const { return barOrder_; }

  void setAppId(std::optional<std::string> appId) { appId_ = std::move(appId); }
  void setBundleId(std::optional<std::string> bundleId) { bundleId_ = std::move(bundleId); }
  void setUserId(std::optional<std::string> userId) { userId_ = std::move(userId); }
  void setUiStrings(StoryUIStrings uiStrings) { uiStrings_ = std::move(uiStrings); }
  void setIsPreviewMode(bool isPreviewMode) { isPreviewMode_ = isPreviewMode; }
  void setBarOrder(StoryBarOrder order) { barOrder_ = order; }

  // Names kept for hosts written against the earlier interface.
  const std::string& apiKey() const { return sdkKey_; }
  const std::string& appId_DEPRECATED() const { return appKey_; }

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
  StoryBarOrder barOrder_ = StoryBarOrder::asServed;
};

}  // namespace orvane
