#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

namespace orvane {

class ORVANE_EXPORT LocaleInfo {
 public:
  virtual ~LocaleInfo() = default;
  // Such as "en_US@calendar=gregorian".
  virtual std::string identifier() const = 0;
  virtual std::optional<std::string> regionCode() const = 0;
};

}  // namespace orvane
