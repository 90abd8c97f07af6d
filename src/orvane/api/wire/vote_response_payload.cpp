#include <orvane/api/wire/vote_response_payload.h>

#include <orvane/api/wire/json_reader.h>

namespace orvane {

Result<VoteResponsePayload> decodeVoteResponsePayload(std::string body) {
  return decodeJsonDocument(std::move(body), [](JsonObjectReader& json) {
    VoteResponsePayload payload;
    std::bitset<1> seen;
    json.forEachField([&](std::string_view key, JsonValueReader& value) {
      if (key == "voted") {
        payload.voted = value.boolean();
        seen.set(0);
      } else if (key == "optionId") {
        payload.optionId = value.optionalString();
      } else if (key == "voteCount") {
        payload.voteCount = value.optionalInteger();
      } else {
        return false;
      }
      return true;
    });
    json.requireKeys(seen, {"voted"});
    return payload;
  });
}

VoteResponse mapVoteResponse(const VoteResponsePayload& payload) {
  return VoteResponse(payload.voted, payload.optionId, payload.voteCount);
}

}  // namespace orvane
