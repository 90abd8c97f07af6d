#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <orvane/api/errors.h>
#include <orvane/api/vote_response.h>

namespace orvane {

// The service's answer to a vote.
struct VoteResponsePayload {
  bool voted = {};
  std::optional<std::string> optionId;
  std::optional<std::int64_t> voteCount;

  bool operator==(const VoteResponsePayload&) const = default;
};

Result<VoteResponsePayload> decodeVoteResponsePayload(std::string body);
VoteResponse mapVoteResponse(const VoteResponsePayload& payload);

}  // namespace orvane
