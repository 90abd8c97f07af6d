#include <orvane/quick/platform/qt_device_info.h>

#include <orvane/platform/ascii_text.h>

namespace orvane::quick {
namespace {

constexpr const char* kDeviceIdentifierKey = "orvane_device_identifier";

std::optional<std::string> canonicalUppercaseUuid(const std::string& text) {
  auto canonical = canonicalLowercaseUuid(text);
  if (!canonical) return std::nullopt;
  return asciiUppercased(*std::move(canonical));
}

}  // namespace

std::optional<std::string> QtDeviceInfo::identifierForVendor() const {
  std::lock_guard lock(mutex_);
  if (identifier_) return identifier_;
  identifier_ = canonicalUppercaseUuid(store_->storedOrCreated(
      kDeviceIdentifierKey,
      [](const std::string& stored) { return canonicalLowercaseUuid(stored).has_value(); },
      [this] { return uuids_->uuidString(); }));
  return identifier_;
}

}  // namespace orvane::quick
