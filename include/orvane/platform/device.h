#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

namespace orvane {

class ORVANE_EXPORT DeviceInfo {
 public:
  virtual ~DeviceInfo() = default;
  // Per-vendor device id as canonical upper-case UUID text, when the platform has one.
  virtual std::optional<std::string> identifierForVendor() const = 0;
};

}  // namespace orvane
