#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include <orvane/platform/device.h>
#include <orvane/platform/key_value_store.h>
#include <orvane/platform/uuid.h>

namespace orvane::quick {

// Desktop systems have no vendor identifier, so each installation makes its own: a random UUID
// created on first use and kept in the store under "orvane_device_identifier". A stored value
// that is no UUID is replaced.
class QtDeviceInfo final : public DeviceInfo {
 public:
  QtDeviceInfo(std::shared_ptr<KeyValueStore> store, std::shared_ptr<UuidSource> uuids)
      : store_(std::move(store)), uuids_(std::move(uuids)) {}

  std::optional<std::string> identifierForVendor() const override;

 private:
  std::shared_ptr<KeyValueStore> store_;
  std::shared_ptr<UuidSource> uuids_;
  mutable std::mutex mutex_;
  mutable std::optional<std::string> identifier_;
};

}  // namespace orvane::quick
