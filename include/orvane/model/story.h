#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <orvane/model/theme.h>
#include <orvane/platform/clock.h>
#include <orvane/platform/url.h>

namespace orvane {

// What a page shows full screen.
enum class StoryMediaType { image, video };
// What a page asks of the user: nothing, a vote, an answer with a right option, a swipe up.
enum class WidgetType { none, poll, quiz, swipe };

// Raw values are the service's upper-case words; reading one back is exact and case-sensitive.
//@{
ORVANE_EXPORT std::string_view rawValue(StoryMediaType type);
ORVANE_EXPORT std::string_view rawValue(WidgetType type);
ORVANE_EXPORT std::optional<StoryMediaType> storyMediaTypeFromRawValue(std::string_view raw);
ORVANE_EXPORT std::optional<WidgetType> widgetTypeFromRawValue(std::string_view raw);
//@}

// An answer of a poll or quiz.
//
// \code
// for (const auto& option : page.widgetOptions())
//   addRow(option.emojiPrefix().value_or("") + option.text(), option.voteCount());
// \endcode
class ORVANE_EXPORT WidgetOption {
 public:
  // As decoded from the service's answer.
  WidgetOption(std::string id, std::string text, std::optional<std::string> emojiPrefix,
               std::int64_t orderIndex, std::optional<bool> isCorrect, std::int64_t voteCount)
      : id_(std::move(id)),
        text_(std::move(text)),
        emojiPrefix_(std::move(emojiPrefix)),
        orderIndex_(orderIndex),
        isCorrect_(isCorrect),
        voteCount_(voteCount) {}

  // The option's id, its text, an emoji shown before it, and its place among the options.
  //@{
  const std::string& id() const { return id_; }
  const std::string& text() const { return text_; }
  const std::optional<std::string>& emojiPrefix() const { return emojiPrefix_; }
  std::int64_t orderIndex() const { return orderIndex_; }
  //@}
  // Absent for a poll.
  std::optional<bool> isCorrect() const { return isCorrect_; }
  // As counted when the content was fetched.
  std::int64_t voteCount() const { return voteCount_; }

  // Field by field.
  bool operator==(const WidgetOption&) const = default;

 private:
  std::string id_;
  std::string text_;
  std::optional<std::string> emojiPrefix_;
  std::int64_t orderIndex_;
  std::optional<bool> isCorrect_;
  std::int64_t voteCount_;
};

// The vote this user had already cast when the content was delivered.
//
// \code
// if (const auto& vote = page.userVote()) highlight(vote->optionId());
// \endcode
class ORVANE_EXPORT WidgetUserVote {
 public:
  // As decoded from the service's answer.
  WidgetUserVote(std::string optionId, Date votedAt) : optionId_(std::move(optionId)), votedAt_(votedAt) {}

  // The option chosen, and when.
  //@{
  const std::string& optionId() const { return optionId_; }
  Date votedAt() const { return votedAt_; }
  //@}

  // Field by field.
  bool operator==(const WidgetUserVote&) const = default;

 private:
  std::string optionId_;
  Date votedAt_;
};

// One page of a story group.
//
// \code
// if (page.mediaType() == StoryMediaType::video && page.mediaURL()) play(*page.mediaURL());
// if (page.widgetType() == WidgetType::poll) ask(page.widgetQuestion().value_or(""), page.widgetOptions());
// \endcode
class ORVANE_EXPORT StoryItem {
 public:
  // As decoded from the service's answer.
  StoryItem(std::string id, std::optional<std::string> title, std::optional<std::string> bodyText,
            std::optional<StoryMediaType> mediaType, std::optional<Url> mediaURL, double duration,
            std::optional<std::string> ctaTitle, std::optional<Url> ctaURL, WidgetType widgetType,
            std::optional<std::string> widgetQuestion, std::optional<Url> swipeCallbackURL,
            std::vector<WidgetOption> widgetOptions, std::optional<WidgetUserVote> userVote)
      : id_(std::move(id)),
        title_(std::move(title)),
        bodyText_(std::move(bodyText)),
        mediaType_(mediaType),
        mediaURL_(std::move(mediaURL)),
        duration_(duration),
        ctaTitle_(std::move(ctaTitle)),
        ctaURL_(std::move(ctaURL)),
        widgetType_(widgetType),
        widgetQuestion_(std::move(widgetQuestion)),
        swipeCallbackURL_(std::move(swipeCallbackURL)),
        widgetOptions_(std::move(widgetOptions)),
        userVote_(std::move(userVote)) {}

  // The page's id and the texts shown over its media.
  //@{
  const std::string& id() const { return id_; }
  const std::optional<std::string>& title() const { return title_; }
  const std::optional<std::string>& bodyText() const { return bodyText_; }
  //@}
  // Absent when the page has no media.
  std::optional<StoryMediaType> mediaType() const { return mediaType_; }
  // Where the picture or video is.
  const std::optional<Url>& mediaURL() const { return mediaURL_; }
  // Seconds on screen before the viewer moves on.
  double duration() const { return duration_; }
  // The call-to-action button's title and link.
  //@{
  const std::optional<std::string>& ctaTitle() const { return ctaTitle_; }
  const std::optional<Url>& ctaURL() const { return ctaURL_; }
  //@}
  // The widget, the poll's or quiz's question, and where a swipe up leads.
  //@{
  WidgetType widgetType() const { return widgetType_; }
  const std::optional<std::string>& widgetQuestion() const { return widgetQuestion_; }
  const std::optional<Url>& swipeCallbackURL() const { return swipeCallbackURL_; }
  //@}
  // Empty unless the page carries a poll or quiz.
  const std::vector<WidgetOption>& widgetOptions() const { return widgetOptions_; }
  // The user's earlier vote on this page, as the service remembers it.
  const std::optional<WidgetUserVote>& userVote() const { return userVote_; }

  // Field by field.
  bool operator==(const StoryItem&) const = default;

 private:
  std::string id_;
  std::optional<std::string> title_;
  std::optional<std::string> bodyText_;
  std::optional<StoryMediaType> mediaType_;
  std::optional<Url> mediaURL_;
  double duration_;
  std::optional<std::string> ctaTitle_;
  std::optional<Url> ctaURL_;
  WidgetType widgetType_;
  std::optional<std::string> widgetQuestion_;
  std::optional<Url> swipeCallbackURL_;
  std::vector<WidgetOption> widgetOptions_;
  std::optional<WidgetUserVote> userVote_;
};

// One bubble of the story bar and the pages behind it.
//
// \code
// for (const auto& group : stories.value()) addBubble(group.title(), group.coverImageURL(), group.items().size());
// \endcode
class ORVANE_EXPORT StoryGroup {
 public:
  // As decoded from the service's answer.
  StoryGroup(std::string id, std::string title, StoryTheme theme, std::optional<Url> coverImageURL,
             std::vector<StoryItem> items)
      : id_(std::move(id)),
        title_(std::move(title)),
        theme_(std::move(theme)),
        coverImageURL_(std::move(coverImageURL)),
        items_(std::move(items)) {}

  // Unique within a placement.
  const std::string& id() const { return id_; }
  // The bubble's caption, the group's look, and the bubble's picture.
  //@{
  const std::string& title() const { return title_; }
  const StoryTheme& theme() const { return theme_; }
  const std::optional<Url>& coverImageURL() const { return coverImageURL_; }
  //@}
  // In display order; may be empty.
  const std::vector<StoryItem>& items() const { return items_; }

  // Field by field.
  bool operator==(const StoryGroup&) const = default;

 private:
  std::string id_;
  std::string title_;
  StoryTheme theme_;
  std::optional<Url> coverImageURL_;
  std::vector<StoryItem> items_;
};

}  // namespace orvane
