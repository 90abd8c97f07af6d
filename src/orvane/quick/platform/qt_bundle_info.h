#pragma once

#include <optional>

#include <orvane/platform/bundle.h>

namespace orvane::quick {

// The application's identity from QCoreApplication, read on every call.
class QtBundleInfo final : public BundleInfo {
 public:
  QtBundleInfo() = default;
  // An identifier the host chose, used instead of the derived one.
  explicit QtBundleInfo(std::string identifier) : identifier_(std::move(identifier)) {}

  // The host's identifier, else reverse-domain style from the organisation domain and the
  // application name ("example.com" + "Story Demo" -> "com.example.Story-Demo"); absent without
  // an organisation domain.
  std::optional<std::string> bundleIdentifier() const override;
  // QCoreApplication::applicationVersion(), absent when empty.
  std::optional<std::string> shortVersionString() const override;

 private:
  std::optional<std::string> identifier_;
};

// Reverse-domain identifier: domain labels reversed, then the name, each reduced to letters,
// digits, '-' and '.' (anything else becomes '-'). Absent when the domain has no label.
std::optional<std::string> reverseDomainIdentifier(const std::string& domain, const std::string& name);

}  // namespace orvane::quick
