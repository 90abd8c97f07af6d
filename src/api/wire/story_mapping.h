#pragma once

#include <optional>
#include <vector>

#include <orvane/api/wire/story_payloads.h>
#include <orvane/model/story.h>
#include <orvane/platform/clock.h>

namespace orvane {

// The service's story records onto the model. Forgiving about values: unknown words fall
// back, bad links become absent, missing durations get the default. `now` dates a user vote
// that the service sent without its time.

std::vector<StoryGroup> mapStoryGroups(const SdkStoriesPayload& payload, Date now);
// Absent for a group without items.
std::optional<StoryGroup> mapStoryGroup(const SdkStoryGroupPayload& payload, Date now);
StoryItem mapStoryItem(const SdkStoryItemPayload& payload, Date now);

}  // namespace orvane
