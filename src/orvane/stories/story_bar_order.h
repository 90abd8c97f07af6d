#pragma once

#include <orvane/export.h>

#include <vector>

#include <orvane/core/seen_story_groups.h>
#include <orvane/core/story_configuration.h>
#include <orvane/model/story.h>

namespace orvane {

// The groups in the order a bar shows them; a stable reordering, so each part keeps the
// service's order.
ORVANE_EXPORT std::vector<StoryGroup> barOrdered(std::vector<StoryGroup> groups, StoryBarOrder order,
                                                 const SeenStoryGroups& seen);

}  // namespace orvane
