#include <orvane/core/seen_story_groups.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string_view>
#include <unordered_set>

namespace orvane {
namespace {

// The stored list is oldest first, so a group's last place in it is when it was last seen. Read
// from the end, the most recent distinct ids are found in one pass, however long a tampered list.
std::vector<std::string> load(const KeyValueStore& store) {
  const auto stored = store.string(SeenStoryGroups::storageKey);
  if (!stored) return {};
  const auto parsed = nlohmann::json::parse(*stored, nullptr, false);
  if (!parsed.is_array()) return {};
  std::vector<std::string> ids;
  std::unordered_set<std::string_view> kept;
  for (auto entry = parsed.rbegin(); entry != parsed.rend() && ids.size() < SeenStoryGroups::capacity; ++entry) {
    if (!entry->is_string()) continue;
    const auto& id = entry->get_ref<const std::string&>();
    if (!id.empty() && kept.insert(id).second) ids.push_back(id);
  }
  std::reverse(ids.begin(), ids.end());
  return ids;
}

}  // namespace

SeenStoryGroups::SeenStoryGroups(KeyValueStore& store) : store_(store), groupIds_(*this, load(store)) {}

bool SeenStoryGroups::contains(const std::string& groupId) const {
  const auto& ids = groupIds();
  return std::find(ids.begin(), ids.end(), groupId) != ids.end();
}

void SeenStoryGroups::markSeen(const std::string& groupId) {
  if (groupId.empty() || (!groupIds().empty() && groupIds().back() == groupId)) return;
  auto ids = groupIds();
  ids.erase(std::remove(ids.begin(), ids.end(), groupId), ids.end());
  ids.push_back(groupId);
  if (ids.size() > capacity) ids.erase(ids.begin(), ids.end() - static_cast<std::ptrdiff_t>(capacity));
  store_.set(storageKey, nlohmann::json(ids).dump());
  groupIds_.set(std::move(ids));
}

}  // namespace orvane
