#pragma once

#include <string>
#include <string_view>

namespace orvane::service::content {

// The canonical 36-character text, either letter case.
bool isUuid(std::string_view text);

// App keys and placement keys: 1 to 128 of letters, digits, ".", "_" and "-", not starting with
// ".", so a key is also a safe file name and a safe log field.
bool isSafeKey(std::string_view text);

// Locale tags ("fr", "fr-CA", "zh-HANT") and country codes ("FR"): letters, digits and "-", 1 to 35.
bool isTagText(std::string_view text);

// Ids compare in lower case: the sample content spells UUIDs in upper case, the SDK in lower.
std::string lowercase(std::string_view text);

}  // namespace orvane::service::content
