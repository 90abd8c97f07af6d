#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

class ORVANE_EXPORT UuidSource {
 public:
  virtual ~UuidSource() = default;
  // A new random UUID in canonical upper-case 8-4-4-4-12 form.
  virtual std::string uuidString() = 0;
};

// The canonical lower-case text of a 36-character UUID in either letter case; absent otherwise.
ORVANE_EXPORT std::optional<std::string> canonicalLowercaseUuid(std::string_view text);

}  // namespace orvane
