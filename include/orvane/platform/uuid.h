#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Where new ids come from (event ids, the anonymous user id), so that tests can fix them.
//
// \code
// const std::string eventId = platform.uuid->uuidString();  // "3F2504E0-4F89-41D3-9A0C-0305E82C3301"
// \endcode
class ORVANE_EXPORT UuidSource {
 public:
  virtual ~UuidSource() = default;
  // A new random UUID in canonical upper-case 8-4-4-4-12 form.
  virtual std::string uuidString() = 0;
};

// The canonical lower-case text of a 36-character UUID in either letter case; absent otherwise.
ORVANE_EXPORT std::optional<std::string> canonicalLowercaseUuid(std::string_view text);

}  // namespace orvane
