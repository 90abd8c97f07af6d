#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The SHA-256 digest of `bytes` as 64 lower-case hex digits. Names files after texts that must
// not show in them (URLs, user ids) and that no two different texts may share.
std::string sha256Hex(std::string_view bytes);

}  // namespace orvane
