#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <orvane/model/story.h>
#include <orvane/stories/story_navigation.h>

namespace orvane {

// Equal ids, or two UUIDs that differ only in letter case (the service may write either).
ORVANE_EXPORT bool sameStoryId(std::string_view a, std::string_view b);

struct StoryPosition {
  int groupIndex = 0;
  int itemIndex = 0;
};

// Where a group (and a page of it) sits among `groups`; the first page without `pageId`.
ORVANE_EXPORT std::variant<StoryPosition, StoryOpenError> locateStory(const std::vector<StoryGroup>& groups,
                                                                      std::string_view groupId,
                                                                      const std::optional<std::string>& pageId);

}  // namespace orvane
