#pragma once

#include <optional>
#include <string>

#include "core/story_configuration.h"
#include "core/story_sdk.h"
#include "platform/http.h"

namespace orvane {

// The content service's requests, built from the configuration and identity of the moment.

// GET of a placement's "stories" or "banners", with the content query items.
HttpRequest placementRequest(const StorySDK& sdk, const StoryConfiguration& configuration,
                             const std::string& placementKey, const std::string& resource);

// POST of a vote; absent when the body cannot be encoded (text that is not UTF-8).
std::optional<HttpRequest> voteRequest(const StorySDK& sdk, const StoryConfiguration& configuration,
                                       const std::string& storyItemId, const std::string& optionId);

}  // namespace orvane
