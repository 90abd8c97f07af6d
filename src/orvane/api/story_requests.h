#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include <orvane/api/errors.h>
#include <orvane/core/story_configuration.h>
#include <orvane/core/story_session.h>
#include <orvane/platform/http.h>

namespace orvane {

// The content service's requests, built from the configuration and identity of the moment.

// The largest answers taken, far above real ones (a busy placement's stories are well under a
// megabyte; a vote answer is a few dozen bytes) and far below what could exhaust memory.
inline constexpr std::size_t kMaxContentAnswerBytes = std::size_t{4} << 20;
inline constexpr std::size_t kMaxVoteAnswerBytes = std::size_t{16} << 10;

// GET of a placement's "stories" or "banners", with the content query items; answers capped at
// kMaxContentAnswerBytes. A TransportError when an identity field cannot be sent as a header.
Result<HttpRequest> placementRequest(const StorySession& session, const StoryConfiguration& configuration,
                                     const std::string& placementKey, const std::string& resource);

// POST of a vote, its answer capped at kMaxVoteAnswerBytes. StoryAPIError::encodingFailed when
// the body cannot be encoded (text that is not UTF-8); a TransportError when an identity field or
// the item id cannot be sent.
Result<HttpRequest> voteRequest(const StorySession& session, const StoryConfiguration& configuration,
                                const std::string& storyItemId, const std::string& optionId);

}  // namespace orvane
