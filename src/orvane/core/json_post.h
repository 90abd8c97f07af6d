#pragma once

#include <orvane/export.h>

#include <nlohmann/json.hpp>
#include <string>

#include <orvane/platform/http.h>
#include <orvane/platform/url.h>

namespace orvane {

// Posts `body` as JSON with the SDK key and ignores whatever comes back. Nothing is sent when the
// body cannot be written (text that is not UTF-8): such reports are dropped, never half-sent.
ORVANE_EXPORT void postJsonIgnoringAnswer(HttpSession& session, const Url& url, const nlohmann::ordered_json& body,
                            const std::string& sdkKey);

}  // namespace orvane
