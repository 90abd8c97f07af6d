#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "storage/store.h"

namespace orvane::service::content {

// Who asks, as the SDK's "locale" and "country" query items say; empty when not sent.
struct Audience {
  std::string locale;   // "fr-CA"
  std::string country;  // "CA"
};

// What a checked document answers at `now` for `audience`: only the story groups (banners) live
// now (startAt <= now < endAt, either end open when absent) and meant for the audience (a
// "locales" entry equal to the request's locale or to its language, a "countries" entry equal to
// its country; absent or empty lists mean everyone), ordered by "priority" (lower first, those
// without one after, ties in document order). "locales" and "countries" are left out: they are
// the service's, not the SDK's.
nlohmann::json liveSelection(const nlohmann::json& document, storage::ContentKind kind,
                             std::chrono::system_clock::time_point now, const Audience& audience);

// The first moment after `now` at which a record of the document starts or ends, so an answer
// built now stays right until then; nullopt when no schedule lies ahead.
std::optional<std::chrono::system_clock::time_point> nextScheduleChange(const nlohmann::json& document,
                                                                         storage::ContentKind kind,
                                                                         std::chrono::system_clock::time_point now);

// Every "{{origin}}" in the document's texts replaced by `origin` ("https://stories.example.com"),
// so media links follow the address the client used.
void replaceOrigin(nlohmann::json& document, const std::string& origin);

}  // namespace orvane::service::content
