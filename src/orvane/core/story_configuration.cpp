#include <orvane/core/story_configuration.h>

#include <cstdlib>

#include <orvane/platform/service_origin.h>

namespace orvane {

Url baseURL(StoryEnvironment) {
  auto url = Url::parse(kServiceOrigin);
  // The constant is well-formed; failing here means it was edited into something that is not a URL.
  if (!url) std::abort();
  return *url;
}

std::string serviceName(StoryEnvironment environment) {
  switch (environment) {
    case StoryEnvironment::staging:
      return "STAGING";
    case StoryEnvironment::production:
      return "PRODUCTION";
  }
  return "PRODUCTION";
}

StoryUIStrings::StoryUIStrings(std::string pollTitle, std::string quizTitle, std::string pollBadgeTitle,
                               std::string quizBadgeTitle, std::string swipeBadgeTitle,
                               std::string swipeUpHint, std::string voteSingular, std::string votePlural,
                               std::string answerSingular, std::string answerPlural)
    : pollTitle_(std::move(pollTitle)),
      quizTitle_(std::move(quizTitle)),
      pollBadgeTitle_(std::move(pollBadgeTitle)),
      quizBadgeTitle_(std::move(quizBadgeTitle)),
      swipeBadgeTitle_(std::move(swipeBadgeTitle)),
      swipeUpHint_(std::move(swipeUpHint)),
      voteSingular_(std::move(voteSingular)),
      votePlural_(std::move(votePlural)),
      answerSingular_(std::move(answerSingular)),
      answerPlural_(std::move(answerPlural)) {}

const StoryUIStrings& StoryUIStrings::default_() {
  static const StoryUIStrings strings("Vote", "Quiz", "Poll", "Quiz", "Swipe", "Swipe up", "vote", "votes",
                                      "answer", "answers");
  return strings;
}

}  // namespace orvane
