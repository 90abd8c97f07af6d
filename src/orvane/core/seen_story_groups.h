#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <orvane/core/observable.h>
#include <orvane/platform/key_value_store.h>

namespace orvane {

// The story groups whose last page the user reached on this device, the most recent `capacity`
// of them, kept in the key-value store so that they survive restarts. Observers are told before
// each change. Main thread only.
class SeenStoryGroups final : public Observable {
 public:
  static constexpr std::size_t capacity = 500;
  static constexpr const char* storageKey = "orvane_seen_story_groups";

  // Reads what an earlier run stored; an unreadable value counts as nothing seen.
  explicit SeenStoryGroups(KeyValueStore& store);

  bool contains(const std::string& groupId) const;
  // Oldest first.
  const std::vector<std::string>& groupIds() const { return groupIds_.get(); }
  // Makes the group the most recently seen one, dropping the oldest beyond capacity, and stores
  // the list.
  void markSeen(const std::string& groupId);

 private:
  KeyValueStore& store_;
  Published<std::vector<std::string>> groupIds_;
};

}  // namespace orvane
