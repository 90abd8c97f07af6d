#include <orvane/stories/story_bar_order.h>

#include <algorithm>

namespace orvane {

std::vector<StoryGroup> barOrdered(std::vector<StoryGroup> groups, StoryBarOrder order,
                                   const SeenStoryGroups& seen) {
  if (order == StoryBarOrder::unseenFirst) {
    std::stable_partition(groups.begin(), groups.end(),
                          [&seen](const StoryGroup& group) { return !seen.contains(group.id()); });
  }
  return groups;
}

}  // namespace orvane
