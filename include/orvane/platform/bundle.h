#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

namespace orvane {

// The host application's identity.
class ORVANE_EXPORT BundleInfo {
 public:
  virtual ~BundleInfo() = default;
  virtual std::optional<std::string> bundleIdentifier() const = 0;
  virtual std::optional<std::string> shortVersionString() const = 0;
};

}  // namespace orvane
