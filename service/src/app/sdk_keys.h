#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "http/message.h"
#include "sdk_key_cache.h"
#include "storage/store.h"

namespace orvane::service::app {

// The app a request's "X-Zephro-SDK-Key" opens, or the 401 to answer. With `pathApp`, the key must
// belong to that app: a key never reaches another app's content or votes.
std::variant<storage::App, http::Response> authenticate(SdkKeyCache& keys, const http::Request& request,
                                                        std::optional<std::string_view> pathApp);

// Compares without stopping at the first difference, so timing tells nothing about a secret.
bool sameSecret(std::string_view given, std::string_view expected);

}  // namespace orvane::service::app
