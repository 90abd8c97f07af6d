#include "api/wire/vote_response_payload.h"

#include "api/wire/json_reader.h"

namespace orvane {

Result<VoteResponsePayload> decodeVoteResponsePayload(std::string_view body) {
  return decodeJsonDocument(body, [](const JsonObjectReader& json) {
    return VoteResponsePayload{json.boolean("voted"), json.optionalString("optionId"),
                               json.optionalInteger("voteCount")};
  });
}

VoteResponse mapVoteResponse(const VoteResponsePayload& payload) {
  return VoteResponse(payload.voted, payload.optionId, payload.voteCount);
}

}  // namespace orvane
