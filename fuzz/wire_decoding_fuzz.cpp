// Whatever bytes the service answers with, decoding either fails with a typed error or yields
// payloads whose mapping holds up; nothing may crash, leak or hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include <orvane/api/wire/banner_mapping.h>
#include <orvane/api/wire/banner_payloads.h>
#include <orvane/api/wire/story_mapping.h>
#include <orvane/api/wire/story_payloads.h>
#include <orvane/api/wire/vote_response_payload.h>
#include <orvane/model/json_coding.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  const orvane::Date now{};

  if (auto stories = orvane::decodeStoriesPayload(body); stories.ok()) {
    for (const auto& group : orvane::mapStoryGroups(stories.value(), now)) {
      for (const auto& item : group.items()) {
        // The model's own coding must round-trip whatever the mapping produced.
        nlohmann::ordered_json encoded = item;
        (void)encoded.get<orvane::StoryItem>();
      }
    }
  }
  if (auto banners = orvane::decodeBannersPayload(body); banners.ok()) {
    for (const auto& banner : orvane::mapBanners(banners.value())) {
      nlohmann::ordered_json encoded = banner;
      (void)encoded.get<orvane::Banner>();
    }
  }
  if (auto vote = orvane::decodeVoteResponsePayload(body); vote.ok()) {
    (void)orvane::mapVoteResponse(vote.value());
  }
  return 0;
}
