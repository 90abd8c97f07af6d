#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace orvane {

// Ids of the app, bundle, user and story items travel in header fields and request paths. One
// longer than this, or holding a control character (a line break would end the header early),
// cannot go out as given; real ids are UUIDs, bundle names or a host's account numbers.
inline constexpr std::size_t kMaxIdentityBytes = 1024;

constexpr bool isSendableIdentity(std::string_view text) {
  return text.size() <= kMaxIdentityBytes && std::none_of(text.begin(), text.end(), [](char c) {
           const auto byte = static_cast<unsigned char>(c);
           return byte < 0x20 || byte == 0x7F;
         });
}

// The anonymous id this SDK stores is a UUID. A stored value that is not printable ASCII of at
// most this length was not written by it (a tampered or damaged settings file).
inline constexpr std::size_t kMaxAnonymousIdLength = 128;

constexpr bool isUsableAnonymousId(std::string_view text) {
  return !text.empty() && text.size() <= kMaxAnonymousIdLength &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

}  // namespace orvane
