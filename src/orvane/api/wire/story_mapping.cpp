#include <orvane/api/wire/story_mapping.h>

#include <utility>

#include <orvane/api/wire/lenient_text.h>
#include <orvane/platform/ascii_text.h>

namespace orvane {
namespace {

constexpr double kDefaultDurationSeconds = 5;

// Service words are matched upper-cased.
std::optional<StoryMediaType> mediaType(const std::string& word) {
  return storyMediaTypeFromRawValue(asciiUppercased(word));
}

// Exact and case-sensitive, unlike the other service words: "poll" is no poll.
WidgetType widgetType(const std::optional<std::string>& word) {
  return widgetTypeFromRawValue(word.value_or("NONE")).value_or(WidgetType::none);
}

double duration(const SdkStoryItemPayload& payload) {
  if (payload.durationSeconds) return static_cast<double>(*payload.durationSeconds);
  if (payload.media && payload.media->durationSeconds)
    return static_cast<double>(*payload.media->durationSeconds);
  return kDefaultDurationSeconds;
}

std::vector<WidgetOption> widgetOptions(SdkStoryItemPayload& payload) {
  std::vector<WidgetOption> options;
  if (!payload.widgetOptions) return options;
  options.reserve(payload.widgetOptions->size());
  for (auto& option : *payload.widgetOptions) {
    options.emplace_back(std::move(option.id), std::move(option.text), std::move(option.emojiPrefix),
                         option.orderIndex, option.isCorrect, option.voteCount.value_or(0));
  }
  return options;
}

StoryTheme theme(const std::optional<SdkThemeResponse>& payload) {
  if (!payload) return StoryTheme::default_();
  return StoryTheme::fromServiceStrings(payload->progressStyle, payload->bubbleStyle, payload->fontFamily,
                                        payload->primaryColor, payload->secondaryColor, payload->ctaStyle);
}

}  // namespace

StoryItem mapStoryItem(SdkStoryItemPayload payload, Date now) {
  std::optional<WidgetUserVote> userVote;
  if (payload.userVote)
    userVote.emplace(std::move(payload.userVote->optionId), payload.userVote->votedAt.value_or(now));
  const double seconds = duration(payload);
  auto options = widgetOptions(payload);
  return StoryItem(std::move(payload.id), std::move(payload.title), std::move(payload.bodyText),
                   payload.media ? mediaType(payload.media->mediaType) : std::nullopt,
                   payload.media ? parseMediaURL(payload.media->mediaUrl) : std::nullopt, seconds,
                   std::move(payload.ctaText), parseLinkURL(payload.ctaUrl), widgetType(payload.widgetType),
                   std::move(payload.widgetQuestion), parseLinkURL(payload.swipeCallbackUrl),
                   std::move(options), std::move(userVote));
}

std::optional<StoryGroup> mapStoryGroup(SdkStoryGroupPayload payload, Date now) {
  if (payload.items.empty()) return std::nullopt;
  std::vector<StoryItem> items;
  items.reserve(payload.items.size());
  for (auto& item : payload.items) items.push_back(mapStoryItem(std::move(item), now));
  // The first page's media stands for the group, whatever its kind.
  std::optional<Url> cover = items.front().mediaURL();
  return StoryGroup(std::move(payload.id), std::move(payload.title), theme(payload.theme), std::move(cover),
                    std::move(items));
}

std::vector<StoryGroup> mapStoryGroups(SdkStoriesPayload payload, Date now) {
  std::vector<StoryGroup> groups;
  groups.reserve(payload.groups.size());
  // Each group's records go as soon as it is mapped, so the answer is never held twice over.
  for (auto& group : payload.groups) {
    if (auto mapped = mapStoryGroup(std::move(group), now)) groups.push_back(*std::move(mapped));
  }
  return groups;
}

}  // namespace orvane
