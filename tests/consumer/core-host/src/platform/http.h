#pragma once
// The host's own header of this name; the SDK's headers must never pick it up.
namespace host {
inline constexpr int httpTimeoutSeconds = 5;
}
