#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

namespace orvane {

// The device, as far as the service is told about it.
//
// \code
// if (auto device = platform.device->identifierForVendor()) log("device " + *device);
// \endcode
class ORVANE_EXPORT DeviceInfo {
 public:
  virtual ~DeviceInfo() = default;
  // Per-vendor device id as canonical upper-case UUID text, when the platform has one.
  virtual std::optional<std::string> identifierForVendor() const = 0;
};

}  // namespace orvane
