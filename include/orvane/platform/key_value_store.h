#pragma once

#include <orvane/export.h>

#include <functional>
#include <optional>
#include <string>

namespace orvane {

// A string store that survives restarts. A missing key, or a value that is no string, reads absent.
//
// \code
// store.set("orvane_seen_story_groups", "g1,g2");
// const auto seen = store.string("orvane_seen_story_groups");  // "g1,g2"
// \endcode
class ORVANE_EXPORT KeyValueStore {
 public:
  virtual ~KeyValueStore() = default;
  // The value stored under `key`; safe from any thread.
  virtual std::optional<std::string> string(const std::string& key) const = 0;
  // Stores `value` under `key`, saved before it returns; safe from any thread.
  virtual void set(const std::string& key, const std::string& value) = 0;

  // The stored value of `key` when `usable` accepts it; otherwise a value from `create`, stored.
  // A store shared by several processes makes this one step for all of them, so that processes
  // starting together settle on one value. This default is one step for a single caller only.
  virtual std::string storedOrCreated(const std::string& key,
                                      const std::function<bool(const std::string&)>& usable,
                                      const std::function<std::string()>& create) {
    if (auto stored = string(key); stored && usable(*stored)) return *stored;
    auto created = create();
    set(key, created);
    return created;
  }
};

}  // namespace orvane
