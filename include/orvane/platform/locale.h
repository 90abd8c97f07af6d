#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

namespace ORVANE_EXPORT orvane {

class LocaleInfo {
 public:
  virtual ~LocaleInfo() = default;
  // Such as "en_US@calendar=gregorian".
  virtual std::string identifier() const = 0;
  virtual std::optional<std::string> regionCode() const = 0;
};

}  // namespace orvane
