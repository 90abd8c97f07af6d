#include <orvane/stories/story_lookup.h>

#include <orvane/platform/ascii_text.h>

namespace orvane {
namespace {

// 8-4-4-4-12 hexadecimal digits.
bool isUuid(std::string_view text) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !isAsciiHexDigit(text[i])) return false;
  }
  return true;
}

}  // namespace

bool sameStoryId(std::string_view a, std::string_view b) {
  if (a == b) return true;
  return isUuid(a) && isUuid(b) && equalIgnoringAsciiCase(a, b);
}

std::variant<StoryPosition, StoryOpenError> locateStory(const std::vector<StoryGroup>& groups,
                                                        std::string_view groupId,
                                                        const std::optional<std::string>& pageId) {
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (!sameStoryId(groups[g].id(), groupId)) continue;
    const auto& items = groups[g].items();
    if (!pageId) return StoryPosition{static_cast<int>(g), 0};
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (sameStoryId(items[i].id(), *pageId)) return StoryPosition{static_cast<int>(g), static_cast<int>(i)};
    }
    return StoryOpenError::unknownPage;
  }
  return StoryOpenError::unknownGroup;
}

}  // namespace orvane
