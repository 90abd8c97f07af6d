#pragma once

#include <optional>
#include <vector>

#include <orvane/api/wire/story_payloads.h>
#include <orvane/model/story.h>
#include <orvane/platform/clock.h>

namespace orvane {

// The service's story records onto the model. Forgiving about values: unknown words fall
// back, bad links become absent, missing durations get the default. `now` dates a user vote
// that the service sent without its time. The records are taken over (their texts move into the
// model); pass a copy to keep them.

std::vector<StoryGroup> mapStoryGroups(SdkStoriesPayload payload, Date now);
// Absent for a group without items.
std::optional<StoryGroup> mapStoryGroup(SdkStoryGroupPayload payload, Date now);
StoryItem mapStoryItem(SdkStoryItemPayload payload, Date now);

}  // namespace orvane
