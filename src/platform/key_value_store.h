#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

namespace ORVANE_EXPORT orvane {

// A string store that survives restarts. A missing key, or a value that is no string, reads absent.
class KeyValueStore {
 public:
  virtual ~KeyValueStore() = default;
  virtual std::optional<std::string> string(const std::string& key) const = 0;
  virtual void set(const std::string& key, const std::string& value) = 0;
};

}  // namespace orvane
