#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

namespace orvane {

// The host application's identity.
//
// \code
// class FixedBundle final : public BundleInfo {
//  public:
//   std::optional<std::string> bundleIdentifier() const override { return "com.example.app"; }
//   std::optional<std::string> shortVersionString() const override { return "2.4.0"; }
// };
// \endcode
class ORVANE_EXPORT BundleInfo {
 public:
  virtual ~BundleInfo() = default;
  // Reverse-domain identifier, e.g. "com.example.app", sent as the bundle id.
  virtual std::optional<std::string> bundleIdentifier() const = 0;
  // The app's version, e.g. "2.4.0", sent as a query item of content requests.
  virtual std::optional<std::string> shortVersionString() const = 0;
};

}  // namespace orvane
